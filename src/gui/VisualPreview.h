// VisualPreview: shows a visual in the largest centred 4:3 rectangle of its own rectangle.
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
    Visual* visual;  // not owned
    Rect fitted{};   // the 4:3 rectangle handed to the visual
};
