#include "database/ResourceContents.h"

#include "database/ObjectType.h"
#include "platform/audio/AudioStream.h"
#include "platform/d3dx/MeshData.h"
#include "platform/d3dx/Picture.h"
#include "platform/d3dx/PictureDecoder.h"
#include "platform/d3dx/XFileReader.h"

#include <algorithm>

std::string resourceContentProblem(int type, const std::string& name, const ResourceData& data,
                                   std::vector<std::string>* pictures) {
    const std::string quoted = "\"" + name + "\"";
    std::string error;
    switch (type) {
    case TypeTextureFile: {
        d3dx::Picture picture;
        if (d3dx::PictureDecoder::decode(data.data, data.size, picture, error)) return {};
        return "the picture " + quoted + " cannot be decoded: " + error;
    }
    case TypeModelX: {
        d3dx::MeshData mesh;
        if (!d3dx::XFileReader::read(data.data, data.size, mesh, error))
            return "the mesh " + quoted + " cannot be read: " + error;
        if (pictures != nullptr)
            for (const D3DXMATERIAL& material : mesh.materials)
                if (!material.textureFilename.empty() &&
                    std::find(pictures->begin(), pictures->end(), material.textureFilename) == pictures->end())
                    pictures->push_back(material.textureFilename);
        return {};
    }
    case TypeMusic: {
        int code = 0;
        if (AudioStream::open(data.data, data.size, OutputForm{}, code)) return {};
        return "the music " + quoted + " is not Ogg Vorbis that can be played";
    }
    default: return {};
    }
}
