#include "gui/Frame.h"

#include "app/Device.h"
#include "gui/ScreenDrawing.h"

int Frame::instances = 0;
ComRef<IDirect3DStateBlock9> Frame::stateBlock;

Frame::Frame() { ++instances; }

Frame::~Frame() {
    if (--instances == 0) stateBlock.reset();
}

// --- layout ----------------------------------------------------------------------------------------

void Frame::childChanged() {
    const SizeHint h = child ? child->getSizeHint() : SizeHint{};
    sizeHint = {h.width + 2 * margins.x, h.height + 2 * margins.y, h.fixedWidth, h.fixedHeight};
    layout();
}

void Frame::layout() {
    if (child)
        child->setRect({rect.x + margins.x, rect.y + margins.y, rect.width - 2 * margins.x,
                        rect.height - 2 * margins.y});
}

void Frame::setChild(Widget* widget) {
    releaseFocus();
    releaseHover();
    if (child && child != widget) attach(child, nullptr);
    child = widget;
    if (child && child->getHost() != &embeddedHost) attach(child, &embeddedHost);
    if (focused) focusChild(0);
    embeddedHost.childChanged();
}

void Frame::setMargins(Point m) {
    margins = m;
    childChanged();
}

// --- behaviour -------------------------------------------------------------------------------------

bool Frame::focusChild(int direction) {
    if (focusedChild) return true;
    if (child && child->focusIn(direction)) {
        focusedChild = child;
        return true;
    }
    return false;
}

bool Frame::updateHover(Point p) {
    if (child && child->hitTest(p)) {
        hoveredChild = child;
        return true;
    }
    releaseHover();
    return false;
}

// --- drawing ---------------------------------------------------------------------------------------

bool Frame::draw(float time, float delta) {
    drawPanel();
    return child ? child->draw(time, delta) : true;
}

void Frame::drawPanel() {
    if (!device) return;
    if (!stateBlock) {
        recordColourState(
            {
                {D3DRS_ALPHABLENDENABLE, FALSE},
                {D3DRS_CULLMODE, D3DCULL_CCW},
            },
            ColourVertexFvf, &stateBlock);
    }
    applyScreenState(stateBlock.get(), ColourVertexFvf);
    device->SetTexture(0, nullptr);

    const float x = static_cast<float>(rect.x), y = static_cast<float>(rect.y);
    const float w = static_cast<float>(rect.width), h = static_cast<float>(rect.height);
    constexpr D3DCOLOR left = 0xffffffff, right = 0xff90a0c0, border = 0xff000000;
    drawFramedPanel(x, y, w, h, left, right, border);
}
