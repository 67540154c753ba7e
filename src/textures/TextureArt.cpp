#include "textures/TextureArt.h"

#include "app/Device.h"
#include "textures/Random.h"

Object* TextureArt::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureArt);
}

uint8_t TextureArt::vignette(int x, int y, int level) {
    // Integer arithmetic, multiplied in this order, each division truncating.
    return static_cast<uint8_t>(((((side - x) * x) / 32) * level * (((side - y) * y) / 32)) / 16384);
}

bool TextureArt::load(TiXmlElement*) {
    for (uint8_t& n : noise) n = static_cast<uint8_t>(crtRand() * 255 / 32767);
    const bool created = SUCCEEDED(
        device->CreateTexture(side, side, 1, D3DUSAGE_DYNAMIC, D3DFMT_L8, D3DPOOL_DEFAULT, &texture));
    art = loadResource("Art.raw");
    return created && art.size >= pixelCount;
}

bool TextureArt::select(int stage, float, float) {
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    for (int i = 0; i < pixelCount; ++i)
        if (art.data[i] == 0) noise[i] = static_cast<uint8_t>(crtRand() * 240 / 32767);
    // Every select writes the whole picture anew: while the device skips drawing, only the noise
    // (and the generator it draws from) has to move on.
    D3DLOCKED_RECT locked{};
    if (!device->IsSkippingDrawing() && SUCCEEDED(texture->LockRect(0, &locked, nullptr, D3DLOCK_DISCARD))) {
        auto* bits = static_cast<uint8_t*>(locked.pBits);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) bits[size_t(y) * locked.Pitch + x] = vignette(x, y, noise[side * y + x]);
        texture->UnlockRect(0);
    }
    return SUCCEEDED(device->SetTexture(stage, texture.get()));
}

void TextureArt::getSize(int& width, int& height) {
    width = side;
    height = side;
}
