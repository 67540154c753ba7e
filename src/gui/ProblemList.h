// ProblemList: what is wrong with the document, one problem a line as the tools print it ("file:line
// 14: Pot: the texture ..."), wrapped to the width in the label font, black on the editor's panel,
// the selected problem in green. Up, Down, a click or Enter choose a problem and tell the editor the
// object it names; the wheel scrolls. At most a few rows high; empty when there is nothing wrong.
#pragma once

#include "gui/Label.h"

#include <functional>
#include <string>
#include <vector>

class ProblemList : public Label {
public:
    ProblemList();
    bool init();  // the label font; false without it

    void setLines(std::vector<std::string> lines);
    const std::vector<std::string>& getLines() const { return lines; }
    int getSelected() const { return selected; }
    int getRowHeight() const { return rowHeight; }
    int getRowCount() const { return static_cast<int>(rows.size()); }
    // Told the object a chosen problem names, when it names one.
    void setChooser(std::function<void(const std::string& name)> chooser) { choose = std::move(chooser); }
    // The object a problem line names: the field after the file and line, a name or an element's
    // keyword and quoted name; empty when it names none.
    static std::string objectOf(const std::string& line);

    bool draw(float time, float delta) override;
    bool focusIn(int direction) override;
    bool key(int virtualKey, bool down) override;
    void leftButton(Point p, int action) override;
    void wheel(Point p, float notches) override;
    void setRect(const Rect& r) override;

private:
    struct Row {
        int line;          // index into lines
        std::string text;  // the part of it on this row
    };
    void wrap();             // rows from lines at the current width
    void pick(int line);     // selects and tells
    int rowOf(int line) const;

    std::vector<std::string> lines;
    std::vector<Row> rows;
    int wrappedWidth = -1;
    int rowHeight = 13;
    int first = 0;  // first visible row
    int selected = -1;
    std::function<void(const std::string&)> choose;
};
