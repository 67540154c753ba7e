// One frame as the program draws it, for tests of visuals: begin the scene, redraw the render
// targets, clear to a colour, give the visual the whole target, render it, end the scene.
#pragma once

#include "support/TestDevice.h"
#include "textures/TextureTarget.h"
#include "visuals/Visual.h"

inline bool drawVisualFrame(TestDevice& screen, Visual* visual, float time, D3DCOLOR clear = 0xff000000) {
    screen->BeginScene();
    updateRenderTargets(time, 0.01f);
    screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
    visual->setRect({0, 0, screen.width(), screen.height()});
    const bool drawn = visual->render(time, 0.01f);
    screen->EndScene();
    return drawn;
}
