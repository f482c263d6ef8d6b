#include "recording_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace test_support {

bool Call::operator==(const Call& other) const {
    // Floats compare by bits, so -0.0 and 0.0 differ and NaN equals itself.
    return op == other.op && handle == other.handle && i == other.i &&
           std::memcmp(f.data(), other.f.data(), sizeof f) == 0 && size == other.size &&
           (op != Op::CreateSprite || data == other.data);
}

Call TexRect(SpriteHandle sprite, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
             std::int32_t textureWidth, std::int32_t textureHeight) {
    const float tw = static_cast<float>(textureWidth), th = static_cast<float>(textureHeight);
    const float l = static_cast<float>(x) / tw, r = static_cast<float>(x + w) / tw;
    const float t = static_cast<float>(y) / th, b = static_cast<float>(y + h) / th;
    Call c{Op::TexCoords, sprite};
    c.f = {l, t, r, t, l, b, r, b};
    return c;
}

Call Zoom(SpriteHandle sprite, std::int32_t w, std::int32_t h) { return Call{Op::Zoom, sprite, {w, h, 0}}; }

Call Rotate(SpriteHandle sprite, float degrees) {
    Call c{Op::Rotate, sprite};
    c.f[0] = degrees;
    return c;
}

Call Display(SpriteHandle sprite, std::int32_t x, std::int32_t y, std::int32_t transparency) {
    return Call{Op::Display, sprite, {x, y, transparency}};
}

Call Color(SpriteHandle sprite, std::uint32_t rgb) {
    return Call{Op::Color, sprite, {static_cast<std::int32_t>(rgb), 0, 0}};
}

Call Field(SpriteHandle sprite, std::int32_t kind, float range) {
    Call c{Op::Field, sprite, {kind, 0, 0}};
    c.f[0] = range;
    return c;
}

Call FieldEffects(SpriteHandle sprite, const SpriteFontFieldEffects& e) {
    Call c{Op::FieldEffects, sprite,
           {static_cast<std::int32_t>(e.outlineColor), static_cast<std::int32_t>(e.shadowColor), e.shadowOpacity}};
    c.f[0] = e.outlineWidth;
    c.f[1] = e.shadowOffsetX;
    c.f[2] = e.shadowOffsetY;
    c.f[3] = e.shadowSoftness;
    return c;
}

void PrintTo(const Call& call, std::ostream* os) {
    static const char* const names[] = {"CreateSprite", "CreateSprite3D", "TexCoords", "Zoom",
                                        "Rotate",       "Display",        "Color",     "Field", "FieldEffects"};
    char buf[64];
    *os << names[static_cast<int>(call.op)] << "(" << call.handle;
    for (std::int32_t v : call.i) *os << ", " << v;
    for (float v : call.f) {
        std::snprintf(buf, sizeof buf, ", %a", static_cast<double>(v));
        *os << buf;
    }
    *os << ", size " << call.size << ")";
}

std::vector<Call> RecordingPlatform::DrawCalls() const {
    std::vector<Call> out;
    std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                 [](const Call& c) { return c.op != Op::CreateSprite && c.op != Op::CreateSprite3D; });
    return out;
}

SpriteHandle RecordingPlatform::CreateSprite(std::int32_t request, const void* data, std::size_t size,
                                             std::int32_t flags) {
    Call c{Op::CreateSprite, request, {flags, 0, 0}};
    c.size = size;
    c.data = data;
    log.push_back(c);
    return failSprite ? 0 : next_++;
}

SpriteHandle RecordingPlatform::CreateSprite3D(std::int32_t request, SpriteHandle sprite) {
    log.push_back(Call{Op::CreateSprite3D, request, {sprite, 0, 0}});
    if (failSprite3D || sprite == 0) return 0;
    sprites3D_.push_back(next_);
    return next_++;
}

bool RecordingPlatform::Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) {
    if (std::find(sprites3D_.begin(), sprites3D_.end(), sprite3D) == sprites3D_.end()) return false;
    *width = textureWidth;
    *height = textureHeight;
    return true;
}

void RecordingPlatform::SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) {
    Call c{Op::TexCoords, sprite3D};
    std::copy(uv, uv + 8, c.f.begin());
    log.push_back(c);
}

void RecordingPlatform::ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) {
    log.push_back(Zoom(sprite3D, width, height));
}

void RecordingPlatform::RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) {
    Call c = Rotate(sprite3D, degrees);
    c.i[0] = mode;
    log.push_back(c);
}

void RecordingPlatform::DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y,
                                        std::int32_t transparency) {
    log.push_back(Display(sprite3D, x, y, transparency));
}

void RecordingPlatform::ColorSprite3D(SpriteHandle sprite3D, std::uint32_t rgb) { log.push_back(Color(sprite3D, rgb)); }

}  // namespace test_support

namespace test_support {

void RecordingPlatform::FieldSprite3D(SpriteHandle sprite3D, std::int32_t kind, float range) {
    log.push_back(Field(sprite3D, kind, range));
}

void RecordingPlatform::FieldEffectsSprite3D(SpriteHandle sprite3D, const SpriteFontFieldEffects& effects) {
    log.push_back(FieldEffects(sprite3D, effects));
}

}  // namespace test_support
