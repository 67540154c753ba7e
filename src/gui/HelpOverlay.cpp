#include "gui/HelpOverlay.h"

#include "gui/HelpTable.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int Padding = 8, ColumnGap = 10, RowGap = 3;
constexpr D3DCOLOR TextColour = 0xff000000, HeadingColour = 0xff203870, WhereColour = 0xff404850;

// The label font's extent of a line, from outside Label's own family.
struct TextMeasure : Label {
    static int width(const char* text) {
        int w = 0, h = 0;
        return measure(text, &w, &h) ? w : 0;
    }
    static int height() {
        int w = 0, h = 0;
        return measure("Ag", &w, &h) ? h : 13;
    }
};
}  // namespace

bool HelpOverlay::init() {
    return title.setText("Keys and mouse here (F1, Escape or a click closes this help)");
}

void HelpOverlay::show(const std::vector<const char*>& shown) {
    contexts = shown;
}

std::vector<std::string> HelpOverlay::wrap(const char* text, int width) {
    std::vector<std::string> lines;
    std::string line;
    const char* p = text;
    while (*p) {
        const char* end = std::strchr(p, ' ');
        if (!end) end = p + std::strlen(p);
        const std::string word(p, end);
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && TextMeasure::width(longer.c_str()) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        p = *end ? end + 1 : end;
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

bool HelpOverlay::draw(float, float) {
    if (!isShown()) return true;
    drawPanel();
    const int lineHeight = TextMeasure::height();
    // The last line is kept for saying that rows were left out.
    const int left = rect.x + Padding, bottom = rect.y + rect.height - Padding - lineHeight;
    const int inner = rect.width - 2 * Padding;
    // The input and where columns take what their cells need, up to a share of the width each;
    // the effect has the rest.
    int inputWidth = 0, whereWidth = 0;
    for (const HelpRow& row : helpTable()) {
        if (std::find_if(contexts.begin(), contexts.end(),
                         [&](const char* c) { return std::strcmp(c, row.context) == 0; }) == contexts.end())
            continue;
        inputWidth = std::max(inputWidth, TextMeasure::width(row.input));
        whereWidth = std::max(whereWidth, TextMeasure::width(row.where));
    }
    inputWidth = std::min(inputWidth, inner * 3 / 10);
    whereWidth = std::min(whereWidth, inner / 5);
    const int whereX = left + inputWidth + ColumnGap;
    const int effectX = whereX + whereWidth + (whereWidth > 0 ? ColumnGap : 0);
    const int effectWidth = std::max(40, left + inner - effectX);

    int y = rect.y + Padding;
    Label::drawText(title.getText(), {left, y, inner, lineHeight}, TextColour);
    y += lineHeight + 2 * RowGap;
    bool full = false;  // the rest is left out once a row does not fit
    for (const char* context : contexts) {
        full = full || y + lineHeight > bottom;
        if (full) break;
        Label::drawText(helpHeading(context), {left, y, inner, lineHeight}, HeadingColour);
        y += lineHeight + RowGap;
        for (const HelpRow& row : helpTable()) {
            if (std::strcmp(row.context, context) != 0) continue;
            const std::vector<std::string> cells[3] = {wrap(row.input, inputWidth), wrap(row.where, whereWidth),
                                                       wrap(row.effect, effectWidth)};
            const size_t lines = std::max({cells[0].size(), cells[1].size(), cells[2].size()});
            full = y + static_cast<int>(lines) * lineHeight > bottom;
            if (full) break;
            const int xs[3] = {left, whereX, effectX}, widths[3] = {inputWidth, whereWidth, effectWidth};
            const D3DCOLOR colours[3] = {TextColour, WhereColour, TextColour};
            for (int column = 0; column < 3; ++column)
                for (size_t i = 0; i < cells[column].size(); ++i)
                    Label::drawText(cells[column][i].c_str(),
                                    {xs[column], y + static_cast<int>(i) * lineHeight, widths[column], lineHeight},
                                    colours[column]);
            y += static_cast<int>(lines) * lineHeight + RowGap;
        }
        y += RowGap;
    }
    if (full)  // a small window: the rest is where the table comes from
        Label::drawText("More than fits here: see the README's \"Keys\"", {left, bottom, inner, lineHeight}, HeadingColour);
    return true;
}
