#include "field_shader.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <new>
#include <type_traits>

bool FieldState::operator==(const FieldState& o) const noexcept {
    const SpriteFontFieldEffects& a = effects;
    const SpriteFontFieldEffects& b = o.effects;
    return kind == o.kind && range == o.range && a.outlineWidth == b.outlineWidth &&
           a.outlineColor == b.outlineColor && a.shadowOffsetX == b.shadowOffsetX &&
           a.shadowOffsetY == b.shadowOffsetY && a.shadowSoftness == b.shadowSoftness &&
           a.shadowColor == b.shadowColor && a.shadowOpacity == b.shadowOpacity;
}

// d: distance to the edge in texels, positive inside. pixels: screen pixels
// per texel. Coverage ramps over one screen pixel centred on the edge.
const char* const kFieldFragmentShader = R"(#version 330 core
in vec4 v_colour;
in vec2 v_texCoord;
uniform sampler2D u_texture;
uniform int u_kind;
uniform float u_range;
uniform vec2 u_textureSize;
uniform float u_outline;
uniform vec3 u_outlineColour;
uniform vec2 u_shadowOffset;
uniform float u_shadowSoftness;
uniform vec4 u_shadowColour;
out vec4 o_colour;

float median(vec3 c) { return max(min(c.r, c.g), min(max(c.r, c.g), c.b)); }

void main() {
    vec4 t = texture(u_texture, v_texCoord);
    float shape = u_kind == 2 ? median(t.rgb) : t.a;
    vec2 texel = v_texCoord * u_textureSize;
    vec2 dx = dFdx(texel);
    vec2 dy = dFdy(texel);
    float texelsPerPixel = sqrt(max(abs(dx.x * dy.y - dx.y * dy.x), 1e-8));
    float pixels = 1.0 / texelsPerPixel;
    float reach = 0.5 * u_range;
    float d = (shape - 0.5) * u_range;
    float fill = clamp(d * pixels + 0.5, 0.0, 1.0);
    vec3 colour = v_colour.rgb;
    float alpha = fill;
    if (u_outline > 0.0) {
        // Outside the fill the true distance (alpha) carries the ring.
        float w = min(u_outline, reach - 0.5);
        float ring = clamp(((t.a - 0.5) * u_range + w) * pixels + 0.5, 0.0, 1.0);
        alpha = max(fill, ring);
        colour = mix(u_outlineColour, v_colour.rgb, alpha > 0.0 ? fill / alpha : 0.0);
    }
    if (u_shadowColour.a > 0.0) {
        // Farther than the field reaches the texels are another glyph's.
        vec2 offset = u_shadowOffset;
        float away = length(offset);
        if (away > reach) offset *= reach / away;
        float s = (texture(u_texture, v_texCoord - offset / u_textureSize).a - 0.5) * u_range;
        float width = max(min(u_shadowSoftness, reach), texelsPerPixel);
        float edge = u_outline > 0.0 ? min(u_outline, reach - 0.5) : 0.0;
        float shadow = clamp((s + edge) / width + 0.5, 0.0, 1.0) * u_shadowColour.a;
        float a = alpha + shadow * (1.0 - alpha);
        colour = a > 0.0 ? (colour * alpha + u_shadowColour.rgb * shadow * (1.0 - alpha)) / a : colour;
        alpha = a;
    }
    o_colour = vec4(colour, alpha * v_colour.a);
}
)";

struct FieldProgram::Gl {
    PFNGLCREATESHADERPROC CreateShader;
    PFNGLSHADERSOURCEPROC ShaderSource;
    PFNGLCOMPILESHADERPROC CompileShader;
    PFNGLGETSHADERIVPROC GetShaderiv;
    PFNGLGETSHADERINFOLOGPROC GetShaderInfoLog;
    PFNGLDELETESHADERPROC DeleteShader;
    PFNGLCREATEPROGRAMPROC CreateProgram;
    PFNGLATTACHSHADERPROC AttachShader;
    PFNGLLINKPROGRAMPROC LinkProgram;
    PFNGLGETPROGRAMIVPROC GetProgramiv;
    PFNGLGETPROGRAMINFOLOGPROC GetProgramInfoLog;
    PFNGLDELETEPROGRAMPROC DeleteProgram;
    PFNGLUSEPROGRAMPROC UseProgram;
    PFNGLGETUNIFORMLOCATIONPROC GetUniformLocation;
    PFNGLUNIFORM1IPROC Uniform1i;
    PFNGLUNIFORM1FPROC Uniform1f;
    PFNGLUNIFORM2FPROC Uniform2f;
    PFNGLUNIFORM3FPROC Uniform3f;
    PFNGLUNIFORM4FPROC Uniform4f;
    PFNGLUNIFORMMATRIX4FVPROC UniformMatrix4fv;

    bool Load() noexcept {
        bool all = true;
        const auto get = [&all](auto& function, const char* name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(SDL_GL_GetProcAddress(name));
            all = all && function != nullptr;
        };
#define FIELD_GL(name) get(name, "gl" #name)
        FIELD_GL(CreateShader), FIELD_GL(ShaderSource), FIELD_GL(CompileShader), FIELD_GL(GetShaderiv);
        FIELD_GL(GetShaderInfoLog), FIELD_GL(DeleteShader), FIELD_GL(CreateProgram), FIELD_GL(AttachShader);
        FIELD_GL(LinkProgram), FIELD_GL(GetProgramiv), FIELD_GL(GetProgramInfoLog), FIELD_GL(DeleteProgram);
        FIELD_GL(UseProgram), FIELD_GL(GetUniformLocation), FIELD_GL(Uniform1i), FIELD_GL(Uniform1f);
        FIELD_GL(Uniform2f), FIELD_GL(Uniform3f), FIELD_GL(Uniform4f), FIELD_GL(UniformMatrix4fv);
#undef FIELD_GL
        return all;
    }
};

FieldProgram::~FieldProgram() { delete gl_; }

void FieldProgram::Release() noexcept {
    if (gl_ != nullptr && program_ != 0) gl_->DeleteProgram(program_);
    program_ = 0;
}

bool FieldProgram::Build(const char* vertexShader, const float projection[16], std::string* log) noexcept {
    gl_ = new (std::nothrow) Gl{};
    if (gl_ == nullptr || !gl_->Load()) return false;
    Gl& gl = *gl_;
    const auto compile = [&](GLenum kind, const char* source) -> GLuint {
        const GLuint shader = gl.CreateShader(kind);
        gl.ShaderSource(shader, 1, &source, nullptr);
        gl.CompileShader(shader);
        GLint ok = GL_FALSE;
        gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (ok == GL_TRUE) return shader;
        char text[1024] = {};
        gl.GetShaderInfoLog(shader, sizeof text - 1, nullptr, text);
        try {
            *log = text;
        } catch (...) {
        }
        gl.DeleteShader(shader);
        return 0;
    };
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexShader);
    const GLuint fragment = vertex ? compile(GL_FRAGMENT_SHADER, kFieldFragmentShader) : 0;
    if (fragment == 0) {
        if (vertex) gl.DeleteShader(vertex);
        return false;
    }
    program_ = gl.CreateProgram();
    gl.AttachShader(program_, vertex);
    gl.AttachShader(program_, fragment);
    gl.LinkProgram(program_);
    gl.DeleteShader(vertex);
    gl.DeleteShader(fragment);
    GLint linked = GL_FALSE;
    gl.GetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) return false;
    gl.UseProgram(program_);
    gl.Uniform1i(gl.GetUniformLocation(program_, "u_texture"), 0);
    gl.UniformMatrix4fv(gl.GetUniformLocation(program_, "u_projection"), 1, GL_FALSE, projection);
    kind_ = gl.GetUniformLocation(program_, "u_kind");
    range_ = gl.GetUniformLocation(program_, "u_range");
    textureSize_ = gl.GetUniformLocation(program_, "u_textureSize");
    outline_ = gl.GetUniformLocation(program_, "u_outline");
    outlineColour_ = gl.GetUniformLocation(program_, "u_outlineColour");
    shadowOffset_ = gl.GetUniformLocation(program_, "u_shadowOffset");
    shadowSoftness_ = gl.GetUniformLocation(program_, "u_shadowSoftness");
    shadowColour_ = gl.GetUniformLocation(program_, "u_shadowColour");
    return true;
}

namespace {

float Channel(std::uint32_t bgr, int shift) { return static_cast<float>((bgr >> shift) & 0xFF) / 255.0f; }

}  // namespace

void FieldProgram::Use(const FieldState& s, std::int32_t textureWidth, std::int32_t textureHeight) noexcept {
    if (gl_ == nullptr || program_ == 0) return;
    Gl& gl = *gl_;
    const SpriteFontFieldEffects& e = s.effects;
    gl.UseProgram(program_);
    gl.Uniform1i(kind_, s.kind);
    gl.Uniform1f(range_, std::max(s.range, 1.0f));
    gl.Uniform2f(textureSize_, static_cast<float>(std::max(textureWidth, 1)),
                 static_cast<float>(std::max(textureHeight, 1)));
    gl.Uniform1f(outline_, e.outlineWidth);
    gl.Uniform3f(outlineColour_, Channel(e.outlineColor, 0), Channel(e.outlineColor, 8), Channel(e.outlineColor, 16));
    gl.Uniform2f(shadowOffset_, e.shadowOffsetX, e.shadowOffsetY);
    gl.Uniform1f(shadowSoftness_, e.shadowSoftness);
    gl.Uniform4f(shadowColour_, Channel(e.shadowColor, 0), Channel(e.shadowColor, 8), Channel(e.shadowColor, 16),
                 static_cast<float>(std::clamp(e.shadowOpacity, 0, 255)) / 255.0f);
}

bool NoteFieldFontsDrawnPlain(const char* backend) noexcept {
    static std::atomic<bool> said{false};
    if (said.exchange(true)) return false;
    std::fprintf(stderr,
                 "spritefont: the %s renderer cannot run the distance-field shader; field fonts are drawn as plain "
                 "alpha (soft at the edges)\n",
                 backend != nullptr ? backend : "SDL");
    return true;
}
