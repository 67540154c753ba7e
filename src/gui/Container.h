// Container: what Box, Frame and the Gui share: an embedded WidgetHost handed to the children,
// the focused and hovered child links, and the routing of input to them. Containers never own
// their children; the panels that own both keep the child lists alive.
#pragma once

#include "gui/Widget.h"
#include "gui/WidgetHost.h"

class Container : public Widget {
public:
    Container();
    ~Container() override;

    bool focusIn(int direction) override;
    void focusOut() override;
    bool key(int virtualKey, bool down) override;  // to the focused child
    void character(int code) override;
    void mouseLeave() override;
    void mouseMove(Point p) override;
    void leftButton(Point p, int action) override;
    void middleButton(Point p, int action) override;
    void rightButton(Point p, int action) override;
    void wheel(Point p, float notches) override;
    void setRect(const Rect& r) override;  // store, then layout

    virtual bool focusChild(int direction) = 0;  // give the focus to a child
    virtual bool updateHover(Point p) = 0;       // find the child under p; true if there is one
    virtual void releaseFocus();                 // focusOut on the focused child, forget it
    virtual void releaseHover();                 // mouseLeave on the hovered child, forget it
    virtual void layout() = 0;                   // assign rectangles to the children
    virtual void childChanged() = 0;             // re-measure sizeHint from the children, then layout

    Widget* getFocusedChild() const { return focusedChild; }
    Widget* getHoveredChild() const { return hoveredChild; }
    WidgetHost* childHost() { return &embeddedHost; }

protected:
    // The host side the children see: childChanged re-measures this container, everything else
    // goes up to this container's own host (nothing, or false, without one).
    class ChildHost : public WidgetHost {
    public:
        explicit ChildHost(Container* owner) : owner(owner) {}
        void childChanged() override { owner->childChanged(); }
        void beginWindowDrag() override;
        bool isKeyDown(int virtualKey) override;
        bool setCapture(Widget* widget) override;
        void releaseCapture() override;
        void showCursor(bool show) override;
        bool markCaption(bool marked) override;

    private:
        Container* owner;  // the container this host is embedded in
    };

    // Sends a child its new host; used when children are set and replaced.
    static void attach(Widget* child, WidgetHost* h) { if (child) child->setHost(h); }

    ChildHost embeddedHost{this};
    Widget* focusedChild = nullptr;  // not owned; null when no child has the focus
    Widget* hoveredChild = nullptr;  // not owned; null when the mouse is over no child
};
