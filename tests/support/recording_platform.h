// A SpritePlatform that only records: every call becomes a value in a log,
// handles come from a counter, and creation can be made to fail.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "sprite_font.h"

namespace test_support {

enum class Op { CreateSprite, CreateSprite3D, TexCoords, Zoom, Rotate, Display, Color, Field, FieldEffects };

struct Call {
    Op op{};
    SpriteHandle handle = 0;           // request for creations, else the 3D sprite
    std::array<std::int32_t, 3> i{};   // CreateSprite: flags, Create3D: sprite, Zoom: w h, Rotate: mode, Display: x y t, Color: rgb,
                                       // Field: kind, FieldEffects: outline colour, shadow colour, shadow opacity
    std::array<float, 8> f{};          // Rotate: degrees, TexCoords: u v of four corners, Field: range,
                                       // FieldEffects: outline width, shadow x, y, softness
    std::size_t size = 0;              // CreateSprite: bytes offered
    const void* data = nullptr;        // CreateSprite: the image's first byte
    bool operator==(const Call& other) const;
};

// Expected-call builders for traces.
Call TexRect(SpriteHandle sprite, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
             std::int32_t textureWidth = 1024, std::int32_t textureHeight = 1024);
Call Zoom(SpriteHandle sprite, std::int32_t w, std::int32_t h);
Call Rotate(SpriteHandle sprite, float degrees);
Call Display(SpriteHandle sprite, std::int32_t x, std::int32_t y, std::int32_t transparency);
Call Color(SpriteHandle sprite, std::uint32_t rgb);
Call Field(SpriteHandle sprite, std::int32_t kind, float range);
Call FieldEffects(SpriteHandle sprite, const SpriteFontFieldEffects& effects);

void PrintTo(const Call& call, std::ostream* os);  // floats as %a so one ulp shows

class RecordingPlatform : public SpritePlatform {
public:
    std::vector<Call> log;
    bool failSprite = false;
    bool failSprite3D = false;
    std::int32_t textureWidth = 1024;
    std::int32_t textureHeight = 1024;

    // Drops the creation calls so traces show only drawing.
    std::vector<Call> DrawCalls() const;

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

private:
    SpriteHandle next_ = 100;
    std::vector<SpriteHandle> sprites3D_;
};

// Installs a platform for the scope of a test and restores the previous one.
class ScopedPlatform {
public:
    explicit ScopedPlatform(SpritePlatform* platform) : previous_(GetSpritePlatform()) { SetSpritePlatform(platform); }
    ~ScopedPlatform() { SetSpritePlatform(previous_); }
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    SpritePlatform* previous_;
};

}  // namespace test_support
