// sprite_font.h - a bitmap sprite-font engine.
//
// A packed font is one block of bytes: the 16-byte magic "*Sprite3DFont*\r\n",
// a little-endian int32 atlas length, a PNG atlas of that many bytes, then
// 17-byte glyph records (code u8, then offsetX, offsetY, advance, lineHeight,
// srcX, srcY, srcWidth, srcHeight as int16) ended by a 0 byte, then, read
// only by the sized load, tagged chunks: kerning pairs and font metrics
// (packed_format.h; docs/format.md byte by byte).
//
// What it does
//   - keeps loaded fonts in a registry under small ids (0..65535) or handles;
//   - seven style parameters per font (transparency, size, rotation, arc,
//     horizontal and vertical anchoring, length limit);
//   - measures one line of text under rotation and arc;
//   - draws one line of text glyph by glyph through the font's one 3D sprite:
//     straight, cut at a length, rotated, bent along an arc, scaled, faded,
//     tinted;
//   - sets blocks of text on top of that: line breaks, word wrap, alignment,
//     justification, kerning, a line limit with an ellipsis.
//
// What it deliberately does not do
//   - no multi-byte decoding: every byte of a text is a glyph slot index
//     (the Utf8 helpers convert first); in single-line drawing a line feed
//     is just slot 10, so such a text is always one line;
//   - no unloading of fonts;
//   - no window, event or frame handling: it reaches the screen only through
//     the SpritePlatform interface below, installed with SetSpritePlatform.
//
// Numbers
//   Every working value is a 32-bit float and every sum, product and quotient
//   is rounded to float as written (build with -ffp-contract=off, never
//   fast-math). Sine and cosine are taken in double of the stored float angle
//   and rounded to float. Degrees become radians by a double product with
//   0.017453292519943295 rounded to float. Every conversion to an integer
//   rounds half to even, saturates to the int32 range and takes NaN to 0.
//   A style parameter counts as zero only when its bits are those of +0.0.
//
// Memory
//   The registry owns every font until the process ends; a font never moves,
//   so its handle stays valid. Drawing and measuring allocate nothing.
//   A font's data block is read only during LoadSpriteFont.
//
// Threads: one. Nothing here takes a lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

// A font id is either a small id (0..65535, a slot of the font table) or a
// handle (the address of a SpriteFont, as LoadSpriteFont returns it; always
// has a bit set above the lowest 16).
using FontId = std::uintptr_t;

// As the id of LoadSpriteFont: give the new font no table slot.
inline constexpr FontId AutoId = ~FontId{0};

// Handles of the platform's sprites and 3D sprites; 0 is "none".
using SpriteHandle = std::int32_t;

// Handle request that lets the platform choose the handle.
inline constexpr std::int32_t AutoHandle = -1;

// Flags of SpritePlatform::CreateSprite.
inline constexpr std::int32_t SpriteFlag3D = 4;     // usable as a 3D sprite's texture
inline constexpr std::int32_t SpriteFlagAlpha = 8;  // keep per-pixel alpha (needs SpriteFlag3D)

// Size passed to SpritePlatform::CreateSprite when the image's end is not
// known: the decoder must find it from the image stream itself.
inline constexpr std::size_t UnknownSize = ~std::size_t{0};

enum StyleKind : std::int32_t {
    StyleTransparency = 0,  // integer opacity 0..255 (not clamped), default 255
    StyleSize = 1,          // scale factor, default 1.0
    StyleRotation = 2,      // degrees, direction of writing at the start, default 0
    StyleArc = 3,           // degrees, turn of the direction per glyph, default 0
    StyleAlignX = 4,        // factor of the measured width to move left, default 0
    StyleAlignY = 5,        // factor of the measured height to move up, default 0
    StyleMaxLength = 6,     // pixels; cuts a straight text; 0 is no limit, default 0
};

// One character code's glyph, in atlas pixels at size 1.0. Written once by
// the load; read by measuring and drawing. A slot without a glyph is all 0.
struct GlyphSlot {
    std::int32_t present;     // 1 when the packed font had a record for the code
    std::int32_t offsetX;     // pen to the quad's left edge
    std::int32_t offsetY;     // given y to the quad's top edge (negative is up)
    std::int32_t advance;     // pen movement; share of the measured extent and of the arc
    std::int32_t lineHeight;  // extent across the writing; divisor of the drawn arc's turn
    std::int32_t srcX;        // the glyph's rectangle in the atlas, top-left corner...
    std::int32_t srcY;
    std::int32_t srcWidth;    // ...and size; the quad is this large at size 1.0
    std::int32_t srcHeight;
};

// One loaded font. The load writes every field; afterwards only the seven
// style fields change, through SetSpriteFontStyle. Callers may read all of it
// through GetSpriteFont but should change styles only through the setter.
struct SpriteFont {
    SpriteHandle sprite;        // atlas sprite; 0 when the atlas did not decode
    SpriteHandle sprite3D;      // the quad every glyph is shown through; 0 when none
    GlyphSlot glyphs[256];      // indexed by character code; slot 0 never has a glyph
    std::int32_t StyleTransparency;
    float StyleSize;
    float StyleRotation;
    float StyleArc;
    float StyleAlignX;
    float StyleAlignY;
    float StyleMaxLength;
};

static_assert(std::is_standard_layout_v<GlyphSlot> && sizeof(GlyphSlot) == 36);
static_assert(offsetof(GlyphSlot, present) == 0 && offsetof(GlyphSlot, srcHeight) == 32);
static_assert(std::is_standard_layout_v<SpriteFont>);
static_assert(offsetof(SpriteFont, glyphs) == 8);
static_assert(offsetof(SpriteFont, StyleTransparency) == 8 + 256 * sizeof(GlyphSlot));
static_assert(offsetof(SpriteFont, StyleMaxLength) == offsetof(SpriteFont, StyleTransparency) + 24);

// One glyph's quad as drawing works it out, for the platform's short way:
// corners in screen pixels in the order top-left, top-right, bottom-left,
// bottom-right of the quad before its turn, and their u, v.
struct Sprite3DQuad {
    float x[4];
    float y[4];
    float uv[8];
};

struct SpriteFontFieldEffects;  // with the distance-field fonts, at the end

// The platform's sprite operations, as the engine uses them. One backend
// implements it (the SDL2 platform, the offscreen screen, the tests' recording
// fake); the engine never sees SDL or libpng. Every call must tolerate
// handles that name nothing by doing nothing (or returning 0 / false).
class SpritePlatform {
public:
    virtual ~SpritePlatform() = default;

    // Decodes the image at data (size bytes, or UnknownSize: the decoder
    // finds the end from the stream) into a texture of exactly its size.
    // Returns the sprite's handle, or 0 when nothing accepts the data.
    virtual SpriteHandle CreateSprite(std::int32_t request, const void* data, std::size_t size,
                                      std::int32_t flags) = 0;
    // A 3D sprite textured with the sprite: corners top-left, top-right,
    // bottom-left, bottom-right with u,v (0,0) (1,0) (0,1) (1,1); display size
    // = texture size; rotation 0. Returns 0 when the sprite has no SpriteFlag3D.
    virtual SpriteHandle CreateSprite3D(std::int32_t request, SpriteHandle sprite) = 0;

    // Width and height of the 3D sprite's texture; false for an unknown handle.
    virtual bool Sprite3DTextureSize(SpriteHandle sprite3D, std::int32_t* width,
                                     std::int32_t* height) = 0;
    // u, v of the four corners, in the order top-left, top-right, bottom-left,
    // bottom-right: {u0, v0, u1, v1, u2, v2, u3, v3}.
    virtual void SetSprite3DTexCoords(SpriteHandle sprite3D, const float uv[8]) = 0;
    // The quad becomes width x height screen pixels from the next display on.
    virtual void ZoomSprite3D(SpriteHandle sprite3D, std::int32_t width, std::int32_t height) = 0;
    // Mode 0 sets the rotation (degrees, clockwise, about the quad's centre).
    virtual void RotateSprite3D(SpriteHandle sprite3D, float degrees, std::int32_t mode) = 0;
    // Draws the quad with its top-left corner (before turning) on (x, y), its
    // texels' alpha times transparency / 255 (clamped), blended over the screen.
    virtual void DisplaySprite3D(SpriteHandle sprite3D, std::int32_t x, std::int32_t y,
                                 std::int32_t transparency) = 0;
    // Tint of every later display of the 3D sprite: each texel's red, green
    // and blue are multiplied by rgb's (red in the low byte) / 255. New 3D
    // sprites are white (0xFFFFFF), which leaves texels as they are. The
    // default does nothing, for platforms that cannot tint.
    virtual void ColorSprite3D(SpriteHandle sprite3D, std::uint32_t rgb) {
        (void)sprite3D;
        (void)rgb;
    }
    // The short way for drawn text: shows count quads through the 3D sprite
    // exactly as count displays with these corners and texture coordinates
    // would (its tint, transparency clamped, blended; a quad whose u, v leave
    // 0..1 shows nothing), without touching the sprite's texture rectangle,
    // zoom or rotation. count 0 only asks whether the platform takes quads
    // for the sprite. false: it does not (the default), and the engine then
    // makes the per-glyph calls above.
    virtual bool DisplaySprite3DQuads(SpriteHandle sprite3D, const Sprite3DQuad* quads, std::size_t count,
                                      std::int32_t transparency) {
        (void)sprite3D;
        (void)quads;
        (void)count;
        (void)transparency;
        return false;
    }
    // The 3D sprite's texture is a distance field (see "Distance-field fonts"
    // at the end): kind 1 single-channel in alpha, 2 multi-channel in red,
    // green and blue; range in texels. Called once, at load. The texels-to-
    // pixels scale of each display follows from the zoom and the texture
    // rectangle (or from screen-space derivatives). The default does nothing:
    // such a platform draws the field as plain alpha, soft but legible.
    virtual void FieldSprite3D(SpriteHandle sprite3D, std::int32_t kind, float range) {
        (void)sprite3D;
        (void)kind;
        (void)range;
    }
    // Outline and shadow of a field 3D sprite's later displays; see
    // SpriteFontFieldEffects. Only ever called for field sprites.
    virtual void FieldEffectsSprite3D(SpriteHandle sprite3D, const SpriteFontFieldEffects& effects) {
        (void)sprite3D;
        (void)effects;
    }
};

// Installs the platform that loads and drawing go through; nullptr (the
// default) means "no screen yet": loads still read the glyph records and
// leave both handles 0, and drawing draws nothing. Not owned.
void SetSpritePlatform(SpritePlatform* platform) noexcept;
SpritePlatform* GetSpritePlatform() noexcept;

// Sets up the font table (65536 empty slots) and the font list. Call once,
// before any other operation; a second call changes nothing. Until it has run
// every operation does nothing and returns 0 / nullptr.
void InitSpriteFonts() noexcept;

// Loads a packed font from memory and returns its handle (>= 65536).
// id: AutoId (no table slot) or a small id, whose slot then names the new
// font (an earlier font there stays alive under its handle). Any other id,
// or running out of memory, loads nothing and returns 0.
// The magic is not checked. An atlas that does not decode gives sprite and
// sprite3D 0; the glyph records are read all the same. The sized form never
// reads outside [data, data + size): a negative or overlong atlas length, a
// record cut short or a missing terminator end the glyph list, keeping the
// complete records before. The unsized form is for constant data the program
// carries and trusts; it reads up to the terminator. A null data loads a font
// with no atlas and no glyphs.
FontId LoadSpriteFont(FontId id, const void* data) noexcept;
FontId LoadSpriteFont(FontId id, const void* data, std::size_t size) noexcept;

// The font that id names, or nullptr: for an empty table slot, and for any
// value >= 65536 that no load returned (such a value is never dereferenced).
SpriteFont* GetSpriteFont(FontId id) noexcept;

// kind 0 stores value rounded half to even (saturated, NaN gives 0); kinds
// 1..6 store value unchanged; any other kind, or an id naming no font,
// changes nothing. Returns 0 always.
std::int32_t SetSpriteFontStyle(FontId id, std::int32_t kind, float value) noexcept;

// Horizontal and vertical extent of text, in whole pixels, under the font's
// rotation and arc. size -1.0 (or NaN) means the font's StyleSize. The first
// character's lineHeight seeds the extent across the writing; each glyph's
// advance adds along it. Characters without a glyph are skipped. Results may
// be negative. A null text or an id naming no font gives 0.
std::int32_t SpriteFontTextWidth(FontId id, const char* text, float size) noexcept;
std::int32_t SpriteFontTextHeight(FontId id, const char* text, float size) noexcept;

// Draws one line of text with its start point at (x, y), anchored by the
// font's StyleAlignX/Y against its measured extent. transparency and size
// -1.0 (or NaN) mean the font's StyleTransparency and StyleSize. With rotation
// and arc both +0.0 the text runs straight and StyleMaxLength cuts it (a cut
// glyph keeps its scale: its texture rectangle is round(cutWidth / size)
// texels wide); otherwise every glyph turns with the baseline, which bends by
// the arc for every lineHeight pixels travelled (a glyph of lineHeight 0 does
// not bend it). A font without a 3D sprite draws nothing. Returns 0 always.
// Costs one rotate per straight call, then 3 platform calls per glyph
// (texture rectangle, zoom, display), 4 when rotated (plus rotate).
std::int32_t DrawSpriteFontText(FontId id, std::int32_t x, std::int32_t y, const char* text,
                                float transparency, float size) noexcept;

// Points the 3D sprite at a rectangle of its texture, in texels: corner u, v
// become x / W, (x + width) / W, y / H, (y + height) / H of the texture's
// W x H. Nothing else changes; sizes of zero or less are stored as given.
// An unknown handle changes nothing. Returns 0 always.
std::int32_t SetSprite3DSourceRect(SpriteHandle sprite3D, std::int32_t x, std::int32_t y,
                                   std::int32_t width, std::int32_t height) noexcept;

// ---------------------------------------------------------------------------
// Kerning, font metrics and tint.

// The kerning amount of the pair (first, second) in atlas pixels at size 1.0,
// as the font's kerning chunk gave it; 0 when the pair has none, for an
// unknown id, and for every font loaded without a size (no chunks read).
std::int32_t SpriteFontKerning(FontId id, unsigned char first, unsigned char second) noexcept;

// A tint multiplied into every glyph the font draws from now on, block and
// single-line drawing alike: rgb is 0xBBGGRR (red in the low byte); the top
// byte is ignored. 0xFFFFFF, the default, draws exactly as untinted. It is
// state of the font's 3D sprite, passed to the platform at once
// (SpritePlatform::ColorSprite3D); an unknown id changes nothing. Returns 0.
std::int32_t SetSpriteFontColor(FontId id, std::uint32_t rgb) noexcept;

// Font-wide facts, from the metrics chunk where the font has one.
struct SpriteFontMetrics {
    std::int32_t lineHeight;    // line advance at size 1.0: the chunk's when > 0, else the tallest record's
    std::int32_t baseline;      // top of a line to its baseline; 0 without a chunk
    std::int32_t codePage;      // the code page the maker used; 0 when not known
    std::int32_t fieldKind;     // 0 plain coverage, 1 single-channel, 2 multi-channel distance field
                                // (0 too when the chunk's kind is unknown or its range 0)
    std::int32_t fieldRange;    // distance range in atlas pixels, for field fonts; else 0
    std::int32_t kerningPairs;  // pairs with a non-zero amount
    std::uint32_t color;        // the tint, 0xFFFFFF unless SetSpriteFontColor changed it
    bool hasMetrics;            // the font had a metrics chunk
};

// Fills *out and returns true; false (out untouched) for an unknown id or a null out.
bool GetSpriteFontMetrics(FontId id, SpriteFontMetrics* out) noexcept;

// ---------------------------------------------------------------------------
// UTF-8 text with a font made for a single-byte code page.
//
// The engine itself never decodes: every byte is a glyph slot. These helpers
// turn UTF-8 into the font's single-byte codes first. A character the code
// page lacks, and every byte of a malformed sequence, is dropped, just as a
// glyph without a record is skipped.

enum CodePage : std::int32_t {
    CodePageFontDefault = 0,     // as a Utf8 block argument: the font's own code page, else 1252
    CodePageWindows1250 = 1250,  // Central European (Windows)
    CodePageWindows1251 = 1251,  // Cyrillic (Windows)
    CodePageWindows1253 = 1253,  // Greek (Windows)
    CodePageWindows1252 = 1252,  // Western European (Windows); the demonstration's
    CodePageLatin1 = 28591,      // ISO 8859-1
    CodePageLatin9 = 28605,      // ISO 8859-15 (Latin-1 with the euro sign, Š, Ž, Œ, Ÿ)
};

// The Unicode character of a byte in the code page, or -1 where the byte
// has none (or the code page is unknown). Byte 0 maps to U+0000.
std::int32_t CodePageToUnicode(std::int32_t codePage, unsigned char byte) noexcept;
// The byte of a Unicode character in the code page, or -1 where it has none.
std::int32_t UnicodeToCodePage(std::int32_t codePage, std::int32_t character) noexcept;

// Converts NUL-terminated UTF-8 into out (at most outSize - 1 bytes and a
// NUL; nothing is written when outSize is 0). Returns the length the whole
// conversion has, so a result >= outSize means out was too small. A null
// utf8 converts as an empty text.
std::size_t ConvertUtf8ToCodePage(const char* utf8, std::int32_t codePage, char* out,
                                  std::size_t outSize) noexcept;

// Measuring and drawing UTF-8: the text is converted, then measured or
// drawn as above. Texts up to 1023 converted bytes use no heap; a longer one
// grows one buffer kept for later calls (so a steady frame allocates nothing).
std::int32_t SpriteFontTextWidthUtf8(FontId id, const char* utf8, float size,
                                     std::int32_t codePage = CodePageWindows1252) noexcept;
std::int32_t SpriteFontTextHeightUtf8(FontId id, const char* utf8, float size,
                                      std::int32_t codePage = CodePageWindows1252) noexcept;
std::int32_t DrawSpriteFontTextUtf8(FontId id, std::int32_t x, std::int32_t y, const char* utf8,
                                    float transparency, float size,
                                    std::int32_t codePage = CodePageWindows1252) noexcept;

// ---------------------------------------------------------------------------
// Blocks of text: several lines, wrapped, aligned, kerned.
//
// A block is laid out line by line as it is drawn; nothing is allocated
// (the Utf8 forms convert as the single-line ones do), and each byte of the
// text is walked a small fixed number of times, so a block of a million
// characters costs a million glyphs' worth and no more.
//
// Layout
//   - Lines. A line feed (10) ends a line; a CR before it belongs to it.
//     Every line feed starts a new line, so "" is one empty line and
//     "a\n" two. Slot 10's glyph, if any, is never drawn in a block.
//   - Where the lines stand. (x, y) means for the first line what it means
//     for DrawSpriteFontText; line i stands at y + round-to-even of
//     i x lineAdvance, where lineAdvance = the font's line height (its
//     metrics chunk's, else its tallest glyph record's) x lineSpacing x size.
//     Each line is a straight line of its own started at a whole pixel: a
//     one-line block, left aligned, kerning off, makes exactly the platform
//     calls DrawSpriteFontText makes for the same text (StyleMaxLength and
//     StyleArc aside, which blocks ignore).
//   - Widths. A line's width is the pen after its last glyph that is not a
//     space (byte 32): advances x size plus kerning, as SpriteFontTextWidth
//     adds them for straight text. Spaces at the end of a paragraph are drawn
//     but hang: they are never measured, never wrap and never count in
//     alignment.
//   - Wrapping (wrapWidth > 0). A glyph whose pen would end past wrapWidth
//     starts a new line: the break goes at the last space of the line (the
//     spaces there are neither drawn nor measured), or after the last
//     hyphen ('-', which stays on the line), whichever comes later (spaces
//     before the line's first glyph are no place to break); a word with
//     neither breaks between two glyphs. Every line keeps at least one
//     glyph, however narrow the width. Spaces at the start of a wrapped line
//     are dropped; those at the start of a paragraph are kept.
//   - Alignment, within wrapWidth, or within the widest line when there is
//     no wrapping: left, centre (shift of round-to-even of half the spare
//     room) or right, always by whole pixels. A line wider than its room
//     starts at the left. Justify widens each space glyph between the first
//     and last glyphs of a wrapped line by an equal share of the spare room;
//     the last line of each paragraph (every line, without wrapping), a
//     line without spaces and the ellipsis line stay left aligned.
//   - Kerning (block.kerning): the amount of each pair of consecutive glyphs
//     of a line, x size, is added between them (SpriteFontKerning).
//   - maxLines > 0: lines after the last allowed one are left out, and when
//     anything but spaces and line breaks was left out, the last line ends
//     with an ellipsis: the font's own ellipsis character (0x85 for a
//     Windows-1252 font; the code page is the metrics chunk's) when the font
//     has its glyph, else "...". The line is cut after its last glyph that
//     still leaves the ellipsis within wrapWidth (after its last glyph that
//     is not a space without a width); when none does, the ellipsis stands
//     alone.
//   - Styles: StyleAlignX / StyleAlignY move the block by that factor of
//     its measured extent's width / height (as single lines move by their
//     measured width). A StyleRotation that is not +0.0 turns the whole
//     block about (x, y): each glyph is drawn turned, at its place in the
//     unturned block (anchoring included) turned about (x, y), its offset
//     turned as in a rotated single line. The rotation is set once per
//     call, so a turned block costs 3 platform calls per glyph like a
//     straight one. StyleArc and StyleMaxLength do not apply to blocks.
//
// The extent (SpriteFontMeasureBlock; what anchoring measures)
//   width:  the box the lines are laid out in: the widest line; when
//           wrapping and not left aligned, at least wrapWidth (aligned lines
//           spread over it). Never negative.
//   height: from the first line's y to the bottom of the last line:
//           (lines - 1) x lineAdvance + line height x size.
//   lines:  the number of lines drawn (at most maxLines when that is > 0).
//   All rounded half to even, saturated like every integer of the engine.
//
// Bad input, each drawing nothing or measuring {0, 0, 0} where it says so
//   - a null text or an id naming no font: nothing, {0, 0, 0}; no platform or
//     no 3D sprite: drawing draws nothing, measuring still measures;
//   - transparency and size -1.0 or NaN: the font's own, as for single lines;
//     other sizes as they come (0: every glyph on one spot; negative: pens
//     run backwards and nothing wraps; infinite: one glyph per line);
//   - wrapWidth 0 or negative: no wrapping; narrower than any glyph: one
//     glyph per line;
//   - lineSpacing NaN or infinite: 1.0; negative: taken as given, each line
//     stands above the one before (the height may then be negative);
//   - maxLines 0 or negative: no limit;
//   - an align outside TextAlign: left;
//   - a text of only line feeds: that many lines plus one, each empty; only
//     the call's one rotation reaches the platform.

enum TextAlign : std::int32_t { TextAlignLeft, TextAlignCenter, TextAlignRight, TextAlignJustify };

struct TextBlock {
    std::int32_t wrapWidth = 0;  // pixels; lines longer than this break; 0 (or less) never wraps
    TextAlign align = TextAlignLeft;
    float lineSpacing = 1.0f;    // factor of the font's line height between baselines
    std::int32_t maxLines = 0;   // 0 (or less): no limit
    bool kerning = true;         // add the font's kerning pairs between glyphs
};

struct TextBlockExtent {
    std::int32_t width, height, lines;
};

// The extent the block would have if drawn with this size (-1.0 or NaN: the font's).
TextBlockExtent SpriteFontMeasureBlock(FontId id, const char* text, float size, const TextBlock& block) noexcept;
// Draws the block with its first line at (x, y). Returns 0 always.
std::int32_t DrawSpriteFontBlock(FontId id, std::int32_t x, std::int32_t y, const char* text, float transparency,
                                 float size, const TextBlock& block) noexcept;
// UTF-8 forms: the text is converted to codePage first; CodePageFontDefault
// is the font's own (its metrics chunk's, when the engine knows that code
// page), else Windows-1252. An id naming no font does nothing.
TextBlockExtent SpriteFontMeasureBlockUtf8(FontId id, const char* utf8, float size, const TextBlock& block,
                                           std::int32_t codePage = CodePageFontDefault) noexcept;
std::int32_t DrawSpriteFontBlockUtf8(FontId id, std::int32_t x, std::int32_t y, const char* utf8,
                                     float transparency, float size, const TextBlock& block,
                                     std::int32_t codePage = CodePageFontDefault) noexcept;

// ---------------------------------------------------------------------------
// Where every glyph lands: glyph quads and true bounds.
//
// Turned text (rotation or arc not +0.0) places each glyph's box as the
// straight line turned as a whole about its start point would, then shifts
// it by what turning the font's reference box (its largest glyph box; for a
// font whose glyphs share one box, that box) about its own centre gives. A
// font whose glyphs share one box therefore draws exactly as it always has,
// and a font with tight boxes keeps its commas and apostrophes in place.

// One glyph as drawing shows it. Corners in the seam's order: top-left,
// top-right, bottom-left, bottom-right of the glyph before the turn, after
// zoom, turn and display, exactly as the platform puts them on the screen.
struct GlyphQuad {
    unsigned char code;
    float x[4];
    float y[4];
    std::int32_t srcX, srcY, srcWidth, srcHeight;  // the atlas rectangle, in texels (a cut glyph's is cut)
};

// Fills out (at most capacity quads) with the glyphs DrawSpriteFontText
// would show for the same arguments and the font's current styles, in
// drawing order, and returns how many there are; capacity 0 (out may then be
// null) asks for the count. Glyphs whose quad shows nothing (an empty box, a
// glyph cut to nothing) are left out. Computed from the glyph records alone:
// no platform or atlas is needed and nothing is drawn. size -1.0 (or NaN)
// means the font's StyleSize. A null text or an id naming no font gives 0.
std::size_t SpriteFontTextQuads(FontId id, std::int32_t x, std::int32_t y, const char* text, float size,
                                GlyphQuad* out, std::size_t capacity) noexcept;

// The smallest axis-aligned box holding every corner of those quads, in
// screen pixels. When no glyph shows, all four are 0 (and right <= left
// tells so: a shown quad always has right > left).
// Unlike SpriteFontTextWidth/Height, which keep their own rules (the extent
// of the advances and the first line height under the measurement's turn,
// signed, whole pixels, and not a box of what an arc draws), this is the
// ink box of the drawn quads: offsets, box sizes, cuts, anchoring and the
// drawn arc all count.
struct TextBounds {
    float left, top, right, bottom;
};
TextBounds SpriteFontTextBounds(FontId id, std::int32_t x, std::int32_t y, const char* text, float size) noexcept;

// The same for a block, as DrawSpriteFontBlock draws it: every glyph of
// every line in drawing order, and the box round them.
std::size_t SpriteFontBlockQuads(FontId id, std::int32_t x, std::int32_t y, const char* text, float size,
                                 const TextBlock& block, GlyphQuad* out, std::size_t capacity) noexcept;
TextBounds SpriteFontBlockBounds(FontId id, std::int32_t x, std::int32_t y, const char* text, float size,
                                 const TextBlock& block) noexcept;

// ---------------------------------------------------------------------------
// Text along a path: a circle, a polyline or a chain of cubic Bézier curves.
//
// Each glyph sits with the middle of its advance on the path at the pen's
// arc length, turned to the path's direction there, its baseline on the
// path: the font's baseline from its metrics chunk, else its line height
// (the bottom of the line on the path). Kerning applies when the font has
// it. The placement is exact (the glyph's box turns rigidly about that
// point; nothing of the single-line rounding rules applies) and every glyph
// costs the same four platform calls as rotated text. StyleRotation, StyleArc,
// the anchor factors and StyleMaxLength play no part. Path geometry is
// worked in double; arc length of curves comes from adaptive subdivision,
// within 0.25 pixel over a path. Nothing is allocated.

struct TextPathPoint {
    float x, y;
};

enum TextPathKind : std::int32_t {
    TextPathCircle,    // centre, radius, startAngle, clockwise, upright
    TextPathPolyline,  // points[0..count): straight segments between them
    TextPathBezier,    // points: start, then control, control, end per curve (count = 3n + 1; extra points ignored)
};

// A path; the points stay the caller's and are read during each call only.
// A circle is always closed. A closed polyline joins its last point to its
// first; a closed Bézier chain should end where it starts (positions wrap,
// nothing joins it).
struct TextPath {
    TextPathKind kind = TextPathCircle;
    float centerX = 0.0f, centerY = 0.0f;
    float radius = 0.0f;
    float startAngle = 0.0f;  // degrees: where the path begins; 0 right of the centre, 90 below it
    bool clockwise = true;    // clockwise on the screen: the glyphs' tops face outwards
    // Reading left to right wherever the text is: when the begin point lies
    // below the centre the text runs counter-clockwise (tops facing the
    // centre), else clockwise; clockwise is then ignored.
    bool upright = false;
    const TextPathPoint* points = nullptr;
    std::size_t count = 0;
    bool closed = false;

    static constexpr TextPath Circle(float centerX, float centerY, float radius, float startAngle,
                                     bool clockwise = true, bool upright = false) noexcept {
        TextPath path;
        path.kind = TextPathCircle;
        path.centerX = centerX, path.centerY = centerY, path.radius = radius, path.startAngle = startAngle;
        path.clockwise = clockwise, path.upright = upright;
        return path;
    }
    static constexpr TextPath Polyline(const TextPathPoint* points, std::size_t count, bool closed = false) noexcept {
        TextPath path;
        path.kind = TextPathPolyline, path.points = points, path.count = count, path.closed = closed;
        return path;
    }
    static constexpr TextPath Bezier(const TextPathPoint* points, std::size_t count, bool closed = false) noexcept {
        TextPath path;
        path.kind = TextPathBezier, path.points = points, path.count = count, path.closed = closed;
        return path;
    }
};

// The path's length in pixels. 0 for a path that cannot carry text: a
// radius of 0 or less, fewer than two points (four for a Bézier chain), a
// path of no length or longer than the largest float, and any coordinate,
// radius or angle that is NaN or infinite (one such point makes the whole
// path unusable).
float TextPathLength(const TextPath& path) noexcept;

// The arc length text takes along a path: its advances and kerning at the
// size (-1.0 or NaN: the font's StyleSize). 0 for a null text or an unknown id.
float SpriteFontTextPathLength(FontId id, const char* text, float size) noexcept;

// Draws text along the path. offset moves it along the path (pixels, in the
// path's direction). align: TextAlignLeft begins the text at the path's
// begin point, TextAlignRight ends it at the path's end, TextAlignCenter
// centres it on the middle of an open path; on a closed path (a circle)
// centre and end refer to the begin point, which the text then is centred on
// or ends at. TextAlignJustify spreads the glyphs evenly over the whole path
// (their gaps grow, or shrink when the text is longer). On an open path a
// glyph whose advance does not lie wholly on the path is not drawn; on a
// closed one positions wrap round. A path of no length (see TextPathLength),
// a NaN or infinite offset, an infinite size, an unknown id, a null text or
// no 3D sprite draw nothing. transparency and size as for DrawSpriteFontText.
// Returns 0 always.
std::int32_t DrawSpriteFontTextOnPath(FontId id, const char* text, const TextPath& path, float offset,
                                      TextAlign align, float transparency, float size) noexcept;
std::int32_t DrawSpriteFontTextOnPathUtf8(FontId id, const char* utf8, const TextPath& path, float offset,
                                          TextAlign align, float transparency, float size,
                                          std::int32_t codePage = CodePageFontDefault) noexcept;

// ---------------------------------------------------------------------------
// Distance-field fonts.
//
// A font whose metrics chunk (read by the sized load) marks its atlas as a
// distance field (fieldKind 1 or 2 with a range of at least 1; any other
// kind, or range 0, is taken as plain coverage) keeps, per texel,
// 0.5 + d / range with d the signed distance to the glyph's edge in texels,
// positive inside:
//   single-channel (1): the field in alpha, red, green and blue white;
//   multi-channel (2): three fields in red, green and blue whose median is
//     the shape (corners stay sharp), the true field in alpha.
// At load the engine tells the platform (SpritePlatform::FieldSprite3D). A
// platform that draws fields turns them into coverage with an edge about one
// screen pixel wide at every size and turn; one that cannot (SDL's own
// renderer) draws the atlas as plain alpha, soft, and says so once. Tint and
// transparency apply as to every font. Drawing calls are the same for both.
//
// Effects that a field makes cheap, as style of such a font. Distances are in
// atlas pixels at size 1.0 (they scale with the text and turn with it) and
// reach at most range / 2 from the edge, where the field ends: larger values
// are drawn as range / 2. Colours are 0xBBGGRR. Each glyph's outline and
// shadow are drawn with the glyph, so where glyphs stand closer than the
// outline is wide, a later glyph's outline or shadow lies over the earlier
// glyph's edge.
struct SpriteFontFieldEffects {
    float outlineWidth = 0.0f;          // outline outside the edge; 0 is none
    std::uint32_t outlineColor = 0x000000;
    float shadowOffsetX = 0.0f;         // shadow displacement, right...
    float shadowOffsetY = 0.0f;         // ...and down, before the text turns
    float shadowSoftness = 0.0f;        // width of the shadow's fall-off; 0 is a hard shadow
    std::uint32_t shadowColor = 0x000000;
    std::int32_t shadowOpacity = 0;     // 0..255 (clamped); 0 is no shadow
};

// Sets the font's effects from the next draw on (passed to the platform at
// once through SpritePlatform::FieldEffectsSprite3D). A font that is not a
// field font, or an unknown id, changes nothing. A negative or NaN width or
// softness counts as 0, a NaN offset as 0. Returns 0 always.
std::int32_t SetSpriteFontFieldEffects(FontId id, const SpriteFontFieldEffects& effects) noexcept;
// The font's effects (all zero until set); false for an unknown id or null out.
bool GetSpriteFontFieldEffects(FontId id, SpriteFontFieldEffects* out) noexcept;
