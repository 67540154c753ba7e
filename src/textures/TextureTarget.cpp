#include "textures/TextureTarget.h"

#include "app/Device.h"
#include "database/Database.h"
#include "database/ReferenceCycle.h"
#include "visuals/Visual.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::vector<TextureTarget*> TextureTarget::renderTargets;
ComRef<IDirect3DSurface9> TextureTarget::targetDepthSurface;

TextureTarget::TextureTarget(Database* database) : Texture(database) {
    renderTargets.push_back(this);
}

TextureTarget::~TextureTarget() {
    renderTargets.erase(std::remove(renderTargets.begin(), renderTargets.end(), this), renderTargets.end());
    if (renderTargets.empty()) {
        targetDepthSurface.reset();
        renderTargets.shrink_to_fit();
    }
}

Object* TextureTarget::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureTarget);
}

bool TextureTarget::load(TiXmlElement* element) {
    const char* name = element->Attribute("visual");
    Object* found = database->find(name, TypeVisual);
    if (found == nullptr) return false;
    // A visual that draws this target would sample it while it is drawn into: cleared only.
    visual = refuseCycle(database, element, "visual", name, found) ? nullptr : static_cast<Visual*>(found);

    color = 0;
    if (const char* text = element->Attribute("color")) {
        unsigned int value = 0;
        if (namesFloat(text)) {
            // Four channels, alpha red green blue, each 0..1 or a float's name.
            colorDriven = true;
            readDrivenList(database, text, channels, 4, [](const char* word) { return static_cast<float>(std::atof(word)); });
        } else if (std::sscanf(text, "%x", &value) == 1) {
            color = value;  // not hexadecimal: transparent black
        }
    }
    size = maximumSize;
    if (const char* text = element->Attribute("size")) size = std::atoi(text);
    // Larger targets would outgrow the shared depth surface; no size at all cannot be drawn into.
    if (size <= 0 || size > maximumSize) return false;

    if (FAILED(device->CreateTexture(size, size, 1, D3DUSAGE_RENDERTARGET, presentParameters.BackBufferFormat,
                                     D3DPOOL_DEFAULT, &texture)))
        return false;
    if (!targetDepthSurface) {
        if (FAILED(device->CreateDepthStencilSurface(maximumSize, maximumSize, presentParameters.AutoDepthStencilFormat,
                                                     D3DMULTISAMPLE_NONE, 0, TRUE, &targetDepthSurface)))
            return false;
    }
    return true;
}

bool TextureTarget::select(int stage, float, float) {
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    return SUCCEEDED(device->SetTexture(stage, texture.get()));
}

void TextureTarget::getSize(int& width, int& height) {
    width = size;
    height = size;
}

void TextureTarget::renderInto(float time, float delta) {
    if (colorDriven) {
        color = 0;
        for (const Driven& channel : channels) {
            const float c = std::min(std::max(channel.at(time), 0.0f), 1.0f);
            color = (color << 8) | static_cast<D3DCOLOR>(std::lround(c * 255.0f));
        }
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, color, 1.0f, 0);
    if (visual == nullptr) return;
    visual->setRect({0, 0, size, size});
    visual->render(time, delta);
}

void updateRenderTargets(float time, float delta) {
    // No target may be sampled while it is drawn into.
    device->SetTexture(0, nullptr);

    ComRef<IDirect3DSurface9> previousTarget;
    ComRef<IDirect3DSurface9> previousDepth;
    if (FAILED(device->GetRenderTarget(0, &previousTarget)) || !previousTarget) return;
    if (FAILED(device->GetDepthStencilSurface(&previousDepth)) || !previousDepth) return;

    const bool skipping = device->IsSkippingDrawing() != FALSE;
    for (TextureTarget* target : TextureTarget::registry()) {
        ComRef<IDirect3DSurface9> surface;
        if (!target->getTexture() || FAILED(target->getTexture()->GetSurfaceLevel(0, &surface))) continue;
        device->SetRenderTarget(0, surface.get());
        device->SetDepthStencilSurface(TextureTarget::depthSurface());
        const bool marked = D3DPERF_GetStatus() != 0;
        if (marked) D3DPERF_BeginEvent(0, "render target");
        const bool drawnAnyway = skipping && target->keepsDrawing();
        if (drawnAnyway) device->SkipDrawing(FALSE);
        target->renderInto(time, delta);
        if (drawnAnyway) device->SkipDrawing(TRUE);
        if (marked) D3DPERF_EndEvent();
    }

    device->SetRenderTarget(0, previousTarget.get());
    device->SetDepthStencilSurface(previousDepth.get());
}
