// Text along a path: circles, polylines and chains of cubic Bézier curves.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>

#include "font_extras.h"
#include "glyph_walk.h"
#include "numbers.h"

namespace {

using namespace sprite_font_detail;

constexpr double kPi = 3.14159265358979323846;

struct Vec {
    double x, y;
};

inline Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
inline Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
inline Vec operator*(double k, Vec a) { return {k * a.x, k * a.y}; }
inline double Length(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }  // squares of floats never overflow a double

// A point of the path and the unit direction of travel there.
struct Sample {
    Vec point;
    Vec direction;
};

// ---------------------------------------------------------------------------
// Cubic Bézier curves, cut into pieces that are straight and evenly paced to
// within kPieceTolerance: both inner control points lie that close to the
// thirds of the chord, so the piece is its chord, run at constant speed,
// to that tolerance; its length is taken as the mean of chord and control
// polygon. Pieces come in order from a small stack, so walking a curve
// forward never allocates.

constexpr double kPieceTolerance = 0.25;  // pixels
// Each halving cuts a piece's deviation by four: 16 levels take a curve
// of 20000 pixels to the tolerance, and bound the pieces of any curve.
constexpr int kMaxDepth = 16;
// Curves longer than that (far off any screen) are held to a tolerance
// relative to their size, so their pieces stay few.
constexpr double kRelativeTolerance = 1e-6;

struct Cubic {
    Vec p[4];
};

void Split(const Cubic& c, Cubic* left, Cubic* right) {
    const Vec a = 0.5 * (c.p[0] + c.p[1]), b = 0.5 * (c.p[1] + c.p[2]), d = 0.5 * (c.p[2] + c.p[3]);
    const Vec ab = 0.5 * (a + b), bd = 0.5 * (b + d);
    const Vec mid = 0.5 * (ab + bd);
    *left = Cubic{{c.p[0], a, ab, mid}};
    *right = Cubic{{mid, bd, d, c.p[3]}};
}

double PolygonLength(const Cubic& c) {
    return Length(c.p[1] - c.p[0]) + Length(c.p[2] - c.p[1]) + Length(c.p[3] - c.p[2]);
}

bool IsFlat(const Cubic& c, double tolerance) {
    const Vec third = (1.0 / 3.0) * (c.p[3] - c.p[0]);
    const Vec one = c.p[1] - (c.p[0] + third);
    const Vec two = c.p[2] - (c.p[3] - third);
    const double t2 = tolerance * tolerance;
    return one.x * one.x + one.y * one.y <= t2 && two.x * two.x + two.y * two.y <= t2;
}

double PieceLength(const Cubic& c) { return 0.5 * (Length(c.p[3] - c.p[0]) + PolygonLength(c)); }

// Walks one curve's pieces in order.
class PieceWalk {
public:
    explicit PieceWalk(const Cubic& curve) {
        stack_[0] = {curve, 0};
        top_ = 1;
        const double relative = kRelativeTolerance * PolygonLength(curve);
        tolerance_ = relative > kPieceTolerance ? relative : kPieceTolerance;
    }
    // The next straight piece, or false at the curve's end.
    bool Next(Cubic* piece) {
        while (top_ > 0) {
            const Entry entry = stack_[--top_];
            if (entry.depth >= kMaxDepth || IsFlat(entry.curve, tolerance_)) {
                *piece = entry.curve;
                return true;
            }
            Cubic left, right;
            Split(entry.curve, &left, &right);
            stack_[top_++] = {right, entry.depth + 1};
            stack_[top_++] = {left, entry.depth + 1};
        }
        return false;
    }

private:
    struct Entry {
        Cubic curve;
        int depth;
    };
    Entry stack_[kMaxDepth + 2];
    int top_ = 0;
    double tolerance_ = kPieceTolerance;
};

// A curve's whole length, for measuring a path: Gauss-Legendre quadrature
// of its speed, halved where two halves disagree with the whole; smooth
// curves settle at once, far cheaper than walking their pieces.
constexpr double kLengthTolerance = 1e-2;  // pixels per interval
constexpr int kMaxLengthDepth = 12;

double SpeedAt(const Cubic& c, double t) {
    const double u = 1.0 - t;
    const Vec d = (3.0 * u * u) * (c.p[1] - c.p[0]) + (6.0 * u * t) * (c.p[2] - c.p[1]) + (3.0 * t * t) * (c.p[3] - c.p[2]);
    return Length(d);
}

double GaussLength(const Cubic& c, double a, double b) {
    // 8 points: abscissae and weights on [-1, 1], symmetric pairs.
    static constexpr double kX[4] = {0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                                     0.9602898564975363};
    static constexpr double kW[4] = {0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                     0.1012285362903763};
    const double mid = 0.5 * (a + b), half = 0.5 * (b - a);
    double sum = 0.0;
    for (int i = 0; i < 4; ++i) sum += kW[i] * (SpeedAt(c, mid - half * kX[i]) + SpeedAt(c, mid + half * kX[i]));
    return sum * half;
}

double CurveLength(const Cubic& curve) {
    struct Interval {
        double a, b, whole;
        int depth;
    };
    Interval stack[kMaxLengthDepth + 2];
    int top = 0;
    stack[top++] = {0.0, 1.0, GaussLength(curve, 0.0, 1.0), 0};
    double total = 0.0;
    while (top > 0) {
        const Interval in = stack[--top];
        const double mid = 0.5 * (in.a + in.b);
        const double left = GaussLength(curve, in.a, mid), right = GaussLength(curve, mid, in.b);
        // A relative bound too, for curves far larger than any screen.
        if (in.depth >= kMaxLengthDepth || std::fabs(left + right - in.whole) <= kLengthTolerance + 1e-9 * in.whole) {
            total += left + right;
            continue;
        }
        stack[top++] = {mid, in.b, right, in.depth + 1};
        stack[top++] = {in.a, mid, left, in.depth + 1};
    }
    return total;
}

// ---------------------------------------------------------------------------
// A validated path with a cursor that answers "where is arc length s" for
// lengths that mostly grow from one question to the next.

class PathWalk {
public:
    explicit PathWalk(const TextPath& path) noexcept : path_(path) {
        length_ = Measure();
        // Positions along a path longer than a float reaches could not be told apart.
        if (!(length_ <= static_cast<double>(std::numeric_limits<float>::max()))) length_ = 0.0;
    }

    double PathLength() const noexcept { return length_; }
    bool Closed() const noexcept { return path_.kind == TextPathCircle || path_.closed; }

    // s within [0, PathLength()].
    Sample At(double s) noexcept {
        switch (path_.kind) {
            case TextPathCircle:
                return CircleAt(s);
            case TextPathPolyline:
                return PolylineAt(s);
            case TextPathBezier:
                return BezierAt(s);
        }
        return Sample{{0, 0}, {1, 0}};
    }

private:
    static bool Finite(TextPathPoint p) noexcept { return std::isfinite(p.x) && std::isfinite(p.y); }
    Vec Point(std::size_t i) const noexcept {
        return Vec{static_cast<double>(path_.points[i].x), static_cast<double>(path_.points[i].y)};
    }
    std::size_t Segments() const noexcept {  // of a polyline, with the closing one
        return path_.closed ? path_.count : path_.count - 1;
    }
    Cubic Curve(std::size_t i) const noexcept {
        return Cubic{{Point(3 * i), Point(3 * i + 1), Point(3 * i + 2), Point(3 * i + 3)}};
    }

    double Measure() noexcept {
        switch (path_.kind) {
            case TextPathCircle: {
                if (!std::isfinite(path_.centerX) || !std::isfinite(path_.centerY) || !std::isfinite(path_.startAngle) ||
                    !std::isfinite(path_.radius) || !(path_.radius > 0.0f))
                    return 0.0;
                const double start = static_cast<double>(path_.startAngle) * (kPi / 180.0);
                // Upright: the lower half runs the other way round, so it reads left to right.
                clockwise_ = path_.upright ? !(std::sin(start) > 1e-9) : path_.clockwise;
                start_ = start;
                return 2.0 * kPi * static_cast<double>(path_.radius);
            }
            case TextPathPolyline: {
                if (path_.points == nullptr || path_.count < 2) return 0.0;
                double total = 0.0;
                for (std::size_t i = 0; i < path_.count; ++i)
                    if (!Finite(path_.points[i])) return 0.0;
                for (std::size_t i = 0; i < Segments(); ++i)
                    total += Length(Point((i + 1) % path_.count) - Point(i));
                return std::isfinite(total) ? total : 0.0;
            }
            case TextPathBezier: {
                if (path_.points == nullptr || path_.count < 4) return 0.0;
                const std::size_t used = (path_.count - 1) / 3 * 3 + 1;
                for (std::size_t i = 0; i < used; ++i)
                    if (!Finite(path_.points[i])) return 0.0;
                double total = 0.0;
                for (std::size_t i = 0; i < used / 3; ++i) total += CurveLength(Curve(i));
                return std::isfinite(total) ? total : 0.0;
            }
        }
        return 0.0;
    }

    Sample CircleAt(double s) const noexcept {
        const double r = static_cast<double>(path_.radius);
        const double turned = s / r;
        const double angle = clockwise_ ? start_ + turned : start_ - turned;
        const double c = std::cos(angle), sn = std::sin(angle);
        const Vec point{static_cast<double>(path_.centerX) + r * c, static_cast<double>(path_.centerY) + r * sn};
        return clockwise_ ? Sample{point, {-sn, c}} : Sample{point, {sn, -c}};
    }

    // A length on a vertex belongs to the segment that starts there.
    Sample PolylineAt(double s) noexcept {
        if (s < segmentStart_) segment_ = 0, segmentStart_ = 0.0;
        const std::size_t last = Segments() - 1;
        for (;;) {
            const Vec a = Point(segment_), b = Point((segment_ + 1) % path_.count);
            const double length = Length(b - a);
            if (segment_ < last && s >= segmentStart_ + length) {
                segmentStart_ += length;
                ++segment_;
                continue;
            }
            if (length > 0.0) {
                const Vec direction = (1.0 / length) * (b - a);
                lastDirection_ = direction;
                return Sample{a + (s - segmentStart_) * direction, direction};
            }
            // A last segment of no length: the way the path came.
            return Sample{a, lastDirection_};
        }
    }

    Sample BezierAt(double s) noexcept {
        if (!walking_ || s < pieceStart_) {
            curve_ = 0;
            walk_ = PieceWalk(Curve(0));
            walking_ = true;
            pieceStart_ = 0.0;
            pieceLength_ = 0.0;
            NextPiece();
        }
        while (s > pieceStart_ + pieceLength_ && NextPiece()) {
        }
        return PieceAt(s);  // past the very end: on the last piece, clamped
    }

    // The piece after the current one, into the next curve when this one
    // has no more; false at the end of the chain.
    bool NextPiece() noexcept {
        Cubic next;
        while (!walk_.Next(&next)) {
            if (curve_ + 1 >= (path_.count - 1) / 3) return false;
            ++curve_;
            walk_ = PieceWalk(Curve(curve_));
        }
        pieceStart_ += pieceLength_;
        piece_ = next;
        pieceLength_ = PieceLength(next);
        return true;
    }
    Sample PieceAt(double s) const noexcept {
        const Vec a = piece_.p[0], b = piece_.p[3];
        double f = pieceLength_ > 0.0 ? (s - pieceStart_) / pieceLength_ : 0.0;
        f = f < 0.0 ? 0.0 : (f > 1.0 ? 1.0 : f);
        // The piece is near enough its chord at constant pace: the point
        // moves along it; the direction is the curve's own there.
        const double u = 1.0 - f;
        const Vec d = (3.0 * u * u) * (piece_.p[1] - a) + (6.0 * u * f) * (piece_.p[2] - piece_.p[1]) +
                      (3.0 * f * f) * (b - piece_.p[2]);
        const double length = Length(d);
        const Vec chord = b - a;
        const double chordLength = Length(chord);
        Vec direction{1.0, 0.0};
        if (length > 0.0)
            direction = (1.0 / length) * d;
        else if (chordLength > 0.0)
            direction = (1.0 / chordLength) * chord;
        const double t = f;  // evenly paced: arc fraction is the parameter
        const Vec point = (u * u * u) * a + (3.0 * u * u * t) * piece_.p[1] + (3.0 * u * t * t) * piece_.p[2] +
                          (t * t * t) * b;
        return Sample{point, direction};
    }

    const TextPath& path_;
    double length_ = 0.0;
    // circle
    bool clockwise_ = true;
    double start_ = 0.0;
    // polyline and Bézier cursor
    std::size_t segment_ = 0;
    double segmentStart_ = 0.0;
    Vec lastDirection_{1.0, 0.0};
    std::size_t curve_ = 0;
    PieceWalk walk_{Cubic{}};
    bool walking_ = false;
    Cubic piece_{};
    double pieceStart_ = 0.0;
    double pieceLength_ = 0.0;
};

// The arc length of the text's advances and kerning, and how many glyphs it has.
struct TextRun {
    double length;
    std::size_t glyphs;
};

TextRun RunOf(const SpriteFont& font, const unsigned char* text, float size) noexcept {
    const FontExtras& extras = ExtrasOf(font);
    TextRun run{0.0, 0};
    unsigned char previous = 0;
    for (; *text != 0; ++text) {
        const GlyphSlot& glyph = font.glyphs[*text];
        if (glyph.present == 0) continue;
        if (run.glyphs != 0) run.length += static_cast<double>(KerningOf(extras, previous, *text)) * size;
        run.length += static_cast<double>(glyph.advance) * size;
        previous = *text;
        ++run.glyphs;
    }
    return run;
}

void WalkPath(const SpriteFont& font, const unsigned char* text, const TextPath& path, float offset, TextAlign align,
              float size, GlyphSink& sink) noexcept {
    PathWalk walk(path);
    const double length = walk.PathLength();
    if (!(length > 0.0) || !std::isfinite(offset) || !std::isfinite(size)) return;
    const TextRun run = RunOf(font, text, size);
    if (run.glyphs == 0 || !std::isfinite(run.length)) return;
    const bool closed = walk.Closed();

    double pen = offset;
    double gap = 0.0;
    switch (align) {
        case TextAlignCenter:
            pen += closed ? -0.5 * run.length : 0.5 * (length - run.length);
            break;
        case TextAlignRight:
            pen += closed ? -run.length : length - run.length;
            break;
        case TextAlignJustify:
            if (run.glyphs > 1 || closed) {
                gap = (length - run.length) / static_cast<double>(closed ? run.glyphs : run.glyphs - 1);
            } else {
                pen += 0.5 * (length - run.length);  // one glyph: the middle of the path
            }
            break;
        default:
            break;
    }

    const FontExtras& extras = ExtrasOf(font);
    const double baseline =
        static_cast<double>(extras.hasMetrics ? extras.metrics.baseline : LineHeightOf(extras)) * size;
    // Pixels of slack at the ends of an open path, for sums that land a
    // hair past them.
    constexpr double kSlack = 1e-6;
    unsigned char previous = 0;
    bool first = true;
    for (; *text != 0; ++text) {
        const GlyphSlot& glyph = font.glyphs[*text];
        if (glyph.present == 0) continue;
        if (!first) pen += static_cast<double>(KerningOf(extras, previous, *text)) * size + gap;
        first = false;
        previous = *text;
        const double advance = static_cast<double>(glyph.advance) * size;
        const double begin = pen;
        pen += advance;

        double middle = begin + 0.5 * advance;
        if (closed) {
            middle -= std::floor(middle / length) * length;
            if (!(middle < length)) middle = 0.0;  // a rounding that reached the full turn
        } else if (begin < -kSlack || begin + advance > length + kSlack) {
            continue;  // off the end of the path
        } else {
            middle = middle < 0.0 ? 0.0 : (middle > length ? length : middle);
        }
        const Sample at = walk.At(middle);
        const Vec along = at.direction;
        const Vec down{-along.y, along.x};  // the glyph's own y, turned with it

        // The pen point is half an advance back along the path and a
        // baseline up from it; the box hangs from there, turned rigidly.
        PlacedGlyph placed{*text, glyph.srcX, glyph.srcY, glyph.srcWidth, glyph.srcHeight, 0, 0, 0, 0, true, 0.0f};
        placed.width = RoundToInt32(ToFloat(glyph.srcWidth) * size);
        placed.height = RoundToInt32(ToFloat(glyph.srcHeight) * size);
        const double halfW = 0.5 * placed.width, halfH = 0.5 * placed.height;
        const double localX = static_cast<double>(glyph.offsetX) * size + halfW - 0.5 * advance;
        const double localY = static_cast<double>(glyph.offsetY) * size + halfH - baseline;
        const Vec centre = at.point + localX * along + localY * down;
        placed.x = RoundToInt32(static_cast<float>(centre.x - halfW));
        placed.y = RoundToInt32(static_cast<float>(centre.y - halfH));
        placed.degrees = static_cast<float>(std::atan2(along.y, along.x) * (180.0 / kPi));
        sink.Glyph(placed);
    }
}

}  // namespace

float TextPathLength(const TextPath& path) noexcept {
    PathWalk walk(path);
    return static_cast<float>(walk.PathLength());
}

float SpriteFontTextPathLength(FontId id, const char* text, float size) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0.0f;
    if (UsesFontDefault(size)) size = font->StyleSize;
    return static_cast<float>(RunOf(*font, reinterpret_cast<const unsigned char*>(text), size).length);
}

std::int32_t DrawSpriteFontTextOnPath(FontId id, const char* text, const TextPath& path, float offset,
                                      TextAlign align, float transparency, float size) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || text == nullptr) return 0;
    SpritePlatform* platform = GetSpritePlatform();
    if (platform == nullptr || font->sprite3D == 0) return 0;
    if (UsesFontDefault(transparency)) transparency = ToFloat(font->StyleTransparency);
    if (UsesFontDefault(size)) size = font->StyleSize;
    DrawSink sink(*platform, font->sprite3D, RoundToInt32(transparency));
    WalkPath(*font, reinterpret_cast<const unsigned char*>(text), path, offset, align, size, sink);
    return 0;
}

std::int32_t DrawSpriteFontTextOnPathUtf8(FontId id, const char* utf8, const TextPath& path, float offset,
                                          TextAlign align, float transparency, float size,
                                          std::int32_t codePage) noexcept {
    const SpriteFont* font = GetSpriteFont(id);
    if (font == nullptr || utf8 == nullptr) return 0;
    if (codePage == CodePageFontDefault) {
        const FontExtras& extras = ExtrasOf(*font);
        const std::int32_t own = extras.hasMetrics ? static_cast<std::int32_t>(extras.metrics.codePage) : 0;
        codePage = own != 0 && CodePageToUnicode(own, 'A') == 'A' ? own : CodePageWindows1252;
    }
    // Texts up to the stack buffer use no heap; a longer one grows one kept buffer.
    char local[1024];
    const std::size_t needed = ConvertUtf8ToCodePage(utf8, codePage, local, sizeof local);
    if (needed < sizeof local) return DrawSpriteFontTextOnPath(id, local, path, offset, align, transparency, size);
    static std::unique_ptr<char[]> kept;
    static std::size_t keptSize = 0;
    if (keptSize <= needed) {
        kept.reset(new (std::nothrow) char[needed + 1]);
        keptSize = kept ? needed + 1 : 0;
    }
    if (!kept) return DrawSpriteFontTextOnPath(id, local, path, offset, align, transparency, size);
    ConvertUtf8ToCodePage(utf8, codePage, kept.get(), keptSize);
    return DrawSpriteFontTextOnPath(id, kept.get(), path, offset, align, transparency, size);
}
