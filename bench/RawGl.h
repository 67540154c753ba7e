// The raw OpenGL 3.3 twins of the device's benchmark frames: the same draws, written directly in GL
// with one hand-written program per state the frame uses, as a GL programmer who knows the frame in
// advance would: uniforms set once, vertex arrays set up once per layout, small draws streamed
// through a ring buffer. Renders into an FBO and shows it with a flipping blit, as the device does,
// so the two differ only by what the device layer adds.
#pragma once

#include "TwinContent.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstring>
#include <string>

namespace twin {

class RawGl {
public:
    bool create() {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        window = SDL_CreateWindow("raw", 0, 0, kWidth, kHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window) return false;
        context = SDL_GL_CreateContext(window);
        if (!context) return false;
        makeCurrent();
        SDL_GL_SetSwapInterval(0);
        return programs() && buffers() && targets();
    }

    ~RawGl() {
        if (context) {
            makeCurrent();
            glDeleteProgram(meshProgram);
            glDeleteProgram(quadProgram);
            glDeleteProgram(solidProgram);
            GLuint b[] = {meshVertices, meshIndices, ring};
            glDeleteBuffers(3, b);
            GLuint a[] = {meshArray, quadArray, lineArray};
            glDeleteVertexArrays(3, a);
            GLuint t[] = {texture, colorTexture, targetTexture};
            glDeleteTextures(3, t);
            GLuint r[] = {depth, targetDepth};
            glDeleteRenderbuffers(2, r);
            GLuint f[] = {frame, targetFramebuffer};
            glDeleteFramebuffers(2, f);
            SDL_GL_MakeCurrent(nullptr, nullptr);
            SDL_GL_DeleteContext(context);
        }
        if (window) SDL_DestroyWindow(window);
    }

    void makeCurrent() { SDL_GL_MakeCurrent(window, context); }

    // --- the frames ----------------------------------------------------------------------------
    void clearFrame() {
        begin();
        present();
    }

    void widgetsFrame() {
        begin();
        glDisable(GL_DEPTH_TEST);
        GLuint current = 0;
        for (int k = 0; k < kWidgetDraws; ++k) {
            const int kind = widgetKind(k);
            const float x = widgetX(k), y = widgetY(k);
            if (kind == 0) {
                if (current != quadProgram) glUseProgram(current = quadProgram);
                glEnable(GL_BLEND);
                glBindVertexArray(quadArray);
                QuadVertex q[4];
                quad(x, y, 24, 0xffffffffu, q);
                drawStreamed(GL_TRIANGLE_STRIP, q, sizeof q, sizeof(QuadVertex));
            } else if (kind == 1) {
                if (current != solidProgram) glUseProgram(current = solidProgram);
                glDisable(GL_BLEND);
                glBindVertexArray(quadArray);
                QuadVertex q[4];
                quad(x, y, 40, 0xff303840u, q);
                drawStreamed(GL_TRIANGLE_STRIP, q, sizeof q, sizeof(QuadVertex));
            } else {
                if (current != solidProgram) glUseProgram(current = solidProgram);
                glDisable(GL_BLEND);
                glBindVertexArray(lineArray);
                LineVertex l[5];
                outline(x, y, 40, 0xffa0a0a0u, l);
                drawStreamed(GL_LINE_STRIP, l, sizeof l, sizeof(LineVertex));
            }
        }
        present();
    }

    void sceneFrame() {
        begin();
        drawMeshes(kMeshDraws);
        present();
    }

    void cloudsFrame() {
        begin();
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glUseProgram(quadProgram);
        glBindVertexArray(quadArray);
        for (int k = 0; k < kCloudQuads; ++k) {
            QuadVertex q[4];
            quad(cloudX(k), cloudY(k), 40, 0x80ffffffu, q);
            drawStreamed(GL_TRIANGLE_STRIP, q, sizeof q, sizeof(QuadVertex));
        }
        present();
    }

    void targetFrame() {
        glBindFramebuffer(GL_FRAMEBUFFER, targetFramebuffer);
        glViewport(0, 0, kTargetSize, kTargetSize);
        glClearColor(0.25f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(meshProgram);
        glUniform4f(meshViewportLocation, 0, 0, kTargetSize, kTargetSize);
        drawMeshes(kTargetMeshDraws);
        glUniform4f(meshViewportLocation, 0, 0, kWidth, kHeight);
        begin();
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glUseProgram(quadProgram);
        glBindTexture(GL_TEXTURE_2D, colorTexture);
        glBindVertexArray(quadArray);
        QuadVertex q[4] = {{-0.5f, -0.5f, 0, 1, 0xffffffffu, 0, 0}, {kWidth - 0.5f, -0.5f, 0, 1, 0xffffffffu, 1, 0},
                           {-0.5f, kHeight - 0.5f, 0, 1, 0xffffffffu, 0, 1},
                           {kWidth - 0.5f, kHeight - 0.5f, 0, 1, 0xffffffffu, 1, 1}};
        drawStreamed(GL_TRIANGLE_STRIP, q, sizeof q, sizeof(QuadVertex));
        glBindTexture(GL_TEXTURE_2D, texture);
        present();
    }

    // The back buffer as Direct3D reads it: row 0 at the top, B, G, R, A bytes.
    void read(uint32_t* pixels) {
        glBindFramebuffer(GL_FRAMEBUFFER, frame);
        glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
    }

    GLuint texture = 0;  // the checker-board; the target's own texture is colorTexture

private:
    void begin() {
        glBindFramebuffer(GL_FRAMEBUFFER, frame);
        glViewport(0, 0, kWidth, kHeight);
        glClearColor(0x20 / 255.0f, 0x40 / 255.0f, 0x80 / 255.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    void present() {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, frame);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glBlitFramebuffer(0, 0, kWidth, kHeight, 0, kHeight, kWidth, 0, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        SDL_GL_SwapWindow(window);
        glBindFramebuffer(GL_FRAMEBUFFER, frame);
    }

    void drawMeshes(int count) {
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        glUseProgram(meshProgram);
        glBindVertexArray(meshArray);
        for (int k = 0; k < count; ++k) {
            float world[16];
            meshWorld(k, world);
            // The view is the identity, so worldView is the world and the normal matrix its
            // inverse transpose: a uniform scale s gives 1/s on the diagonal.
            glUniformMatrix4fv(meshWorldViewLocation, 1, GL_TRUE, world);
            const float s = 1.0f / world[0];
            const float normal[9] = {s, 0, 0, 0, s, 0, 0, 0, s};
            glUniformMatrix3fv(meshNormalLocation, 1, GL_TRUE, normal);
            glDrawElements(GL_TRIANGLES, meshIndexCount, GL_UNSIGNED_SHORT, nullptr);
        }
    }

    void drawStreamed(GLenum mode, const void* data, size_t size, size_t stride) {
        size_t at = (ringPosition + stride - 1) / stride * stride;
        glBindBuffer(GL_ARRAY_BUFFER, ring);
        if (at + size > kRingBytes) {
            glBufferData(GL_ARRAY_BUFFER, kRingBytes, nullptr, GL_STREAM_DRAW);
            at = 0;
        }
        void* p = glMapBufferRange(GL_ARRAY_BUFFER, GLintptr(at), GLsizeiptr(size),
                                   GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
        std::memcpy(p, data, size);
        glUnmapBuffer(GL_ARRAY_BUFFER);
        ringPosition = at + size;
        glDrawArrays(mode, GLint(at / stride), GLsizei(size / stride));
    }

    // --- set-up --------------------------------------------------------------------------------
    static GLuint compile(const char* vertex, const char* fragment) {
        auto stage = [](GLenum type, const char* source) {
            GLuint s = glCreateShader(type);
            glShaderSource(s, 1, &source, nullptr);
            glCompileShader(s);
            GLint ok = 0;
            glGetShaderiv(s, GL_COMPILE_STATUS, &ok);
            if (!ok) {
                char log[1024];
                glGetShaderInfoLog(s, sizeof log, nullptr, log);
                SDL_Log("raw GL shader: %s", log);
            }
            return s;
        };
        GLuint v = stage(GL_VERTEX_SHADER, vertex), f = stage(GL_FRAGMENT_SHADER, fragment);
        GLuint p = glCreateProgram();
        glAttachShader(p, v);
        glAttachShader(p, f);
        glLinkProgram(p);
        glDeleteShader(v);
        glDeleteShader(f);
        GLint ok = 0;
        glGetProgramiv(p, GL_LINK_STATUS, &ok);
        return ok ? p : 0;
    }

    bool programs() {
        // Lit, textured, specular; a directional and a point light; local viewer; Direct3D's
        // half-pixel offset and depth range folded into the position.
        meshProgram = compile(R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 5) in vec2 aTex;
uniform mat4 worldView;
uniform mat4 projection;
uniform mat3 normalMatrix;
uniform vec4 viewport;
uniform vec3 toDirectional;   // eye space, towards the light
uniform vec3 pointPosition;   // eye space
uniform vec4 lightDiffuse;
uniform vec4 lightSpecular;
uniform vec4 pointAttenuation; // a0, a1, a2, range
out vec4 vDiffuse;
out vec3 vSpecular;
out vec2 vTex;
void light(vec3 n, vec3 L, vec3 V, float att, inout vec3 d, inout vec3 s) {
    float nl = dot(n, L);
    if (nl <= 0.0) return;
    d += lightDiffuse.rgb * nl * att;
    float nh = dot(n, normalize(L + V));
    if (nh > 0.0) s += lightSpecular.rgb * pow(nh, 20.0) * att;
}
void main() {
    vec4 eye = vec4(aPosition, 1.0) * worldView;
    vec4 p = eye * projection;
    gl_Position = vec4(p.x + p.w / viewport.z, -p.y + p.w / viewport.w, 2.0 * p.z - p.w, p.w);
    vec3 n = normalize(aNormal * normalMatrix);  // NORMALIZENORMALS, as the model group sets it
    vec3 V = -normalize(eye.xyz);
    vec3 d = vec3(0.0), s = vec3(0.0);
    light(n, toDirectional, V, 1.0, d, s);
    vec3 toPoint = pointPosition - eye.xyz;
    float dist = length(toPoint);
    vec4 a = pointAttenuation;
    float att = dist > a.w ? 0.0 : 1.0 / max(a.x + a.y * dist + a.z * dist * dist, 1e-20);
    light(n, toPoint / max(dist, 1e-20), V, att, d, s);
    vDiffuse = clamp(vec4(d, 1.0), 0.0, 1.0);
    vSpecular = clamp(s * 0.5, 0.0, 1.0);
    vTex = aTex;
})",
                              R"(#version 330 core
uniform sampler2D picture;
in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTex;
out vec4 color;
void main() {
    vec4 t = texture(picture, vTex);
    color = vec4(clamp(t.rgb * vDiffuse.rgb + vSpecular, 0.0, 1.0), t.a);
})");
        const char* pretransformed = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 2) in vec4 aDiffuse;
layout(location = 5) in vec2 aTex;
uniform vec4 viewport;
out vec4 vDiffuse;
out vec2 vTex;
void main() {
    float w = aPosition.w == 0.0 ? 1.0 : 1.0 / aPosition.w;
    vec2 ndc = (aPosition.xy + 0.5 - viewport.xy) / viewport.zw * 2.0 - 1.0;
    gl_Position = vec4(ndc * w, (2.0 * aPosition.z - 1.0) * w, w);
    vDiffuse = aDiffuse;
    vTex = aTex;
})";
        quadProgram = compile(pretransformed, R"(#version 330 core
uniform sampler2D picture;
in vec4 vDiffuse;
in vec2 vTex;
out vec4 color;
void main() {
    vec4 t = texture(picture, vTex);
    color = vec4(t.rgb * vDiffuse.rgb, t.a);
})");
        solidProgram = compile(pretransformed, R"(#version 330 core
in vec4 vDiffuse;
in vec2 vTex;
out vec4 color;
void main() { color = vDiffuse; })");
        if (!meshProgram || !quadProgram || !solidProgram) return false;

        glUseProgram(meshProgram);
        meshWorldViewLocation = glGetUniformLocation(meshProgram, "worldView");
        meshNormalLocation = glGetUniformLocation(meshProgram, "normalMatrix");
        meshViewportLocation = glGetUniformLocation(meshProgram, "viewport");
        float p[16];
        projection(p);
        glUniformMatrix4fv(glGetUniformLocation(meshProgram, "projection"), 1, GL_TRUE, p);
        glUniform4f(meshViewportLocation, 0, 0, kWidth, kHeight);
        const float dx = 0.3f, dy = -0.5f, dz = 1.0f, len = std::sqrt(dx * dx + dy * dy + dz * dz);
        glUniform3f(glGetUniformLocation(meshProgram, "toDirectional"), -dx / len, -dy / len, -dz / len);
        glUniform3f(glGetUniformLocation(meshProgram, "pointPosition"), 0, 0, -2);
        glUniform4f(glGetUniformLocation(meshProgram, "lightDiffuse"), kLight, kLight, kLight, 1);
        glUniform4f(glGetUniformLocation(meshProgram, "lightSpecular"), 1, 1, 1, 1);
        glUniform4f(glGetUniformLocation(meshProgram, "pointAttenuation"), 1, kPointFalloff, 0, 10);
        for (GLuint program : {quadProgram, solidProgram}) {
            glUseProgram(program);
            glUniform4f(glGetUniformLocation(program, "viewport"), 0, 0, kWidth, kHeight);
        }
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        return true;
    }

    bool buffers() {
        const Mesh mesh = bowl(96);
        meshIndexCount = GLsizei(mesh.indices.size());
        glGenVertexArrays(1, &meshArray);
        glBindVertexArray(meshArray);
        glGenBuffers(1, &meshVertices);
        glBindBuffer(GL_ARRAY_BUFFER, meshVertices);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mesh.vertices.size() * sizeof(MeshVertex)), mesh.vertices.data(),
                     GL_STATIC_DRAW);
        glGenBuffers(1, &meshIndices);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, meshIndices);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(mesh.indices.size() * 2), mesh.indices.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(MeshVertex), reinterpret_cast<void*>(12));
        glEnableVertexAttribArray(5);
        glVertexAttribPointer(5, 2, GL_FLOAT, GL_FALSE, sizeof(MeshVertex), reinterpret_cast<void*>(24));

        glGenBuffers(1, &ring);
        glBindBuffer(GL_ARRAY_BUFFER, ring);
        glBufferData(GL_ARRAY_BUFFER, kRingBytes, nullptr, GL_STREAM_DRAW);
        glGenVertexArrays(1, &quadArray);
        glBindVertexArray(quadArray);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(QuadVertex), reinterpret_cast<void*>(16));
        glEnableVertexAttribArray(5);
        glVertexAttribPointer(5, 2, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), reinterpret_cast<void*>(20));
        glGenVertexArrays(1, &lineArray);
        glBindVertexArray(lineArray);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(LineVertex), nullptr);
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(LineVertex), reinterpret_cast<void*>(16));
        glBindVertexArray(0);

        const std::vector<uint32_t> t = texels();
        glGenTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_BGRA, GL_UNSIGNED_BYTE, t.data());
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        return glGetError() == GL_NO_ERROR;
    }

    bool targets() {
        auto framebuffer = [](GLuint* fb, GLuint* color, GLuint* depthBuffer, int w, int h) {
            glGenTextures(1, color);
            glBindTexture(GL_TEXTURE_2D, *color);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glGenRenderbuffers(1, depthBuffer);
            glBindRenderbuffer(GL_RENDERBUFFER, *depthBuffer);
            glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
            glGenFramebuffers(1, fb);
            glBindFramebuffer(GL_FRAMEBUFFER, *fb);
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, *color, 0);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, *depthBuffer);
            return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
        };
        GLuint backColor = 0;
        const bool ok = framebuffer(&frame, &backColor, &depth, kWidth, kHeight) &&
                        framebuffer(&targetFramebuffer, &colorTexture, &targetDepth, kTargetSize, kTargetSize);
        targetTexture = backColor;
        glBindTexture(GL_TEXTURE_2D, texture);
        glUseProgram(meshProgram);
        return ok;
    }

    static constexpr size_t kRingBytes = 4u << 20;

    SDL_Window* window = nullptr;    // owned, hidden
    SDL_GLContext context = nullptr; // owned
    GLuint meshProgram = 0, quadProgram = 0, solidProgram = 0;
    GLint meshWorldViewLocation = -1, meshNormalLocation = -1, meshViewportLocation = -1;
    GLuint meshVertices = 0, meshIndices = 0, meshArray = 0;
    GLsizei meshIndexCount = 0;
    GLuint ring = 0, quadArray = 0, lineArray = 0;
    size_t ringPosition = 0;
    GLuint frame = 0, depth = 0, targetTexture = 0;           // the back buffer (targetTexture: its colour)
    GLuint targetFramebuffer = 0, colorTexture = 0, targetDepth = 0; // the 512 x 512 render target
};

}  // namespace twin
