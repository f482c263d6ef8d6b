#include "distance_field.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <limits>

#include "sprite_font.h"

namespace font_maker {
namespace {

using P = FieldPoint;

P operator-(P a, P b) { return {a.x - b.x, a.y - b.y}; }
P operator+(P a, P b) { return {a.x + b.x, a.y + b.y}; }
P operator*(P a, double k) { return {a.x * k, a.y * k}; }
double Dot(P a, P b) { return a.x * b.x + a.y * b.y; }
double Cross(P a, P b) { return a.x * b.y - a.y * b.x; }
double Length(P a) { return std::sqrt(Dot(a, a)); }
P Normalized(P a) {
    const double l = Length(a);
    return l > 0.0 ? a * (1.0 / l) : P{0.0, 0.0};
}

// Channel masks of an edge's colour.
constexpr int kRed = 1, kGreen = 2, kBlue = 4, kWhite = 7;

// A segment of a flattened edge; internal ones (filled on both sides, where
// contours overlap) are no part of the shape's border and give no distance.
struct Segment {
    P a, b;
    bool border = true;
};

// One edge of a contour, flattened; its tangents at the ends come from the
// control points, so smooth joins between curves are not taken for corners.
struct Edge {
    std::vector<Segment> segments;
    P startDir, endDir;
    int colour = kWhite;
};

using Contour = std::vector<Edge>;

P Bezier(const std::vector<P>& c, double t) {
    const double s = 1.0 - t;
    if (c.size() == 2) return c[0] * s + c[1] * t;
    if (c.size() == 3) return c[0] * (s * s) + c[1] * (2.0 * s * t) + c[2] * (t * t);
    return c[0] * (s * s * s) + c[1] * (3.0 * s * s * t) + c[2] * (3.0 * s * t * t) + c[3] * (t * t * t);
}

// How many segments an edge of `points` control points becomes.
int SegmentsOf(std::size_t points, double polygon) {
    return points == 2 ? 1 : std::clamp(static_cast<int>(std::ceil(polygon / 0.5)), 4, 64);
}

// Flattens an edge into segments about half a texel long: far below what a
// byte of the field can tell at the ranges allowed.
bool MakeEdge(const std::vector<P>& c, Edge* edge) {
    double polygon = 0.0;
    for (std::size_t i = 1; i < c.size(); ++i) polygon += Length(c[i] - c[i - 1]);
    if (!(polygon > 1e-9) || !std::isfinite(polygon)) return false;  // a point, or garbage
    // First and last control points that differ give the end tangents.
    std::size_t first = 1, last = c.size() - 2;
    while (first + 1 < c.size() && Length(c[first] - c[0]) <= 1e-12) ++first;
    while (last > 0 && Length(c.back() - c[last]) <= 1e-12) --last;
    edge->startDir = Normalized(c[first] - c[0]);
    edge->endDir = Normalized(c.back() - c[last]);
    const int n = SegmentsOf(c.size(), polygon);
    P prev = c[0];
    for (int i = 1; i <= n; ++i) {
        const P next = i == n ? c.back() : Bezier(c, static_cast<double>(i) / n);
        edge->segments.push_back({prev, next});
        prev = next;
    }
    return true;
}

// Colour changes as in the usual MSDF edge colouring: each step picks a
// colour of two channels that shares exactly one with the last one, and the
// banned colour keeps a contour's last edge from matching its first.
void SwitchColour(int* colour, unsigned long long* seed, int banned = 0) {
    const int combined = *colour & banned;
    if (combined == kRed || combined == kGreen || combined == kBlue) {
        *colour = combined ^ kWhite;
        return;
    }
    if (*colour == 0 || *colour == kWhite) {
        static const int kStart[3] = {kGreen | kBlue, kRed | kBlue, kRed | kGreen};
        *colour = kStart[*seed % 3];
        *seed /= 3;
        return;
    }
    const int shifted = *colour << (1 + (*seed & 1));
    *colour = (shifted | shifted >> 3) & kWhite;
    *seed >>= 1;
}

bool IsCorner(P a, P b) {
    // Directions turning by more than about 8 degrees meet in a corner.
    return Dot(a, b) <= 0.0 || std::fabs(Cross(a, b)) > std::sin(3.0);
}

// Splits one edge into three at its segment count, for contours of one or
// two edges with a single corner (a teardrop), which need three colours.
std::vector<Edge> SplitInThree(const Edge& e) {
    std::vector<Edge> parts(3);
    const std::size_t n = e.segments.size();
    for (std::size_t i = 0; i < n; ++i) parts[std::min<std::size_t>(2, i * 3 / std::max<std::size_t>(n, 1))].segments.push_back(e.segments[i]);
    std::vector<Edge> kept;
    for (Edge& p : parts) {
        if (p.segments.empty()) continue;
        p.startDir = Normalized(p.segments.front().b - p.segments.front().a);
        p.endDir = Normalized(p.segments.back().b - p.segments.back().a);
        kept.push_back(std::move(p));
    }
    if (!kept.empty()) kept.front().startDir = e.startDir, kept.back().endDir = e.endDir;
    return kept;
}

void ColourContour(Contour& contour, unsigned long long* seed) {
    std::vector<std::size_t> corners;
    P prev = contour.back().endDir;
    for (std::size_t i = 0; i < contour.size(); ++i) {
        if (IsCorner(prev, contour[i].startDir)) corners.push_back(i);
        prev = contour[i].endDir;
    }
    if (corners.empty()) {
        // Smooth all round: every channel sees the same edges.
        for (Edge& e : contour) e.colour = kWhite;
        return;
    }
    if (corners.size() == 1) {
        int colours[3] = {kWhite, kWhite, kWhite};
        SwitchColour(&colours[0], seed);
        colours[2] = colours[0];
        SwitchColour(&colours[2], seed);
        // Start the contour at its corner.
        std::rotate(contour.begin(), contour.begin() + static_cast<std::ptrdiff_t>(corners[0]), contour.end());
        if (contour.size() < 3) {
            Contour split;
            for (const Edge& e : contour)
                for (Edge& part : SplitInThree(e)) split.push_back(std::move(part));
            contour.swap(split);
        }
        const std::size_t m = contour.size();
        for (std::size_t i = 0; i < m; ++i) {
            // Thirds of the contour: the middle white, the ends two colours.
            const double pos = m > 1 ? static_cast<double>(i) / static_cast<double>(m - 1) : 0.0;
            const int third = static_cast<int>(3.0 + 2.875 * pos - 1.4375 + 0.5) - 3;
            contour[i].colour = colours[1 + std::clamp(third, -1, 1)];
        }
        return;
    }
    const std::size_t m = contour.size();
    const std::size_t count = corners.size();
    const std::size_t start = corners[0];
    int colour = kWhite;
    SwitchColour(&colour, seed);
    const int initial = colour;
    std::size_t spline = 0;
    for (std::size_t i = 0; i < m; ++i) {
        const std::size_t index = (start + i) % m;
        if (spline + 1 < count && corners[spline + 1] == index) {
            ++spline;
            SwitchColour(&colour, seed, spline == count - 1 ? initial : 0);
        }
        contour[index].colour = colour;
    }
}

// Nonzero winding of every segment (internal ones included) around p.
int Winding(const std::vector<const Segment*>& all, P p) {
    int w = 0;
    for (const Segment* s : all) {
        if (s->a.y <= p.y) {
            if (s->b.y > p.y && Cross(s->b - s->a, p - s->a) > 0.0) ++w;
        } else if (s->b.y <= p.y && Cross(s->b - s->a, p - s->a) < 0.0) {
            --w;
        }
    }
    return w;
}

// The nearest point of an edge to p: distance, how squarely p faces the
// edge there (smaller is more square; it settles ties at shared corners),
// and the signed distance to the edge's line there, extended past the
// edge's ends (the pseudo-distance), positive on the edge's left.
struct Nearest {
    double distance = std::numeric_limits<double>::infinity();
    double obliqueness = 1.0;
    double pseudo = 0.0;
    bool Closer(const Nearest& other) const {
        if (distance < other.distance - 1e-9) return true;
        return distance <= other.distance + 1e-9 && obliqueness < other.obliqueness;
    }
};

Nearest NearestOnEdge(const Edge& e, P p) {
    Nearest best;
    const std::size_t n = e.segments.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Segment& s = e.segments[i];
        if (!s.border) continue;
        const P ab = s.b - s.a;
        const double len2 = Dot(ab, ab);
        const double raw = len2 > 0.0 ? Dot(p - s.a, ab) / len2 : 0.0;
        const double t = std::clamp(raw, 0.0, 1.0);
        const P q = s.a + ab * t;
        const P d = p - q;
        Nearest cand;
        cand.distance = Length(d);
        const P dir = Normalized(ab);
        cand.obliqueness = cand.distance > 0.0 ? std::fabs(Dot(dir, d * (1.0 / cand.distance))) : 0.0;
        const double side = Cross(ab, p - s.a) >= 0.0 ? 1.0 : -1.0;
        cand.pseudo = side * cand.distance;
        // Past the edge's own ends the edge's line goes on straight.
        if ((i == 0 && raw < 0.0) || (i + 1 == n && raw > 1.0)) cand.pseudo = Cross(dir, p - s.a);
        if (cand.Closer(best)) best = cand;
    }
    return best;
}

std::uint8_t FieldByte(double distance, double range) {
    const double v = std::clamp(0.5 + distance / range, 0.0, 1.0);
    return static_cast<std::uint8_t>(std::lround(v * 255.0));
}

double Median(double a, double b, double c) { return std::max(std::min(a, b), std::min(std::max(a, b), c)); }

// Two neighbouring texels clash when two of their channels change by more
// than the distance between them can explain: bilinear filtering between
// them would then make a spot of the wrong side. Of the pair, the texel
// farther from the edge is flagged.
bool Clash(const double* a, const double* b, double threshold) {
    double a0 = a[0], a1 = a[1], a2 = a[2], b0 = b[0], b1 = b[1], b2 = b[2];
    if (std::fabs(b0 - a0) < std::fabs(b1 - a1)) std::swap(a0, a1), std::swap(b0, b1);
    if (std::fabs(b1 - a1) < std::fabs(b2 - a2)) {
        std::swap(a1, a2), std::swap(b1, b2);
        if (std::fabs(b0 - a0) < std::fabs(b1 - a1)) std::swap(a0, a1), std::swap(b0, b1);
    }
    return std::fabs(b1 - a1) >= threshold && !(b0 == b1 && b0 == b2) && std::fabs(a2) >= std::fabs(b2);
}

// Flagged texels take the median in all three channels: they lose their
// corner there but no longer make spots.
void CorrectClashes(std::vector<double>* channels, std::int32_t width, std::int32_t height) {
    // Distances are in texels: a true distance changes by at most the texels' spacing.
    const double straight = 1.001, diagonal = 1.001 * std::sqrt(2.0);
    std::vector<bool> flagged(channels->size() / 3, false);
    const auto at = [&](std::int32_t x, std::int32_t y) {
        return &(*channels)[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3];
    };
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const double* c = at(x, y);
            const bool clash = (x > 0 && Clash(c, at(x - 1, y), straight)) ||
                               (x + 1 < width && Clash(c, at(x + 1, y), straight)) ||
                               (y > 0 && Clash(c, at(x, y - 1), straight)) ||
                               (y + 1 < height && Clash(c, at(x, y + 1), straight)) ||
                               (x > 0 && y > 0 && Clash(c, at(x - 1, y - 1), diagonal)) ||
                               (x + 1 < width && y > 0 && Clash(c, at(x + 1, y - 1), diagonal)) ||
                               (x > 0 && y + 1 < height && Clash(c, at(x - 1, y + 1), diagonal)) ||
                               (x + 1 < width && y + 1 < height && Clash(c, at(x + 1, y + 1), diagonal));
            flagged[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = clash;
        }
    for (std::size_t i = 0; i < flagged.size(); ++i)
        if (flagged[i]) {
            double* c = &(*channels)[i * 3];
            c[0] = c[1] = c[2] = Median(c[0], c[1], c[2]);
        }
}

// Between two neighbours the renderer interpolates the channels and takes
// the median. Where that lands on the other side of the edge from the true
// distance, well away from the edge (so not at a corner the channels keep
// sharp on purpose), both texels take their median in all channels: the
// renderer then interpolates plain distances there, whose sign is right.
void CorrectBetween(std::vector<double>* channels, const std::vector<double>& trueField, std::int32_t width,
                    std::int32_t height, double range) {
    const auto index = [&](std::int32_t x, std::int32_t y) {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    };
    // The renderer sees the values as stored: cut at half the range.
    const double reach = range * 0.5;
    const auto stored = [reach](double v) { return std::clamp(v, -reach, reach); };
    std::vector<bool> flagged(trueField.size(), false);
    const auto check = [&](std::size_t a, std::size_t b) {
        const double* ca = &(*channels)[a * 3];
        const double* cb = &(*channels)[b * 3];
        for (const double t : {0.25, 0.5, 0.75}) {
            const double s = stored(trueField[a]) + (stored(trueField[b]) - stored(trueField[a])) * t;
            if (std::fabs(s) < 0.75) continue;
            double m3[3];
            for (int k = 0; k < 3; ++k) m3[k] = stored(ca[k]) + (stored(cb[k]) - stored(ca[k])) * t;
            // At least half a texel on the true side: less shows as a faint spot.
            if ((s > 0.0 ? 1.0 : -1.0) * Median(m3[0], m3[1], m3[2]) < 0.5) {
                flagged[a] = flagged[b] = true;
                return;
            }
        }
    };
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            if (x + 1 < width) check(index(x, y), index(x + 1, y));
            if (y + 1 < height) check(index(x, y), index(x, y + 1));
            if (x + 1 < width && y + 1 < height) check(index(x, y), index(x + 1, y + 1));
            if (x > 0 && y + 1 < height) check(index(x, y), index(x - 1, y + 1));
        }
    for (std::size_t i = 0; i < flagged.size(); ++i)
        if (flagged[i]) {
            double* c = &(*channels)[i * 3];
            c[0] = c[1] = c[2] = Median(c[0], c[1], c[2]);
        }
}

}  // namespace

std::vector<std::uint8_t> RenderField(const FieldOutline& outline, const FieldOptions& options, double left,
                                      double top, std::int32_t width, std::int32_t height) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(std::max(0, width)) *
                                   static_cast<std::size_t>(std::max(0, height)) * 4, 0);
    std::vector<Contour> contours;
    for (const auto& src : outline.contours) {
        Contour c;
        for (const auto& points : src) {
            if (points.size() < 2 || points.size() > 4) continue;
            Edge e;
            if (MakeEdge(points, &e)) c.push_back(std::move(e));
        }
        if (!c.empty()) contours.push_back(std::move(c));
    }
    // Coloured first: colouring may split edges, and the segment list below points into them.
    unsigned long long seed = 0;
    if (options.kind == FieldKind::Msdf)
        for (Contour& c : contours) ColourContour(c, &seed);
    // Orientation: the sign of the whole outline's area says which side of
    // an edge is filled (TrueType and PostScript outlines run opposite ways).
    double area = 0.0;
    std::vector<const Segment*> all;
    for (const Contour& c : contours)
        for (const Edge& e : c)
            for (const Segment& s : e.segments) {
                area += Cross(s.a, s.b);
                all.push_back(&s);
            }
    const double inside = area >= 0.0 ? 1.0 : -1.0;  // the filled side: left (+1) or right (-1)
    // Segments filled on both sides lie inside the shape (overlapping contours).
    for (Contour& c : contours)
        for (Edge& e : c)
            for (Segment& s : e.segments) {
                const P mid = (s.a + s.b) * 0.5;
                const P normal = Normalized(P{-(s.b.y - s.a.y), s.b.x - s.a.x}) * 1e-3;
                s.border = !(Winding(all, mid + normal) != 0 && Winding(all, mid - normal) != 0);
            }

    const double range = std::max(1, options.range);
    const std::size_t texels = static_cast<std::size_t>(std::max(0, width)) * static_cast<std::size_t>(std::max(0, height));
    std::vector<double> channels(options.kind == FieldKind::Msdf ? texels * 3 : 0);
    std::vector<double> trueField(options.kind == FieldKind::Msdf ? texels : 0);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
            const P p{left + x + 0.5, top - y - 0.5};
            const bool filled = Winding(all, p) != 0;
            Nearest any, channel[3];
            for (const Contour& c : contours)
                for (const Edge& e : c) {
                    const Nearest n = NearestOnEdge(e, p);
                    if (n.Closer(any)) any = n;
                    for (int k = 0; k < 3; ++k)
                        if ((e.colour & (1 << k)) && n.Closer(channel[k])) channel[k] = n;
                }
            // The true distance takes its sign from the fill itself.
            const double sdf = std::isfinite(any.distance) ? (filled ? any.distance : -any.distance)
                                                           : (filled ? range : -range);
            std::uint8_t* px = &rgba[at * 4];
            px[3] = FieldByte(sdf, range);
            if (options.kind != FieldKind::Msdf) {
                px[0] = px[1] = px[2] = 255;
                continue;
            }
            trueField[at] = sdf;
            double* ch = &channels[at * 3];
            for (int k = 0; k < 3; ++k)
                ch[k] = std::isfinite(channel[k].distance) ? channel[k].pseudo * inside : sdf;
            // Where the channels' median would put the texel on the wrong
            // side (edges of other contours close by, overlaps), the true
            // distance is used in all three.
            if ((Median(ch[0], ch[1], ch[2]) > 0.0) != (sdf > 0.0)) ch[0] = ch[1] = ch[2] = sdf;
        }
    if (options.kind == FieldKind::Msdf) {
        CorrectClashes(&channels, width, height);
        CorrectBetween(&channels, trueField, width, height, range);
        for (std::size_t at = 0; at < texels; ++at) {
            for (int k = 0; k < 3; ++k)
                rgba[at * 4 + static_cast<std::size_t>(k)] = FieldByte(channels[at * 3 + static_cast<std::size_t>(k)], range);
            // Never quite transparent: the atlas writer gives fully
            // transparent texels their neighbours' colours (for plain
            // fonts' filtering), which would overwrite the channels.
            rgba[at * 4 + 3] = std::max<std::uint8_t>(rgba[at * 4 + 3], 1);
        }
    }
    return rgba;
}

namespace {

struct FreeTypeGuard {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~FreeTypeGuard() {
        if (face != nullptr) FT_Done_Face(face);
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

// Texel-segment pairs one glyph may cost: some seconds. Real glyphs at
// the sizes fields are made at (up to a few hundred pixels) stay below.
constexpr double kMaxFieldWork = 5e8;
// Texels of one glyph's field (2048 x 2048): its working memory is 40 bytes
// a texel.
constexpr std::int64_t kMaxFieldTexels = std::int64_t{1} << 22;

std::int32_t Pixels(FT_Pos v) {
    return static_cast<std::int32_t>(v >= 0 ? (v + 32) / 64 : -((-v + 32) / 64));
}

// FreeType's outline walk into contours of edges, in pixels.
struct Walker {
    FieldOutline* out;
    P at{0, 0};
    static P Of(const FT_Vector* v) { return {static_cast<double>(v->x) / 64.0, static_cast<double>(v->y) / 64.0}; }
    void Edge(std::vector<P> points) {
        if (out->contours.empty()) out->contours.emplace_back();
        at = points.back();
        out->contours.back().push_back(std::move(points));
    }
    static int Move(const FT_Vector* to, void* user) {
        auto* w = static_cast<Walker*>(user);
        w->out->contours.emplace_back();
        w->at = Of(to);
        return 0;
    }
    static int Line(const FT_Vector* to, void* user) {
        auto* w = static_cast<Walker*>(user);
        w->Edge({w->at, Of(to)});
        return 0;
    }
    static int Conic(const FT_Vector* control, const FT_Vector* to, void* user) {
        auto* w = static_cast<Walker*>(user);
        w->Edge({w->at, Of(control), Of(to)});
        return 0;
    }
    static int Cubic(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
        auto* w = static_cast<Walker*>(user);
        w->Edge({w->at, Of(c1), Of(c2), Of(to)});
        return 0;
    }
};

}  // namespace

MakeStatus MakeFaceFields(std::span<const std::uint8_t> faceFile, std::int32_t pixelSize, std::int32_t codePage,
                          const FieldOptions& options, std::vector<GlyphImage>* glyphs,
                          sprite_font_format::Metrics* metrics) {
    FreeTypeGuard ft;
    if (FT_Init_FreeType(&ft.library) != 0) return Fail(MakeError::FaceUnusable, "FreeType does not start");
    if (FT_New_Memory_Face(ft.library, faceFile.data(), static_cast<FT_Long>(faceFile.size()), 0, &ft.face) != 0 ||
        FT_Select_Charmap(ft.face, FT_ENCODING_UNICODE) != 0 || !FT_IS_SCALABLE(ft.face) ||
        FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return Fail(MakeError::FaceUnusable, "the face has no outlines for a distance field");
    const FT_Size_Metrics& size = ft.face->size->metrics;
    const std::int32_t ascender = Pixels(size.ascender);
    const std::int32_t pad = options.range / 2 + 1;
    const FT_Outline_Funcs funcs{&Walker::Move, &Walker::Line, &Walker::Conic, &Walker::Cubic, 0, 0};
    for (GlyphImage& g : *glyphs) {
        if (g.width == 0 || g.height == 0) continue;  // a blank stays a blank
        const std::int32_t character = CodePageToUnicode(codePage, g.code);
        const FT_UInt index = FT_Get_Char_Index(ft.face, static_cast<FT_ULong>(std::max(0, character)));
        // Unhinted: the field is drawn at every size, not only at this one.
        if (index == 0 || FT_Load_Glyph(ft.face, index, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0 ||
            ft.face->glyph->format != FT_GLYPH_FORMAT_OUTLINE)
            return Fail(MakeError::FaceUnusable, "the outline of code " + std::to_string(g.code) + " cannot be read");
        FT_Outline& ol = ft.face->glyph->outline;
        FieldOutline outline;
        Walker walker{&outline};
        if (FT_Outline_Decompose(&ol, &funcs, &walker) != 0)
            return Fail(MakeError::FaceUnusable, "the outline of code " + std::to_string(g.code) + " is damaged");
        FT_BBox box;
        FT_Outline_Get_CBox(&ol, &box);
        const std::int64_t left = static_cast<std::int64_t>(std::floor(static_cast<double>(box.xMin) / 64.0)) - pad;
        const std::int64_t right = static_cast<std::int64_t>(std::ceil(static_cast<double>(box.xMax) / 64.0)) + pad;
        const std::int64_t bottom = static_cast<std::int64_t>(std::floor(static_cast<double>(box.yMin) / 64.0)) - pad;
        const std::int64_t top = static_cast<std::int64_t>(std::ceil(static_cast<double>(box.yMax) / 64.0)) + pad;
        if (right - left > kMaxAtlasSide || top - bottom > kMaxAtlasSide ||
            (right - left) * (top - bottom) > kMaxFieldTexels)
            return Fail(MakeError::AtlasTooLarge, "code " + std::to_string(g.code) + " is too large for a field");
        // Every texel measures against every segment: an outline of absurd
        // size or detail (a broken or hostile face) would take hours.
        double work = 0.0;
        for (const auto& contour : outline.contours)
            for (const auto& edge : contour) {
                double polygon = 0.0;
                for (std::size_t i = 1; i < edge.size(); ++i) polygon += Length(edge[i] - edge[i - 1]);
                work += std::isfinite(polygon) ? SegmentsOf(edge.size(), polygon) : 64;
            }
        work *= static_cast<double>(right - left) * static_cast<double>(top - bottom);
        if (work > kMaxFieldWork)
            return Fail(MakeError::AtlasTooLarge, "code " + std::to_string(g.code) +
                                                      ": the outline is too large or detailed for a distance field "
                                                      "at this size");
        g.width = static_cast<std::int32_t>(right - left);
        g.height = static_cast<std::int32_t>(top - bottom);
        g.offsetX = static_cast<std::int32_t>(left);
        g.offsetY = ascender - static_cast<std::int32_t>(top);
        g.rgba = RenderField(outline, options, static_cast<double>(left), static_cast<double>(top), g.width, g.height);
    }
    metrics->lineHeight = static_cast<std::int16_t>(std::clamp(Pixels(size.height), 0, 32767));
    metrics->baseline = static_cast<std::int16_t>(std::clamp(ascender, -32768, 32767));
    metrics->codePage = static_cast<std::uint32_t>(codePage);
    metrics->fieldKind = static_cast<std::uint8_t>(options.kind);
    metrics->fieldRange = static_cast<std::uint16_t>(options.range);
    return {};
}

MakeStatus MarkFieldFont(std::vector<std::uint8_t>* block, const sprite_font_format::Metrics& metrics) {
    auto unpacked = sftools::UnpackFont(*block);
    if (!unpacked) return Fail(MakeError::EncodeFailed, "the packed font just made does not read back");
    sftools::FontChunks chunks = unpacked->chunks;
    if (!chunks.metrics) chunks.metrics = metrics;
    chunks.metrics->fieldKind = metrics.fieldKind;
    chunks.metrics->fieldRange = metrics.fieldRange;
    const std::vector<std::uint8_t> png(unpacked->png.begin(), unpacked->png.end());
    *block = sftools::PackFont(png, unpacked->glyphs, chunks);
    return {};
}

}  // namespace font_maker
