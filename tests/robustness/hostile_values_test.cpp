// Hostile values through the public API, on the recording platform and on
// the offscreen screen: nothing may crash or read out of bounds (the
// sanitizer build watches that), every platform call must go to the font's
// own 3D sprite, and the font must hold exactly what the calls set.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "packed_font_builder.h"
#include "png_forge.h"
#include "platform.h"
#include "recording_platform.h"
#include "sprite_font.h"

namespace {

using test_support::PackedFontBuilder;
using test_support::Record;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

struct Hostile {
    const char* name;
    float value;
    std::int32_t transparency;  // what kind 0 must store for it
};

const Hostile kHostile[] = {
    {"NaN", kNaN, 0},
    {"-NaN", -kNaN, 0},
    {"+inf", kInf, kIntMax},
    {"-inf", -kInf, kIntMin},
    {"3e38", 3e38f, kIntMax},
    {"-3e38", -3e38f, kIntMin},
    {"largest denormal", std::numeric_limits<float>::min() * (1.0f - 0x1p-23f), 0},
    {"smallest denormal", std::numeric_limits<float>::denorm_min(), 0},
    {"negative denormal", -std::numeric_limits<float>::denorm_min(), 0},
    {"-0.0", -0.0f, 0},
    {"2^31", 2147483648.0f, kIntMax},
};

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

float StyleField(const SpriteFont& font, std::int32_t kind) {
    const float fields[] = {0.0f,
                            font.StyleSize,
                            font.StyleRotation,
                            font.StyleArc,
                            font.StyleAlignX,
                            font.StyleAlignY,
                            font.StyleMaxLength};
    return fields[kind];
}

// Counts instead of logging (a million-glyph text would log three million
// calls) and notes every call that misses the expected 3D sprite.
class CheckingPlatform : public test_support::RecordingPlatform {
public:
    SpriteHandle expected3D = 0;
    std::size_t calls = 0;
    std::size_t stray = 0;
    std::size_t nonFiniteTexCoords = 0;

    void Reset() {
        calls = stray = nonFiniteTexCoords = 0;
    }
    void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) override {
        Note(sprite3D);
        for (int i = 0; i < 8; ++i)
            if (!std::isfinite(uv[i])) ++nonFiniteTexCoords;
    }
    void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t, std::int32_t) override { Note(sprite3D); }
    void RotateSprite3D(SpriteHandle sprite3D, float, std::int32_t) override { Note(sprite3D); }
    void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t, std::int32_t, std::int32_t) override {
        Note(sprite3D);
    }

private:
    void Note(SpriteHandle sprite3D) {
        ++calls;
        if (sprite3D != expected3D) ++stray;
    }
};

// A 64 x 64 atlas of scrambled RGBA texels.
std::vector<unsigned char> Atlas() { return png_forge::Image(64, 64, 8, png_forge::kRgba); }

// An ordinary font (glyphs for the printable ASCII codes only, each showing
// the whole atlas) and one of hostile glyphs.
std::vector<unsigned char> OrdinaryFont() {
    PackedFontBuilder builder;
    builder.Atlas(Atlas());
    for (unsigned code = 32; code < 127; ++code)
        builder.Add(Record{static_cast<unsigned char>(code), -2, -2, 20, 44, 0, 0, 64, 64});
    return builder.Build();
}

std::vector<unsigned char> HostileGlyphFont() {
    return PackedFontBuilder()
        .Atlas(Atlas())
        .Add({
            Record{'a', -2, -2, 20, 0, 0, 0, 2, 2},                                          // lineHeight 0
            Record{'b', -32768, -32768, -32768, -32768, -32768, -32768, -32768, -32768},  // all most negative
            Record{'c', 32767, 32767, 32767, 32767, 32767, 32767, 32767, 32767},          // all largest
            Record{'d', 0, 0, 20, 44, 30000, -30000, 500, 500},                           // far outside the atlas
            Record{'e', 0, 0, 20, 44, 0, 0, -64, -64},                                    // negative source size
            Record{'f', 0, 0, 20, -44, 0, 0, 64, -64},                                    // mirrored, negative line
        })
        .Build();
}

// What a table run needs from a stage: a frame around the draws and a look
// at the stage afterwards.
struct Stage {
    SpritePlatform* platform;
    std::function<void()> beginFrame;
    std::function<void()> endFrame;
};

class HostileTable {
public:
    HostileTable(const Stage& stage, CheckingPlatform* checking) : stage_(stage), checking_(checking) {
        InitSpriteFonts();
        SetSpritePlatform(stage.platform);
        ordinaryBytes_ = OrdinaryFont();
        hostileBytes_ = HostileGlyphFont();
        ordinary_ = LoadSpriteFont(AutoId, ordinaryBytes_.data(), ordinaryBytes_.size());
        hostile_ = LoadSpriteFont(AutoId, hostileBytes_.data(), hostileBytes_.size());
        bystander_ = LoadSpriteFont(AutoId, ordinaryBytes_.data(), ordinaryBytes_.size());
        for (int i = 0; i < 255; ++i) everyByte_[i] = static_cast<char>(i + 1);
        everyByte_[255] = 0;
    }
    ~HostileTable() { SetSpritePlatform(nullptr); }

    // Draws two texts with the load's styles: the screen's state after a
    // barrage must reproduce this frame exactly.
    void Reference() {
        Expect(ordinary_);
        Frame([&] {
            DrawSpriteFontText(ordinary_, 100, 100, "ABC", -1.0f, -1.0f);
            SetSpriteFontStyle(ordinary_, StyleRotation, 30.0f);
            DrawSpriteFontText(ordinary_, 300, 300, "ABC", 128.0f, 2.0f);
            SetSpriteFontStyle(ordinary_, StyleRotation, 0.0f);
        });
    }

    bool Loaded() const {
        for (FontId id : {ordinary_, hostile_, bystander_})
            if (id == 0 || GetSpriteFont(id) == nullptr || GetSpriteFont(id)->sprite3D == 0) return false;
        return true;
    }

    // Every style kind set to every hostile value, measured and drawn with
    // several texts, then the same values as call arguments.
    void StylesAndArguments() {
        const SpriteFont before = *GetSpriteFont(bystander_);
        for (FontId id : {ordinary_, hostile_}) {
            SpriteFont& font = *GetSpriteFont(id);
            const SpriteFont loaded = font;
            for (std::int32_t kind = StyleTransparency; kind <= StyleMaxLength; ++kind) {
                for (const Hostile& h : kHostile) {
                    SCOPED_TRACE(std::string("kind ") + std::to_string(kind) + " = " + h.name);
                    ASSERT_EQ(SetSpriteFontStyle(id, kind, h.value), 0);
                    if (kind == StyleTransparency)
                        EXPECT_EQ(font.StyleTransparency, h.transparency);
                    else
                        EXPECT_EQ(Bits(StyleField(font, kind)), Bits(h.value));
                    Exercise(id, h.value);
                    // Only the field that was set differs from the loaded font.
                    SpriteFont expected = loaded;
                    if (kind == StyleTransparency)
                        expected.StyleTransparency = h.transparency;
                    else
                        std::memcpy(reinterpret_cast<char*>(&expected) + offsetof(SpriteFont, StyleSize) +
                                        sizeof(float) * static_cast<std::size_t>(kind - 1),
                                    &h.value, sizeof h.value);
                    EXPECT_EQ(std::memcmp(&font, &expected, sizeof font), 0);
                }
                SetDefault(id, kind);
            }
            // Every kind hostile at once.
            for (const Hostile& h : kHostile) {
                SCOPED_TRACE(std::string("every kind = ") + h.name);
                for (std::int32_t kind = StyleTransparency; kind <= StyleMaxLength; ++kind)
                    SetSpriteFontStyle(id, kind, h.value);
                Exercise(id, h.value);
                EXPECT_EQ(std::memcmp(font.glyphs, loaded.glyphs, sizeof font.glyphs), 0);
                EXPECT_EQ(font.sprite3D, loaded.sprite3D);
                for (std::int32_t kind = StyleTransparency; kind <= StyleMaxLength; ++kind) SetDefault(id, kind);
            }
            EXPECT_EQ(std::memcmp(&font, &loaded, sizeof font), 0);
        }
        EXPECT_EQ(std::memcmp(GetSpriteFont(bystander_), &before, sizeof before), 0);
    }

    // A million characters, in each layout; texts of every byte, empty, null.
    void Texts() {
        Expect(ordinary_);
        const std::string million(1'000'000, 'A');
        const std::string millionBlanks(1'000'000, '\x01');  // no glyph
        struct Layout {
            const char* name;
            float rotation, arc, maxLength;
        };
        const Layout layouts[] = {{"straight", 0, 0, 0}, {"cut", 0, 0, 600}, {"rotated", 30, 0, 0}, {"arc", 0, 15, 0}};
        for (const Layout& layout : layouts) {
            SCOPED_TRACE(layout.name);
            SetSpriteFontStyle(ordinary_, StyleRotation, layout.rotation);
            SetSpriteFontStyle(ordinary_, StyleArc, layout.arc);
            SetSpriteFontStyle(ordinary_, StyleMaxLength, layout.maxLength);
            SetSpriteFontStyle(ordinary_, StyleAlignX, 0.5f);
            Frame([&] {
                if (checking_) checking_->Reset();
                DrawSpriteFontText(ordinary_, 400, 300, million.c_str(), -1.0f, -1.0f);
                if (checking_ && layout.maxLength == 0) {
                    const std::size_t perGlyph = layout.rotation == 0 && layout.arc == 0 ? 3 : 4;
                    EXPECT_EQ(checking_->calls, million.size() * perGlyph + (perGlyph == 3 ? 1 : 0));
                }
            });
            // A million advances of 20, exact in float at this magnitude.
            if (layout.arc == 0 && layout.rotation == 0) {
                EXPECT_EQ(SpriteFontTextWidth(ordinary_, million.c_str(), 1.0f), 20'000'000);
            }
            // Characters without glyphs: no extent at all, and nothing displayed.
            Frame([&] {
                if (checking_) checking_->Reset();
                DrawSpriteFontText(ordinary_, 0, 0, millionBlanks.c_str(), -1.0f, -1.0f);
                if (checking_) { EXPECT_LE(checking_->calls, 1u); }
            });
            EXPECT_EQ(SpriteFontTextWidth(ordinary_, millionBlanks.c_str(), 1.0f), 0);
            EXPECT_EQ(SpriteFontTextHeight(ordinary_, millionBlanks.c_str(), 1.0f), 0);
        }
        for (std::int32_t kind = StyleTransparency; kind <= StyleMaxLength; ++kind) SetDefault(ordinary_, kind);

        Frame([&] {
            if (checking_) checking_->Reset();
            EXPECT_EQ(DrawSpriteFontText(ordinary_, 0, 0, nullptr, -1.0f, -1.0f), 0);
            EXPECT_EQ(DrawSpriteFontTextUtf8(ordinary_, 0, 0, nullptr, -1.0f, -1.0f), 0);
            if (checking_) { EXPECT_EQ(checking_->calls, 0u) << "a null text touched the 3D sprite"; }
            DrawSpriteFontText(ordinary_, 0, 0, "", -1.0f, -1.0f);
            if (checking_) { EXPECT_EQ(checking_->calls, 1u) << "an empty straight text sets the rotation once"; }
            DrawSpriteFontText(ordinary_, 10, 10, everyByte_, -1.0f, -1.0f);
            DrawSpriteFontTextUtf8(ordinary_, 10, 10, everyByte_, -1.0f, -1.0f);
        });
        EXPECT_EQ(SpriteFontTextWidth(ordinary_, nullptr, 1.0f), 0);
        EXPECT_EQ(SpriteFontTextHeight(ordinary_, nullptr, 1.0f), 0);
        EXPECT_EQ(SpriteFontTextWidth(ordinary_, "", 1.0f), 0);
        EXPECT_EQ(SpriteFontTextWidth(ordinary_, everyByte_, 1.0f), 95 * 20);
        EXPECT_EQ(SpriteFontTextWidthUtf8(ordinary_, nullptr, 1.0f), 0);
    }

    // Paths that cannot carry text, paths at the edges of the float range
    // and paths of a million points: nothing drawn, or what the header
    // states, and never a crash.
    void Paths() {
        Expect(ordinary_);
        const TextPathPoint one[] = {{5, 5}};
        const TextPathPoint same[] = {{5, 5}, {5, 5}, {5, 5}, {5, 5}};
        const TextPathPoint nan[] = {{0, 0}, {kNaN, 3}, {100, 0}, {200, 0}};
        const TextPathPoint inf[] = {{0, 0}, {100, 0}, {200, -kInf}, {300, 0}};
        const TextPathPoint beyond[] = {{-3e38f, 0}, {3e38f, 0}, {3e38f, 3e38f}, {-3e38f, -3e38f}};
        const TextPathPoint far[] = {{-2e37f, 2e37f}, {2e37f, 2e37f}, {2e37f, -2e37f}, {4e37f, 0}};
        const TextPathPoint tiny[] = {{0, 0}, {1e-40f, 0}, {1e-40f, 1e-40f}, {2e-40f, 0}};
        std::vector<TextPathPoint> million(1'000'000);
        for (std::size_t i = 0; i < million.size(); ++i)
            million[i] = {static_cast<float>(i % 1000), static_cast<float>(i / 1000 * 3 + i % 7)};
        struct Case {
            const char* name;
            TextPath path;
            bool carries;  // TextPathLength > 0
        };
        const Case cases[] = {
            {"radius 0", TextPath::Circle(400, 300, 0, 0), false},
            {"radius -5", TextPath::Circle(400, 300, -5, 0), false},
            {"radius NaN", TextPath::Circle(400, 300, kNaN, 0), false},
            {"radius inf", TextPath::Circle(400, 300, kInf, 0), false},
            {"radius 3e38", TextPath::Circle(400, 300, 3e38f, 0), false},  // longer than a float
            {"centre NaN", TextPath::Circle(kNaN, 300, 100, 0), false},
            {"centre -inf", TextPath::Circle(400, -kInf, 100, 0), false},
            {"start angle NaN", TextPath::Circle(400, 300, 100, kNaN, true, true), false},
            {"start angle 3e38", TextPath::Circle(400, 300, 100, 3e38f, false, true), true},
            {"radius denormal", TextPath::Circle(400, 300, std::numeric_limits<float>::denorm_min(), 90), true},
            {"centre far out", TextPath::Circle(3e38f, -3e38f, 1e30f, 45), true},
            {"no points", TextPath::Polyline(nullptr, 5), false},
            {"one point", TextPath::Polyline(one, 1), false},
            {"one point closed", TextPath::Polyline(one, 1, true), false},
            {"all one point", TextPath::Polyline(same, 4, true), false},
            {"NaN point", TextPath::Polyline(nan, 4), false},
            {"infinite point", TextPath::Polyline(inf, 4), false},
            {"beyond a float", TextPath::Polyline(beyond, 4), false},
            {"far points", TextPath::Polyline(far, 4, true), true},
            {"tiny polyline", TextPath::Polyline(tiny, 4), true},
            {"Bézier of three points", TextPath::Bezier(same, 3), false},
            {"Bézier of no length", TextPath::Bezier(same, 4), false},
            {"Bézier NaN", TextPath::Bezier(nan, 4), false},
            {"Bézier infinite", TextPath::Bezier(inf, 4), false},
            {"Bézier beyond a float", TextPath::Bezier(beyond, 4), false},
            {"Bézier far", TextPath::Bezier(far, 4), true},
            {"Bézier tiny", TextPath::Bezier(tiny, 4, true), true},
            {"Bézier null", TextPath::Bezier(nullptr, 7), false},
            {"unknown kind", [] { TextPath p; p.kind = static_cast<TextPathKind>(77); return p; }(), false},
        };
        const TextAlign aligns[] = {TextAlignLeft, TextAlignCenter, TextAlignRight, TextAlignJustify,
                                    static_cast<TextAlign>(-3)};
        const float offsets[] = {0.0f, -50.0f, kNaN, kInf, -3e38f};
        const float sizes[] = {-1.0f, 0.0f, -2.0f, kNaN, 3e38f, kInf};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const float length = TextPathLength(c.path);
            EXPECT_EQ(length > 0.0f, c.carries) << length;
            EXPECT_TRUE(std::isfinite(length));
            Frame([&] {
                if (checking_) checking_->Reset();
                for (TextAlign align : aligns)
                    for (float offset : offsets)
                        for (float size : sizes) {
                            DrawSpriteFontTextOnPath(ordinary_, "ABC", c.path, offset, align, -1.0f, size);
                            DrawSpriteFontTextOnPathUtf8(ordinary_, everyByte_, c.path, offset, align, 77.0f, size);
                        }
                if (checking_) {
                    EXPECT_EQ(checking_->calls % 4, 0u);
                    if (!c.carries) { EXPECT_EQ(checking_->calls, 0u); }
                }
            });
        }
        // A million points, open and closed, and a chain of 333333 curves.
        const TextPath big[] = {TextPath::Polyline(million.data(), million.size()),
                                TextPath::Polyline(million.data(), million.size(), true),
                                TextPath::Bezier(million.data(), million.size())};
        for (const TextPath& path : big) {
            EXPECT_GT(TextPathLength(path), 1e6f);
            Frame([&] {
                if (checking_) checking_->Reset();
                DrawSpriteFontTextOnPath(ordinary_, everyByte_, path, 0.0f, TextAlignCenter, -1.0f, -1.0f);
                DrawSpriteFontTextOnPath(ordinary_, everyByte_, path, 0.0f, TextAlignJustify, -1.0f, -1.0f);
                if (checking_) { EXPECT_EQ(checking_->calls, 2u * 95 * 4); }
            });
        }
        // A million glyphs round a circle (off the screen, so that a real
        // screen need not blend them all); their quads counted on a line.
        const std::string glyphs(1'000'000, 'A');
        Frame([&] {
            if (checking_) checking_->Reset();
            DrawSpriteFontTextOnPath(ordinary_, glyphs.c_str(), TextPath::Circle(-5000, -5000, 250, -90), 0.0f,
                                     TextAlignJustify, -1.0f, -1.0f);
            if (checking_) { EXPECT_EQ(checking_->calls, glyphs.size() * 4); }
        });
        EXPECT_EQ(SpriteFontTextQuads(ordinary_, 0, 0, glyphs.c_str(), -1.0f, nullptr, 0), glyphs.size());
        EXPECT_FLOAT_EQ(SpriteFontTextPathLength(ordinary_, glyphs.c_str(), 1.0f), 20e6f);
        // Ids that name no font draw and measure nothing.
        for (FontId id : {FontId{65536}, AutoId, ordinary_ + 8}) {
            EXPECT_EQ(DrawSpriteFontTextOnPath(id, "AB", TextPath::Circle(0, 0, 9, 0), 0, TextAlignLeft, -1, -1), 0);
            EXPECT_EQ(SpriteFontTextPathLength(id, "AB", 1.0f), 0.0f);
            EXPECT_EQ(SpriteFontTextQuads(id, 0, 0, "AB", 1.0f, nullptr, 0), 0u);
        }
    }

    // Glyph metrics at the edges of their range, in every layout and at
    // hostile sizes.
    void HostileGlyphs() {
        Expect(hostile_);
        const char* texts[] = {"abcdef", "a", "b", "c", "d", "e", "f", "fedcba"};
        struct Layout {
            float rotation, arc, maxLength;
        };
        const Layout layouts[] = {{0, 0, 0}, {0, 0, 100}, {0, 0, -5}, {90, 0, 0}, {10, 15, 0}, {-0.0f, -400, 0}};
        const float sizes[] = {1.0f, 2.0f, -1.5f, 0.0f, 3e38f, kNaN};
        for (const Layout& layout : layouts)
            for (float size : sizes) {
                SetSpriteFontStyle(hostile_, StyleRotation, layout.rotation);
                SetSpriteFontStyle(hostile_, StyleArc, layout.arc);
                SetSpriteFontStyle(hostile_, StyleMaxLength, layout.maxLength);
                Frame([&] {
                    for (const char* text : texts) {
                        DrawSpriteFontText(hostile_, 400, 300, text, -1.0f, size);
                        (void)SpriteFontTextWidth(hostile_, text, size);
                        (void)SpriteFontTextHeight(hostile_, text, size);
                    }
                });
            }
        for (std::int32_t kind = StyleTransparency; kind <= StyleMaxLength; ++kind) SetDefault(hostile_, kind);
    }

    // Ids that name no font: every operation does nothing; loads under them
    // follow the id rules.
    void Ids() {
        std::mt19937_64 random(20261211);
        std::vector<FontId> strangers = {65536, AutoId, AutoId - 1, FontId{1} << 63};
        for (int i = 0; i < 16; ++i) strangers.push_back(random() | 0x10000);
        // 0 and 65535, unless an earlier test in this process filled them.
        std::vector<FontId> emptySlots;
        for (FontId id : {0, 65535, 2, 65533})
            if (GetSpriteFont(id) == nullptr && emptySlots.size() < 2) emptySlots.push_back(id);

        std::vector<SpriteFont> before;
        for (FontId id : {ordinary_, hostile_, bystander_}) before.push_back(*GetSpriteFont(id));

        std::vector<FontId> nobody = strangers;
        nobody.insert(nobody.end(), emptySlots.begin(), emptySlots.end());
        Frame([&] {
            if (checking_) checking_->Reset();
            for (FontId id : nobody) {
                SCOPED_TRACE(id);
                EXPECT_EQ(GetSpriteFont(id), nullptr);
                for (std::int32_t kind = -1; kind <= 7; ++kind) EXPECT_EQ(SetSpriteFontStyle(id, kind, 5.0f), 0);
                EXPECT_EQ(SpriteFontTextWidth(id, "AB", 1.0f), 0);
                EXPECT_EQ(SpriteFontTextHeight(id, "AB", 1.0f), 0);
                EXPECT_EQ(DrawSpriteFontText(id, 0, 0, "AB", -1.0f, -1.0f), 0);
                EXPECT_EQ(DrawSpriteFontTextUtf8(id, 0, 0, "AB", -1.0f, -1.0f), 0);
                EXPECT_EQ(DrawSpriteFontBlock(id, 0, 0, "A B\nC", -1.0f, -1.0f, TextBlock{}), 0);
                EXPECT_EQ(DrawSpriteFontBlockUtf8(id, 0, 0, "A B\nC", -1.0f, -1.0f, TextBlock{}), 0);
                EXPECT_EQ(SpriteFontMeasureBlock(id, "A B\nC", 1.0f, TextBlock{}).lines, 0);
                EXPECT_EQ(SpriteFontMeasureBlockUtf8(id, "A B\nC", 1.0f, TextBlock{}).height, 0);
                EXPECT_EQ(SpriteFontKerning(id, 'A', 'B'), 0);
                EXPECT_EQ(SetSpriteFontColor(id, 0x123456), 0);
            }
            if (checking_) { EXPECT_EQ(checking_->calls, 0u); }
        });
        const FontId mine[] = {ordinary_, hostile_, bystander_};
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(std::memcmp(GetSpriteFont(mine[i]), &before[i], sizeof before[i]), 0);

        // Style kinds outside 0..6 change nothing on a real font either.
        for (std::int32_t kind : {-1, 7, kIntMin, kIntMax}) SetSpriteFontStyle(ordinary_, kind, 77.0f);
        EXPECT_EQ(std::memcmp(GetSpriteFont(ordinary_), &before[0], sizeof before[0]), 0);

        for (FontId id : strangers) {
            if (id == AutoId) continue;
            SCOPED_TRACE(id);
            std::size_t logged = checking_ ? checking_->log.size() : 0;
            EXPECT_EQ(LoadSpriteFont(id, ordinaryBytes_.data(), ordinaryBytes_.size()), 0u);
            if (checking_) { EXPECT_EQ(checking_->log.size(), logged) << "a refused load reached the platform"; }
            EXPECT_EQ(GetSpriteFont(id), nullptr);
        }
        for (FontId id : emptySlots) {
            const FontId handle = LoadSpriteFont(id, ordinaryBytes_.data(), ordinaryBytes_.size());
            EXPECT_GT(handle, 0xFFFFu);
            EXPECT_EQ(GetSpriteFont(id), GetSpriteFont(handle));
        }
        const FontId unnamed = LoadSpriteFont(AutoId, ordinaryBytes_.data(), ordinaryBytes_.size());
        EXPECT_NE(GetSpriteFont(unnamed), nullptr);
        EXPECT_NE(GetSpriteFont(0), GetSpriteFont(unnamed));
        EXPECT_NE(GetSpriteFont(65535), GetSpriteFont(unnamed));
    }

    // Blocks: every hostile setting of TextBlock, with texts of only line
    // feeds, a million characters, every byte, empty and null.
    void Blocks() {
        const std::string lineFeeds(100'000, '\n');
        std::string million(1'000'000, 'A');
        for (std::size_t i = 7; i < million.size(); i += 8) million[i] = i % 3 == 0 ? '-' : ' ';
        const std::int32_t widths[] = {0, -5, 1, 30, kIntMax, kIntMin};
        const float spacings[] = {1.0f, kNaN, kInf, -kInf, -2.0f, 0.0f, 3e38f};
        const std::int32_t limits[] = {0, -1, 1, 3, kIntMax, kIntMin};
        const std::int32_t aligns[] = {TextAlignLeft, TextAlignCenter, TextAlignRight, TextAlignJustify, 7, -1};
        for (FontId id : {ordinary_, hostile_}) {
            Expect(id);
            const SpriteFont before = *GetSpriteFont(id);
            for (const std::int32_t width : widths)
                Frame([&] {
                    for (const float spacing : spacings)
                        for (const std::int32_t limit : limits)
                            for (const std::int32_t align : aligns) {
                                TextBlock block;
                                block.wrapWidth = width;
                                block.lineSpacing = spacing;
                                block.maxLines = limit;
                                block.align = static_cast<TextAlign>(align);
                                block.kerning = (width & 1) == 0;
                                for (const char* text : {static_cast<const char*>(everyByte_), "", "ab cd-ef\r\ngh",
                                                         "  \n  ", "abcdef", "a b c d e f"}) {
                                    const TextBlockExtent e = SpriteFontMeasureBlock(id, text, -1.0f, block);
                                    EXPECT_GE(e.lines, 1);
                                    EXPECT_GE(e.width, 0);
                                    if (limit > 0) { EXPECT_LE(e.lines, limit); }
                                    DrawSpriteFontBlock(id, 400, 300, text, -1.0f, -1.0f, block);
                                    DrawSpriteFontBlockUtf8(id, kIntMax, kIntMin, text, -1.0f, 2.0f, block);
                                }
                                EXPECT_EQ(DrawSpriteFontBlock(id, 0, 0, nullptr, -1.0f, -1.0f, block), 0);
                                EXPECT_EQ(SpriteFontMeasureBlock(id, nullptr, 1.0f, block).lines, 0);
                            }
                });
            EXPECT_EQ(std::memcmp(GetSpriteFont(id), &before, sizeof before), 0);
        }

        Expect(ordinary_);
        TextBlock block;
        // Only line feeds: that many lines plus one, and only the rotation is drawn.
        Frame([&] {
            if (checking_) checking_->Reset();
            DrawSpriteFontBlock(ordinary_, 0, 0, lineFeeds.c_str(), -1.0f, -1.0f, block);
            if (checking_) { EXPECT_EQ(checking_->calls, 1u); }
        });
        const TextBlockExtent feeds = SpriteFontMeasureBlock(ordinary_, lineFeeds.c_str(), 1.0f, block);
        EXPECT_EQ(feeds.lines, 100'001);
        EXPECT_EQ(feeds.width, 0);
        EXPECT_EQ(feeds.height, 100'001 * 44);

        // A million characters, words of seven letters parted by a space or a
        // hyphen: unwrapped, two words to a line, and one glyph per line.
        struct Case {
            std::int32_t width;
            TextAlign align;
            std::int32_t lines;
        };
        const Case cases[] = {{0, TextAlignCenter, 1}, {400, TextAlignJustify, 62'500}, {1, TextAlignLeft, 916'667}};
        for (const Case& c : cases) {
            SCOPED_TRACE(c.width);
            block.wrapWidth = c.width;
            block.align = c.align;
            EXPECT_EQ(SpriteFontMeasureBlock(ordinary_, million.c_str(), 1.0f, block).lines, c.lines);
            Frame([&] {
                if (checking_) checking_->Reset();
                DrawSpriteFontBlock(ordinary_, 0, 0, million.c_str(), -1.0f, -1.0f, block);
                // 875,000 letters and 41,667 hyphens, one to a line; the
                // spaces at the breaks are not drawn.
                if (checking_ && c.width == 1) { EXPECT_EQ(checking_->calls, 1 + 3 * 916'667u); }
            });
        }
        // A rotated block of them.
        SetSpriteFontStyle(ordinary_, StyleRotation, 30.0f);
        SetSpriteFontStyle(ordinary_, StyleAlignX, 0.5f);
        block.maxLines = 1000;
        Frame([&] { DrawSpriteFontBlock(ordinary_, 400, 300, million.c_str(), -1.0f, -1.0f, block); });
        SetSpriteFontStyle(ordinary_, StyleRotation, 0.0f);
        SetSpriteFontStyle(ordinary_, StyleAlignX, 0.0f);
    }

private:
    void Expect(FontId id) {
        if (checking_) checking_->expected3D = GetSpriteFont(id)->sprite3D;
    }

    void SetDefault(FontId id, std::int32_t kind) {
        SetSpriteFontStyle(id, kind, kind == StyleTransparency ? 255.0f : kind == StyleSize ? 1.0f : 0.0f);
    }

    void Frame(const std::function<void()>& draw) {
        if (stage_.beginFrame) stage_.beginFrame();
        draw();
        if (stage_.endFrame) stage_.endFrame();
        if (checking_) {
            EXPECT_EQ(checking_->stray, 0u) << "a call went to another 3D sprite";
            EXPECT_EQ(checking_->nonFiniteTexCoords, 0u);
        }
    }

    // Measures and draws with the font's styles, then with value as the
    // call's transparency and size, at ordinary and extreme start points.
    void Exercise(FontId id, float value) {
        Expect(id);
        Frame([&] {
            for (const char* text : {static_cast<const char*>(everyByte_), "ABA", "", "a\nb"}) {
                (void)SpriteFontTextWidth(id, text, -1.0f);
                (void)SpriteFontTextHeight(id, text, value);
                DrawSpriteFontText(id, kIntMax, kIntMin, text, -1.0f, -1.0f);
                DrawSpriteFontText(id, kIntMin, kIntMax, text, -1.0f, -1.0f);
                DrawSpriteFontText(id, 50, 50, text, value, -1.0f);
                DrawSpriteFontText(id, 50, 50, text, -1.0f, value);
                DrawSpriteFontTextUtf8(id, 50, 50, text, value, value);
                GlyphQuad quads[8];
                (void)SpriteFontTextQuads(id, kIntMax, kIntMin, text, value, quads, 8);
                (void)SpriteFontTextBounds(id, 50, 50, text, value);
                (void)SpriteFontTextPathLength(id, text, value);
                const TextPath circle = TextPath::Circle(400, 300, 100, 0);
                DrawSpriteFontTextOnPath(id, text, circle, value, TextAlignCenter, value, -1.0f);
                DrawSpriteFontTextOnPath(id, text, circle, 0.0f, TextAlignJustify, -1.0f, value);
                DrawSpriteFontTextOnPath(id, text, TextPath::Circle(value, 300, value, value, true, true), 0.0f,
                                         TextAlignRight, -1.0f, -1.0f);
                // Blocks under the same styles, and the value as their spacing and size.
                TextBlock block;
                block.wrapWidth = 30;
                block.align = TextAlignJustify;
                block.lineSpacing = value;
                block.maxLines = 2;
                (void)SpriteFontMeasureBlock(id, text, value, block);
                DrawSpriteFontBlock(id, kIntMax, kIntMin, text, -1.0f, value, block);
                (void)SpriteFontBlockQuads(id, kIntMax, kIntMin, text, value, block, quads, 8);
                (void)SpriteFontBlockBounds(id, 50, 50, text, value, TextBlock{});
                DrawSpriteFontBlock(id, 50, 50, text, value, -1.0f, TextBlock{});
            }
        });
    }

    Stage stage_;
    CheckingPlatform* checking_;
    std::vector<unsigned char> ordinaryBytes_, hostileBytes_;
    FontId ordinary_ = 0, hostile_ = 0, bystander_ = 0;
    char everyByte_[256];
};

TEST(HostileValues, OnTheRecordingPlatform) {
    CheckingPlatform platform;
    platform.textureWidth = 64;
    platform.textureHeight = 64;
    HostileTable table({&platform, nullptr, nullptr}, &platform);
    ASSERT_TRUE(table.Loaded());
    table.StylesAndArguments();
    table.Texts();
    table.HostileGlyphs();
    table.Paths();
    table.Blocks();
    table.Ids();
}

TEST(HostileValues, OnTheOffscreenScreen) {
    PlatformStatus status;
    auto platform = Platform::Start(VideoMode::Offscreen, &status);
    std::unique_ptr<Screen> screen = platform ? platform->OpenOffscreenScreen(&status) : nullptr;
    ASSERT_TRUE(screen) << PlatformErrorMessage(status.error) << ": " << status.detail;
    screen->SetSprite3DQuality(1);
    screen->EnablePngDecoder();
    Screen& s = *screen;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    bool readBack = true;
    const Stage stage{&s,
                      [&s] {
                          s.Clear(0xFFFFFF);
                          s.BeginSprite3D();
                      },
                      [&] {
                          s.EndSprite3D();
                          s.Flip();
                          readBack = readBack && s.ReadPixels(std::span<std::uint32_t>(pixels));
                      }};
    {
        HostileTable table(stage, nullptr);
        ASSERT_TRUE(table.Loaded());

        // After the barrage the screen still draws exactly as before it.
        table.Reference();
        const std::vector<std::uint32_t> first = pixels;
        ASSERT_GT(std::count_if(first.begin(), first.end(), [](std::uint32_t p) { return p != 0xFFFFFFFFu; }), 1000)
            << "the reference frame shows no glyphs";
        table.StylesAndArguments();
        table.Texts();
        table.HostileGlyphs();
        table.Paths();
        table.Blocks();
        table.Ids();
        EXPECT_TRUE(readBack) << "a frame could not be read back";
        table.Reference();
        EXPECT_TRUE(pixels == first) << "the screen draws differently after the hostile values";
    }
    // Kept until the process ends: closing would unload the GL driver, and
    // the leak checker could then no longer tell its own leaks from ours.
    static Screen* const keptScreen = screen.release();
    static Platform* const keptPlatform = platform.release();
    (void)keptScreen;
    (void)keptPlatform;
}

}  // namespace
