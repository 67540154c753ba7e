// The Display: the program's one window, its Direct3D object and the one device every drawing
// part uses (published as `device` and `presentParameters`), one frame at a time for the main
// loop, and the host of the root widget. create shows its own error messages; shutdown releases
// whatever exists, whether or not create succeeded, and may be called more than once.
#pragma once

#include "gui/Widget.h"
#include "gui/WidgetHost.h"
#include "platform/d3d9/d3d9.h"
#include "platform/win/win32.h"

class Display : public WidgetHost {
public:
    Display() = default;
    ~Display() override;
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool create(HINSTANCE instance, bool windowed, bool antialias, int width, int height);
    void shutdown();
    bool frame(float time, float delta);  // false ends the main loop
    void setRoot(Widget* widget);
    bool showMessage(const char* text);   // an error box captioned with the title; always false
    Point cursorPosition();               // client coordinates

    void centreWindow();
    bool choosePresentation();
    bool findDepthFormat(D3DFORMAT adapterFormat);
    bool findFullscreenMode();

    // WidgetHost, for the root widget
    void childChanged() override {}
    void beginWindowDrag() override;
    bool isKeyDown(int virtualKey) override;
    bool setCapture(Widget* widget) override;
    void releaseCapture() override;
    void showCursor(bool show) override;
    bool markCaption(bool marked) override;  // " *" after the title

    // Read and written by the window procedure and its routers as well.
    const char* title = "Zod'e Revez!";  // window caption and caption of every message box
    bool windowed = true;                 // requested windowed mode
    bool antialias = false;               // requested multisampling
    // Full screen at a size the screen has no mode of: the screen's own mode instead of failing.
    // For a size chosen in the setup dialog; one asked for on the command line fails as it says.
    bool screenModeFallback = false;
    bool readBack = false;                // frames are read back (rendering to files), not shown
    int width = 0;                        // client and back-buffer size in pixels
    int height = 0;
    bool quitRequested = false;           // the window was asked to close
    bool mouseTracked = false;            // the cursor is known to be in the client area
    bool cursorShown = true;              // the cursor state last given to the system
    Widget* root = nullptr;               // not owned; splash picture, then the editor's root
    Widget* capture = nullptr;            // not owned; holds the mouse capture
    HWND window = nullptr;                // destroyed by shutdown
    ComRef<IDirect3D9> direct3d;
    ComRef<IDirect3DDevice9> ownedDevice;  // published as `device` while it exists
};
