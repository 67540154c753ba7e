#include "database/ResourceContents.h"

#include "database/ObjectType.h"
#include "platform/audio/bass.h"
#include "platform/d3dx/d3dx9.h"

#include <algorithm>

std::string resourceContentProblem(int type, const std::string& name, const ResourceData& data,
                                   std::vector<std::string>* pictures) {
    const std::string quoted = "\"" + name + "\"";
    std::string error;
    switch (type) {
    case TypeTextureFile: {
        if (D3DXCheckPictureInMemory(data.data, static_cast<UINT>(data.size), &error)) return {};
        return "the picture " + quoted + " cannot be decoded: " + error;
    }
    case TypeModelX: {
        std::vector<D3DXMATERIAL> materials;
        if (!D3DXCheckMeshInMemory(data.data, static_cast<UINT>(data.size), &materials, &error))
            return "the mesh " + quoted + " cannot be read: " + error;
        if (pictures != nullptr)
            for (const D3DXMATERIAL& material : materials)
                if (!material.textureFilename.empty() &&
                    std::find(pictures->begin(), pictures->end(), material.textureFilename) == pictures->end())
                    pictures->push_back(material.textureFilename);
        return {};
    }
    case TypeMusic: {
        if (BASS_StreamCheckFile(data.data, static_cast<DWORD>(data.size))) return {};
        return "the music " + quoted + " is not Ogg Vorbis that can be played";
    }
    default: return {};
    }
}
