#include "support/TestDevice.h"

#include "app/Device.h"
#include "platform/win/NativeWindow.h"

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <stdexcept>

TestDevice::TestDevice(int width, int height) : w(width), h(height) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        throw std::runtime_error(std::string("TestDevice: no video: ") + SDL_GetError());
    // The window's depth and stencil as the program's windows have them, so the back buffer is the
    // window's own framebuffer, as in the program.
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_Window* sdl = SDL_CreateWindow("TestDevice", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!sdl) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw std::runtime_error(std::string("TestDevice: no window: ") + SDL_GetError());
    }
    windowHandle = new win::NativeWindow;
    windowHandle->sdlWindow = sdl;
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS p;
    p.BackBufferWidth = UINT(width);
    p.BackBufferHeight = UINT(height);
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = windowHandle;
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    p.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    if (!direct3d ||
        FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, windowHandle,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device))) {
        device.reset();
        direct3d.reset();
        SDL_DestroyWindow(sdl);
        delete windowHandle;
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw std::runtime_error("TestDevice: no Direct3D device");
    }
    ::device = device.get();
    ::presentParameters = p;
}

TestDevice::~TestDevice() {
    if (::device == device.get()) {
        ::device = nullptr;
        ::presentParameters = D3DPRESENT_PARAMETERS{};
    }
    device.reset();
    direct3d.reset();
    SDL_DestroyWindow(windowHandle->sdlWindow);
    delete windowHandle;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

std::vector<DWORD> TestDevice::readback() {
    ComRef<IDirect3DSurface9> target;
    D3DSURFACE_DESC desc{};
    if (FAILED(device->GetRenderTarget(0, &target)) || FAILED(target->GetDesc(&desc))) return {};
    std::vector<DWORD> pixels(size_t(desc.Width) * desc.Height);
    if (FAILED(device->ReadRenderTarget(pixels.data(), desc.Width, desc.Height))) return {};
    return pixels;
}

DWORD TestDevice::pixel(int x, int y) {
    ComRef<IDirect3DSurface9> target;
    D3DSURFACE_DESC desc{};
    if (FAILED(device->GetRenderTarget(0, &target)) || FAILED(target->GetDesc(&desc))) return 0;
    if (x < 0 || y < 0 || UINT(x) >= desc.Width || UINT(y) >= desc.Height) return 0;
    std::vector<DWORD> all = readback();
    return all.empty() ? 0 : all[size_t(y) * desc.Width + x];
}

bool TestDevice::savePng(const std::string& path) {
    ComRef<IDirect3DSurface9> target;
    D3DSURFACE_DESC desc{};
    if (FAILED(device->GetRenderTarget(0, &target)) || FAILED(target->GetDesc(&desc))) return false;
    std::vector<DWORD> pixels = readback();
    if (pixels.empty()) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, desc.Width, desc.Height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(desc.Width) * 4);
    for (UINT y = 0; y < desc.Height; ++y) {
        for (UINT x = 0; x < desc.Width; ++x) {
            DWORD c = pixels[size_t(y) * desc.Width + x];
            row[x * 4 + 0] = png_byte(c >> 16);
            row[x * 4 + 1] = png_byte(c >> 8);
            row[x * 4 + 2] = png_byte(c);
            row[x * 4 + 3] = png_byte(c >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}
