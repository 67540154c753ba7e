#include "platform/d3d9/GlContext.h"

#include "platform/d3d9/GlState.h"

#include <SDL.h>

namespace d3d9 {

std::shared_ptr<GlContext> GlContext::create(SDL_Window* target, std::string* error) {
    std::shared_ptr<GlContext> c(new GlContext);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
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
    return c;
}

GlContext::~GlContext() {
    if (context) {
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    }
    if (hidden) SDL_DestroyWindow(hidden);
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
