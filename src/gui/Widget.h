// Widget: the base of every element of the user interface, with integer pixel geometry in the
// window's client area (origin top-left). Widgets never own their children: panels hold their
// widgets as members. Input arrives from the display (or the widget's container) as calls below.
#pragma once

struct Point {
    int x = 0;
    int y = 0;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct SizeHint {
    int width = 0;
    int height = 0;
    bool fixedWidth = false;   // used exactly by the parent's layout; free stretches
    bool fixedHeight = false;
};

class WidgetHost;

class Widget {
public:
    Widget() = default;
    virtual ~Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    virtual bool draw(float time, float delta) { return true; }
    virtual bool focusIn(int direction);  // 0 forward, 1 backward, 2 by mouse click
    virtual void focusOut() { focused = false; }
    virtual bool key(int virtualKey, bool down) { return false; }
    virtual void character(int code) {}
    virtual bool hitTest(Point p);
    virtual void mouseLeave() { hovered = false; }
    virtual void mouseMove(Point p) {}
    virtual void leftButton(Point p, int action) {}  // 0 press, 1 double-click, 2 release
    virtual void middleButton(Point p, int action) {}
    virtual void rightButton(Point p, int action) {}
    virtual void wheel(Point p, float notches) {}  // +1.0 per detent away from the user
    virtual void setHost(WidgetHost* h) { host = h; }
    virtual void setRect(const Rect& r) { rect = r; }
    virtual WidgetHost* getHost() { return host; }
    virtual Rect getRect() { return rect; }
    virtual SizeHint getSizeHint() { return sizeHint; }

    void setSizeHint(int width, int height, bool fixedWidth, bool fixedHeight) {
        sizeHint = {width, height, fixedWidth, fixedHeight};
    }

    // False keeps the widget out of the keyboard focus and the Tab order: the mouse and shortcuts
    // still reach it.
    void setTakesFocus(bool takes) { takesFocus = takes; }
    bool isFocused() const { return focused; }
    bool isHovered() const { return hovered; }

protected:
    WidgetHost* host = nullptr;  // not owned; the parent's host side, or the display for the root
    Rect rect{0, 0, 4, 4};       // assigned by the parent
    SizeHint sizeHint{};         // preferred size
    bool focused = false;        // has the keyboard focus
    bool takesFocus = true;      // focusIn accepts the focus
    bool hovered = false;        // the mouse is over it, as last tested
};
