#include "gui/ProblemList.h"

#include <algorithm>

namespace {
constexpr int VirtualKeyReturn = 13, VirtualKeyUp = 38, VirtualKeyDown = 40;
constexpr int MostRows = 6;  // the object list keeps the rest of the editor
constexpr D3DCOLOR TextColour = 0xff000000, SelectedColour = 0xff609030, FocusColour = 0xff3060b0;

}  // namespace

ProblemList::ProblemList() { setSizeHint(0, 0, false, true); }

bool ProblemList::init() {
    int width = 0;
    if (!setText("") || !measure("Ag", &width, &rowHeight)) return false;
    rowHeight = std::max(rowHeight, 1);
    setSizeHint(0, 0, false, true);
    return true;
}

std::string ProblemList::objectOf(const std::string& line) {
    // Fields split at ": "; the file name may hold ':' but never ": ".
    std::vector<std::string> fields;
    for (std::size_t at = 0;;) {
        const std::size_t next = line.find(": ", at);
        fields.push_back(line.substr(at, next == std::string::npos ? std::string::npos : next - at));
        if (next == std::string::npos) break;
        at = next + 2;
    }
    // "file:line 3: Pot: ...", "file:3: texture.file "Pot": ...", "file: Main: ...": the second field.
    if (fields.size() < 3) return "";  // file: message, naming nothing
    const std::string& field = fields[1];
    const std::size_t open = field.find('"');
    if (open != std::string::npos) {
        const std::size_t close = field.find('"', open + 1);
        return close == std::string::npos ? "" : field.substr(open + 1, close - open - 1);
    }
    if (field.empty() || field.find(' ') != std::string::npos) return "";  // a sentence, not a name
    return field;
}

void ProblemList::setLines(std::vector<std::string> newLines) {
    lines = std::move(newLines);
    selected = std::min(selected, static_cast<int>(lines.size()) - 1);
    first = 0;
    wrappedWidth = -1;
    wrap();
}

void ProblemList::setRect(const Rect& r) {
    rect = r;
    wrap();
}

void ProblemList::wrap() {
    const int width = std::max(rect.width - 8, 40);
    if (width != wrappedWidth) {
        wrappedWidth = width;
        rows.clear();
        for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
            std::string rest = lines[i];
            const char* indent = "";
            while (!rest.empty()) {
                // The most that fits, broken after a blank when there is one.
                std::size_t fit = rest.size();
                int w = 0, h = 0;
                while (fit > 1 && measure((indent + rest.substr(0, fit)).c_str(), &w, &h) && w > width) fit = fit * 3 / 4;
                while (fit < rest.size() && measure((indent + rest.substr(0, fit + 1)).c_str(), &w, &h) && w <= width) ++fit;
                if (fit < rest.size()) {
                    const std::size_t blank = rest.rfind(' ', fit);
                    if (blank != std::string::npos && blank > 0) fit = blank + 1;
                }
                rows.push_back({i, indent + rest.substr(0, fit)});
                rest.erase(0, fit);
                indent = "    ";
            }
        }
    }
    const int shown = std::min(static_cast<int>(rows.size()), MostRows);
    if (sizeHint.height != shown * rowHeight) setSizeHint(0, shown * rowHeight, false, true);
    first = std::max(0, std::min(first, static_cast<int>(rows.size()) - shown));
}

int ProblemList::rowOf(int line) const {
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        if (rows[r].line == line) return r;
    return 0;
}

void ProblemList::pick(int line) {
    if (lines.empty()) return;
    selected = std::max(0, std::min(line, static_cast<int>(lines.size()) - 1));
    const int visible = std::max(1, rect.height / rowHeight);
    const int row = rowOf(selected);
    if (row < first) first = row;
    if (row >= first + visible) first = row - visible + 1;
    const std::string name = objectOf(lines[selected]);
    if (choose && !name.empty()) choose(name);
}

bool ProblemList::focusIn(int direction) {
    if (lines.empty()) return false;
    focused = true;
    return true;
}

bool ProblemList::key(int virtualKey, bool down) {
    if (!down || lines.empty()) return false;
    if (virtualKey == VirtualKeyUp) pick(selected - 1);
    else if (virtualKey == VirtualKeyDown) pick(selected + 1);
    else if (virtualKey == VirtualKeyReturn) pick(std::max(selected, 0));
    else return false;
    return true;
}

void ProblemList::leftButton(Point p, int action) {
    if (action != 0) return;
    const int row = first + (p.y - rect.y) / rowHeight;
    if (row >= 0 && row < static_cast<int>(rows.size())) pick(rows[row].line);
}

void ProblemList::wheel(Point, float notches) {
    first -= static_cast<int>(notches * 2.0f);
    wrap();
}

bool ProblemList::draw(float, float) {
    const int visible = rect.height / rowHeight;
    for (int r = first; r < static_cast<int>(rows.size()) && r < first + visible; ++r) {
        const D3DCOLOR colour = rows[r].line != selected ? TextColour : focused ? FocusColour : SelectedColour;
        drawText(rows[r].text.c_str(), {rect.x + 4, rect.y + (r - first) * rowHeight, rect.width - 4, rowHeight}, colour);
    }
    return true;
}
