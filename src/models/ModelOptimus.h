// ModelOptimus: two textured squares facing the camera's z: a background tiled 11 times that
// scrolls diagonally and blinks opaque for the last fifth of each blink period, and a small
// sprite sliding from side to side in front of it. The phases advance by `delta` in every render.
#pragma once

#include "models/Model.h"
#include "platform/d3d9/d3d9.h"

class Texture;

class ModelOptimus : public Model {
public:
    using Model::Model;
    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // never fails; without a texture, stage 0 keeps its own
    void render(float time, float delta) override;
    float getSize() override { return 64.0f; }

    float getBlinkPhase() const { return blinkPhase; }

private:
    float scrollPhase = 0.0f;                 // 0..1, one texture repeat
    float slidePhase = 0.0f;                  // radians 0..2 pi
    float blinkPhase = 0.0f;                  // 0..1; above 0.8 the background is opaque
    Texture* texture = nullptr;               // referenced, not owned; may be none
    ComRef<IDirect3DStateBlock9> stateBlock;  // owned; recorded at the first render
};
