#include "app/Display.h"

#include "app/Device.h"
#include "app/WindowProcedure.h"
#include "textures/TextureTarget.h"

#include <string>

namespace {

const D3DFORMAT depthFormats[] = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D16};
const D3DFORMAT fullscreenFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5};

constexpr DWORD windowedStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | WS_SYSMENU |
                                WS_MINIMIZEBOX;
constexpr DWORD fullscreenStyle = WS_POPUP;

// Whether the screen has a full-screen mode of that size, in any of the formats the player takes.
bool screenHasMode(IDirect3D9* direct3d, int width, int height) {
    for (D3DFORMAT format : fullscreenFormats) {
        for (UINT i = 0; i < direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, format); ++i) {
            D3DDISPLAYMODE mode{};
            if (SUCCEEDED(direct3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, i, &mode)) &&
                static_cast<int>(mode.Width) == width && static_cast<int>(mode.Height) == height)
                return true;
        }
    }
    return false;
}

}  // namespace

Display::~Display() { shutdown(); }

// --- creation ---------------------------------------------------------------------------------------

bool Display::create(HINSTANCE instance, bool windowed, bool antialias, int width, int height) {
    this->windowed = windowed;
    this->antialias = antialias;
    this->width = width;
    this->height = height;
    if (!windowed && screenModeFallback) {
        // A size the screen has no mode of becomes the screen's own, before the window is made.
        ComRef<IDirect3D9> probe = Direct3DCreate9(D3D_SDK_VERSION);
        D3DDISPLAYMODE screen{};
        if (probe && !screenHasMode(probe.get(), width, height) &&
            SUCCEEDED(probe->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &screen)) && screen.Width > 0 && screen.Height > 0) {
            this->width = static_cast<int>(screen.Width);
            this->height = static_cast<int>(screen.Height);
        }
    }

    WNDCLASSEXA windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 4;
    windowClass.hInstance = instance;
    windowClass.hIcon = 101;
    windowClass.hCursor = IDC_ARROW;
    windowClass.hbrBackground = BLACK_BRUSH;
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = "zqWindow";
    windowClass.hIconSm = 0;
    if (!RegisterClassExA(&windowClass)) return showMessage("Cannot create window: RegisterClassEx failed");

    window = CreateWindowExA(WS_EX_APPWINDOW, "zqWindow", title, windowed ? windowedStyle : fullscreenStyle, 0, 0,
                             this->width, this->height, nullptr, nullptr, instance, nullptr);
    if (!window) return showMessage("Cannot create window: CreateWindowEx failed");
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    if (windowed) {
        centreWindow();
        ShowWindow(window, SW_SHOWNORMAL);
    }

    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!direct3d)
        return showMessage(
            "Cannot create IDirect3D9 object: Direct3DCreate9 failed\nThis is typically caused by older drivers.");

    if (!choosePresentation()) return false;

    D3DCAPS9 caps;
    direct3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    bool hardware = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) && (caps.VertexShaderVersion & 0xffff) >= 0x0101;
    DWORD vertexProcessing = hardware ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;

    direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, vertexProcessing, &presentParameters,
                           &ownedDevice);
    if (!ownedDevice) return showMessage("Cannot create IDirect3DDevice9 object: IDirect3D9->CreateDevice failed");
    device = ownedDevice.get();
    return true;
}

void Display::centreWindow() {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    int outerWidth = width + (outer.right - outer.left) - (client.right - client.left);
    int outerHeight = height + (outer.bottom - outer.top) - (client.bottom - client.top);
    MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - outerWidth) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - outerHeight) / 2, outerWidth, outerHeight, FALSE);
}

bool Display::choosePresentation() {
    presentParameters = D3DPRESENT_PARAMETERS{};
    if (windowed) {
        D3DDISPLAYMODE mode{};
        if (FAILED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)) || !findDepthFormat(mode.Format))
            return showMessage("Cannot find video mode: no matching depth buffer formats");
        presentParameters.BackBufferWidth = width;
        presentParameters.BackBufferHeight = height;
        presentParameters.BackBufferFormat = mode.Format;
    } else if (!findFullscreenMode()) {
        return showMessage("Cannot find video mode: no matching back buffer / depth buffer format combinations");
    }
    presentParameters.Windowed = windowed;

    DWORD levels = 0;
    bool multisampling =
        antialias &&
        SUCCEEDED(direct3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                       presentParameters.BackBufferFormat, windowed,
                                                       D3DMULTISAMPLE_NONMASKABLE, nullptr)) &&
        SUCCEEDED(direct3d->CheckDeviceMultiSampleType(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL,
                                                       presentParameters.AutoDepthStencilFormat, windowed,
                                                       D3DMULTISAMPLE_NONMASKABLE, &levels));
    if (multisampling) {
        presentParameters.MultiSampleType = D3DMULTISAMPLE_NONMASKABLE;
        presentParameters.MultiSampleQuality = levels > 0 ? levels - 1 : 0;  // the highest level
    } else {
        presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
        presentParameters.MultiSampleQuality = 0;
        if (antialias)
            MessageBoxA(window, "Your card does not support multisampled antialiasing.\nContinuing happily without it.",
                        title, MB_OK | MB_ICONWARNING);
    }

    D3DCAPS9 caps;
    direct3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
    if (caps.PresentationIntervals & D3DPRESENT_INTERVAL_IMMEDIATE)
        presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    else if (caps.PresentationIntervals & D3DPRESENT_INTERVAL_ONE)
        presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_ONE;
    else
        presentParameters.PresentationInterval = D3DPRESENT_INTERVAL_TWO;

    presentParameters.BackBufferCount = 0;
    presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    presentParameters.hDeviceWindow = window;
    presentParameters.FullScreen_RefreshRateInHz = 0;
    presentParameters.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL | (readBack ? D3DPRESENTFLAG_LOCKABLE_BACKBUFFER : 0);
    presentParameters.EnableAutoDepthStencil = TRUE;
    return true;
}

bool Display::findDepthFormat(D3DFORMAT adapterFormat) {
    for (D3DFORMAT depth : depthFormats) {
        if (SUCCEEDED(direct3d->CheckDeviceFormat(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                                  D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth)) &&
            SUCCEEDED(direct3d->CheckDepthStencilMatch(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, adapterFormat,
                                                       adapterFormat, depth))) {
            presentParameters.AutoDepthStencilFormat = depth;
            return true;
        }
    }
    return false;
}

bool Display::findFullscreenMode() {
    for (D3DFORMAT format : fullscreenFormats) {
        for (int i = static_cast<int>(direct3d->GetAdapterModeCount(D3DADAPTER_DEFAULT, format)) - 1; i >= 0; --i) {
            D3DDISPLAYMODE mode{};
            if (FAILED(direct3d->EnumAdapterModes(D3DADAPTER_DEFAULT, format, i, &mode))) continue;
            if (static_cast<int>(mode.Width) == width && static_cast<int>(mode.Height) == height &&
                findDepthFormat(mode.Format)) {
                presentParameters.BackBufferWidth = width;
                presentParameters.BackBufferHeight = height;
                presentParameters.BackBufferFormat = mode.Format;
                return true;
            }
        }
    }
    return false;
}

// --- running -------------------------------------------------------------------------------------------

bool Display::frame(float time, float delta) {
    if (quitRequested || !ownedDevice) return false;
    bool result = false;
    if (SUCCEEDED(ownedDevice->BeginScene())) {
        updateRenderTargets(time, delta);
        result = root ? root->draw(time, delta) : true;
        ownedDevice->EndScene();
    }
    ownedDevice->Present();
    return result;
}

void Display::setRoot(Widget* widget) {
    if (root) {
        releaseCapture();
        root->focusOut();
        root->mouseLeave();
    }
    root = widget;
    if (root) root->setHost(this);
    if (!root || !window) return;
    if (GetFocus() == window) root->focusIn(0);
    if (mouseTracked) root->hitTest(cursorPosition());
    root->setRect(Rect{0, 0, width, height});
}

bool Display::showMessage(const char* text) {
    MessageBoxA(window, text, title, MB_OK | MB_ICONERROR);
    return false;
}

Point Display::cursorPosition() {
    POINT p{0, 0};
    GetCursorPos(&p);
    ScreenToClient(window, &p);
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

void Display::shutdown() {
    releaseCapture();
    setRoot(nullptr);
    if (device == ownedDevice.get()) device = nullptr;
    ownedDevice.reset();
    direct3d.reset();
    if (window) DestroyWindow(window);
    window = nullptr;
}

// --- the root widget's host ----------------------------------------------------------------------------

void Display::beginWindowDrag() {
    // The window has no caption bar: the system's caption drag moves it until the button is up.
    if (windowed && window) SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

bool Display::isKeyDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

bool Display::setCapture(Widget* widget) {
    if (!widget) {
        releaseCapture();
        return true;
    }
    if (!capture) {
        // A widget taking the capture from another keeps the system's capture as it is.
        SetCapture(window);
        if (!window || GetCapture() != window) return false;
    }
    capture = widget;
    return true;
}

void Display::releaseCapture() {
    if (capture) ReleaseCapture();
    capture = nullptr;
}

void Display::showCursor(bool show) {
    if (show == cursorShown) return;
    cursorShown = show;
    ShowCursor(show);
}

bool Display::markCaption(bool marked) {
    if (!window) return false;
    SetWindowTextA(window, (std::string(title) + (marked ? " *" : "")).c_str());
    return true;
}
