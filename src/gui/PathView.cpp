#include "gui/PathView.h"

#include "app/Device.h"
#include "gui/EditHistory.h"
#include "gui/EditorViewing.h"
#include "gui/WidgetHost.h"
#include "database/Database.h"
#include "models/Model.h"
#include "models/ModelGroup.h"
#include "paths/PathSpline.h"
#include "visuals/VisualScene.h"

#include <cstring>

namespace {
constexpr int VirtualKeyShift = 16, VirtualKeyControl = 17;
}  // namespace

namespace {

// Without a preview of its own, a path is shown where it is used: the scene that has it as its
// camera, or else the group that places a model along it.
Object* userOf(PathSpline* path) {
    Database* database = path->database;
    if (database == nullptr) return nullptr;
    const Path* asPath = path;
    for (const char* keyword : {"visual.scene", "model.group"}) {
        for (int i = 0; i < database->count(); ++i) {
            const char* tag = database->keywordAt(i);
            if (tag == nullptr || std::strcmp(tag, keyword) != 0) continue;
            Object* object = database->objectAt(i);
            if (object == nullptr) continue;
            if (Object* scene = object->castTo(TypeVisualScene)) {
                if (static_cast<VisualScene*>(scene)->getCamera() == asPath) return scene;
            } else if (Object* group = object->castTo(TypeModelGroup)) {
                for (const ModelItem& item : static_cast<ModelGroup*>(group)->getItems())
                    if (item.path == asPath && item.model != nullptr) return group;
            }
        }
    }
    return nullptr;
}

}  // namespace

VisualScene* PathView::takePreview() {
    model = nullptr;
    Object* preview = path ? path->getPreview() : nullptr;
    if (preview == nullptr && path != nullptr) preview = userOf(path);
    if (Object* found = preview ? preview->castTo(TypeVisualScene) : nullptr) {
        auto* scene = static_cast<VisualScene*>(found);
        model = scene->getModel();
        return scene;
    }
    if (Object* found = preview ? preview->castTo(TypeModel) : nullptr) model = static_cast<Model*>(found);
    return nullptr;
}

void PathView::beginDrag(Point p, Drag kind) {
    if (isDragging() || !host || !host->setCapture(this)) return;
    dragStart = p;
    dragStarts();
    drag = kind;
    // A drag that moves or rolls the key is one step of the editor's undo; one that only turns
    // the camera changes nothing and leaves none.
    EditHistory::beginEdit(path);
}

void PathView::endDrag(Drag kind) {
    // Every button's release gives the capture back: the mouse is never kept once a button is up.
    if (drag == kind) {
        drag = Drag::None;
        EditHistory::endEdit();
    }
    if (host) host->releaseCapture();
}

void PathView::leftButton(Point p, int action) {
    if (action == 0) {
        if (!host) return;
        if (host->isKeyDown(VirtualKeyControl))
            beginDrag(p, Drag::Roll);
        else if (host->isKeyDown(VirtualKeyShift))
            beginDrag(p, Drag::Right);
        else
            beginDrag(p, Drag::Left);
        return;
    }
    endDrag(drag);  // whichever drag runs
}

void PathView::middleButton(Point p, int action) {
    if (action == 0)
        beginDrag(p, Drag::Roll);
    else
        endDrag(Drag::Roll);
}

void PathView::rightButton(Point p, int action) {
    if (action == 0)
        beginDrag(p, Drag::Right);
    else
        endDrag(Drag::Right);
}

void PathView::mouseLeave() {
    hovered = false;
    if (drag != Drag::None) EditHistory::endEdit();
    drag = Drag::None;
}

bool PathView::drawModel(float time, float delta, D3DVIEWPORT9& saved) {
    if (!device || viewport.Width == 0 || viewport.Height == 0) return false;
    device->GetViewport(&saved);
    device->SetViewport(&viewport);
    device->SetTransform(D3DTS_PROJECTION, &projection);
    device->SetTransform(D3DTS_VIEW, &view);
    const Matrix4 identity = identityMatrix();
    device->SetTransform(D3DTS_WORLD, &identity);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    setEditorLight();
    if (model) model->render(time, delta);
    return true;
}
