// TexturePreview: the editor panel of every texture: the texture over a checker-board, centred
// and zoomed (keys 1..5 and Space, the wheel, a left click resets). All previews share the
// checker-board texture and one state block; the last preview releases both.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

class Texture;

class TexturePreview : public Widget {
public:
    explicit TexturePreview(Texture* texture);
    ~TexturePreview() override;

    bool init();  // false when the checker-board cannot be made
    bool draw(float time, float delta) override;
    bool key(int virtualKey, bool down) override;
    void wheel(Point p, float notches) override;
    void leftButton(Point p, int action) override;

    float getZoom() const { return zoom; }

private:
    FocusMark focusMark;
    Texture* texture;  // not owned
    float zoom = 1.0f;

    static ComRef<IDirect3DTexture9> checkerBoard;  // shared, from icon resource 127
    static ComRef<IDirect3DStateBlock9> previewStateBlock;
    static int previewCount;
};
