// Fuzzes the sized load of a packed font, its glyph records and the chunk
// list after them (kerning pairs, metrics), then measures and draws with the
// loaded font on the recording platform, single lines and blocks, under
// styles that between them take every branch of measuring and drawing.
//
// The 16 bytes of the magic are never read by the load, so the fuzzer's
// mutations of them steer the harness instead: texture size, a failing atlas,
// the id to load under, and the block's settings. The last bytes of the
// input double as a UTF-8 text.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "recording_platform.h"
#include "sprite_font.h"

namespace {

using test_support::Op;

struct Setting {
    std::int32_t kind;
    float value;
};

// Applied one after another, with a measure and two draws after each.
constexpr Setting kSettings[] = {
    {StyleTransparency, 255.0f},  // the load's defaults: the straight layout
    {StyleMaxLength, 100.0f},     // cut glyphs
    {StyleSize, 2.0f},            // cut glyphs keep their scale
    {StyleAlignX, 0.5f},          // anchoring measures first
    {StyleAlignY, -1.0f},
    {StyleRotation, 30.0f},  // the rotated layout
    {StyleArc, 15.0f},       // bent, dividing by each lineHeight
    {StyleSize, -0.75f},     // quads of negative size, a pen running backwards
    {StyleArc, -3.0e38f},
    {StyleRotation, -0.0f},
};

void Check(bool ok) {
    if (!ok) __builtin_trap();  // a broken promise is a finding like a crash
}

// The recording platform knows every 3D sprite by a linear search, and the
// registry keeps every font loaded; the harness draws only with the newest
// font, so it answers for that one sprite directly and keeps inputs fast.
class FuzzPlatform : public test_support::RecordingPlatform {
public:
    SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) override {
        newest3D_ = RecordingPlatform::CreateSprite3D(request, sprite);
        return newest3D_;
    }
    bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width, std::int32_t* height) override {
        if (sprite3D == 0 || sprite3D != newest3D_) return false;
        *width = textureWidth;
        *height = textureHeight;
        return true;
    }

private:
    SpriteHandle newest3D_ = 0;
};

std::int16_t Read16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | p[1] << 8); }

// How many of the logged displays show something: the quads query must
// report exactly those.
std::size_t ShownDisplays(const std::vector<test_support::Call>& log) {
    std::size_t shown = 0;
    std::int32_t width = 0, height = 0;
    for (const test_support::Call& call : log) {
        if (call.op == Op::Zoom) width = call.i[0], height = call.i[1];
        const bool visible = width != 0 && height != 0 && ((width < 0) == (height < 0));
        if (call.op == Op::Display && visible) ++shown;
    }
    return shown;
}

std::size_t CountOf(const std::vector<test_support::Call>& log, Op op) {
    std::size_t n = 0;
    for (const test_support::Call& call : log) n += call.op == op ? 1 : 0;
    return n;
}

// Bytes 7..15 of the magic: alignment (any value, also outside TextAlign),
// line limit, wrap width, line spacing (any float bits), kerning.
TextBlock SteeredBlock(const std::uint8_t* data, std::size_t size) {
    TextBlock block;
    if (size < 16) return block;
    block.align = static_cast<TextAlign>(static_cast<std::int8_t>(data[7]) % 6);
    block.maxLines = static_cast<std::int8_t>(data[8]);
    block.wrapWidth = Read16(data + 9);
    std::uint32_t bits = 0;
    std::memcpy(&bits, data + 11, sizeof bits);
    std::memcpy(&block.lineSpacing, &bits, sizeof bits);
    block.kerning = (data[15] & 1) != 0;
    return block;
}

// What the header promises of every extent.
void CheckExtent(const TextBlockExtent& extent, const TextBlock& block) {
    Check(extent.lines >= 1 && extent.width >= 0);
    if (block.maxLines > 0) Check(extent.lines <= block.maxLines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzPlatform platform;
    static const bool ready = [] {
        InitSpriteFonts();
        SetSpritePlatform(&platform);
        return true;
    }();
    (void)ready;

    platform.log.clear();
    platform.failSprite = false;
    platform.textureWidth = 1024;
    platform.textureHeight = 1024;
    FontId id = AutoId;
    if (size >= 16) {
        platform.textureWidth = Read16(data);
        platform.textureHeight = Read16(data + 2);
        platform.failSprite = (data[4] & 1) != 0;
        if (data[4] & 2) id = static_cast<FontId>(data[5] | data[6] << 8);
    }

    const FontId handle = LoadSpriteFont(id, data, size);
    Check(handle > 0xFFFF);
    SpriteFont* font = GetSpriteFont(handle);
    Check(font != nullptr && reinterpret_cast<FontId>(font) == handle);
    if (id != AutoId) Check(GetSpriteFont(id) == font);
    Check(font->glyphs[0].present == 0);
    Check(font->StyleTransparency == 255 && font->StyleSize == 1.0f && font->StyleRotation == 0.0f);

    // The atlas is offered exactly the bytes behind the header, never more.
    if (size > 20) {
        Check(!platform.log.empty() && platform.log[0].op == Op::CreateSprite);
        Check(platform.log[0].data == data + 20 && platform.log[0].size == size - 20);
    }
    const SpriteHandle sprite3D = font->sprite3D;

    // The input's tail as a text: it ends at the first 0 byte, or after 64.
    char tail[65] = {};
    const std::size_t tailLength = size < 64 ? size : 64;
    std::memcpy(tail, data + size - tailLength, tailLength);
    char everyByte[256];
    for (int i = 0; i < 255; ++i) everyByte[i] = static_cast<char>(i + 1);
    everyByte[255] = 0;

    // Kerning: no pair ever names code 0, and the count is of real pairs.
    SpriteFontMetrics metrics{};
    Check(GetSpriteFontMetrics(handle, &metrics));
    Check(metrics.kerningPairs >= 0 && metrics.kerningPairs <= 255 * 255 && metrics.color == 0xFFFFFF);
    std::int32_t pairs = 0;
    for (int first = 0; first < 256; ++first) {
        Check(SpriteFontKerning(handle, 0, static_cast<unsigned char>(first)) == 0);
        Check(SpriteFontKerning(handle, static_cast<unsigned char>(first), 0) == 0);
        // Counting every pair is slow; a steering bit asks for it.
        if (first == 0 || metrics.kerningPairs == 0 || size < 16 || (data[15] & 2) == 0) continue;
        for (int second = 1; second < 256; ++second)
            pairs += SpriteFontKerning(handle, static_cast<unsigned char>(first), static_cast<unsigned char>(second)) != 0;
    }
    if (size >= 16 && (data[15] & 2) != 0) Check(pairs == metrics.kerningPairs);

    const TextBlock steered = SteeredBlock(data, size);
    TextBlock wrapped;
    wrapped.wrapWidth = 100;
    wrapped.align = TextAlignJustify;
    wrapped.maxLines = 3;
    char lines[] = "A V\nAVAV-VA  VA\r\n\n  WAV AV AVA";

    for (const Setting& setting : kSettings) {
        Check(SetSpriteFontStyle(handle, setting.kind, setting.value) == 0);
        platform.log.clear();
        (void)SpriteFontTextWidth(handle, everyByte, -1.0f);
        (void)SpriteFontTextHeight(handle, tail, -1.0f);
        Check(DrawSpriteFontText(handle, 400, 300, everyByte, -1.0f, -1.0f) == 0);
        // The quads are the glyphs that drawing shows, wherever they land.
        if (sprite3D != 0) {
            const std::size_t shown = ShownDisplays(platform.log);
            GlyphQuad quads[4];
            Check(SpriteFontTextQuads(handle, 400, 300, everyByte, -1.0f, quads, 4) == shown);
            const TextBounds box = SpriteFontTextBounds(handle, 400, 300, everyByte, -1.0f);
            Check(shown == 0 ? (box.left == 0 && box.right == 0) : !(box.right < box.left));
        }
        // Every code page's table in turn, chosen by the input's length.
        constexpr std::int32_t kCodePages[] = {CodePageWindows1252, CodePageWindows1250, CodePageWindows1251,
                                               CodePageWindows1253, CodePageLatin1, CodePageLatin9};
        Check(DrawSpriteFontTextUtf8(handle, -5, 7, tail, 128.0f, -1.0f, kCodePages[size % 6]) == 0);
        for (const TextBlock& block : {steered, wrapped}) {
            CheckExtent(SpriteFontMeasureBlock(handle, everyByte, -1.0f, block), block);
            CheckExtent(SpriteFontMeasureBlockUtf8(handle, tail, 2.0f, block), block);
            Check(DrawSpriteFontBlock(handle, 400, 300, lines, -1.0f, -1.0f, block) == 0);
            Check(DrawSpriteFontBlock(handle, 10, 10, everyByte, -1.0f, -1.0f, block) == 0);
            Check(DrawSpriteFontBlockUtf8(handle, -5, 7, tail, 128.0f, -1.0f, block) == 0);
        }
        // Every call goes to the font's own 3D sprite, and none without one.
        for (const test_support::Call& call : platform.log) Check(call.handle == sprite3D && sprite3D != 0);
    }
    Check(std::signbit(font->StyleRotation) && font->StyleMaxLength == 100.0f);

    // The input's first bytes as path points and circle values: a polyline,
    // a Bézier chain and a circle, each with every alignment.
    TextPathPoint points[16] = {};
    const std::size_t pointBytes = size < sizeof points ? size : sizeof points;
    std::memcpy(points, data, pointBytes);
    const std::size_t count = pointBytes / sizeof(TextPathPoint);
    const TextPath paths[] = {
        TextPath::Polyline(points, count, (size & 1) != 0),
        TextPath::Bezier(points, count, (size & 2) != 0),
        TextPath::Circle(points[0].x, points[0].y, points[1].x, points[1].y, (size & 4) != 0, (size & 8) != 0),
    };
    for (const TextPath& path : paths) {
        const float length = TextPathLength(path);
        Check(std::isfinite(length) && length >= 0.0f);
        for (TextAlign align : {TextAlignLeft, TextAlignCenter, TextAlignRight, TextAlignJustify}) {
            platform.log.clear();
            Check(DrawSpriteFontTextOnPath(handle, tail, path, points[2].x, align, -1.0f, -1.0f) == 0);
            Check(DrawSpriteFontTextOnPathUtf8(handle, tail, path, 0.0f, align, 255.0f, points[2].y) == 0);
            for (const test_support::Call& call : platform.log) Check(call.handle == sprite3D && sprite3D != 0);
            // Every glyph on a path is zoomed, turned and displayed.
            const std::size_t displays = CountOf(platform.log, Op::Display);
            Check(CountOf(platform.log, Op::Zoom) == displays && CountOf(platform.log, Op::Rotate) == displays);
            if (!(length > 0.0f)) Check(platform.log.empty());
        }
    }
    return 0;
}
