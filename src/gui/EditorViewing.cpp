#include "gui/EditorViewing.h"

#include "app/Device.h"
#include "gui/Widget.h"
#include "platform/d3dx/d3dx9.h"

#include <algorithm>
#include <cmath>

Vector3 orbitEye(const Vector3& target, float distance, float azimuth, float elevation) {
    const float ce = std::cos(elevation), se = std::sin(elevation);
    const float ca = std::cos(azimuth), sa = std::sin(azimuth);
    return {target.x + distance * ce * ca, target.y + distance * se, target.z + distance * ce * sa};
}

Matrix4 orbitView(const Vector3& target, float distance, float azimuth, float elevation) {
    const float ce = std::cos(elevation), se = std::sin(elevation);
    const float ca = std::cos(azimuth), sa = std::sin(azimuth);
    const Vector3 eye = orbitEye(target, distance, azimuth, elevation);
    const D3DXVECTOR3 from{eye.x, eye.y, eye.z};
    const D3DXVECTOR3 at{target.x, target.y, target.z};
    const D3DXVECTOR3 up{-ca * se, ce, -se * sa};
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &from, &at, &up);
    return view;
}

D3DVIEWPORT9 rectViewport(const Rect& r) {
    return {static_cast<DWORD>(std::max(r.x, 0)), static_cast<DWORD>(std::max(r.y, 0)),
            static_cast<DWORD>(std::max(r.width, 0)), static_cast<DWORD>(std::max(r.height, 0)), 0.0f, 1.0f};
}

void setEditorLight() {
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {0.65f, 0.65f, 0.65f, 1.0f};
    light.Specular = {1.0f, 1.0f, 1.0f, 1.0f};
    light.Ambient = {0.35f, 0.35f, 0.35f, 1.0f};
    light.Direction = {1.0f, -1.0f, 1.0f};
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
}
