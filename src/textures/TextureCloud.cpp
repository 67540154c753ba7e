#include "textures/TextureCloud.h"

#include "app/Device.h"
#include "textures/Random.h"

#include <tinyxml.h>

Object* TextureCloud::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureCloud);
}

bool TextureCloud::buildDensity(NoiseGrid& density) {
    if (!density.create(64, 64, 64)) return false;
    density.fill(0, 0, 0, 0.0f);
    // An octave whose temporary grid cannot be made is left out; the cloud is only thinner.
    density.addOctave(0, 0.0625f);
    density.addOctave(1, 0.125f);
    density.addOctave(2, 0.25f);
    density.addOctave(3, 0.5f);

    NoiseGrid envelope;  // a smooth periodic bump: 0.5 in the middle, 0 at the corners
    if (!envelope.create(2, 2, 2)) return false;
    envelope.fill(1, 1, 1, 0.5f);
    envelope.upsample(5);

    NoiseGrid lowFrequency;
    if (!lowFrequency.create(4, 4, 4)) return false;
    lowFrequency.addRandom(0, 0, 0, 4.0f);
    lowFrequency.upsample(4);

    // A failed upsampling leaves a grid of the wrong size, which add and multiply refuse.
    lowFrequency.add(envelope);
    lowFrequency.multiply(envelope);
    density.multiply(lowFrequency);
    return true;
}

void TextureCloud::atlasTile(int k, int& x, int& y, int& slice, int& axis) {
    x = 64 * (k % 4);
    y = 64 * (k / 4);
    slice = 16 + 8 * (k / 3);
    axis = k % 3;
}

bool TextureCloud::load(TiXmlElement* element) {
    int seed = 0;
    if (element->QueryIntAttribute("seed", &seed) == TIXML_SUCCESS) crtSrand(static_cast<uint32_t>(seed));
    if (!buildDensity(density)) return false;

    if (FAILED(device->CreateTexture(width, height, 0, D3DUSAGE_AUTOGENMIPMAP, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     &texture)))
        return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return false;
    auto* bits = static_cast<uint8_t*>(locked.pBits);
    for (int k = 0; k < 15; ++k) {
        int x, y, slice, axis;
        atlasTile(k, x, y, slice, axis);
        density.renderSlice(bits + size_t(y) * locked.Pitch + size_t(x) * 4, locked.Pitch, slice, axis);
    }
    texture->UnlockRect(0);
    return true;
}

bool TextureCloud::select(int stage, float, float) {
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    return SUCCEEDED(device->SetTexture(stage, texture.get()));
}

void TextureCloud::getSize(int& w, int& h) {
    levelSize(texture.get(), w, h);
}
