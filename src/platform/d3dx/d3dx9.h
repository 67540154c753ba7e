// The Direct3D extension library, as the drawing code calls it: textures decoded from the
// executable's JPEG and PNG resources (by name or number) with a full mip chain, a font object
// that measures and draws single-line text, a sprite batch around text drawing, X-format meshes
// from resources with their materials, the teapot mesh, and the matrix helpers.
// Interfaces are reference counted and held through ComRef, like the device's.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <string>
#include <vector>

using HMODULE = void*;  // the executable's own module: pass nullptr

// --- matrices and vectors ----------------------------------------------------------------------------
struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{0, 0, 0} {}
    D3DXVECTOR3(float x, float y, float z) : D3DVECTOR{x, y, z} {}
};

struct D3DXMATRIX : D3DMATRIX {
    D3DXMATRIX() : D3DMATRIX{} {}
    float& operator()(int row, int column) { return m[row][column]; }
    float operator()(int row, int column) const { return m[row][column]; }
};

// Left-handed look-at: rows (xaxis.x, yaxis.x, zaxis.x, 0) ... (-dot(xaxis, eye), -dot(yaxis, eye),
// -dot(zaxis, eye), 1) with zaxis = normalize(at - eye), xaxis = normalize(up x zaxis), yaxis = zaxis x xaxis.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up);
D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z);
D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle);  // rows (1,0,0,0) (0,c,s,0) (0,-s,c,0) (0,0,0,1)
D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle);  // rows (c,0,-s,0) (0,1,0,0) (s,0,c,0) (0,0,0,1)
D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle);  // rows (c,s,0,0) (-s,c,0,0) (0,0,1,0) (0,0,0,1)
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b);  // a applied first

// --- textures --------------------------------------------------------------------------------------------
// Decodes a JPEG or PNG resource into a managed texture of the picture's own size with a full mip
// chain (A8R8G8B8 for pictures with alpha, X8R8G8B8 otherwise). Grey and palette pictures are
// expanded. A missing resource, or one that is not a whole, valid picture, fails.
HRESULT D3DXCreateTextureFromResourceA(IDirect3DDevice9* device, HMODULE module, const char* name,
                                       ComRef<IDirect3DTexture9>* texture);
HRESULT D3DXCreateTextureFromResourceA(IDirect3DDevice9* device, HMODULE module, int number,
                                       ComRef<IDirect3DTexture9>* texture);
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* device, const void* data, UINT size,
                                          ComRef<IDirect3DTexture9>* texture);
// This library's own addition, for checks that have no device: whether the bytes decode as
// D3DXCreateTextureFromFileInMemory would decode them; false with why ("PNG: the file ends early").
bool D3DXCheckPictureInMemory(const void* data, UINT size, std::string* why);

// --- text ------------------------------------------------------------------------------------------------
constexpr DWORD DT_TOP = 0x00000000;
constexpr DWORD DT_LEFT = 0x00000000;
constexpr DWORD DT_CENTER = 0x00000001;
constexpr DWORD DT_RIGHT = 0x00000002;
constexpr DWORD DT_VCENTER = 0x00000004;
constexpr DWORD DT_BOTTOM = 0x00000008;
constexpr DWORD DT_SINGLELINE = 0x00000020;
constexpr DWORD DT_NOCLIP = 0x00000100;
constexpr DWORD DT_CALCRECT = 0x00000400;

constexpr DWORD FW_NORMAL = 400;
constexpr DWORD FW_BOLD = 700;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD FF_SWISS = 0x20;
constexpr DWORD FF_DONTCARE = 0x00;

constexpr DWORD D3DXSPRITE_ALPHABLEND = 0x00000010;
constexpr DWORD D3DXSPRITE_SORT_TEXTURE = 0x00000020;

class ID3DXSprite : public IUnknown {
public:
    virtual HRESULT Begin(DWORD flags) = 0;  // ALPHABLEND: text drawn until End blends
    virtual HRESULT End() = 0;               // draws what was batched
};

class ID3DXFont : public IUnknown {
public:
    // Single-line text in rect with the DT_ flags; with DT_CALCRECT only measures, setting
    // rect's right and bottom. Returns the text height in pixels, 0 on failure. count -1: to NUL.
    virtual INT DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect, DWORD format,
                          D3DCOLOR color) = 0;
    virtual HRESULT PreloadCharacters(UINT first, UINT last) = 0;
};

// The face is the font file linked into the executable that stands for the face name asked for
// (a sans-serif face for "Verdana" and "Arial"). height < 0: character height in pixels.
HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mipLevels,
                        BOOL italic, DWORD charSet, DWORD outputPrecision, DWORD quality,
                        DWORD pitchAndFamily, const char* faceName, ComRef<ID3DXFont>* font);
HRESULT D3DXCreateSprite(IDirect3DDevice9* device, ComRef<ID3DXSprite>* sprite);

// --- meshes ------------------------------------------------------------------------------------------------
constexpr DWORD D3DXMESH_SYSTEMMEM = 0x00000110;
constexpr DWORD D3DXMESH_MANAGED = 0x00000220;

struct D3DXMATERIAL {
    D3DMATERIAL9 MatD3D;
    std::string textureFilename;  // empty when the material names no texture file
};

class ID3DXMesh : public IUnknown {
public:
    virtual HRESULT DrawSubset(DWORD attributeId) = 0;  // one draw call
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    virtual DWORD GetFVF() = 0;
    virtual DWORD GetNumBytesPerVertex() = 0;
    virtual DWORD GetAttributeCount() = 0;  // number of subsets
    virtual HRESULT LockVertexBuffer(DWORD flags, void** data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, void** data) = 0;  // 16-bit indices
    virtual HRESULT UnlockIndexBuffer() = 0;
};

// Loads every mesh of an X file (binary or text) as one mesh in Direct3D's left-handed layout,
// frames' transformations baked into the vertices, subset i drawn with materials[i].
HRESULT D3DXLoadMeshFromXResource(HMODULE module, const char* name, const char* type, DWORD options,
                                  IDirect3DDevice9* device, std::vector<D3DXMATERIAL>* materials,
                                  DWORD* materialCount, ComRef<ID3DXMesh>* mesh);
HRESULT D3DXLoadMeshFromXInMemory(const void* data, UINT size, DWORD options, IDirect3DDevice9* device,
                                  std::vector<D3DXMATERIAL>* materials, DWORD* materialCount,
                                  ComRef<ID3DXMesh>* mesh);
// This library's own addition, for checks that have no device: whether the bytes read as
// D3DXLoadMeshFromXInMemory would read them, with the materials; false with why.
bool D3DXCheckMeshInMemory(const void* data, UINT size, std::vector<D3DXMATERIAL>* materials, std::string* why);

// The standard teapot: position and normal, managed, centred on the origin, subset 0.
HRESULT D3DXCreateTeapot(IDirect3DDevice9* device, ComRef<ID3DXMesh>* mesh);
