// A root widget that writes every call it receives into a shared log, as text ("key 65 1",
// "leftButton 10 20 0"), so that tests can compare what the display delivered, in order.
#pragma once

#include "gui/Widget.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

class RecordingWidget : public Widget {
public:
    RecordingWidget(std::string name, std::vector<std::string>& log) : name(std::move(name)), log(log) {}

    bool draw(float time, float delta) override {
        ++draws;
        if (onDraw) onDraw();
        return drawResult;
    }
    bool focusIn(int direction) override { return note("focusIn " + std::to_string(direction)), Widget::focusIn(direction); }
    void focusOut() override { note("focusOut"), Widget::focusOut(); }
    bool key(int virtualKey, bool down) override {
        note("key " + std::to_string(virtualKey) + " " + std::to_string(down));
        return false;
    }
    void character(int code) override { note("character " + std::to_string(code)); }
    bool hitTest(Point p) override { return note("hitTest" + at(p)), Widget::hitTest(p); }
    void mouseLeave() override { note("mouseLeave"), Widget::mouseLeave(); }
    void mouseMove(Point p) override { note("mouseMove" + at(p)); }
    void leftButton(Point p, int action) override { note("leftButton" + at(p) + " " + std::to_string(action)); }
    void middleButton(Point p, int action) override { note("middleButton" + at(p) + " " + std::to_string(action)); }
    void rightButton(Point p, int action) override { note("rightButton" + at(p) + " " + std::to_string(action)); }
    void wheel(Point p, float notches) override {
        char text[64];
        std::snprintf(text, sizeof text, "wheel%s %+.3f", at(p).c_str(), notches);
        note(text);
    }
    void setHost(WidgetHost* h) override { note(h ? "setHost" : "setHost none"), Widget::setHost(h); }
    void setRect(const Rect& r) override {
        note("setRect " + std::to_string(r.x) + " " + std::to_string(r.y) + " " + std::to_string(r.width) + " " +
             std::to_string(r.height));
        Widget::setRect(r);
    }

    int draws = 0;
    bool drawResult = true;
    std::function<void()> onDraw;

private:
    static std::string at(Point p) { return " " + std::to_string(p.x) + " " + std::to_string(p.y); }
    void note(const std::string& call) { log.push_back(name + "." + call); }

    std::string name;
    std::vector<std::string>& log;
};
