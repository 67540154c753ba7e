// BenchDevice: the hidden window and the Direct3D device a benchmark draws on (needs a display:
// run under Xvfb). Made current for the objects that draw through the process's device; a
// benchmark's fixture derives from it so that its own resources go before the device does.
#pragma once

#include "app/Device.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>

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

    ~BenchDevice() {
        if (device == ownDevice.get()) device = nullptr;
        ownDevice.reset();
        direct3d.reset();
        if (window.sdlWindow) SDL_DestroyWindow(window.sdlWindow);
        if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
};
