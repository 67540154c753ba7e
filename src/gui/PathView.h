// PathView: what the path editor's two 3-D views share. Each draws the path's preview model
// through its own camera into its rectangle, and turns mouse drags into one of three kinds: a
// plain left drag, the right button's drag (or left with Shift) and a roll (middle, or left with
// Control). A drag holds the mouse capture; none starts while another runs.
#pragma once

#include "gui/FocusMark.h"
#include "gui/Widget.h"
#include "paths/Matrix4.h"
#include "platform/d3d9/d3d9.h"

class Model;
class PathSpline;
class VisualScene;

class PathView : public Widget {
public:
    void leftButton(Point p, int action) override;
    void middleButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void mouseLeave() override;

    Model* getModel() const { return model; }
    float getNear() const { return nearPlane; }
    float getFar() const { return farPlane; }
    bool isDragging() const { return drag != Drag::None; }
    const D3DVIEWPORT9& getViewport() const { return viewport; }
    const Matrix4& getView() const { return view; }

protected:
    FocusMark focusMark;  // drawn last by each view
    enum class Drag { None, Left, Right, Roll };

    explicit PathView(PathSpline* path) : path(path) {}

    // Sets `model` from the path's preview, a model or a scene's; returns the scene, if it is one.
    VisualScene* takePreview();

    virtual void dragStarts() {}  // remembers what the drag starts from, dragStart already set

    // Saves the viewport into `saved`, clears this view's and draws the model in it; false when
    // there is nothing to draw into (then `saved` is untouched).
    bool drawModel(float time, float delta, D3DVIEWPORT9& saved);

    PathSpline* path;        // not owned
    Model* model = nullptr;  // not owned
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;

    Drag drag = Drag::None;
    Point dragStart{};

    Matrix4 view;
    Matrix4 projection;
    D3DVIEWPORT9 viewport{0, 0, 4, 4, 0.0f, 1.0f};

private:
    void beginDrag(Point p, Drag kind);
    void endDrag(Drag kind);  // the capture goes back; the drag ends if it is of `kind`
};
