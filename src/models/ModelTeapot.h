// ModelTeapot: the standard teapot tumbling about z and x, coloured by a texture looked up
// through its camera-space normals plus the specular highlight of the scene's light. The angles
// advance by `delta` in every render. Leaves DIFFUSEMATERIALSOURCE at COLOR1 for later drawing.
#pragma once

#include "models/Model.h"
#include "platform/d3dx/d3dx9.h"

class Texture;

class ModelTeapot : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // false without the mesh or the texture
    void render(float time, float delta) override;
    float getSize() override { return 2.0f; }

private:
    float angleZ = 0.0f;                         // radians, 0..2 pi
    float angleX = 0.0f;                         // radians, 0..2 pi
    ComRef<ID3DXMesh> mesh;                      // the teapot, owned
    Texture* texture = nullptr;                  // referenced, not owned
    ComRef<IDirect3DStateBlock9> stateBlock;     // owned; recorded at the first render
};
