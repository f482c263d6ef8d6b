// Font registry: the font table, the font list, the packed-font reader and
// the style setter.
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "font_extras.h"
#include "numbers.h"
#include "packed_format.h"
#include "sprite_font.h"

namespace {

using sprite_font_detail::FontExtras;
using sprite_font_detail::FontRecord;
using sprite_font_detail::RoundToInt32;
namespace format = sprite_font_format;

constexpr std::size_t kTableSlots = 65536;
constexpr FontId kSmallIdMask = ~FontId{0xFFFF};
constexpr std::size_t kHeaderSize = format::kHeaderSize;
constexpr std::size_t kKerningTableSize = 256 * 256;

// Owns a record and the kerning table hanging off it.
struct RecordDeleter {
    void operator()(FontRecord* record) const noexcept {
        delete[] record->extras.kerning;
        delete record;
    }
};

struct Registry {
    std::unique_ptr<SpriteFont*[]> table;
    std::vector<std::unique_ptr<FontRecord, RecordDeleter>> fonts;  // owns every font ever loaded
    std::unordered_set<FontId> handles;              // tells a real handle from any other large value
};

Registry* g_registry = nullptr;
SpritePlatform* g_platform = nullptr;

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

// A record cut short or a missing terminator ends the list; complete records
// before that point are kept.
void ReadGlyphRecords(const Block& block, const format::Layout& layout, FontRecord& record) noexcept {
    for (std::size_t i = 0; i < layout.recordCount; ++i) {
        const format::Record r = format::ReadRecord(block.data, layout, i);
        GlyphSlot& slot = record.font.glyphs[r.code];
        slot = GlyphSlot{1, r.offsetX, r.offsetY, r.advance, r.lineHeight, r.srcX, r.srcY, r.srcWidth, r.srcHeight};
        if (r.lineHeight > record.extras.largestLineHeight) record.extras.largestLineHeight = r.lineHeight;
    }
}

// The largest glyph box, over the slots that hold a glyph after the load
// (a repeated code keeps only its later record).
void NoteReferenceBox(FontRecord& record) noexcept {
    bool first = true;
    for (const GlyphSlot& slot : record.font.glyphs) {
        if (slot.present == 0) continue;
        if (first || slot.srcWidth > record.extras.referenceWidth) record.extras.referenceWidth = slot.srcWidth;
        if (first || slot.srcHeight > record.extras.referenceHeight) record.extras.referenceHeight = slot.srcHeight;
        first = false;
    }
}

// The chunks after the terminator; the first damage ends the list and keeps
// every whole chunk before it. Only the sized load gets here.
void ReadChunks(const Block& block, const format::Layout& layout, FontExtras& extras) noexcept {
    format::ChunkReader reader(block.data, block.size, layout);
    format::Chunk chunk;
    while (reader.Next(&chunk)) {
        if (format::IsTag(chunk, format::kKerningTag)) {
            std::uint32_t count = 0;
            const format::Fault fault = format::CheckKerning(chunk, &count);
            if (fault != format::Fault::None) return reader.Stop(fault);
            if (count == 0) continue;
            if (extras.kerning == nullptr) {
                extras.kerning = new (std::nothrow) std::int16_t[kKerningTableSize]{};
                if (extras.kerning == nullptr) return;  // no memory: the font draws unkerned
            }
            for (std::uint32_t i = 0; i < count; ++i) {
                const format::KerningPair pair = format::ReadKerningPair(chunk, i);
                std::int16_t& slot = extras.kerning[pair.first << 8 | pair.second];
                if (slot == 0 && pair.amount != 0) ++extras.kerningPairs;
                if (slot != 0 && pair.amount == 0) --extras.kerningPairs;
                slot = pair.amount;  // a repeated pair: the later one holds
            }
        } else if (format::IsTag(chunk, format::kMetricsTag)) {
            format::Metrics metrics;
            const format::Fault fault = format::ReadMetrics(chunk, &metrics);
            if (fault != format::Fault::None) return reader.Stop(fault);
            extras.metrics = metrics;
            extras.hasMetrics = true;
        }
    }
}

FontId Load(FontId id, const Block& block) noexcept {
    Registry* registry = g_registry;
    if (registry == nullptr) return 0;
    if (id != AutoId && id >= kTableSlots) return 0;  // no slot for it, and no write outside the table
    FontRecord* record = nullptr;
    try {
        std::unique_ptr<FontRecord, RecordDeleter> owned(new FontRecord{});  // value-initialised: all zero
        // Geometric growth: reserving one more each time would copy the list on every load.
        if (registry->fonts.size() == registry->fonts.capacity())
            registry->fonts.reserve(registry->fonts.empty() ? 16 : 2 * registry->fonts.size());
        registry->handles.insert(reinterpret_cast<FontId>(&owned->font));
        record = owned.get();
        registry->fonts.push_back(std::move(owned));  // cannot throw after the reserve
    } catch (...) {
        return 0;  // out of memory: nothing was registered
    }
    SpriteFont* font = &record->font;
    if (id != AutoId) registry->table[id] = font;

    font->StyleTransparency = 255;
    font->StyleSize = 1.0f;
    record->extras.color = 0xFFFFFF;
    ReadAtlas(block, *font);
    const format::Layout layout = format::ReadLayout(block.data, block.size);
    ReadGlyphRecords(block, layout, *record);
    NoteReferenceBox(*record);
    ReadChunks(block, layout, record->extras);
    // A field atlas is drawn differently; the platform learns it once, here.
    const std::int32_t fieldKind = sprite_font_detail::FieldKindOf(record->extras);
    if (fieldKind != 0 && g_platform != nullptr && font->sprite3D != 0)
        g_platform->FieldSprite3D(font->sprite3D, fieldKind, static_cast<float>(record->extras.metrics.fieldRange));
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

std::int32_t SpriteFontKerning(FontId id, unsigned char first, unsigned char second) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr) return 0;
    return sprite_font_detail::KerningOf(sprite_font_detail::ExtrasOf(*font), first, second);
}

std::int32_t SetSpriteFontColor(FontId id, std::uint32_t rgb) noexcept {
    SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr) return 0;
    rgb &= 0xFFFFFF;
    sprite_font_detail::ExtrasOf(*font).color = rgb;
    // The tint is state of the font's own 3D sprite, like its rotation.
    SpritePlatform* platform = g_platform;
    if (platform != nullptr && font->sprite3D != 0) platform->ColorSprite3D(font->sprite3D, rgb);
    return 0;
}

bool GetSpriteFontMetrics(FontId id, SpriteFontMetrics* out) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || out == nullptr) return false;
    const FontExtras& extras = sprite_font_detail::ExtrasOf(*font);
    out->lineHeight = sprite_font_detail::LineHeightOf(extras);
    out->baseline = extras.hasMetrics ? extras.metrics.baseline : 0;
    out->codePage = extras.hasMetrics ? static_cast<std::int32_t>(extras.metrics.codePage) : 0;
    out->fieldKind = sprite_font_detail::FieldKindOf(extras);
    out->fieldRange = out->fieldKind != 0 ? extras.metrics.fieldRange : 0;
    out->kerningPairs = static_cast<std::int32_t>(extras.kerningPairs);
    out->color = extras.color;
    out->hasMetrics = extras.hasMetrics;
    return true;
}

namespace {

float Distance(float v) noexcept { return v > 0.0f ? v : 0.0f; }  // NaN fails the test: 0

}  // namespace

std::int32_t SetSpriteFontFieldEffects(FontId id, const SpriteFontFieldEffects& effects) noexcept {
    SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr) return 0;
    FontExtras& extras = sprite_font_detail::ExtrasOf(*font);
    if (sprite_font_detail::FieldKindOf(extras) == 0) return 0;
    SpriteFontFieldEffects e = effects;
    e.outlineWidth = Distance(e.outlineWidth);
    e.shadowSoftness = Distance(e.shadowSoftness);
    // Offsets keep their sign; only NaN is meaningless.
    if (e.shadowOffsetX != e.shadowOffsetX) e.shadowOffsetX = 0.0f;
    if (e.shadowOffsetY != e.shadowOffsetY) e.shadowOffsetY = 0.0f;
    e.outlineColor &= 0xFFFFFF;
    e.shadowColor &= 0xFFFFFF;
    e.shadowOpacity = e.shadowOpacity < 0 ? 0 : e.shadowOpacity > 255 ? 255 : e.shadowOpacity;
    extras.effects = e;
    SpritePlatform* platform = g_platform;
    if (platform != nullptr && font->sprite3D != 0) platform->FieldEffectsSprite3D(font->sprite3D, e);
    return 0;
}

bool GetSpriteFontFieldEffects(FontId id, SpriteFontFieldEffects* out) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || out == nullptr) return false;
    *out = sprite_font_detail::ExtrasOf(*font).effects;
    return true;
}
