// TextureTarget: a square render target into which a visual is drawn every frame, before the
// frame's own drawing (updateRenderTargets). Every live target is in `renderTargets`, in order of
// creation; all share one 512 x 512 depth surface, so a target may be at most 512 texels wide.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "database/DrivenAttributes.h"
#include "textures/Texture.h"

#include <vector>

class Visual;

class TextureTarget : public Texture {
public:
    explicit TextureTarget(Database* database);
    ~TextureTarget() override;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;
    bool select(int stage, float time, float delta) override;
    void getSize(int& width, int& height) override;  // size x size

    // Draws this target's visual into its texture; the caller has set target and depth surface.
    void renderInto(float time, float delta);
    IDirect3DTexture9* getTexture() const { return texture.get(); }
    Visual* getVisual() const { return visual; }
    // While the device skips drawing (catching up with earlier frames), a target whose picture a
    // later frame shows before redrawing it is drawn all the same.
    void keepDrawing(bool keep) { drawnWhileSkipping = keep; }
    bool keepsDrawing() const { return drawnWhileSkipping; }

    static const std::vector<TextureTarget*>& registry() { return renderTargets; }
    static IDirect3DSurface9* depthSurface() { return targetDepthSurface.get(); }

    static constexpr int maximumSize = 512;  // the shared depth surface's edge

private:
    Visual* visual = nullptr;             // not owned; none when it would draw this target itself
    ComRef<IDirect3DTexture9> texture;    // owned render-target texture
    D3DCOLOR color = 0;                   // clear colour, ARGB
    Driven channels[4];                   // "a r g b" naming floats: the clear colour follows them
    bool colorDriven = false;
    int size = maximumSize;               // edge length in texels
    bool drawnWhileSkipping = false;      // see keepDrawing

    static std::vector<TextureTarget*> renderTargets;          // every live target, creation order
    static ComRef<IDirect3DSurface9> targetDepthSurface;       // shared; the last target releases it
};

// Redraws every render target from its visual, once per frame, between the scene's begin and the
// root widget's draw; puts the previous render target and depth surface back.
void updateRenderTargets(float time, float delta);
