// Matrix helpers of the extension library: row vectors, v' = v * M, as the device uses them.
#include "platform/d3dx/d3dx9.h"

#include "platform/d3d9/MatrixMath.h"

#include <cmath>

namespace {

D3DXVECTOR3 subtract(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

D3DXVECTOR3 cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

D3DXVECTOR3 normalize(const D3DXVECTOR3& v) {
    float length = std::sqrt(dot(v, v));
    if (length == 0.0f) return v;  // a degenerate axis stays zero rather than becoming NaN
    return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
    static_cast<D3DMATRIX&>(*out) = d3d9::identityMatrix();
    return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at,
                               const D3DXVECTOR3* up) {
    D3DXVECTOR3 zaxis = normalize(subtract(*at, *eye));
    D3DXVECTOR3 xaxis = normalize(cross(*up, zaxis));
    D3DXVECTOR3 yaxis = cross(zaxis, xaxis);
    D3DXMATRIX r;
    r.m[0][0] = xaxis.x; r.m[0][1] = yaxis.x; r.m[0][2] = zaxis.x; r.m[0][3] = 0.0f;
    r.m[1][0] = xaxis.y; r.m[1][1] = yaxis.y; r.m[1][2] = zaxis.y; r.m[1][3] = 0.0f;
    r.m[2][0] = xaxis.z; r.m[2][1] = yaxis.z; r.m[2][2] = zaxis.z; r.m[2][3] = 0.0f;
    r.m[3][0] = -dot(xaxis, *eye);
    r.m[3][1] = -dot(yaxis, *eye);
    r.m[3][2] = -dot(zaxis, *eye);
    r.m[3][3] = 1.0f;
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
    D3DXMatrixIdentity(out);
    out->m[3][0] = x;
    out->m[3][1] = y;
    out->m[3][2] = z;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->m[1][1] = c;  out->m[1][2] = s;
    out->m[2][1] = -s; out->m[2][2] = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->m[0][0] = c; out->m[0][2] = -s;
    out->m[2][0] = s; out->m[2][2] = c;
    return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    D3DXMatrixIdentity(out);
    out->m[0][0] = c;  out->m[0][1] = s;
    out->m[1][0] = -s; out->m[1][1] = c;
    return out;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
    const D3DMATRIX product = d3d9::multiply(*a, *b);  // out may alias a or b
    static_cast<D3DMATRIX&>(*out) = product;
    return out;
}
