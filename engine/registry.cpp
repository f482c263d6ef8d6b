// Font registry: the font table, the font list, the packed-font reader and
// the style setter.
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "numbers.h"
#include "sprite_font.h"

namespace {

using sprite_font_detail::RoundToInt32;

constexpr std::size_t kTableSlots = 65536;
constexpr FontId kSmallIdMask = ~FontId{0xFFFF};
constexpr std::size_t kHeaderSize = 20;  // magic (16) + atlas length (4)
constexpr std::size_t kRecordSize = 17;

struct Registry {
    std::unique_ptr<SpriteFont*[]> table;
    std::vector<std::unique_ptr<SpriteFont>> fonts;  // owns every font ever loaded
    std::unordered_set<FontId> handles;              // tells a real handle from any other large value
};

Registry* g_registry = nullptr;
SpritePlatform* g_platform = nullptr;

std::int32_t ReadInt32(const unsigned char* p) noexcept {
    const std::uint32_t v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                            std::uint32_t{p[3]} << 24;
    return static_cast<std::int32_t>(v);
}

std::int32_t ReadInt16(const unsigned char* p) noexcept {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

// A view of the block that knows whether its end is known; the unsized load
// trusts constant data to carry its own terminator.
struct Block {
    const unsigned char* data;
    std::size_t size;  // UnknownSize: no known end
    bool Has(std::size_t offset, std::size_t count) const noexcept {
        if (size == UnknownSize) return true;
        return offset <= size && count <= size - offset;
    }
};

void ReadAtlas(const Block& block, SpriteFont& font) noexcept {
    SpritePlatform* platform = g_platform;
    if (platform == nullptr) return;  // no screen yet: the font keeps handles 0
    if (block.data != nullptr && block.Has(kHeaderSize, 1)) {
        const std::size_t atlasSize = block.size == UnknownSize ? UnknownSize : block.size - kHeaderSize;
        font.sprite = platform->CreateSprite(AutoHandle, block.data + kHeaderSize, atlasSize,
                                             SpriteFlag3D | SpriteFlagAlpha);
    }
    font.sprite3D = platform->CreateSprite3D(AutoHandle, font.sprite);
}

void ReadGlyphRecords(const Block& block, SpriteFont& font) noexcept {
    if (block.data == nullptr || !block.Has(0, kHeaderSize)) return;
    const std::int32_t atlasLength = ReadInt32(block.data + 16);
    if (atlasLength < 0) return;  // would point before the atlas
    std::size_t pos = kHeaderSize + static_cast<std::size_t>(atlasLength);
    // A record cut short or a missing terminator ends the list; complete
    // records before that point are kept.
    while (block.Has(pos, 1) && block.data[pos] != 0) {
        if (!block.Has(pos, kRecordSize)) return;
        const unsigned char* r = block.data + pos;
        GlyphSlot& slot = font.glyphs[r[0]];
        slot.present = 1;
        slot.offsetX = ReadInt16(r + 1);
        slot.offsetY = ReadInt16(r + 3);
        slot.advance = ReadInt16(r + 5);
        slot.lineHeight = ReadInt16(r + 7);
        slot.srcX = ReadInt16(r + 9);
        slot.srcY = ReadInt16(r + 11);
        slot.srcWidth = ReadInt16(r + 13);
        slot.srcHeight = ReadInt16(r + 15);
        pos += kRecordSize;
    }
}

FontId Load(FontId id, const Block& block) noexcept {
    Registry* registry = g_registry;
    if (registry == nullptr) return 0;
    if (id != AutoId && id >= kTableSlots) return 0;  // no slot for it, and no write outside the table
    SpriteFont* font = nullptr;
    try {
        auto owned = std::make_unique<SpriteFont>();  // value-initialised: all zero
        // Geometric growth: reserving one more each time would copy the list on every load.
        if (registry->fonts.size() == registry->fonts.capacity())
            registry->fonts.reserve(registry->fonts.empty() ? 16 : 2 * registry->fonts.size());
        registry->handles.insert(reinterpret_cast<FontId>(owned.get()));
        font = owned.get();
        registry->fonts.push_back(std::move(owned));  // cannot throw after the reserve
    } catch (...) {
        return 0;  // out of memory: nothing was registered
    }
    if (id != AutoId) registry->table[id] = font;

    font->StyleTransparency = 255;
    font->StyleSize = 1.0f;
    ReadAtlas(block, *font);
    ReadGlyphRecords(block, *font);
    return reinterpret_cast<FontId>(font);
}

}  // namespace

void SetSpritePlatform(SpritePlatform* platform) noexcept { g_platform = platform; }

SpritePlatform* GetSpritePlatform() noexcept { return g_platform; }

void InitSpriteFonts() noexcept {
    if (g_registry != nullptr) return;  // a second set-up must not drop loaded fonts
    auto* registry = new (std::nothrow) Registry;
    if (registry == nullptr) return;
    registry->table.reset(new (std::nothrow) SpriteFont* [kTableSlots] {});
    if (!registry->table) {
        delete registry;
        return;
    }
    g_registry = registry;
}

FontId LoadSpriteFont(FontId id, const void* data) noexcept {
    return Load(id, Block{static_cast<const unsigned char*>(data), data ? UnknownSize : 0});
}

FontId LoadSpriteFont(FontId id, const void* data, std::size_t size) noexcept {
    if (size == UnknownSize) size = UnknownSize - 1;  // a known size, however large
    return Load(id, Block{static_cast<const unsigned char*>(data), data ? size : 0});
}

SpriteFont* GetSpriteFont(FontId id) noexcept {
    const Registry* registry = g_registry;
    if (registry == nullptr) return nullptr;
    if ((id & kSmallIdMask) == 0) return registry->table[id];
    // Only values a load returned are fonts; anything else is never dereferenced.
    if (registry->handles.find(id) == registry->handles.end()) return nullptr;
    return reinterpret_cast<SpriteFont*>(id);
}

std::int32_t SetSpriteFontStyle(FontId id, std::int32_t kind, float value) noexcept {
    SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr) return 0;
    switch (kind) {
        case StyleTransparency: font->StyleTransparency = RoundToInt32(value); break;
        case StyleSize: font->StyleSize = value; break;
        case StyleRotation: font->StyleRotation = value; break;
        case StyleArc: font->StyleArc = value; break;
        case StyleAlignX: font->StyleAlignX = value; break;
        case StyleAlignY: font->StyleAlignY = value; break;
        case StyleMaxLength: font->StyleMaxLength = value; break;
        default: break;
    }
    return 0;
}
