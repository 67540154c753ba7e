#include "textures/TextureFile.h"

#include "app/Device.h"
#include "database/Database.h"
#include "platform/d3dx/d3dx9.h"

#include <tinyxml.h>

Object* TextureFile::castTo(ObjectType type) {
    return answerFor(type, TypeTexture, TypeTextureFile);
}

bool TextureFile::load(TiXmlElement* element) {
    const char* resource = element->Attribute("resource");
    if (resource == nullptr) return false;
    hard = element->Attribute("hard") != nullptr;
    const ResourceData bytes = database->resource(resource);
    if (!bytes) return false;
    return SUCCEEDED(D3DXCreateTextureFromFileInMemory(device, bytes.data, static_cast<UINT>(bytes.size), &texture));
}

bool TextureFile::select(int stage, float, float) {
    // Sampler 0 carries the filters, whatever the stage: every caller binds to stage 0.
    if (hard) {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    } else {
        device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }
    return SUCCEEDED(device->SetTexture(stage, texture.get()));
}

void TextureFile::getSize(int& width, int& height) {
    levelSize(texture.get(), width, height);
}
