// HelpOverlay: the keys and mouse actions of what is on screen, over the window: the help table's
// rows of the contexts given, under their headings, in three columns (input, where, effect) with
// long cells wrapped. Its owner shows it, routes the input to it while it is open (F1, Escape or
// a click close it) and draws it last.
#pragma once

#include "gui/Frame.h"
#include "gui/Label.h"

#include <string>
#include <vector>

class HelpOverlay : public Frame {
public:
    bool init();  // false without a font
    void show(const std::vector<const char*>& contexts);
    void hide() { contexts.clear(); }
    bool isShown() const { return !contexts.empty(); }
    const std::vector<const char*>& shownContexts() const { return contexts; }

    bool draw(float time, float delta) override;

private:
    // The lines of `text` that fit `width` pixels, broken between words.
    std::vector<std::string> wrap(const char* text, int width);

    std::vector<const char*> contexts;
    Label title;
};
