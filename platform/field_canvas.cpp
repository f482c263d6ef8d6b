#include "field_canvas.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "field_shader.h"
#include "png_codec.h"
#include "sprite3d_geometry.h"

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 a_position;
layout(location = 1) in vec4 a_colour;
layout(location = 2) in vec2 a_texCoord;
uniform mat4 u_projection;
out vec4 v_colour;
out vec2 v_texCoord;
void main() {
    gl_Position = u_projection * vec4(a_position, 0.0, 1.0);
    v_colour = a_colour * (1.0 / 255.0);
    v_texCoord = a_texCoord;
}
)";

constexpr const char* kPlainFragmentShader = R"(#version 330 core
in vec4 v_colour;
in vec2 v_texCoord;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() {
    o_colour = texture(u_texture, v_texCoord) * v_colour;
}
)";

struct Vertex {
    float x, y;
    std::uint8_t r, g, b, a;
    float u, v;
};

struct Gl {
    decltype(&::glGetString) GetString;
    decltype(&::glEnable) Enable;
    decltype(&::glViewport) Viewport;
    decltype(&::glClearColor) ClearColor;
    decltype(&::glClear) Clear;
    PFNGLBLENDFUNCSEPARATEPROC BlendFuncSeparate;
    decltype(&::glPixelStorei) PixelStorei;
    decltype(&::glGenTextures) GenTextures;
    decltype(&::glDeleteTextures) DeleteTextures;
    decltype(&::glBindTexture) BindTexture;
    decltype(&::glTexParameteri) TexParameteri;
    decltype(&::glTexImage2D) TexImage2D;
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer;
    PFNGLFRAMEBUFFERTEXTURE2DPROC FramebufferTexture2D;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus;
    decltype(&::glReadPixels) ReadPixels;
    decltype(&::glFinish) Finish;
    PFNGLGENVERTEXARRAYSPROC GenVertexArrays;
    PFNGLDELETEVERTEXARRAYSPROC DeleteVertexArrays;
    PFNGLBINDVERTEXARRAYPROC BindVertexArray;
    PFNGLGENBUFFERSPROC GenBuffers;
    PFNGLDELETEBUFFERSPROC DeleteBuffers;
    PFNGLBINDBUFFERPROC BindBuffer;
    PFNGLBUFFERDATAPROC BufferData;
    PFNGLENABLEVERTEXATTRIBARRAYPROC EnableVertexAttribArray;
    PFNGLVERTEXATTRIBPOINTERPROC VertexAttribPointer;
    decltype(&::glDrawArrays) DrawArrays;
    PFNGLUSEPROGRAMPROC UseProgram;
    PFNGLDELETEPROGRAMPROC DeleteProgram;

    bool Load() noexcept {
        bool all = true;
        const auto get = [&all](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(SDL_GL_GetProcAddress(name));
            all = all && function != nullptr;
        };
#define CANVAS_GL(name) get(name, "gl" #name)
        CANVAS_GL(GetString), CANVAS_GL(Enable), CANVAS_GL(Viewport), CANVAS_GL(ClearColor), CANVAS_GL(Clear);
        CANVAS_GL(BlendFuncSeparate), CANVAS_GL(PixelStorei), CANVAS_GL(GenTextures), CANVAS_GL(DeleteTextures);
        CANVAS_GL(BindTexture), CANVAS_GL(TexParameteri), CANVAS_GL(TexImage2D), CANVAS_GL(GenFramebuffers);
        CANVAS_GL(DeleteFramebuffers), CANVAS_GL(BindFramebuffer), CANVAS_GL(FramebufferTexture2D);
        CANVAS_GL(CheckFramebufferStatus), CANVAS_GL(ReadPixels), CANVAS_GL(Finish), CANVAS_GL(GenVertexArrays);
        CANVAS_GL(DeleteVertexArrays), CANVAS_GL(BindVertexArray), CANVAS_GL(GenBuffers), CANVAS_GL(DeleteBuffers);
        CANVAS_GL(BindBuffer), CANVAS_GL(BufferData), CANVAS_GL(EnableVertexAttribArray);
        CANVAS_GL(VertexAttribPointer), CANVAS_GL(DrawArrays), CANVAS_GL(UseProgram), CANVAS_GL(DeleteProgram);
#undef CANVAS_GL
        return all;
    }
};

struct Texture {
    GLuint name = 0;
    std::int32_t width = 0, height = 0;
};

struct Quad3D {
    std::size_t texture = 0;  // index + 1 into the textures
    float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    std::int32_t width = 0, height = 0;
    sprite3d_geometry::Turn turn;
    std::uint32_t tint = 0xFFFFFF;
    FieldState field;
};

struct Run {
    std::size_t texture;
    FieldState field;  // kind 0: the plain program
    std::size_t first, count;
};

}  // namespace

struct FieldCanvas::Impl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    Gl gl{};
    FieldProgram fieldProgram;
    GLuint plain = 0;
    GLuint vertexArray = 0, buffer = 0, framebuffer = 0, target = 0;
    std::vector<Texture> textures;
    std::vector<Quad3D> quads;
    std::vector<Vertex> vertices;
    std::vector<Run> runs;

    // Another screen's context may have been made current in between.
    void MakeCurrent() const noexcept {
        if (SDL_GL_GetCurrentContext() != context) SDL_GL_MakeCurrent(window, context);
    }

    ~Impl() {
        if (context != nullptr) {
            SDL_GL_MakeCurrent(window, context);
            for (const Texture& t : textures) gl.DeleteTextures(1, &t.name);
            if (buffer) gl.DeleteBuffers(1, &buffer);
            if (vertexArray) gl.DeleteVertexArrays(1, &vertexArray);
            if (framebuffer) gl.DeleteFramebuffers(1, &framebuffer);
            if (target) gl.DeleteTextures(1, &target);
            if (plain) gl.DeleteProgram(plain);
            fieldProgram.Release();
            SDL_GL_MakeCurrent(window, nullptr);
            SDL_GL_DeleteContext(context);
        }
        if (window != nullptr) SDL_DestroyWindow(window);
    }
};

namespace {

// The plain textured program, as every non-field quad is drawn.
GLuint BuildPlain(const float projection[16], std::string* why) {
    const auto create = reinterpret_cast<PFNGLCREATESHADERPROC>(SDL_GL_GetProcAddress("glCreateShader"));
    const auto source = reinterpret_cast<PFNGLSHADERSOURCEPROC>(SDL_GL_GetProcAddress("glShaderSource"));
    const auto compile = reinterpret_cast<PFNGLCOMPILESHADERPROC>(SDL_GL_GetProcAddress("glCompileShader"));
    const auto program = reinterpret_cast<PFNGLCREATEPROGRAMPROC>(SDL_GL_GetProcAddress("glCreateProgram"));
    const auto attach = reinterpret_cast<PFNGLATTACHSHADERPROC>(SDL_GL_GetProcAddress("glAttachShader"));
    const auto link = reinterpret_cast<PFNGLLINKPROGRAMPROC>(SDL_GL_GetProcAddress("glLinkProgram"));
    const auto status = reinterpret_cast<PFNGLGETPROGRAMIVPROC>(SDL_GL_GetProcAddress("glGetProgramiv"));
    const auto use = reinterpret_cast<PFNGLUSEPROGRAMPROC>(SDL_GL_GetProcAddress("glUseProgram"));
    const auto location = reinterpret_cast<PFNGLGETUNIFORMLOCATIONPROC>(SDL_GL_GetProcAddress("glGetUniformLocation"));
    const auto matrix = reinterpret_cast<PFNGLUNIFORMMATRIX4FVPROC>(SDL_GL_GetProcAddress("glUniformMatrix4fv"));
    const auto uniform1i = reinterpret_cast<PFNGLUNIFORM1IPROC>(SDL_GL_GetProcAddress("glUniform1i"));
    if (!create || !source || !compile || !program || !attach || !link || !status || !use || !location || !matrix ||
        !uniform1i) {
        *why = "the GL driver lacks OpenGL 3.3 functions";
        return 0;
    }
    const GLuint v = create(GL_VERTEX_SHADER), f = create(GL_FRAGMENT_SHADER);
    source(v, 1, &kVertexShader, nullptr);
    source(f, 1, &kPlainFragmentShader, nullptr);
    compile(v);
    compile(f);
    const GLuint p = program();
    attach(p, v);
    attach(p, f);
    link(p);
    GLint ok = GL_FALSE;
    status(p, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        *why = "the plain program does not link";
        return 0;
    }
    use(p);
    uniform1i(location(p, "u_texture"), 0);
    matrix(location(p, "u_projection"), 1, GL_FALSE, projection);
    return p;
}

}  // namespace

FieldCanvas::FieldCanvas(std::unique_ptr<Impl> impl, std::int32_t width, std::int32_t height)
    : impl_(std::move(impl)), width_(width), height_(height) {}

FieldCanvas::~FieldCanvas() = default;

std::unique_ptr<FieldCanvas> FieldCanvas::Open(std::int32_t width, std::int32_t height, std::string* why) {
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) {
        *why = "canvas size out of range";
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    impl->window = SDL_CreateWindow("field canvas", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (impl->window != nullptr) impl->context = SDL_GL_CreateContext(impl->window);
    SDL_GL_ResetAttributes();
    if (impl->context == nullptr) {
        *why = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
        return nullptr;
    }
    Gl& gl = impl->gl;
    if (!gl.Load()) {
        *why = "the GL driver lacks OpenGL 3.3 functions";
        return nullptr;
    }
    // Pixels to clip space, row 0 at the top of the canvas's rows as read.
    const float projection[16] = {2.0f / static_cast<float>(width), 0, 0, 0, 0, 2.0f / static_cast<float>(height), 0, 0,
                                  0, 0, -2.0f, 0, -1.0f, -1.0f, -1.0f, 1.0f};
    if (!impl->fieldProgram.Build(kVertexShader, projection, why)) {
        if (why->empty()) *why = "the field program does not build";
        return nullptr;
    }
    impl->plain = BuildPlain(projection, why);
    if (impl->plain == 0) return nullptr;
    gl.GenVertexArrays(1, &impl->vertexArray);
    gl.BindVertexArray(impl->vertexArray);
    gl.GenBuffers(1, &impl->buffer);
    gl.BindBuffer(GL_ARRAY_BUFFER, impl->buffer);
    for (GLuint i = 0; i < 3; ++i) gl.EnableVertexAttribArray(i);
    gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, x)));
    gl.VertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, r)));
    gl.VertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<const void*>(offsetof(Vertex, u)));
    gl.GenTextures(1, &impl->target);
    gl.BindTexture(GL_TEXTURE_2D, impl->target);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    gl.GenFramebuffers(1, &impl->framebuffer);
    gl.BindFramebuffer(GL_FRAMEBUFFER, impl->framebuffer);
    gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, impl->target, 0);
    if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        *why = "the canvas is not a complete framebuffer";
        return nullptr;
    }
    gl.Viewport(0, 0, width, height);
    gl.Enable(GL_BLEND);
    gl.BlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    return std::unique_ptr<FieldCanvas>(new FieldCanvas(std::move(impl), width, height));
}

void FieldCanvas::Clear(std::uint32_t c) noexcept {
    Finish();
    impl_->MakeCurrent();
    Gl& gl = impl_->gl;
    gl.ClearColor(static_cast<float>(c & 0xFF) / 255.0f, static_cast<float>((c >> 8) & 0xFF) / 255.0f,
                  static_cast<float>((c >> 16) & 0xFF) / 255.0f, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT);
}

void FieldCanvas::Finish() noexcept {
    Impl& m = *impl_;
    Gl& gl = m.gl;
    m.MakeCurrent();
    if (!m.vertices.empty()) {
        gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(m.vertices.size() * sizeof(Vertex)), m.vertices.data(),
                      GL_STREAM_DRAW);
        for (const Run& run : m.runs) {
            const Texture& t = m.textures[run.texture - 1];
            gl.BindTexture(GL_TEXTURE_2D, t.name);
            if (run.field.kind != 0) m.fieldProgram.Use(run.field, t.width, t.height);
            else gl.UseProgram(m.plain);
            gl.DrawArrays(GL_TRIANGLES, static_cast<GLint>(run.first * 6), static_cast<GLsizei>(run.count * 6));
            ++drawCalls_;
        }
    }
    m.vertices.clear();
    m.runs.clear();
    gl.Finish();
}

std::vector<std::uint32_t> FieldCanvas::ReadPixels() noexcept {
    Finish();
    std::vector<std::uint32_t> out;
    try {
        out.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    } catch (...) {
        return {};
    }
    impl_->MakeCurrent();
    impl_->gl.ReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out.data());
    return out;
}

SpriteHandle FieldCanvas::CreateSprite(std::int32_t request, const void* data, std::size_t size, std::int32_t) {
    if (request != AutoHandle) return 0;  // the canvas hands out its own handles
    DecodedImage image;
    if (DecodePng(data, size, image) != PngStatus::Ok) return 0;
    impl_->MakeCurrent();
    Gl& gl = impl_->gl;
    Texture t{0, image.width, image.height};
    gl.GenTextures(1, &t.name);
    gl.BindTexture(GL_TEXTURE_2D, t.name);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                  image.pixels.data());
    impl_->textures.push_back(t);
    return static_cast<SpriteHandle>(impl_->textures.size());
}

SpriteHandle FieldCanvas::CreateSprite3D(std::int32_t request, SpriteHandle sprite) {
    if (request != AutoHandle || sprite <= 0 || static_cast<std::size_t>(sprite) > impl_->textures.size()) return 0;
    Quad3D q;
    q.texture = static_cast<std::size_t>(sprite);
    q.width = impl_->textures[q.texture - 1].width;
    q.height = impl_->textures[q.texture - 1].height;
    impl_->quads.push_back(q);
    return static_cast<SpriteHandle>(impl_->quads.size());
}

namespace {

Quad3D* Find(std::vector<Quad3D>& quads, SpriteHandle h) {
    return h > 0 && static_cast<std::size_t>(h) <= quads.size() ? &quads[static_cast<std::size_t>(h) - 1] : nullptr;
}

}  // namespace

bool FieldCanvas::Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) {
    const Quad3D* q = Find(impl_->quads, sprite3D);
    if (q == nullptr) return false;
    *width = impl_->textures[q->texture - 1].width;
    *height = impl_->textures[q->texture - 1].height;
    return true;
}

void FieldCanvas::SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) {
    if (Quad3D* q = Find(impl_->quads, sprite3D)) std::copy(uv, uv + 8, q->uv);
}

void FieldCanvas::ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) {
    if (Quad3D* q = Find(impl_->quads, sprite3D)) q->width = width, q->height = height;
}

void FieldCanvas::RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) {
    if (Quad3D* q = Find(impl_->quads, sprite3D); q != nullptr && mode == 0) q->turn = sprite3d_geometry::TurnOf(degrees);
}

void FieldCanvas::ColorSprite3D(SpriteHandle sprite3D, std::uint32_t rgb) {
    if (Quad3D* q = Find(impl_->quads, sprite3D)) q->tint = rgb & 0xFFFFFF;
}

void FieldCanvas::FieldSprite3D(SpriteHandle sprite3D, std::int32_t kind, float range) {
    if (Quad3D* q = Find(impl_->quads, sprite3D); q != nullptr && (kind == 1 || kind == 2) && range > 0.0f) {
        q->field.kind = kind;
        q->field.range = range;
    }
}

void FieldCanvas::FieldEffectsSprite3D(SpriteHandle sprite3D, const SpriteFontFieldEffects& effects) {
    if (Quad3D* q = Find(impl_->quads, sprite3D)) q->field.effects = effects;
}

void FieldCanvas::DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t transparency) {
    Impl& m = *impl_;
    const Quad3D* q = Find(m.quads, sprite3D);
    if (q == nullptr || !sprite3d_geometry::IsVisible(q->width, q->height)) return;
    float cx[4], cy[4];
    sprite3d_geometry::Corners(x, y, q->width, q->height, q->turn, cx, cy);
    const std::uint8_t alpha = static_cast<std::uint8_t>(std::clamp(transparency, 0, 255));
    const std::uint8_t r = q->tint & 0xFF, g = (q->tint >> 8) & 0xFF, b = (q->tint >> 16) & 0xFF;
    FieldState field = fieldsEnabled_ ? q->field : FieldState{};
    if (field.kind == 0) field = FieldState{};
    if (m.runs.empty() || m.runs.back().texture != q->texture || !(m.runs.back().field == field))
        m.runs.push_back(Run{q->texture, field, m.vertices.size() / 6, 0});
    ++m.runs.back().count;
    static const int kOrder[6] = {0, 1, 2, 1, 3, 2};
    for (int i : kOrder)
        m.vertices.push_back(Vertex{cx[i], cy[i], r, g, b, alpha, q->uv[2 * i], q->uv[2 * i + 1]});
}
