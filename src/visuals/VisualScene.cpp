#include "visuals/VisualScene.h"

#include "app/Device.h"
#include "database/Database.h"
#include "models/Model.h"
#include "paths/Path.h"
#include "paths/PathState.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdlib>

const D3DLIGHT9 VisualScene::directionalLight = {
    D3DLIGHT_DIRECTIONAL,
    {0.65f, 0.65f, 0.65f, 1.0f},  // diffuse
    {1.0f, 1.0f, 1.0f, 1.0f},     // specular
    {0.35f, 0.35f, 0.35f, 1.0f},  // ambient
    {0.0f, 0.0f, 0.0f},           // position
    {1.0f, -0.8f, 1.0f},          // direction
    0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f,
};

const D3DLIGHT9 VisualScene::pointLight = {
    D3DLIGHT_POINT,
    {0.65f, 0.65f, 0.65f, 1.0f},
    {1.0f, 1.0f, 1.0f, 1.0f},
    {0.35f, 0.35f, 0.35f, 1.0f},
    {-25.0f, 150.0f, 0.0f},       // world space
    {0.0f, 0.0f, 0.0f},
    2000.0f,                      // range
    0.0f,                         // falloff
    1.0f, 0.0f, 0.0f,             // attenuation 0, 1, 2
    0.0f, 0.0f,                   // theta, phi
};


Object* VisualScene::castTo(ObjectType type) {
    return answerFor(type, TypeVisual, TypeVisualScene);
}

bool VisualScene::load(TiXmlElement* element) {
    model = static_cast<Model*>(database->find(element->Attribute("model"), TypeModel));
    camera = static_cast<Path*>(database->find(element->Attribute("camera"), TypePath));
    if (model == nullptr || camera == nullptr) return false;
    drivenNear.value = nearPlane;
    drivenFar.value = farPlane;
    drivenAspect.value = aspect;
    readDriven(database, element, "near", drivenNear);
    readDriven(database, element, "far", drivenFar);
    readDriven(database, element, "aspect", drivenAspect);
    driven = drivenNear.driven() || drivenFar.driven() || drivenAspect.driven();
    // Until the first frame (and for the editor's views) the planes are those at the start.
    nearPlane = drivenNear.at(0.0f);
    farPlane = drivenFar.at(0.0f);
    aspect = drivenAspect.at(0.0f);
    light = element->Attribute("light") != nullptr;  // the production writes light="bulb"
    return true;
}

void VisualScene::setRect(const Rect& r) {
    rect = r;
    const float s = 1.0f / std::tan(fov / 2.0f);
    // The horizontal scale follows the rectangle's shape; an empty rectangle keeps it square.
    const float shape = r.width > 0 ? static_cast<float>(r.height) / static_cast<float>(r.width) : 1.0f;
    projection = Matrix4();
    projection(0, 0) = s * shape * aspect;
    projection(1, 1) = s;
    projection(2, 2) = farPlane / (farPlane - nearPlane);
    projection(2, 3) = 1.0f;
    projection(3, 2) = -nearPlane * farPlane / (farPlane - nearPlane);
    viewport = {static_cast<DWORD>(r.x), static_cast<DWORD>(r.y), static_cast<DWORD>(r.width),
                static_cast<DWORD>(r.height), 0.0f, 1.0f};
}

bool VisualScene::render(float time, float delta) {
    if (model == nullptr || camera == nullptr) return true;
    PathState pose;
    if (!camera->evaluate(pose, time)) return false;
    if (driven) {
        nearPlane = drivenNear.at(time);
        farPlane = drivenFar.at(time);
        aspect = drivenAspect.at(time);
        setRect(rect);
    }

    D3DVIEWPORT9 saved;
    device->GetViewport(&saved);
    device->SetViewport(&viewport);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    const Matrix4 view = poseToView(pose);
    device->SetTransform(D3DTS_VIEW, &view);
    const Matrix4 world = identityMatrix();
    device->SetTransform(D3DTS_WORLD, &world);
    device->SetLight(0, light ? &pointLight : &directionalLight);
    device->LightEnable(0, TRUE);
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);  // the viewport's depth only
    model->render(time, delta);
    device->SetViewport(&saved);
    return true;
}
