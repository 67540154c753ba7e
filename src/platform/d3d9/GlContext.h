// The OpenGL 3.3 core context behind one device, and a hidden window it can be made current on
// when the device window is gone. Shared (shared_ptr) by the device and every resource created on
// it, so GL objects can still be deleted after the device itself was released.
#pragma once

#include <memory>
#include <string>

struct SDL_Window;

namespace d3d9 {

class GlState;

class GlContext {
public:
    // A context usable on `target` (a window created with SDL_WINDOW_OPENGL); null on failure.
    static std::shared_ptr<GlContext> create(SDL_Window* target, std::string* error);
    ~GlContext();
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;

    void makeCurrent();                  // keeps whatever window is current; else the hidden one
    bool makeCurrentOn(SDL_Window* window);
    bool isCurrent() const;
    void bindTextureForUpdate(unsigned texture);  // on unit 0, through the device's cache if any
    void textureDeleted(unsigned texture);
    void bufferDeleted(unsigned buffer);

    GlState* state = nullptr;            // the device's binding cache while the device lives; resources
                                         // tell it about names they delete

private:
    GlContext() = default;
    void* context = nullptr;             // SDL_GLContext, owned
    SDL_Window* hidden = nullptr;        // owned; 1x1, never shown
    bool videoStarted = false;           // SDL video subsystem reference taken
};

}  // namespace d3d9
