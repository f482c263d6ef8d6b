#include "sprite_table.h"

#include <cstring>
#include <new>

bool SpriteTable::SpriteRequestFree(std::int32_t request) const noexcept {
    if (request == AutoHandle) return true;
    if (request <= 0 || request > kMaxHandle) return false;
    // Never replace a texture that a 3D sprite may still show.
    return static_cast<std::size_t>(request) > sprites_.size() ||
           !sprites_[static_cast<std::size_t>(request) - 1].texture;
}

SpriteHandle SpriteTable::AddSprite(std::int32_t request, std::unique_ptr<GpuTexture> texture,
                                    std::int32_t flags) noexcept {
    if (!texture || !SpriteRequestFree(request)) return 0;
    // The lowest free handle, or exactly the one asked for.
    std::size_t index = 0;
    if (request == AutoHandle) {
        while (index < sprites_.size() && sprites_[index].texture) ++index;
        if (index >= static_cast<std::size_t>(kMaxHandle)) return 0;
    } else {
        index = static_cast<std::size_t>(request) - 1;
    }
    try {
        if (index >= sprites_.size()) sprites_.resize(index + 1);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    sprites_[index].texture = std::move(texture);
    sprites_[index].flags = flags;
    return static_cast<SpriteHandle>(index + 1);
}

SpriteHandle SpriteTable::AddSprite3D(std::int32_t request, SpriteHandle sprite) noexcept {
    if (sprite <= 0 || static_cast<std::size_t>(sprite) > sprites_.size()) return 0;
    const SpriteSlot& source = sprites_[static_cast<std::size_t>(sprite) - 1];
    if (!source.texture || !(source.flags & SpriteFlag3D)) return 0;
    if (request != AutoHandle && (request <= 0 || request > kMaxHandle)) return 0;

    std::size_t index = 0;
    if (request == AutoHandle) {
        while (index < sprites3D_.size() && sprites3D_[index].used) ++index;
        if (index >= static_cast<std::size_t>(kMaxHandle)) return 0;
    } else {
        index = static_cast<std::size_t>(request) - 1;
        if (index < sprites3D_.size() && sprites3D_[index].used) return 0;
    }
    try {
        if (index >= sprites3D_.size()) sprites3D_.resize(index + 1);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    Sprite3DSlot& slot = sprites3D_[index];
    slot = Sprite3DSlot{};
    slot.used = true;
    slot.texture = source.texture.get();
    slot.width = source.texture->Width();
    slot.height = source.texture->Height();
    return static_cast<SpriteHandle>(index + 1);
}

void SpriteTable::SetTexCoords(Sprite3DSlot& slot, const float uv[8]) noexcept {
    std::memcpy(slot.uv, uv, sizeof slot.uv);
    // Without a branch per coordinate: this runs for every glyph (NaN fails).
    bool inside = true;
    for (int i = 0; i < 8; ++i) inside &= (uv[i] >= 0.0f) & (uv[i] <= 1.0f);
    slot.uvInTexture = inside;
}

void SpriteTable::Rotate(Sprite3DSlot& slot, float degrees, std::int32_t mode) noexcept {
    if (mode == 0) {
        // A turned text sets the same angle for glyph after glyph: the turn
        // in force already holds its cosine and sine.
        if (std::memcmp(&slot.degrees, &degrees, sizeof degrees) == 0) return;
        slot.degrees = degrees;
    } else if (mode == 1) {
        slot.degrees += degrees;  // relative turn; other modes mean nothing
    } else {
        return;
    }
    slot.turn = sprite3d_geometry::TurnOf(slot.degrees);
}

void SpriteTable::Tint(Sprite3DSlot& slot, std::uint32_t rgb) noexcept {
    slot.tint[0] = static_cast<std::uint8_t>(rgb & 0xFF);
    slot.tint[1] = static_cast<std::uint8_t>((rgb >> 8) & 0xFF);
    slot.tint[2] = static_cast<std::uint8_t>((rgb >> 16) & 0xFF);
}
