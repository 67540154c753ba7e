// Test helpers for the toolkit: a WidgetHost that stands where the display would (key state,
// capture, cursor and window drags are recorded, not performed) and a plain widget whose focus
// acceptance and hint a test chooses, counting the calls it receives.
#pragma once

#include "gui/Widget.h"
#include "gui/WidgetHost.h"

#include <set>

class RecordingHost : public WidgetHost {
public:
    void childChanged() override { ++childChanges; }
    void beginWindowDrag() override { ++windowDrags; }
    bool isKeyDown(int virtualKey) override { return keysDown.count(virtualKey) != 0; }
    bool setCapture(Widget* widget) override {
        if (!grantCapture) return false;
        capture = widget;
        return true;
    }
    void releaseCapture() override {
        capture = nullptr;
        ++captureReleases;
    }
    void showCursor(bool show) override {
        cursorShown = show;
        ++cursorChanges;
    }
    bool markCaption(bool marked) override { return false; }

    std::set<int> keysDown;   // keys a test holds down
    bool grantCapture = true;  // false plays a window that did not get the capture
    Widget* capture = nullptr;
    int captureReleases = 0;
    int childChanges = 0;
    int windowDrags = 0;
    bool cursorShown = false;
    int cursorChanges = 0;
};

class ProbeWidget : public Widget {
public:
    explicit ProbeWidget(bool acceptsFocus = true, bool drawResult = true)
        : acceptsFocus(acceptsFocus), drawResult(drawResult) {}

    bool focusIn(int direction) override {
        lastFocusDirection = direction;
        focused = acceptsFocus;
        return acceptsFocus;
    }
    bool draw(float, float) override {
        ++draws;
        return drawResult;
    }
    bool key(int virtualKey, bool down) override {
        lastKey = virtualKey;
        return handlesKeys;
    }
    void leftButton(Point p, int action) override {
        ++leftButtons;
        lastAction = action;
    }
    void wheel(Point, float notches) override { wheelNotches += notches; }
    void mouseMove(Point p) override { ++moves; }

    bool acceptsFocus;
    bool drawResult;
    bool handlesKeys = false;
    int lastFocusDirection = -1;
    int lastKey = 0;
    int draws = 0;
    int leftButtons = 0;
    int lastAction = -1;
    int moves = 0;
    float wheelNotches = 0;
};
