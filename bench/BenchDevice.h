// BenchDevice: the hidden window and the Direct3D device a benchmark draws on (needs a display:
// run under Xvfb), and the clear-only frame most benchmarks take as their baseline. Made current
// for the objects that draw through the process's device; a benchmark's fixture derives from it
// so that its own resources go before the device does.
#pragma once

#include "app/Device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>

#include <chrono>

struct BenchDevice {
    win::NativeWindow window;
    ComRef<IDirect3D9> direct3d;
    ComRef<IDirect3DDevice9> ownDevice;
    bool videoStarted = false;

    // False without a display or a device; what was made is released by the destructor.
    bool createDevice(int width, int height, const char* title = "bench") {
        videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;  // counted: twins may start it too
        if (!videoStarted) return false;
        window.sdlWindow = SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        if (!window.sdlWindow || !direct3d) return false;
        D3DPRESENT_PARAMETERS p{};
        p.BackBufferWidth = static_cast<UINT>(width);
        p.BackBufferHeight = static_cast<UINT>(height);
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.hDeviceWindow = &window;
        p.EnableAutoDepthStencil = TRUE;
        p.AutoDepthStencilFormat = D3DFMT_D24S8;
        p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        if (FAILED(direct3d->CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                                          &ownDevice)))
            return false;
        device = ownDevice.get();
        presentParameters = p;
        return true;
    }

    void beginFrame() {  // the scene begun, colour and depth cleared
        ownDevice->BeginScene();
        ownDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff204080, 1, 0);
    }

    void endFrame() {
        ownDevice->EndScene();
        ownDevice->Present();
    }

    void clearFrame() {
        beginFrame();
        endFrame();
    }

    ~BenchDevice() {
        if (device == ownDevice.get()) device = nullptr;
        ownDevice.reset();
        direct3d.reset();
        if (window.sdlWindow) SDL_DestroyWindow(window.sdlWindow);
        if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};

// The wall-clock milliseconds of f().
template <class F>
double millisecondsOf(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}
