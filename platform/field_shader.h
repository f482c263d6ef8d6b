// field_shader.h - drawing distance-field glyphs on OpenGL 3.3 core.
//
// The fragment shader turns a field texel into coverage with an edge one
// screen pixel wide at any size and turn: the field gives the distance to
// the edge in texels, and the texture coordinates' screen-space derivatives
// give texels per screen pixel (the square root of the Jacobian's
// determinant, exact for the zoomed and turned quads the engine draws).
// Single-channel fields are read from alpha, multi-channel ones as the
// median of red, green and blue; outline and shadow read alpha, the true
// distance in both kinds. Tint (the vertex colour's red, green and blue)
// colours the fill, the vertex alpha (transparency) the whole glyph; the
// output is straight alpha for source-alpha-over blending, like every
// other quad.
//
// The program takes the vertex layout of the quad batch (position in
// pixels, colour bytes, texture coordinate) through a vertex shader the
// backend passes in, so it is a drop-in second program for a GL backend:
// draw a run of field quads between Use and the backend's own glUseProgram.
// Field textures must be sampled bilinearly whatever the 3D-sprite quality.
#pragma once

#include <cstdint>
#include <string>

#include "sprite_font.h"

// What a run of field quads is drawn with.
struct FieldState {
    std::int32_t kind = 0;     // 1 single-channel, 2 multi-channel; 0 is no field
    float range = 0.0f;        // texels from field value 0 to 1
    SpriteFontFieldEffects effects;
    bool operator==(const FieldState& other) const noexcept;
};

// The GLSL of the field's fragment stage: inputs v_colour (0..1) and
// v_texCoord, sampler u_texture on unit 0.
extern const char* const kFieldFragmentShader;

// The field program, on the GL context current when Build runs; every other
// call needs the same context current. Loads the few GL functions it uses
// through SDL, so it links no GL library of its own.
class FieldProgram {
public:
    FieldProgram() = default;
    ~FieldProgram();
    FieldProgram(const FieldProgram&) = delete;
    FieldProgram& operator=(const FieldProgram&) = delete;

    // Compiles and links with the backend's vertex shader (which must bind
    // its attributes by location and take the same u_projection).
    // projection: column-major 4 x 4, as the backend's own program has it.
    bool Build(const char* vertexShader, const float projection[16], std::string* log) noexcept;
    // Makes the program current with the state of a run over a texture of
    // the given size.
    void Use(const FieldState& state, std::int32_t textureWidth, std::int32_t textureHeight) noexcept;
    unsigned Name() const noexcept { return program_; }
    // Deletes the program; call while its context is still current (the
    // destructor only frees memory when this has run).
    void Release() noexcept;

private:
    struct Gl;
    Gl* gl_ = nullptr;
    unsigned program_ = 0;
    int kind_ = -1, range_ = -1, textureSize_ = -1, outline_ = -1, outlineColour_ = -1;
    int shadowOffset_ = -1, shadowSoftness_ = -1, shadowColour_ = -1;
};

// Whether a platform that cannot run the field program has said so; the
// first call prints the one line on standard error and returns true.
bool NoteFieldFontsDrawnPlain(const char* backend) noexcept;
