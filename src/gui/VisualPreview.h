// VisualPreview: shows a visual in the largest centred 4:3 rectangle of its own rectangle, as the
// player's picture of the whole target would show it, scaled down: the player's own preview (the
// Gui's, over the whole window) at its own pixels, an editor's smaller one with placements shrunk.
// Owned by its visual (as the visual's editor) or by the Gui for the root visual.
#pragma once

#include "gui/Widget.h"

class Visual;

class VisualPreview : public Widget {
public:
    explicit VisualPreview(Visual* visual);
    ~VisualPreview() override;

    void setRect(const Rect& r) override;
    bool draw(float time, float delta) override;
    Rect getFitted() const { return fitted; }

    static Rect fit(const Rect& area);  // the largest 4:3 rectangle centred in area

private:
    float playerScale() const;  // the fitted rectangle's width over the player's picture's

    Visual* visual;  // not owned
    Rect fitted{};   // the 4:3 rectangle handed to the visual
};
