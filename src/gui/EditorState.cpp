#include "gui/EditorState.h"

#include "gui/ModelPreviewView.h"
#include "gui/PathPanel.h"
#include "models/Model.h"
#include "paths/PathSpline.h"

bool ObjectView::of(Object* object, ObjectView* view) {
    if (Object* found = object ? object->castTo(TypePathSpline) : nullptr) {
        auto* path = static_cast<PathSpline*>(found);
        auto* panel = dynamic_cast<PathPanel*>(path->getEditor());
        if (!panel) return false;
        view->path = true;
        view->currentKey = path->getCurrentKey();
        view->throughKey = panel->getActiveView() == panel->getKeyView();
        view->distance = panel->getOrbitView()->getDistance();
        view->azimuth = panel->getOrbitView()->getAzimuth();
        view->elevation = panel->getOrbitView()->getElevation();
        return true;
    }
    if (Object* found = object ? object->castTo(TypeModel) : nullptr) {
        auto* viewer = dynamic_cast<ModelPreviewView*>(static_cast<Model*>(found)->getEditor());
        if (!viewer) return false;
        view->path = false;
        view->distance = viewer->getDistance();
        view->azimuth = viewer->getAzimuth();
        view->elevation = viewer->getElevation();
        view->panX = viewer->getPanX();
        view->panY = viewer->getPanY();
        return true;
    }
    return false;
}

bool ObjectView::applyTo(Object* object) const {
    if (Object* found = path && object ? object->castTo(TypePathSpline) : nullptr) {
        auto* spline = static_cast<PathSpline*>(found);
        auto* panel = dynamic_cast<PathPanel*>(spline->getEditor());
        if (!panel) return false;
        panel->showOrbitView(!throughKey);
        panel->getOrbitView()->setCamera(distance, azimuth, elevation);
        spline->selectKey(currentKey);  // clamped to the keys there are now; the views follow
        return true;
    }
    if (Object* found = !path && object ? object->castTo(TypeModel) : nullptr) {
        auto* viewer = dynamic_cast<ModelPreviewView*>(static_cast<Model*>(found)->getEditor());
        if (!viewer) return false;
        viewer->setCamera(distance, azimuth, elevation, panX, panY);
        return true;
    }
    return false;
}
