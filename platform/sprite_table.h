// sprite_table.h - the screen's sprites and 3D sprites: handles, and what a
// 3D sprite remembers between calls (texture rectangle, zoom, turn, tint).
// Knows no backend: textures arrive made.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "field_shader.h"
#include "gpu_texture.h"
#include "sprite3d_geometry.h"
#include "sprite_font.h"

struct SpriteSlot {
    std::unique_ptr<GpuTexture> texture;
    std::int32_t flags = 0;
};

struct Sprite3DSlot {
    bool used = false;
    GpuTexture* texture = nullptr;  // the sprite's, which is never replaced
    float uv[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    bool uvInTexture = true;  // every u, v within 0..1
    std::int32_t width = 0;
    std::int32_t height = 0;
    float degrees = 0.0f;
    sprite3d_geometry::Turn turn;
    std::uint8_t tint[3] = {255, 255, 255};  // red, green, blue the texels are multiplied by
    FieldState field;  // kind 0: the texture is plain coverage
};

class SpriteTable {
public:
    // Handles a caller may ask for; beyond this a request names nothing.
    static constexpr std::int32_t kMaxHandle = 65535;

    // Whether a sprite may be made under request (AutoHandle or a free
    // handle in 1..kMaxHandle); checked before any decoding work.
    bool SpriteRequestFree(std::int32_t request) const noexcept;
    // Stores the texture under the request (or the lowest free handle);
    // 0 when there is none or memory runs out.
    SpriteHandle AddSprite(std::int32_t request, std::unique_ptr<GpuTexture> texture, std::int32_t flags) noexcept;
    // A 3D sprite over the sprite: whole texture, white, texture-sized, upright.
    SpriteHandle AddSprite3D(std::int32_t request, SpriteHandle sprite) noexcept;

    Sprite3DSlot* Find3D(SpriteHandle handle) noexcept {
        if (handle <= 0 || static_cast<std::size_t>(handle) > sprites3D_.size()) return nullptr;
        Sprite3DSlot& slot = sprites3D_[static_cast<std::size_t>(handle) - 1];
        return slot.used ? &slot : nullptr;
    }

    void SetTexCoords(Sprite3DSlot& slot, const float uv[8]) noexcept;
    void Rotate(Sprite3DSlot& slot, float degrees, std::int32_t mode) noexcept;
    void Tint(Sprite3DSlot& slot, std::uint32_t rgb) noexcept;

    // Drops every texture (before the backend that made them goes).
    void Clear() noexcept {
        sprites3D_.clear();
        sprites_.clear();
    }

private:
    std::vector<SpriteSlot> sprites_;  // handle h lives at h - 1
    std::vector<Sprite3DSlot> sprites3D_;
};
