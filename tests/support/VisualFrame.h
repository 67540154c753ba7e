// One frame as the program draws it, for tests of visuals: begin the scene, redraw the render
// targets, clear to a colour, give the visual the whole target, render it, end the scene. The
// frame lasts `delta` seconds, which is what models that animate by frame advance by.
#pragma once

#include "support/TestDevice.h"
#include "textures/TextureTarget.h"
#include "visuals/Visual.h"

inline bool drawVisualFrame(TestDevice& screen, Visual* visual, float time, D3DCOLOR clear = 0xff000000,
                            float delta = 0.01f) {
    screen->BeginScene();
    updateRenderTargets(time, delta);
    screen->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
    visual->setRect({0, 0, screen.width(), screen.height()});
    const bool drawn = visual->render(time, delta);
    screen->EndScene();
    return drawn;
}
