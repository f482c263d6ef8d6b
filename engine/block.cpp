// Blocks of text: line breaks, wrapping, alignment, justification, kerning
// and a line limit with an ellipsis. Laid out line by line as they are
// drawn, with nothing kept between lines but a few pointers and floats: a
// line is found and measured by one walk over it, then drawn by another.
#include <cmath>
#include <cstdint>
#include <limits>

#include "font_extras.h"
#include "glyph_walk.h"
#include "numbers.h"
#include "walk.h"

namespace {

using namespace sprite_font_detail;

constexpr std::int32_t kEllipsisCharacter = 0x2026;

// What a call's arguments and the font make of a block.
struct Setting {
    const SpriteFont& font;
    Spacing spacing;            // size and kerning; never a space extra
    bool wrapping = false;      // wrapWidth > 0
    float wrap = 0.0f;          // the wrap width, when wrapping
    TextAlign align = TextAlignLeft;
    std::int64_t maxLines = 0;  // 0: no limit
    float lineHeight = 0.0f;    // the font's line height x size: the last line's share of the height
    float lineAdvance = 0.0f;   // from one line's y to the next
    unsigned char ellipsis[4] = {};  // 0-terminated
};

Setting MakeSetting(const SpriteFont& font, float size, const TextBlock& block) noexcept {
    const FontExtras& extras = ExtrasOf(font);
    Setting s{font, Spacing{size, block.kerning ? extras.kerning : nullptr, 0.0f}};
    s.wrapping = block.wrapWidth > 0;
    s.wrap = ToFloat(block.wrapWidth);
    const bool known = block.align == TextAlignLeft || block.align == TextAlignCenter ||
                       block.align == TextAlignRight || block.align == TextAlignJustify;
    s.align = known ? block.align : TextAlignLeft;
    s.maxLines = block.maxLines > 0 ? block.maxLines : 0;
    const float spacing = std::isfinite(block.lineSpacing) ? block.lineSpacing : 1.0f;
    const float lineHeight = ToFloat(LineHeightOf(extras));
    s.lineHeight = lineHeight * size;
    s.lineAdvance = (lineHeight * spacing) * size;
    // The font's own ellipsis character where it has that glyph, else three full stops.
    const std::int32_t code = UnicodeToCodePage(CodePageOf(extras), kEllipsisCharacter);
    if (code > 0 && font.glyphs[code].present != 0) {
        s.ellipsis[0] = static_cast<unsigned char>(code);
    } else {
        s.ellipsis[0] = s.ellipsis[1] = s.ellipsis[2] = '.';
    }
    return s;
}

// One line as the breaker hands it out.
struct Line {
    const unsigned char* begin;     // first byte to walk
    const unsigned char* inkBegin;  // first glyph that is not a space (end when none): justification starts here
    const unsigned char* end;       // one past the last byte to walk
    float width;                    // the pen after the line's last glyph that is not a space
    std::int32_t spaces;            // space glyphs after inkBegin, before that last glyph
    bool paragraphEnd;              // ended by a line feed or the text's end, not by wrapping
    bool ellipsis;                  // the setting's ellipsis follows end
};

bool IsNothingButBreaks(const unsigned char* p) noexcept {
    while (*p == ' ' || *p == '\n' || *p == '\r') ++p;
    return *p == 0;
}

// Cuts a text into lines: at line feeds (a CR before one belongs to it),
// and when wrapping, at the last space that lets a line fit, after a hyphen,
// or between two glyphs of a word that fits nowhere. Every line takes at
// least one glyph, so the breaker always gets on. Each byte of the text is
// walked at most twice (a word that does not fit is walked again on the
// next line), and every paragraph's end is searched once.
class LineBreaker {
public:
    // measure: work out widths and spaces (wrapping always does).
    LineBreaker(const Setting& setting, const unsigned char* text, bool measure) noexcept
        : s_(setting), measure_(measure || setting.wrapping), at_(text) {}

    bool Next(Line* line) noexcept {
        if (done_) return false;
        const unsigned char* p = at_;
        if (!inParagraph_) {
            const unsigned char* q = p;
            while (*q != 0 && *q != '\n') ++q;
            next_ = *q == '\n' ? q + 1 : nullptr;
            stop_ = *q == '\n' && q > p && q[-1] == '\r' ? q - 1 : q;
        } else {
            while (p != stop_ && *p == ' ') ++p;  // spaces at the start of a wrapped line are dropped
        }
        *line = Line{p, p, stop_, 0.0f, 0, true, false};
        if (measure_ && Measure(line)) {
            at_ = resume_;
            inParagraph_ = true;
            return true;
        }
        line->end = stop_;
        line->paragraphEnd = true;
        inParagraph_ = false;
        if (next_ == nullptr) {
            done_ = true;
            at_ = stop_;
        } else {
            at_ = next_;
        }
        return true;
    }

    // Whether the text goes on after the lines handed out with anything
    // but spaces and line breaks.
    bool MoreText() const noexcept { return !done_ && !IsNothingButBreaks(at_); }

private:
    // Walks the line, filling in its width, ink and spaces; true when it
    // wraps (then line->end and resume_ are where it breaks).
    bool Measure(Line* line) noexcept {
        struct Break {
            const unsigned char* end;
            const unsigned char* resume;
            float width;
            std::int32_t spaces;
        };
        Break last{nullptr, nullptr, 0.0f, 0};
        bool ink = false;
        bool wrapped = false;
        const unsigned char* inkEnd = line->begin;
        float inkWidth = 0.0f;
        std::int32_t spaces = 0;
        std::int32_t inkSpaces = 0;
        const float size = s_.spacing.size;
        WalkState state;
        Walk(s_.font, s_.spacing, line->begin, stop_, state,
             [&](const GlyphSlot& glyph, const unsigned char* at, float penX) {
                 const float after = penX + ToFloat(glyph.advance) * size;
                 if (*at == ' ') {
                     // A space never wraps by itself; after a word it is a place to break.
                     if (ink) {
                         last = Break{inkEnd, at + 1, inkWidth, inkSpaces};
                         ++spaces;
                     }
                     return true;
                 }
                 if (s_.wrapping && ink && after > s_.wrap) {
                     wrapped = true;
                     if (last.end == nullptr) last = Break{inkEnd, at, inkWidth, inkSpaces};  // within the word
                     return false;
                 }
                 if (!ink) line->inkBegin = at;
                 ink = true;
                 inkEnd = at + 1;
                 inkWidth = after;
                 inkSpaces = spaces;
                 if (*at == '-') last = Break{inkEnd, at + 1, after, spaces};
                 return true;
             });
        if (!ink) line->inkBegin = stop_;
        if (!wrapped) {
            line->width = inkWidth;
            line->spaces = inkSpaces;
            return false;
        }
        line->end = last.end;
        line->width = last.width;
        line->spaces = last.spaces;
        line->paragraphEnd = false;
        resume_ = last.resume;
        return true;
    }

    const Setting& s_;
    bool measure_;
    const unsigned char* at_;               // where the next line starts
    const unsigned char* stop_ = nullptr;   // end of the paragraph's text (before its CR LF or LF)
    const unsigned char* next_ = nullptr;   // start of the next paragraph; null after the last
    const unsigned char* resume_ = nullptr; // where a wrapped line's successor starts
    bool inParagraph_ = false;              // the next line continues a wrapped paragraph
    bool done_ = false;
};

constexpr auto kPass = [](const GlyphSlot&, const unsigned char*, float) noexcept { return true; };

// The last allowed line when text follows it: it keeps its glyphs up to the
// last one after which the ellipsis still ends within the wrap width (up to
// its last glyph that is not a space when there is no width), and the
// ellipsis follows. When no glyph leaves room, the ellipsis stands alone.
void Shorten(const Setting& s, Line* line) noexcept {
    WalkState alone;
    Walk(s.font, s.spacing, s.ellipsis, nullptr, alone, kPass);
    const unsigned char* cut = line->begin;
    float width = alone.penX;
    const float size = s.spacing.size;
    WalkState state;
    Walk(s.font, s.spacing, line->begin, line->end, state,
         [&](const GlyphSlot& glyph, const unsigned char* at, float penX) {
             if (*at == ' ') return true;
             WalkState with{penX + ToFloat(glyph.advance) * size, *at};
             Walk(s.font, s.spacing, s.ellipsis, nullptr, with, kPass);
             if (!s.wrapping || !(with.penX > s.wrap)) {
                 cut = at + 1;
                 width = with.penX;
             }
             return true;
         });
    line->end = cut;
    line->inkBegin = cut;
    line->width = width;
    line->spaces = 0;
    line->ellipsis = true;
}

// Lays the text out line by line, handing each line to onLine(index, line);
// returns the number of lines.
template <typename OnLine>
std::int64_t Layout(const Setting& s, const unsigned char* text, bool measure, OnLine&& onLine) noexcept {
    LineBreaker breaker(s, text, measure);
    Line line;
    std::int64_t index = 0;
    while (breaker.Next(&line)) {
        const bool lastAllowed = s.maxLines > 0 && index + 1 == s.maxLines;
        if (lastAllowed && breaker.MoreText()) Shorten(s, &line);
        onLine(index, line);
        ++index;
        if (lastAllowed) break;
    }
    return index;
}

struct Measured {
    float widest;  // the widest line's width, at least 0
    std::int64_t lines;
};

Measured MeasureLines(const Setting& s, const unsigned char* text) noexcept {
    float widest = 0.0f;
    const std::int64_t lines = Layout(s, text, true, [&](std::int64_t, const Line& line) {
        if (line.width > widest) widest = line.width;
    });
    return {widest, lines};
}

TextBlockExtent ExtentOf(const Setting& s, const Measured& m) noexcept {
    // Aligned lines spread over the wrap width, so the block's box is that wide.
    float width = m.widest;
    if (s.wrapping && s.align != TextAlignLeft && width < s.wrap) width = s.wrap;
    float height = s.lineHeight;
    if (m.lines > 1) height = static_cast<float>(m.lines - 1) * s.lineAdvance + height;
    const std::int64_t lines = m.lines < std::numeric_limits<std::int32_t>::max() ? m.lines
                                                                                  : std::numeric_limits<std::int32_t>::max();
    return {RoundToInt32(width), RoundToInt32(height), static_cast<std::int32_t>(lines)};
}

// Where a line starts within the room it is aligned in, and what justification adds to each of its spaces.
struct Placement {
    std::int32_t shift;
    float spaceExtra;
};

Placement Place(const Setting& s, float room, const Line& line) noexcept {
    const float spare = room - line.width;
    if (!(spare > 0.0f)) return {0, 0.0f};  // a line as wide as the room or wider starts at its left
    switch (s.align) {
        case TextAlignCenter: return {RoundToInt32(spare * 0.5f), 0.0f};
        case TextAlignRight: return {RoundToInt32(spare), 0.0f};
        case TextAlignJustify:
            if (line.paragraphEnd || line.ellipsis || line.spaces == 0) return {0, 0.0f};
            return {0, spare / ToFloat(line.spaces)};
        default: return {0, 0.0f};
    }
}

std::int32_t AddSaturated(std::int32_t a, std::int32_t b) noexcept {
    const std::int64_t sum = std::int64_t{a} + b;
    if (sum > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(sum);
}

// Walks one laid-out line with show(glyph, at, penX): the part before its
// first glyph without widening, the rest with the justification's extra,
// then the ellipsis.
template <typename Show>
void WalkLine(const Setting& s, const Line& line, float spaceExtra, Show&& show) noexcept {
    WalkState state;
    if (spaceExtra != 0.0f) {
        Walk(s.font, s.spacing, line.begin, line.inkBegin, state, show);
        Spacing wide = s.spacing;
        wide.spaceExtra = spaceExtra;
        Walk(s.font, wide, line.inkBegin, line.end, state, show);
    } else {
        Walk(s.font, s.spacing, line.begin, line.end, state, show);
    }
    if (line.ellipsis) Walk(s.font, s.spacing, s.ellipsis, nullptr, state, show);
}

}  // namespace

TextBlockExtent SpriteFontMeasureBlock(FontId id, const char* text, float size, const TextBlock& block) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return {0, 0, 0};
    if (UsesFontDefault(size)) size = font->StyleSize;
    const Setting s = MakeSetting(*font, size, block);
    return ExtentOf(s, MeasureLines(s, reinterpret_cast<const unsigned char*>(text)));
}

namespace sprite_font_detail {

void WalkBlock(const SpriteFont& font, std::int32_t x, std::int32_t y, const char* text, float size,
               const TextBlock& block, GlyphSink& sink) noexcept {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const Setting s = MakeSetting(font, size, block);

    // Centring or right-aligning without a width needs the widest line, and
    // anchoring the whole extent, before the first line is drawn.
    const bool anchorX = !IsPlusZero(font.StyleAlignX);
    const bool anchorY = !IsPlusZero(font.StyleAlignY);
    const bool roomFromText = !s.wrapping && (s.align == TextAlignCenter || s.align == TextAlignRight);
    float room = s.wrap;
    TextBlockExtent extent{0, 0, 0};
    if (anchorX || anchorY || roomFromText) {
        const Measured measured = MeasureLines(s, bytes);
        if (roomFromText) room = measured.widest;
        extent = ExtentOf(s, measured);
    }
    const bool measureLines = s.align != TextAlignLeft;

    const float angle = DegToRad(font.StyleRotation);  // the arc does not apply to blocks
    if (IsPlusZero(angle)) {
        sink.SetTurn(0.0f);  // once per call, even for no glyph
        if (anchorX) x = RoundToInt32(ToFloat(x) - ToFloat(extent.width) * font.StyleAlignX);
        if (anchorY) y = RoundToInt32(ToFloat(y) - ToFloat(extent.height) * font.StyleAlignY);
        // Each line is a straight line of its own, at a whole-pixel start.
        Layout(s, bytes, measureLines, [&](std::int64_t index, const Line& line) {
            const Placement place = Place(s, room, line);
            const std::int32_t lineX = AddSaturated(x, place.shift);
            const std::int32_t lineY =
                index == 0 ? y : RoundToInt32(ToFloat(y) + static_cast<float>(index) * s.lineAdvance);
            WalkLine(s, line, place.spaceExtra, [&](const GlyphSlot& glyph, const unsigned char* at, float penX) {
                sink.Glyph(PlacedGlyph{*at, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight,
                                       RoundToInt32(ToFloat(glyph.srcWidth) * size),
                                       RoundToInt32(ToFloat(glyph.srcHeight) * size),
                                       RoundToInt32((ToFloat(lineX) + penX) + ToFloat(glyph.offsetX) * size),
                                       RoundToInt32(ToFloat(glyph.offsetY) * size + ToFloat(lineY)), false, 0.0f});
                return true;
            });
        });
        return;
    }

    // Turned: every glyph keeps its place in the block, which turns about (x, y)
    // with the anchoring's shift inside it; the rotation is set once, as it
    // never changes within a block.
    sink.SetTurn(RadToDeg(angle));
    const float c = Cos(angle);
    const float sn = Sin(angle);
    const float anchorLeft = anchorX ? -(ToFloat(extent.width) * font.StyleAlignX) : 0.0f;
    const float anchorTop = anchorY ? -(ToFloat(extent.height) * font.StyleAlignY) : 0.0f;
    const float originX = ToFloat(x);
    const float originY = ToFloat(y);
    const std::int32_t refWidth = RoundToInt32(ToFloat(ExtrasOf(font).referenceWidth) * size);
    const std::int32_t refHeight = RoundToInt32(ToFloat(ExtrasOf(font).referenceHeight) * size);
    Layout(s, bytes, measureLines, [&](std::int64_t index, const Line& line) {
        const Placement place = Place(s, room, line);
        const float left = ToFloat(place.shift) + anchorLeft;
        const float top = (index == 0 ? 0.0f : static_cast<float>(index) * s.lineAdvance) + anchorTop;
        WalkLine(s, line, place.spaceExtra, [&](const GlyphSlot& glyph, const unsigned char* at, float penX) {
            const float bx = left + penX;
            const float px = c * bx - sn * top;
            const float py = sn * bx + c * top;
            const std::int32_t width = RoundToInt32(ToFloat(glyph.srcWidth) * size);
            const std::int32_t height = RoundToInt32(ToFloat(glyph.srcHeight) * size);
            const TurnedOffset offset = TurnOffset(glyph, c, sn);
            // Tight boxes sit as the font's reference box would, as in turned lines.
            const Shift shift = ReferenceShift(width, height, refWidth, refHeight, c, sn);
            sink.Glyph(PlacedGlyph{*at, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight, width, height,
                                   RoundToInt32(((originX + px) + offset.x * size) + shift.x),
                                   RoundToInt32(((originY + py) + offset.y * size) + shift.y), false, 0.0f});
            return true;
        });
    });
}

}  // namespace sprite_font_detail

std::int32_t DrawSpriteFontBlock(FontId id, std::int32_t x, std::int32_t y, const char* text, float transparency,
                                 float size, const TextBlock& block) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    SpritePlatform* platform = GetSpritePlatform();
    if (platform == nullptr || font->sprite3D == 0) return 0;  // nothing to show it through
    if (UsesFontDefault(transparency)) transparency = ToFloat(font->StyleTransparency);
    if (UsesFontDefault(size)) size = font->StyleSize;
    DrawSink sink(*platform, font->sprite3D, RoundToInt32(transparency));
    WalkBlock(*font, x, y, text, size, block, sink);
    return 0;
}
