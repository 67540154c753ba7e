#include "platform/d3d9/GlContext.h"

#include "platform/d3d9/GlState.h"
#include "platform/win/XServerSync.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <cstring>

namespace d3d9 {

namespace {

// The GL driver stays loaded once a context existed: SDL unloads libGL when its video subsystem
// stops, and a driver loaded again for the next device costs time, while what it allocated and
// kept would be reported against a module that no longer exists.
void keepDriverLoaded() {
    static bool done = false;
    if (done) return;
    done = true;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            const char* name = info->dlpi_name;
            if (name && *name &&
                (std::strstr(name, "_dri") || std::strstr(name, "libGL") || std::strstr(name, "glapi") ||
                 std::strstr(name, "gallium") || std::strstr(name, "LLVM"))) {
                if (void* handle = dlopen(name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(handle);
            }
            return 0;
        },
        nullptr);
}

}  // namespace

std::shared_ptr<GlContext> GlContext::create(SDL_Window* target, std::string* error) {
    std::shared_ptr<GlContext> c(new GlContext);
    if (!win::startSdlVideo()) {
        if (error) *error = SDL_GetError();
        return nullptr;
    }
    c->videoStarted = true;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    c->hidden = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!c->hidden) {
        if (error) *error = SDL_GetError();
        return nullptr;
    }
    c->context = SDL_GL_CreateContext(target ? target : c->hidden);
    if (!c->context) {
        if (error) *error = SDL_GetError();
        return nullptr;
    }
    keepDriverLoaded();
    return c;
}

GlContext::~GlContext() {
    if (context) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    }
    if (hidden) {
        win::settleBeforeDestroying(hidden);  // SDL may have sent its wakeup to this window
        SDL_DestroyWindow(hidden);
    }
    if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool GlContext::isCurrent() const {
    return context && SDL_GL_GetCurrentContext() == context && SDL_GL_GetCurrentWindow() != nullptr;
}

void GlContext::makeCurrent() {
    if (!isCurrent()) makeCurrentOn(hidden);
}

bool GlContext::makeCurrentOn(SDL_Window* window) {
    if (!context || !window) return false;
    if (SDL_GL_GetCurrentContext() == context && SDL_GL_GetCurrentWindow() == window) return true;
    return SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context)) == 0;
}

}  // namespace d3d9

namespace d3d9 {

void GlContext::bindTextureForUpdate(unsigned t) {
    if (state) {
        state->bindTexture(0, t);
    } else {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, t);
    }
}

void GlContext::textureDeleted(unsigned t) {
    if (state) state->forgetTexture(t);
}

void GlContext::bufferDeleted(unsigned b) {
    if (state) state->forgetBuffer(b);
}

}  // namespace d3d9
