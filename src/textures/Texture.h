// Texture: the abstract family of objects that own one device texture and bind it to a sampler
// stage on select. Owns its editor panel (a TexturePreview), created by the first getEditor.
#pragma once

#include "database/Object.h"
#include "platform/d3d9/d3d9.h"

#include <memory>

class Texture : public Object {
public:
    using Object::Object;
    ~Texture() override;

    Widget* getEditor() override;
    virtual bool select(int stage, float time, float delta) = 0;  // whether binding succeeded
    virtual void getSize(int& width, int& height) {
        width = 256;
        height = 256;
    }

protected:
    // The size of level 0 of `texture`; 0 x 0 without a texture or when it cannot be asked.
    static void levelSize(IDirect3DTexture9* texture, int& width, int& height);

    std::unique_ptr<Widget> editor;  // owned; created by the first getEditor
};
