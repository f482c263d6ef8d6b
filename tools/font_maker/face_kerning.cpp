#include "face_kerning.h"

#if SPRITEFONT_MAKE_HARFBUZZ

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "sprite_font.h"

namespace font_maker {
namespace {

template <typename T, void (*Destroy)(T*)>
struct HbDeleter {
    void operator()(T* p) const { Destroy(p); }
};
using Blob = std::unique_ptr<hb_blob_t, HbDeleter<hb_blob_t, hb_blob_destroy>>;
using Face = std::unique_ptr<hb_face_t, HbDeleter<hb_face_t, hb_face_destroy>>;
using Font = std::unique_ptr<hb_font_t, HbDeleter<hb_font_t, hb_font_destroy>>;
using Buffer = std::unique_ptr<hb_buffer_t, HbDeleter<hb_buffer_t, hb_buffer_destroy>>;

// Everything but kerning off: a substitution would put a glyph the atlas does
// not have in the pair, and mark or cursive positioning is no pair's amount.
constexpr const char* kOtherFeatures[] = {"ccmp", "locl", "liga", "clig", "dlig", "calt", "rlig", "rclt",
                                          "mark", "mkmk", "curs", "dist", "abvm", "blwm"};

// The script a pair is shaped in: its first character's own, else (digits,
// punctuation) the one the code page is written in, so that a face's
// per-script kerning applies as it would in running text.
hb_script_t PairScript(hb_unicode_funcs_t* unicode, hb_codepoint_t a, hb_codepoint_t b, std::int32_t codePage) {
    for (hb_codepoint_t c : {a, b}) {
        const hb_script_t script = hb_unicode_script(unicode, c);
        if (script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED && script != HB_SCRIPT_UNKNOWN) return script;
    }
    if (codePage == CodePageWindows1251) return HB_SCRIPT_CYRILLIC;
    if (codePage == CodePageWindows1253) return HB_SCRIPT_GREEK;
    return HB_SCRIPT_LATIN;
}

}  // namespace

bool FaceKerningAvailable() { return true; }

std::vector<sprite_font_format::KerningPair> FaceKerning(std::span<const std::uint8_t> faceFile,
                                                         std::int32_t pixelSize, std::int32_t codePage,
                                                         std::span<const std::uint8_t> codes) {
    std::vector<sprite_font_format::KerningPair> pairs;
    if (faceFile.empty() || faceFile.size() > std::numeric_limits<unsigned>::max() || pixelSize <= 0) return pairs;
    // Read only, never copied: the bytes outlive the blob.
    const Blob blob(hb_blob_create(reinterpret_cast<const char*>(faceFile.data()),
                                   static_cast<unsigned>(faceFile.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr));
    const Face face(hb_face_create(blob.get(), 0));
    const unsigned upem = hb_face_get_upem(face.get());
    const Font font(hb_font_create(face.get()));
    const Buffer buffer(hb_buffer_create());
    if (upem == 0 || !hb_buffer_allocation_successful(buffer.get())) return pairs;
    // Design units: the scale of hb_font_create's default.
    hb_font_set_scale(font.get(), static_cast<int>(upem), static_cast<int>(upem));

    std::vector<hb_feature_t> features;
    for (const char* tag : kOtherFeatures)
        features.push_back({hb_tag_from_string(tag, -1), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END});
    features.push_back({HB_TAG('k', 'e', 'r', 'n'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END});

    struct Entry {
        std::uint8_t code;
        hb_codepoint_t character, glyph;
        hb_position_t advance;
    };
    std::vector<Entry> entries;
    for (std::uint8_t code : codes) {
        const std::int32_t character = CodePageToUnicode(codePage, code);
        hb_codepoint_t glyph = 0;
        if (character <= 0 || !hb_font_get_nominal_glyph(font.get(), static_cast<hb_codepoint_t>(character), &glyph))
            continue;
        entries.push_back({code, static_cast<hb_codepoint_t>(character), glyph,
                           hb_font_get_glyph_h_advance(font.get(), glyph)});
    }
    // Ascending codes give the pairs in ascending order.
    std::sort(entries.begin(), entries.end(), [](const Entry& x, const Entry& y) { return x.code < y.code; });
    hb_unicode_funcs_t* unicode = hb_unicode_funcs_get_default();
    const double scale = static_cast<double>(pixelSize) / upem;
    for (const Entry& a : entries)
        for (const Entry& b : entries) {
            hb_buffer_clear_contents(buffer.get());
            const hb_codepoint_t text[2] = {a.character, b.character};
            hb_buffer_add_codepoints(buffer.get(), text, 2, 0, 2);
            hb_buffer_set_direction(buffer.get(), HB_DIRECTION_LTR);
            hb_buffer_set_script(buffer.get(), PairScript(unicode, a.character, b.character, codePage));
            hb_shape(font.get(), buffer.get(), features.data(), static_cast<unsigned>(features.size()));
            unsigned count = 0;
            const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer.get(), &count);
            const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer.get(), nullptr);
            // Only the two glyphs the atlas holds; anything else is no pair of ours.
            if (count != 2 || info[0].codepoint != a.glyph || info[1].codepoint != b.glyph) continue;
            // Where the second glyph lands, less where it would without kerning.
            // A change of the second glyph's own advance moves the glyph after
            // it, which a pair of the packed font cannot say; it is left out.
            const hb_position_t units = pos[0].x_advance - a.advance + pos[1].x_offset;
            if (units == 0) continue;
            const double pixels = std::nearbyint(units * scale);  // half to even
            if (pixels == 0.0) continue;
            const double clamped = std::fmax(-32768.0, std::fmin(32767.0, pixels));
            pairs.push_back({a.code, b.code, static_cast<std::int16_t>(clamped)});
        }
    return pairs;
}

}  // namespace font_maker

#else  // without HarfBuzz faces give no kerning

namespace font_maker {

bool FaceKerningAvailable() { return false; }

std::vector<sprite_font_format::KerningPair> FaceKerning(std::span<const std::uint8_t>, std::int32_t, std::int32_t,
                                                         std::span<const std::uint8_t>) {
    return {};
}

}  // namespace font_maker

#endif
