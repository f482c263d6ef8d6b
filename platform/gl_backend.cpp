#include "gl_backend.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include "field_shader.h"

namespace {

// The GL entry points the renderer uses, loaded through SDL (no link to a
// GL library).
struct GlFunctions {
    decltype(&::glGetString) GetString;
    decltype(&::glGetIntegerv) GetIntegerv;
    decltype(&::glEnable) Enable;
    decltype(&::glDisable) Disable;
    decltype(&::glViewport) Viewport;
    decltype(&::glScissor) Scissor;
    decltype(&::glClearColor) ClearColor;
    decltype(&::glClear) Clear;
    PFNGLBLENDFUNCSEPARATEPROC BlendFuncSeparate;
    PFNGLBLENDEQUATIONPROC BlendEquation;
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
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer;
    decltype(&::glReadPixels) ReadPixels;
    decltype(&::glFinish) Finish;
    PFNGLGENVERTEXARRAYSPROC GenVertexArrays;
    PFNGLDELETEVERTEXARRAYSPROC DeleteVertexArrays;
    PFNGLBINDVERTEXARRAYPROC BindVertexArray;
    PFNGLGENBUFFERSPROC GenBuffers;
    PFNGLDELETEBUFFERSPROC DeleteBuffers;
    PFNGLBINDBUFFERPROC BindBuffer;
    PFNGLBUFFERDATAPROC BufferData;
    PFNGLMAPBUFFERRANGEPROC MapBufferRange;
    PFNGLUNMAPBUFFERPROC UnmapBuffer;
    PFNGLENABLEVERTEXATTRIBARRAYPROC EnableVertexAttribArray;
    PFNGLVERTEXATTRIBPOINTERPROC VertexAttribPointer;
    decltype(&::glDrawArrays) DrawArrays;
    PFNGLCREATESHADERPROC CreateShader;
    PFNGLSHADERSOURCEPROC ShaderSource;
    PFNGLCOMPILESHADERPROC CompileShader;
    PFNGLGETSHADERIVPROC GetShaderiv;
    PFNGLGETSHADERINFOLOGPROC GetShaderInfoLog;
    PFNGLDELETESHADERPROC DeleteShader;
    PFNGLCREATEPROGRAMPROC CreateProgram;
    PFNGLATTACHSHADERPROC AttachShader;
    PFNGLBINDATTRIBLOCATIONPROC BindAttribLocation;
    PFNGLLINKPROGRAMPROC LinkProgram;
    PFNGLGETPROGRAMIVPROC GetProgramiv;
    PFNGLGETPROGRAMINFOLOGPROC GetProgramInfoLog;
    PFNGLDELETEPROGRAMPROC DeleteProgram;
    PFNGLUSEPROGRAMPROC UseProgram;
    PFNGLGETUNIFORMLOCATIONPROC GetUniformLocation;
    PFNGLUNIFORM1IPROC Uniform1i;
    PFNGLUNIFORMMATRIX4FVPROC UniformMatrix4fv;

    bool Load() noexcept {
        bool all = true;
        const auto get = [&all](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(SDL_GL_GetProcAddress(name));
            all = all && function != nullptr;
        };
#define SPRITEFONT_GL(name) get(name, "gl" #name)
        SPRITEFONT_GL(GetString), SPRITEFONT_GL(GetIntegerv), SPRITEFONT_GL(Enable), SPRITEFONT_GL(Disable);
        SPRITEFONT_GL(Viewport), SPRITEFONT_GL(Scissor), SPRITEFONT_GL(ClearColor), SPRITEFONT_GL(Clear);
        SPRITEFONT_GL(BlendFuncSeparate), SPRITEFONT_GL(BlendEquation), SPRITEFONT_GL(PixelStorei);
        SPRITEFONT_GL(GenTextures), SPRITEFONT_GL(DeleteTextures), SPRITEFONT_GL(BindTexture);
        SPRITEFONT_GL(TexParameteri), SPRITEFONT_GL(TexImage2D), SPRITEFONT_GL(GenFramebuffers);
        SPRITEFONT_GL(DeleteFramebuffers), SPRITEFONT_GL(BindFramebuffer), SPRITEFONT_GL(FramebufferTexture2D);
        SPRITEFONT_GL(CheckFramebufferStatus), SPRITEFONT_GL(BlitFramebuffer), SPRITEFONT_GL(ReadPixels);
        SPRITEFONT_GL(Finish), SPRITEFONT_GL(GenVertexArrays), SPRITEFONT_GL(DeleteVertexArrays);
        SPRITEFONT_GL(BindVertexArray), SPRITEFONT_GL(GenBuffers), SPRITEFONT_GL(DeleteBuffers);
        SPRITEFONT_GL(BindBuffer), SPRITEFONT_GL(BufferData), SPRITEFONT_GL(MapBufferRange);
        SPRITEFONT_GL(UnmapBuffer), SPRITEFONT_GL(EnableVertexAttribArray), SPRITEFONT_GL(VertexAttribPointer);
        SPRITEFONT_GL(DrawArrays), SPRITEFONT_GL(CreateShader), SPRITEFONT_GL(ShaderSource);
        SPRITEFONT_GL(CompileShader), SPRITEFONT_GL(GetShaderiv), SPRITEFONT_GL(GetShaderInfoLog);
        SPRITEFONT_GL(DeleteShader), SPRITEFONT_GL(CreateProgram), SPRITEFONT_GL(AttachShader);
        SPRITEFONT_GL(BindAttribLocation), SPRITEFONT_GL(LinkProgram), SPRITEFONT_GL(GetProgramiv);
        SPRITEFONT_GL(GetProgramInfoLog), SPRITEFONT_GL(DeleteProgram), SPRITEFONT_GL(UseProgram);
        SPRITEFONT_GL(GetUniformLocation), SPRITEFONT_GL(Uniform1i), SPRITEFONT_GL(UniformMatrix4fv);
#undef SPRITEFONT_GL
        return all;
    }
};

// Positions in pixels, colours as bytes 0..255; the products are those of
// SDL's GL renderer (which sends colour bytes times 1/255 in float and a
// fixed-function matrix), so both round alike.
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

constexpr const char* kFragmentShader = R"(#version 330 core
in vec4 v_colour;
in vec2 v_texCoord;
uniform sampler2D u_texture;
out vec4 o_colour;
void main() {
    o_colour = texture(u_texture, v_texCoord) * v_colour;
}
)";

class GlBackend;

class GlTexture final : public GpuTexture {
public:
    GlTexture(GlBackend& owner, GLuint texture, std::int32_t width, std::int32_t height)
        : GpuTexture(width, height), backend(owner), name(texture) {}
    ~GlTexture() override;
    GlBackend& backend;
    GLuint name;
    bool linear = false;
};

class GlBackend final : public RenderBackend {
public:
    GlBackend(SDL_Window* window, SDL_GLContext context) : window_(window), context_(context) {}
    ~GlBackend() override {
        MakeCurrent();
        fieldProgram_.Release();
        if (program_) gl.DeleteProgram(program_);
        if (buffer_) gl.DeleteBuffers(1, &buffer_);
        if (vertexArray_) gl.DeleteVertexArrays(1, &vertexArray_);
        if (framebuffer_) gl.DeleteFramebuffers(1, &framebuffer_);
        if (backBuffer_) gl.DeleteTextures(1, &backBuffer_);
        SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(context_);
    }

    bool Prepare(bool vsync, PlatformStatus* status) noexcept;

    const char* Name() const noexcept override { return "gl"; }
    std::int32_t MaxTextureSide() const noexcept override { return maxTextureSide_; }
    PixelOrder TextureOrder() const noexcept override { return PixelOrder::Rgba; }
    std::unique_ptr<GpuTexture> CreateTexture(DecodedImage& image, bool opaque) noexcept override;
    void Draw(const QuadBatch& batch) noexcept override;
    bool ReadPixels(std::span<std::uint32_t> out) noexcept override;
    void Present() noexcept override;
    void Finish() noexcept override {
        MakeCurrent();
        gl.Finish();
    }
    bool PresentWaitsForRetrace() const noexcept override { return retrace_; }
    bool DrawsFields() const noexcept override { return fields_; }

    // Several screens may be open, each with its own context.
    void MakeCurrent() noexcept {
        if (SDL_GL_GetCurrentContext() != context_) SDL_GL_MakeCurrent(window_, context_);
    }

    void Forget(GLuint texture) noexcept {
        MakeCurrent();
        if (bound_ == texture) bound_ = 0;
        gl.DeleteTextures(1, &texture);
    }

    GlFunctions gl{};

private:
    GLuint Compile(GLenum kind, const char* source, std::string* log) noexcept;
    bool GrowBuffer(std::size_t bytes) noexcept;
    void Clear(std::uint32_t colour) noexcept;
    void ClearRect(const PixelRect& rect, std::uint32_t colour) noexcept;

    SDL_Window* window_;
    SDL_GLContext context_;
    GLuint program_ = 0;
    FieldProgram fieldProgram_;  // distance-field runs
    bool fields_ = false;
    GLuint vertexArray_ = 0;
    GLuint buffer_ = 0;
    std::size_t bufferBytes_ = 0;
    GLuint framebuffer_ = 0;
    GLuint backBuffer_ = 0;
    GLuint bound_ = 0;  // the texture bound to unit 0
    std::int32_t maxTextureSide_ = 0;
    bool retrace_ = false;
};

GlTexture::~GlTexture() { backend.Forget(name); }

GLuint GlBackend::Compile(GLenum kind, const char* source, std::string* log) noexcept {
    const GLuint shader = gl.CreateShader(kind);
    gl.ShaderSource(shader, 1, &source, nullptr);
    gl.CompileShader(shader);
    GLint ok = GL_FALSE;
    gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok == GL_TRUE) return shader;
    char text[512] = {};
    gl.GetShaderInfoLog(shader, sizeof text - 1, nullptr, text);
    try {
        *log = text;
    } catch (...) {
    }
    gl.DeleteShader(shader);
    return 0;
}

bool GlBackend::Prepare(bool vsync, PlatformStatus* status) noexcept {
    auto fail = [&](const char* what, const std::string& detail) {
        status->error = PlatformError::NoRenderer;
        try {
            status->detail = std::string(what) + (detail.empty() ? "" : ": " + detail);
        } catch (...) {
        }
        return false;
    };
    if (!gl.Load()) return fail("the GL driver lacks functions of OpenGL 3.3", {});

    std::string log;
    const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader, &log);
    const GLuint fragment = vertex ? Compile(GL_FRAGMENT_SHADER, kFragmentShader, &log) : 0;
    if (!fragment) {
        if (vertex) gl.DeleteShader(vertex);
        return fail("the shaders do not compile", log);
    }
    program_ = gl.CreateProgram();
    gl.AttachShader(program_, vertex);
    gl.AttachShader(program_, fragment);
    gl.LinkProgram(program_);
    gl.DeleteShader(vertex);
    gl.DeleteShader(fragment);
    GLint linked = GL_FALSE;
    gl.GetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) return fail("the shaders do not link", {});
    gl.UseProgram(program_);
    gl.Uniform1i(gl.GetUniformLocation(program_, "u_texture"), 0);
    // glOrtho(0, 800, 0, 600, 0, 1) as Mesa builds it in float: row 0 of
    // the back buffer is the screen's top row, as in SDL's render targets.
    const GLfloat projection[16] = {2.0f / static_cast<float>(kScreenWidth), 0, 0, 0,
                                    0, 2.0f / static_cast<float>(kScreenHeight), 0, 0,
                                    0, 0, -2.0f, 0,
                                    -1.0f, -1.0f, -1.0f, 1.0f};
    gl.UniformMatrix4fv(gl.GetUniformLocation(program_, "u_projection"), 1, GL_FALSE, projection);
    // Without the field program the screen still works: fields draw as alpha.
    std::string fieldLog;
    fields_ = fieldProgram_.Build(kVertexShader, projection, &fieldLog);
    gl.UseProgram(program_);

    gl.GenVertexArrays(1, &vertexArray_);
    gl.BindVertexArray(vertexArray_);
    gl.GenBuffers(1, &buffer_);
    gl.BindBuffer(GL_ARRAY_BUFFER, buffer_);
    if (!GrowBuffer(1024 * kVerticesPerQuad * sizeof(QuadVertex))) return fail("no memory for vertices", {});
    gl.EnableVertexAttribArray(0);
    gl.EnableVertexAttribArray(1);
    gl.EnableVertexAttribArray(2);
    gl.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), reinterpret_cast<const void*>(offsetof(QuadVertex, x)));
    gl.VertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_FALSE, sizeof(QuadVertex), reinterpret_cast<const void*>(offsetof(QuadVertex, r)));
    gl.VertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(QuadVertex), reinterpret_cast<const void*>(offsetof(QuadVertex, u)));

    // The back buffer: an RGBA8 texture, as SDL's render targets are.
    gl.GenTextures(1, &backBuffer_);
    gl.BindTexture(GL_TEXTURE_2D, backBuffer_);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kScreenWidth, kScreenHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    gl.GenFramebuffers(1, &framebuffer_);
    gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, backBuffer_, 0);
    if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        status->error = PlatformError::TargetTexture;
        status->detail = "the back buffer is not a complete framebuffer";
        return false;
    }
    gl.Viewport(0, 0, kScreenWidth, kScreenHeight);
    gl.Disable(GL_DEPTH_TEST);
    gl.Disable(GL_CULL_FACE);
    gl.BlendEquation(GL_FUNC_ADD);
    gl.BlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl.Enable(GL_BLEND);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);

    GLint side = 0;
    gl.GetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    maxTextureSide_ = std::min<std::int32_t>(side > 0 ? side : kMaxImageSide, kMaxImageSide);
    if (vsync) {
        SDL_GL_SetSwapInterval(1);
        retrace_ = SDL_GL_GetSwapInterval() != 0;  // -1 is adaptive; a virtual X server reads 0
    } else {
        SDL_GL_SetSwapInterval(0);
    }
    return true;
}

bool GlBackend::GrowBuffer(std::size_t bytes) noexcept {
    if (bytes <= bufferBytes_) return true;
    std::size_t size = std::max<std::size_t>(bufferBytes_, 1);
    while (size < bytes) size *= 2;
    gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(size), nullptr, GL_STREAM_DRAW);
    bufferBytes_ = size;
    return true;
}

std::unique_ptr<GpuTexture> GlBackend::CreateTexture(DecodedImage& image, bool opaque) noexcept {
    MakeCurrent();
    GLuint name = 0;
    gl.GenTextures(1, &name);
    if (name == 0) return nullptr;
    std::unique_ptr<GlTexture> texture;
    try {
        texture = std::make_unique<GlTexture>(*this, name, image.width, image.height);
    } catch (const std::bad_alloc&) {
        gl.DeleteTextures(1, &name);
        return nullptr;
    }
    gl.BindTexture(GL_TEXTURE_2D, bound_ = name);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // An opaque sprite reads alpha 1 wherever its image had alpha: no pass
    // over the pixels.
    if (opaque && image.hasAlpha) gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
    // The decoder's rows, in the driver's own byte order, go in once.
    const GLenum format = image.order == PixelOrder::Rgba ? GL_RGBA : GL_BGRA;
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image.width, image.height, 0, format, GL_UNSIGNED_BYTE,
                  image.pixels.data());
    return texture;
}

void GlBackend::Clear(std::uint32_t colour) noexcept {
    constexpr float inv255 = 1.0f / 255.0f;
    gl.ClearColor(static_cast<float>(colour & 0xFF) * inv255, static_cast<float>((colour >> 8) & 0xFF) * inv255,
                  static_cast<float>((colour >> 16) & 0xFF) * inv255, 1.0f);
    gl.Clear(GL_COLOR_BUFFER_BIT);
}

void GlBackend::Draw(const QuadBatch& batch) noexcept {
    MakeCurrent();
    const std::size_t bytes = batch.Quads() * kVerticesPerQuad * sizeof(QuadVertex);
    if (bytes != 0) {
        GrowBuffer(bytes);
        // Invalidating lets the driver hand out memory the GPU is not
        // reading, without the fresh pages that orphaning would cost.
        void* mapped = gl.MapBufferRange(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes),
                                         GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
        if (mapped == nullptr) return;
        std::memcpy(mapped, batch.Vertices(), bytes);
        gl.UnmapBuffer(GL_ARRAY_BUFFER);
    }
    for (const BatchCommand& command : batch.Commands()) {
        switch (command.step) {
        case BatchStep::Quads: {
            auto& texture = static_cast<GlTexture&>(*command.texture);
            if (texture.name != bound_) gl.BindTexture(GL_TEXTURE_2D, bound_ = texture.name);
            if (texture.linear != command.linear) {
                const GLint filter = command.linear ? GL_LINEAR : GL_NEAREST;
                gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
                gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
                texture.linear = command.linear;
            }
            if (command.field != 0) fieldProgram_.Use(batch.Field(command), texture.Width(), texture.Height());
            gl.DrawArrays(GL_TRIANGLES, static_cast<GLint>(command.first * kVerticesPerQuad),
                          static_cast<GLsizei>(command.count * kVerticesPerQuad));
            if (command.field != 0) gl.UseProgram(program_);
            break;
        }
        case BatchStep::Clear:
            Clear(command.colour);
            break;
        case BatchStep::Fill:
            // Opaque rectangles replace pixels: a clear limited by the scissor.
            gl.Enable(GL_SCISSOR_TEST);
            ClearRect(command.rect, command.colour);
            gl.Disable(GL_SCISSOR_TEST);
            break;
        case BatchStep::Points:
            gl.Enable(GL_SCISSOR_TEST);
            for (std::size_t i = 0; i < command.count; ++i) {
                const PixelPoint& point = batch.Points()[command.first + i];
                ClearRect(PixelRect{point.x, point.y, 1, 1}, command.colour);
            }
            gl.Disable(GL_SCISSOR_TEST);
            break;
        }
    }
}

// Row y of the screen is row y of the back buffer.
void GlBackend::ClearRect(const PixelRect& rect, std::uint32_t colour) noexcept {
    gl.Scissor(rect.x, rect.y, rect.width, rect.height);
    Clear(colour);
}

bool GlBackend::ReadPixels(std::span<std::uint32_t> out) noexcept {
    MakeCurrent();
    gl.ReadPixels(0, 0, kScreenWidth, kScreenHeight, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out.data());
    return true;
}

void GlBackend::Present() noexcept {
    MakeCurrent();
    // The window's rows run bottom first: the copy turns the frame over.
    gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl.BlitFramebuffer(0, 0, kScreenWidth, kScreenHeight, 0, kScreenHeight, kScreenWidth, 0, GL_COLOR_BUFFER_BIT,
                       GL_NEAREST);
    SDL_GL_SwapWindow(window_);
    gl.BindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

}  // namespace

std::unique_ptr<RenderBackend> CreateGlBackend(SDL_Window* window, bool vsync, PlatformStatus* status) {
    if (window == nullptr) return nullptr;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GLContext context = SDL_GL_CreateContext(window);
    // Later contexts (SDL's own renderer, an application's) start from SDL's defaults.
    SDL_GL_ResetAttributes();
    if (context == nullptr) {
        status->error = PlatformError::NoRenderer;
        status->detail = SDL_GetError();
        return nullptr;
    }
    std::unique_ptr<GlBackend> backend;
    try {
        backend = std::make_unique<GlBackend>(window, context);
    } catch (const std::bad_alloc&) {
        SDL_GL_DeleteContext(context);
        return nullptr;
    }
    if (!backend->Prepare(vsync, status)) return nullptr;
    return backend;
}
