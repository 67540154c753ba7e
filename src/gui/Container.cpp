#include "gui/Container.h"

#include <utility>

Container::Container() = default;
Container::~Container() = default;

// --- the host the children see -------------------------------------------------------------------

void Container::ChildHost::beginWindowDrag() {
    if (WidgetHost* up = owner->getHost()) up->beginWindowDrag();
}

bool Container::ChildHost::isKeyDown(int virtualKey) {
    WidgetHost* up = owner->getHost();
    return up && up->isKeyDown(virtualKey);
}

bool Container::ChildHost::setCapture(Widget* widget) {
    WidgetHost* up = owner->getHost();
    return up && up->setCapture(widget);
}

void Container::ChildHost::releaseCapture() {
    if (WidgetHost* up = owner->getHost()) up->releaseCapture();
}

void Container::ChildHost::showCursor(bool show) {
    if (WidgetHost* up = owner->getHost()) up->showCursor(show);
}

bool Container::ChildHost::markCaption(bool marked) {
    WidgetHost* up = owner->getHost();
    return up != nullptr && up->markCaption(marked);
}

// --- focus ---------------------------------------------------------------------------------------

bool Container::focusIn(int direction) {
    focused = focusChild(direction);
    return focused;
}

void Container::focusOut() {
    focused = false;
    releaseFocus();
}

void Container::releaseFocus() {
    if (focusedChild) std::exchange(focusedChild, nullptr)->focusOut();
}

void Container::releaseHover() {
    if (hoveredChild) std::exchange(hoveredChild, nullptr)->mouseLeave();
}

// --- input routing -------------------------------------------------------------------------------

bool Container::key(int virtualKey, bool down) {
    return focusedChild && focusedChild->key(virtualKey, down);
}

void Container::character(int code) {
    if (focusedChild) focusedChild->character(code);
}

void Container::mouseLeave() {
    hovered = false;
    releaseHover();
}

void Container::mouseMove(Point p) {
    if (updateHover(p)) hoveredChild->mouseMove(p);
}

void Container::leftButton(Point p, int action) {
    if (updateHover(p)) hoveredChild->leftButton(p, action);
}

void Container::middleButton(Point p, int action) {
    if (updateHover(p)) hoveredChild->middleButton(p, action);
}

void Container::rightButton(Point p, int action) {
    if (updateHover(p)) hoveredChild->rightButton(p, action);
}

void Container::wheel(Point p, float notches) {
    if (updateHover(p)) hoveredChild->wheel(p, notches);
}

// --- layout ----------------------------------------------------------------------------------------

void Container::setRect(const Rect& r) {
    rect = r;
    layout();
}
