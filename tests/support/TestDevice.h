// A real window and device for tests that draw: a hidden SDL window with an OpenGL context, the
// Direct3D-shaped device created on it, and the process-wide `device` and `presentParameters`
// pointing at it while the TestDevice lives. Needs a display (the test command runs Xvfb).
#pragma once

#include "platform/d3d9/d3d9.h"

#include <string>
#include <vector>

class TestDevice {
public:
    explicit TestDevice(int width = 64, int height = 64);
    ~TestDevice();

    IDirect3DDevice9* get() const { return device.get(); }
    IDirect3DDevice9* operator->() const { return device.get(); }
    HWND window() const { return windowHandle; }
    int width() const { return w; }
    int height() const { return h; }

    std::vector<DWORD> readback();       // the current render target, A8R8G8B8, top row first
    DWORD pixel(int x, int y);           // one pixel of the current render target
    bool savePng(const std::string& path);  // the current render target, for looking at

private:
    int w, h;
    HWND windowHandle = nullptr;
    ComRef<IDirect3D9> direct3d;
    ComRef<IDirect3DDevice9> device;
};
