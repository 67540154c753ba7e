#include "gui/Box.h"

#include <algorithm>
#include <utility>

namespace {
constexpr int VirtualKeyTab = 9;
constexpr int VirtualKeyShift = 16;
}  // namespace

// --- layout ----------------------------------------------------------------------------------------

void Box::childChanged() {
    // Measure along the axis (a) and across it (c); the HBox's a is x, the VBox's is y.
    int along = 0, across = 0;
    bool allFixedAlong = true, anyFixedAcross = false;
    stretchCount = 0;
    for (int i = 0; i < count; ++i) {
        const SizeHint h = children[i]->getSizeHint();
        const int a = horizontal ? h.width : h.height;
        const int c = horizontal ? h.height : h.width;
        const bool fixedAlong = horizontal ? h.fixedWidth : h.fixedHeight;
        const bool fixedAcross = horizontal ? h.fixedHeight : h.fixedWidth;
        along += a;
        across = std::max(across, c);
        if (!fixedAlong) {
            ++stretchCount;
            allFixedAlong = false;
        }
        if (fixedAcross) anyFixedAcross = true;
    }
    if (count > 1) along += (count - 1) * spacing;
    if (horizontal)
        sizeHint = {along, across, allFixedAlong, anyFixedAcross};
    else
        sizeHint = {across, along, anyFixedAcross, allFixedAlong};
    layout();
}

void Box::layout() {
    const int start = horizontal ? rect.x : rect.y;
    const int length = horizontal ? rect.width : rect.height;
    const int acrossStart = horizontal ? rect.y : rect.x;
    const int acrossLength = horizontal ? rect.height : rect.width;
    int spare = length - (horizontal ? sizeHint.width : sizeHint.height);
    int stretching = stretchCount;
    int cursor = start;
    for (int i = 0; i < count; ++i) {
        const SizeHint h = children[i]->getSizeHint();
        const int hintAlong = horizontal ? h.width : h.height;
        const int hintAcross = horizontal ? h.height : h.width;
        int along = hintAlong;
        if (!(horizontal ? h.fixedWidth : h.fixedHeight)) {
            // Integer shares: the last stretching child takes what the divisions left over.
            const int share = stretching > 0 ? spare / stretching : 0;
            along += share;
            spare -= share;
            --stretching;
        }
        int across = acrossLength, acrossPosition = acrossStart;
        if (horizontal ? h.fixedHeight : h.fixedWidth) {
            across = hintAcross;
            acrossPosition = acrossStart + (acrossLength - hintAcross) / 2;
        }
        if (horizontal)
            children[i]->setRect({cursor, acrossPosition, along, across});
        else
            children[i]->setRect({acrossPosition, cursor, across, along});
        cursor += along + spacing;
    }
}

void Box::setChildren(Widget* const* list, int newCount) {
    releaseFocus();
    releaseHover();
    for (int i = 0; i < count; ++i) {
        // A child that stays keeps its host: detaching it would tell it that it left the tree.
        if (std::find(list, list + newCount, children[i]) == list + newCount) attach(children[i], nullptr);
    }
    children = newCount > 0 ? list : nullptr;
    count = newCount > 0 ? newCount : 0;
    for (int i = 0; i < count; ++i)
        if (children[i]->getHost() != &embeddedHost) attach(children[i], &embeddedHost);
    if (focused) focusChild(0);
    embeddedHost.childChanged();
}

// --- behaviour -------------------------------------------------------------------------------------

bool Box::key(int virtualKey, bool down) {
    if (Container::key(virtualKey, down)) return true;
    if (virtualKey != VirtualKeyTab || !down) return false;
    const bool backward = host && host->isKeyDown(VirtualKeyShift);
    return backward ? focusPrevious() : focusNext();
}

void Box::leftButton(Point p, int action) {
    if (!updateHover(p)) return;
    Widget* target = hoveredChild;
    target->leftButton(p, action);
    // Clicking a focusable child focuses it; labels and images refuse and the focus stays.
    if (action == 0 && focused && target != focusedChild && target->focusIn(2)) {
        if (focusedChild) focusedChild->focusOut();
        focusedChild = target;
    }
}

bool Box::focusChild(int direction) {
    if (focusedChild) return true;
    switch (direction) {
    case 0: return focusNext();
    case 1: return focusPrevious();
    default:
        if (hoveredChild && hoveredChild->focusIn(2)) {
            focusedChild = hoveredChild;
            return true;
        }
        return false;
    }
}

bool Box::focusNext() {
    int start = 0;
    if (focusedChild) {
        start = static_cast<int>(std::find(children, children + count, focusedChild) - children) + 1;
        std::exchange(focusedChild, nullptr)->focusOut();
    }
    for (int i = start; i < count; ++i) {
        if (children[i]->focusIn(0)) {
            focusedChild = children[i];
            return true;
        }
    }
    return false;
}

bool Box::focusPrevious() {
    int start = count - 1;
    if (focusedChild) {
        start = static_cast<int>(std::find(children, children + count, focusedChild) - children) - 1;
        std::exchange(focusedChild, nullptr)->focusOut();
    }
    for (int i = start; i >= 0; --i) {
        if (children[i]->focusIn(1)) {
            focusedChild = children[i];
            return true;
        }
    }
    return false;
}

bool Box::updateHover(Point p) {
    if (hoveredChild && hoveredChild->hitTest(p)) return true;
    releaseHover();
    for (int i = 0; i < count; ++i) {
        if (children[i]->hitTest(p)) {
            hoveredChild = children[i];
            return true;
        }
    }
    return false;
}

// --- drawing ---------------------------------------------------------------------------------------

bool Box::draw(float time, float delta) {
    bool all = true;
    for (int i = 0; i < count; ++i) all = children[i]->draw(time, delta) && all;
    return all;
}
