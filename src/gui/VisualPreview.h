// VisualPreview: shows a visual in the largest centred 4:3 rectangle of its own rectangle, as the
// player's picture of the whole target would show it, scaled down: the player's own preview (the
// Gui's, over the whole window) at its own pixels, an editor's smaller one with placements shrunk.
// Owned by its visual (as the visual's editor) or by the Gui for the root visual.
// As an editor's panel, an overlay whose window does not hold the current time is drawn as at
// the middle of its window, under a note saying so; the panel still reports nothing drawn.
#pragma once

#include "gui/Label.h"
#include "gui/Widget.h"
#include "platform/d3d9/d3d9.h"

#include <string>

class Visual;

class VisualPreview : public Widget {
public:
    explicit VisualPreview(Visual* visual, bool editorPanel = false);
    ~VisualPreview() override;

    void setRect(const Rect& r) override;
    bool draw(float time, float delta) override;
    Rect getFitted() const { return fitted; }
    const std::string& getNote() const { return note; }  // the last frame's note; empty for none

    static Rect fit(const Rect& area);  // the largest 4:3 rectangle centred in area

private:
    float playerScale() const;  // the fitted rectangle's width over the player's picture's
    void drawNote();

    Visual* visual;  // not owned
    bool editorPanel;
    Rect fitted{};   // the 4:3 rectangle handed to the visual
    std::string note;
    Label noteText;  // measures the note

    static int instances;
    static ComRef<IDirect3DStateBlock9> noteState;  // the note's backing
};
