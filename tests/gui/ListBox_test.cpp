// The object list: clamping of the selection and the first row, scrolling by wheel with its
// remainder, selection by keys and clicks, and the rows it draws.
#include "gui/ListBox.h"
#include "gui/ListListener.h"

#include "support/TestDevice.h"
#include "support/TestDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string floats(int count) {
    std::string text = "<demo>";
    for (int i = 0; i < count; ++i) text += "<float name=\"Value " + std::to_string(i) + "\"/>";
    return text + "</demo>";
}

struct Selections : ListListener {
    void selectionChanged(ListBox*, int index) override { indices.push_back(index); }
    std::vector<int> indices;
};

class ListBoxTest : public ::testing::Test {
protected:
    // A list of `count` names with room for `rows` whole rows (and a bit).
    void build(int count, int rows) {
        doc = std::make_unique<TestDocument>(floats(count).c_str());
        ASSERT_TRUE(doc->loaded);
        ASSERT_TRUE(list.init(&doc->database, &heard));
        ASSERT_GT(ListBox::getRowHeight(), 0);
        list.setRect({10, 20, ListBox::getRowWidth(), rows * ListBox::getRowHeight() + 3});
        ASSERT_EQ(list.getVisibleRows(), rows);
    }
    int rowY(int k) const { return 20 + k * ListBox::getRowHeight() + 1; }

    TestDevice screen{256, 256};
    std::unique_ptr<TestDocument> doc;
    Selections heard;
    ListBox list;
};

TEST_F(ListBoxTest, HintIsTheWidthOfALongNameAndOneRow) {
    build(3, 10);
    const SizeHint h = list.getSizeHint();
    EXPECT_EQ(h.width, ListBox::getRowWidth());
    EXPECT_EQ(h.height, ListBox::getRowHeight());
    EXPECT_TRUE(h.fixedWidth);
    EXPECT_FALSE(h.fixedHeight);
    EXPECT_GT(ListBox::getRowWidth(), 5 * ListBox::getRowHeight());  // "Some Long Object Name"
    EXPECT_TRUE(list.focusIn(0));
}

TEST_F(ListBoxTest, AShortListCannotScroll) {
    build(3, 10);
    list.wheel({12, 25}, -5.0f);
    EXPECT_EQ(list.getFirst(), 0);
    list.wheel({12, 25}, 3.0f);
    EXPECT_EQ(list.getFirst(), 0);
    EXPECT_TRUE(heard.indices.empty());  // the wheel never selects
}

TEST_F(ListBoxTest, WheelScrollsByWholeNotchesAndKeepsTheRemainder) {
    build(20, 5);
    list.wheel({12, 25}, -0.5f);
    EXPECT_EQ(list.getFirst(), 0);
    list.wheel({12, 25}, -0.5f);  // the two halves make one notch towards the user: down a row
    EXPECT_EQ(list.getFirst(), 1);
    list.wheel({12, 25}, -3.0f);
    EXPECT_EQ(list.getFirst(), 4);
    EXPECT_EQ(list.getSelected(), 0);  // scrolled away from the selection, which stays
    list.wheel({12, 25}, 1.75f);
    EXPECT_EQ(list.getFirst(), 3);
    list.wheel({12, 25}, 0.25f);
    EXPECT_EQ(list.getFirst(), 2);
    list.wheel({12, 25}, -100.0f);
    EXPECT_EQ(list.getFirst(), 15);  // never past the last full page
    list.wheel({12, 25}, 100.0f);
    EXPECT_EQ(list.getFirst(), 0);
}

TEST_F(ListBoxTest, KeysMoveTheSelectionWithinRangeAndKeepItVisible) {
    build(8, 3);
    EXPECT_TRUE(list.key(38, true));  // up at the top stays at 0
    EXPECT_EQ(list.getSelected(), 0);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(list.key(40, true));
    EXPECT_EQ(list.getSelected(), 4);
    EXPECT_EQ(list.getFirst(), 2);  // the selection is the last visible row
    for (int i = 0; i < 10; ++i) list.key(40, true);
    EXPECT_EQ(list.getSelected(), 7);
    EXPECT_EQ(list.getFirst(), 5);
    EXPECT_FALSE(list.key(40, false));
    EXPECT_FALSE(list.key(13, true));
    ASSERT_EQ(heard.indices.size(), 15u);
    EXPECT_EQ(heard.indices.front(), 0);
    EXPECT_EQ(heard.indices.back(), 7);
    list.wheel({12, 25}, 10.0f);  // scroll to the top, then a key brings the selection back
    EXPECT_EQ(list.getFirst(), 0);
    list.key(38, true);
    EXPECT_EQ(list.getSelected(), 6);
    EXPECT_EQ(list.getFirst(), 4);
}

TEST_F(ListBoxTest, ClickSelectsTheRowUnderThePointer) {
    build(10, 4);
    list.wheel({12, 25}, -2.0f);
    ASSERT_EQ(list.getFirst(), 2);
    list.leftButton({15, rowY(1)}, 0);
    EXPECT_EQ(list.getSelected(), 3);
    ASSERT_EQ(heard.indices.size(), 1u);
    EXPECT_EQ(heard.indices[0], 3);
    list.leftButton({15, rowY(2)}, 2);  // releases and double-clicks are ignored
    list.leftButton({15, rowY(2)}, 1);
    EXPECT_EQ(list.getSelected(), 3);
    list.leftButton({15, rowY(3) + 2 * ListBox::getRowHeight()}, 0);  // below the last row
    EXPECT_EQ(list.getSelected(), 7);
}

TEST_F(ListBoxTest, ShrinkingKeepsTheSelectionVisible) {
    build(10, 8);
    for (int i = 0; i < 6; ++i) list.key(40, true);
    list.setRect({10, 20, ListBox::getRowWidth(), 2 * ListBox::getRowHeight()});
    EXPECT_EQ(list.getVisibleRows(), 2);
    EXPECT_EQ(list.getFirst(), 5);
    list.clamp(true);
    EXPECT_EQ(list.getFirst(), 5);
}

TEST_F(ListBoxTest, DrawsOnlyTheRowsThatExistWithTheSelectionInGreen) {
    build(3, 10);
    list.key(40, true);  // select row 1
    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1.0f, 0);
    EXPECT_TRUE(list.draw(0, 0.01f));
    screen->EndScene();
    auto inkIn = [&](int k, bool green) {
        int found = 0;
        for (int y = 20 + k * ListBox::getRowHeight(); y < 20 + (k + 1) * ListBox::getRowHeight(); ++y) {
            for (int x = 10; x < 10 + ListBox::getRowWidth(); ++x) {
                const DWORD p = screen.pixel(x, y);
                const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
                if (r > 200 && g > 200 && b > 200) continue;  // background
                if (green ? (g > r + 20 && g > b) : (std::abs(r - g) < 24 && std::abs(g - b) < 24)) ++found;
            }
        }
        return found;
    };
    EXPECT_GT(inkIn(0, false), 10);
    EXPECT_GT(inkIn(1, true), 10);
    EXPECT_GT(inkIn(2, false), 10);
    EXPECT_EQ(inkIn(3, false) + inkIn(3, true), 0);  // no fourth name
}

}  // namespace

// Letters typed in a row jump to the next name that starts with them (in any case); the same
// letter again steps on. Each row ends in its type's tag, coloured by family.
TEST(ListBoxTypes, TypingJumpsToANameAndEachRowShowsItsType) {
    TestDevice screen{256, 128};
    TestDocument doc("<demo><float name=\"Alpha\"/><model.group name=\"Beta\"/><visual.group name=\"bravo\"/>"
                     "<float name=\"Charlie\"/><model.sqaure name=\"Blob\"/></demo>");
    ASSERT_TRUE(doc.loaded);
    Selections heard;
    ListBox list;
    ASSERT_TRUE(list.init(&doc.database, &heard));
    list.setRect({0, 0, ListBox::getRowWidth(), 5 * ListBox::getRowHeight()});
    list.character('b');
    list.character('r');
    EXPECT_EQ(list.getSelected(), 2);  // "br": bravo
    list.character('x');
    EXPECT_EQ(list.getSelected(), 2);  // "brx" names nothing: the selection stays
    EXPECT_EQ(heard.indices, (std::vector<int>{1, 2}));

    screen->BeginScene();
    screen->Clear(0, nullptr, D3DCLEAR_TARGET, 0xffffffff, 1.0f, 0);
    list.draw(0, 0.01f);
    screen->EndScene();
    // The dominant hue of the ink in a row's last 40 pixels, where the tag stands.
    auto tagInk = [&](int row) {
        int blue = 0, magenta = 0, grey = 0, red = 0;
        for (int y = row * ListBox::getRowHeight(); y < (row + 1) * ListBox::getRowHeight(); ++y)
            for (int x = ListBox::getRowWidth() - 40; x < ListBox::getRowWidth(); ++x) {
                const DWORD p = screen.pixel(x, y);
                const int r = (p >> 16) & 0xff, g = (p >> 8) & 0xff, b = p & 0xff;
                if (r > 200 && g > 200 && b > 200) continue;
                if (b > r + 30 && b > g + 30) ++blue;
                else if (r > g + 30 && b > g + 30) ++magenta;
                else if (r > g + 40 && r > b + 40) ++red;
                else if (std::abs(r - g) < 20 && std::abs(g - b) < 20) ++grey;
            }
        return std::vector<int>{blue, magenta, grey, red};
    };
    auto dominant = [&](int row) {
        std::vector<int> ink = tagInk(row);
        return static_cast<int>(std::max_element(ink.begin(), ink.end()) - ink.begin());
    };
    EXPECT_EQ(dominant(0), 2);  // float: grey
    EXPECT_EQ(dominant(1), 0);  // model.group: blue
    EXPECT_EQ(dominant(2), 1);  // visual.group: magenta
    EXPECT_EQ(dominant(4), 3);  // no such type: red
}
