// ModelX: a mesh loaded from an X-format resource of the executable, frames applied, drawn one
// subset per material. A material's texture is the document's texture object of that file name
// when there is one (so a render target can be shown on a mesh), else the picture resource of
// that name, else none. All ModelX objects share one state block; the last one alive releases it.
#pragma once

#include "models/Model.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx/d3dx9.h"

#include <vector>

class Texture;

struct MeshMaterial {
    D3DMATERIAL9 material{};                // from the mesh file, ambient = diffuse
    ComRef<IDirect3DTexture9> ownTexture;   // owned; decoded from a picture resource
    Texture* textureObject = nullptr;       // not owned; a texture object of the database
};

class ModelX : public Model {
public:
    explicit ModelX(Database* database);
    ~ModelX() override;

    Object* castTo(ObjectType type) override;
    bool load(TiXmlElement* element) override;  // fails without "resource" or a loadable mesh
    void render(float time, float delta) override;

    ID3DXMesh* getMesh() const { return mesh.get(); }
    const std::vector<MeshMaterial>& getMaterials() const { return materials; }

private:
    ComRef<ID3DXMesh> mesh;              // owned
    std::vector<MeshMaterial> materials;  // material i draws subset i

    static ComRef<IDirect3DStateBlock9> modelXStateBlock;  // shared; recorded at the first draw
    static int modelXCount;                                // live objects; the last releases the block
};
