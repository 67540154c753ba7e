#include "render/FrameCatchUp.h"

#include "app/Device.h"
#include "render/FrameRenderer.h"

bool FrameCatchUp::run(FrameRenderer& renderer, int frames, int fps, std::string* error,
                       const volatile std::sig_atomic_t* stop, int* ended) {
    if (ended != nullptr) *ended = -1;
    if (frames <= 0) return true;
    ComRef<IDirect3DTexture9> picture;
    ComRef<IDirect3DSurface9> target, depth, savedTarget, savedDepth;
    if (!device ||
        FAILED(device->CreateTexture(targetSize, targetSize, 1, D3DUSAGE_RENDERTARGET,
                                     presentParameters.BackBufferFormat, D3DPOOL_DEFAULT, &picture)) ||
        FAILED(picture->GetSurfaceLevel(0, &target)) ||
        FAILED(device->CreateDepthStencilSurface(targetSize, targetSize, presentParameters.AutoDepthStencilFormat,
                                                 D3DMULTISAMPLE_NONE, 0, TRUE, &depth)) ||
        FAILED(device->GetRenderTarget(0, &savedTarget)) || FAILED(device->GetDepthStencilSurface(&savedDepth))) {
        *error = "Cannot create the small target that brings the production up to its first frame";
        return false;
    }
    device->SetRenderTarget(0, target.get());
    device->SetDepthStencilSurface(depth.get());
    // Time and step exactly as the render itself computes them, so that every step lands the same.
    const float delta = 1.0f / static_cast<float>(fps);
    bool complete = true;
    for (int n = 0; n < frames && complete; ++n) {
        const bool drew = renderer.render(static_cast<float>(double(n) / fps), delta);
        if (!drew && ended != nullptr && *ended < 0) *ended = n;
        complete = stop == nullptr || *stop == 0;
    }
    device->SetRenderTarget(0, savedTarget.get());
    device->SetDepthStencilSurface(savedDepth.get());
    if (!complete) *error = "interrupted; nothing was written";
    return complete;
}
