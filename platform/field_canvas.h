// field_canvas.h - an offscreen OpenGL 3.3 core canvas that draws the
// engine's 3D sprites with the distance-field program where a font is a
// field, and with the plain textured program otherwise.
//
// It is the field program's own test bed: the field tests, the comparison
// picture and the field benchmarks draw through it. Quads collect in one
// vertex array in runs of one 3D sprite's texture and field state and reach
// GL at Finish (one draw call per run). Sampling is bilinear. Start the
// platform in VideoMode::Offscreen first (SDL's video must be up).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sprite_font.h"

class FieldCanvas : public SpritePlatform {
public:
    // Null (with the reason in *why) when no GL 3.3 core context can be had.
    static std::unique_ptr<FieldCanvas> Open(std::int32_t width, std::int32_t height, std::string* why);
    ~FieldCanvas() override;

    // Off: field fonts are drawn as plain alpha, as a renderer without the
    // field program draws them.
    void SetFieldsEnabled(bool enabled) noexcept { fieldsEnabled_ = enabled; }

    void Clear(std::uint32_t colourBgr) noexcept;
    // Draws the collected quads; returns after the driver has drawn them.
    void Finish() noexcept;
    // The canvas as 0xAARRGGBB, rows from the top (draws first).
    std::vector<std::uint32_t> ReadPixels() noexcept;
    std::int32_t Width() const noexcept { return width_; }
    std::int32_t Height() const noexcept { return height_; }
    std::uint64_t DrawCalls() const noexcept { return drawCalls_; }

    SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size, std::int32_t flags) override;
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override;
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) override;
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override;
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) override;
    void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) override;
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y, std::int32_t transparency) override;
    void ColorSprite3D(SpriteHandle sprite3D, std::uint32_t rgb) override;
    void FieldSprite3D(SpriteHandle sprite3D, std::int32_t kind, float range) override;
    void FieldEffectsSprite3D(SpriteHandle sprite3D, const SpriteFontFieldEffects& effects) override;

    struct Impl;

private:
    explicit FieldCanvas(std::unique_ptr<Impl> impl, std::int32_t width, std::int32_t height);
    std::unique_ptr<Impl> impl_;
    std::int32_t width_, height_;
    bool fieldsEnabled_ = true;
    std::uint64_t drawCalls_ = 0;
};
