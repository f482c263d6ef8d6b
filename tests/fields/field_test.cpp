// Distance-field fonts end to end: the maker's fields (exact on a square,
// consistent on a real face), the round trip through maker and loader, the
// command line, sharp edges at size 4 through the field program, corrupt
// field metadata drawn plain, and SDL's renderer drawing fields as alpha.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "atlas_packer.h"
#include "distance_field.h"
#include "edge_ramp.h"
#include "file_io.h"
#include "font_block.h"
#include "offscreen_screen.h"
#include "png_codec.h"
#include "png_io.h"
#include "recording_platform.h"
#include "sdl_renderer_screen.h"
#include "truetype.h"

namespace {

namespace fs = std::filesystem;
using namespace font_maker;

// One platform per process: the offscreen screen (our GL renderer) and,
// for the fallback, SDL's renderer on a window of its own.
struct Screens : ::testing::Environment {
    static inline std::unique_ptr<Platform> platform;
    static inline std::unique_ptr<Screen> screen;
    static inline std::string why;
    void SetUp() override {
        why = OpenOffscreen(platform, screen);
        if (screen) {
            screen->EnablePngDecoder();
            screen->SetSprite3DQuality(1);
        }
        InitSpriteFonts();
    }
    void TearDown() override {
        SetSpritePlatform(nullptr);
        screen.reset();
        platform.reset();
    }
};
const auto* const kScreens = ::testing::AddGlobalTestEnvironment(new Screens);

const std::string kDejaVu = fs::exists(DEJAVU_SANS_FILE) ? DEJAVU_SANS_FILE : "";

// A font of a few characters of DejaVu Sans at px pixels: plain, or a field.
std::vector<std::uint8_t> MakeFont(FieldKind kind, std::int32_t range, std::int32_t px = 32,
                                   const std::string& keep = "AHgl") {
    std::vector<std::uint8_t> face, block;
    std::string error;
    EXPECT_TRUE(sftools::ReadFile(kDejaVu, &face, &error)) << error;
    Style style;
    style.pixelSize = px;
    std::vector<GlyphImage> glyphs;
    std::vector<std::string> notes;
    MakeStatus status = RenderFace(face, style, CodePageWindows1252, &glyphs, &notes);
    EXPECT_TRUE(status.ok()) << status.message;
    std::erase_if(glyphs, [&](const GlyphImage& g) { return keep.find(static_cast<char>(g.code)) == std::string::npos; });
    sprite_font_format::Metrics metrics{};
    if (kind != FieldKind::None) status = MakeFaceFields(face, px, CodePageWindows1252, {kind, range}, &glyphs, &metrics);
    EXPECT_TRUE(status.ok()) << status.message;
    status = BuildPackedFont(std::move(glyphs), Packing::Tight, &block, false);
    EXPECT_TRUE(status.ok()) << status.message;
    if (kind != FieldKind::None) status = MarkFieldFont(&block, metrics);
    EXPECT_TRUE(status.ok()) << status.message;
    return block;
}

#define SKIP_WITHOUT_FACE() \
    if (kDejaVu.empty()) GTEST_SKIP() << "DejaVuSans.ttf (fonts-dejavu-core) is not installed"
#define SKIP_WITHOUT_SCREEN() \
    if (!Screens::screen) GTEST_SKIP() << "no offscreen screen: " << Screens::why

// ---------------------------------------------------------------------------
// The field of a 10 x 10 square, texel by texel.

FieldOutline Square(double x0, double y0, double side) {
    const FieldPoint a{x0, y0}, b{x0, y0 + side}, c{x0 + side, y0 + side}, d{x0 + side, y0};
    return FieldOutline{{{{a, b}, {b, c}, {c, d}, {d, a}}}};  // clockwise, as TrueType runs
}

int Median(const std::uint8_t* p) { return std::max(std::min(p[0], p[1]), std::min(std::max(p[0], p[1]), p[2])); }

TEST(FieldMaker, SquareHasExactDistances) {
    // Image 16 x 16 with its top-left at (0, 16); the square spans 3..13 both ways.
    for (FieldKind kind : {FieldKind::Sdf, FieldKind::Msdf}) {
        const auto rgba = RenderField(Square(3, 3, 10), {kind, 4}, 0.0, 16.0, 16, 16);
        const auto at = [&](int x, int y) { return &rgba[static_cast<std::size_t>(y * 16 + x) * 4]; };
        // 0.5 + d / 4 with d the distance from the texel centre, positive inside.
        EXPECT_EQ(at(3, 8)[3], 159);   // half a texel inside the left edge
        EXPECT_EQ(at(2, 8)[3], 96);    // half a texel outside
        EXPECT_EQ(at(8, 8)[3], 255);   // deep inside: clamped
        EXPECT_EQ(at(0, 0)[3], kind == FieldKind::Sdf ? 0 : 1);  // far outside (MSDF: never quite transparent)
        // Diagonally off a corner the true distance is round: 0.5 * sqrt(2).
        EXPECT_EQ(at(2, 2)[3], std::lround((0.5 - std::sqrt(0.5) / 4) * 255));
        if (kind == FieldKind::Sdf) {
            EXPECT_EQ(at(2, 2)[0], 255);
            continue;
        }
        // The channels keep the corner square: their median there is the
        // distance to the nearer edge's line, half a texel.
        EXPECT_EQ(Median(at(2, 2)), 96);
        EXPECT_EQ(Median(at(3, 8)), 159);
        EXPECT_EQ(Median(at(2, 8)), 96);
    }
}

TEST(FieldMaker, OverlappingContoursHaveNoInnerEdge) {
    // Two squares overlapping by half: inside the overlap no edge is near.
    FieldOutline both = Square(2, 2, 8);
    both.contours.push_back(Square(6, 2, 8).contours[0]);
    for (FieldKind kind : {FieldKind::Sdf, FieldKind::Msdf}) {
        const auto rgba = RenderField(both, {kind, 4}, 0.0, 12.0, 16, 12);
        // Texel (9, 6) lies on the first square's right edge, deep in the second.
        const std::uint8_t* p = &rgba[static_cast<std::size_t>(6 * 16 + 9) * 4];
        EXPECT_EQ(p[3], 255);
        if (kind == FieldKind::Msdf) {
            EXPECT_EQ(Median(p), 255);
        }
    }
}

// ---------------------------------------------------------------------------
// A real face through the maker and the loader.

TEST(FieldMaker, RoundTripThroughTheLoader) {
    SKIP_WITHOUT_FACE();
    const auto plain = MakeFont(FieldKind::None, 0);
    for (FieldKind kind : {FieldKind::Sdf, FieldKind::Msdf}) {
        SCOPED_TRACE(static_cast<int>(kind));
        const auto block = MakeFont(kind, 6);
        test_support::RecordingPlatform recorder;
        test_support::ScopedPlatform scope(&recorder);
        const FontId id = LoadSpriteFont(AutoId, block.data(), block.size());
        const FontId plainId = LoadSpriteFont(AutoId, plain.data(), plain.size());
        ASSERT_NE(GetSpriteFont(id)->sprite3D, 0);
        EXPECT_EQ(std::count(recorder.log.begin(), recorder.log.end(),
                             test_support::Field(GetSpriteFont(id)->sprite3D, static_cast<std::int32_t>(kind), 6.0f)),
                  1);
        SpriteFontMetrics m{};
        ASSERT_TRUE(GetSpriteFontMetrics(id, &m));
        EXPECT_EQ(m.fieldKind, static_cast<std::int32_t>(kind));
        EXPECT_EQ(m.fieldRange, 6);
        EXPECT_EQ(m.codePage, 1252);
        EXPECT_GT(m.lineHeight, 30);
        EXPECT_GT(m.baseline, 20);
        // The field glyph is the plain one with room for the field around
        // it (4 texels a side at range 6, give or take hinting's pixel),
        // and moves the pen as far.
        const GlyphSlot& f = GetSpriteFont(id)->glyphs['H'];
        const GlyphSlot& p = GetSpriteFont(plainId)->glyphs['H'];
        EXPECT_EQ(f.advance, p.advance);
        EXPECT_NEAR(f.srcWidth, p.srcWidth + 8, 2);
        EXPECT_NEAR(f.offsetX, p.offsetX - 4, 1);
        EXPECT_NEAR(f.offsetY, p.offsetY - 4, 1);
        EXPECT_EQ(SpriteFontTextWidth(id, "HgA", 1.0f), SpriteFontTextWidth(plainId, "HgA", 1.0f));

        // The atlas: SDF white with the field in alpha; MSDF channels whose
        // median is on the same side of the edge as the true field wherever
        // the field is not right at the edge, and no texel of a glyph fully
        // transparent (the atlas writer would recolour it).
        const auto unpacked = sftools::UnpackFont(block);
        ASSERT_TRUE(unpacked);
        const auto image = sftools::DecodePng(unpacked->png);
        ASSERT_TRUE(image);
        int inside = 0, outside = 0, disagree = 0, transparent = 0;
        for (const sftools::GlyphMetrics& g : unpacked->glyphs)
            for (int y = g.srcY; y < g.srcY + g.srcHeight; ++y)
                for (int x = g.srcX; x < g.srcX + g.srcWidth; ++x) {
                    const std::uint8_t* px = &image->rgba[static_cast<std::size_t>(y * image->width + x) * 4];
                    if (kind == FieldKind::Sdf) {
                        if (px[3] != 0) {
                            EXPECT_EQ(px[0] & px[1] & px[2], 255);
                        }
                        continue;
                    }
                    transparent += px[3] == 0;
                    if (std::abs(px[3] - 128) < 32) continue;
                    (px[3] > 128 ? inside : outside) += 1;
                    if ((Median(px) > 127) != (px[3] > 128)) ++disagree;
                }
        if (kind == FieldKind::Msdf) {
            EXPECT_GT(inside, 100);
            EXPECT_GT(outside, 100);
            EXPECT_EQ(disagree, 0);
            EXPECT_EQ(transparent, 0);
        }
    }
}

struct Outcome {
    int status;
    std::string err;
};

Outcome Make(const std::string& args) {
    const std::string command = std::string(MAKE_EXE) + " " + args + " 2>&1";
    Outcome r{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) r.err += buffer;
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

TEST(FieldMaker, CommandLine) {
    SKIP_WITHOUT_FACE();
    const fs::path out = fs::temp_directory_path() / ("field_cmd_" + std::to_string(::getpid()) + ".sf3d");
    const Outcome made = Make("--distance-field msdf --range 6 --size 16 " + kDejaVu + " " + out.string());
    ASSERT_EQ(made.status, 0) << made.err;
    std::vector<std::uint8_t> block;
    std::string error;
    ASSERT_TRUE(sftools::ReadFile(out.string(), &block, &error)) << error;
    fs::remove(out);
    const auto unpacked = sftools::UnpackFont(block);
    ASSERT_TRUE(unpacked && unpacked->chunks.metrics);
    EXPECT_EQ(unpacked->chunks.metrics->fieldKind, 2);
    EXPECT_EQ(unpacked->chunks.metrics->fieldRange, 6);
    EXPECT_EQ(unpacked->chunks.metrics->codePage, 1252u);

    // Wrong command lines exit 2 and write nothing.
    for (const char* bad : {"--distance-field sdf --outline 2", "--distance-field mtsdf", "--distance-field sdf --range 0",
                            "--distance-field sdf --range 65", "--distance-field sdf --fill FF0000"}) {
        SCOPED_TRACE(bad);
        const Outcome r = Make(std::string(bad) + " " + kDejaVu + " " + out.string());
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_FALSE(fs::exists(out));
    }
}

// The inspector's specimens go through the GL renderer: a field font's
// picture is not the one its atlas gives drawn as plain alpha.
TEST(FieldMaker, SpecimensDrawFields) {
    SKIP_WITHOUT_FACE();
    const auto block = MakeFont(FieldKind::Msdf, 4);
    const auto tag = std::search(block.begin(), block.end(), std::begin("METR"), std::end("METR") - 1);
    ASSERT_NE(tag, block.end());
    auto plain = block;
    plain[static_cast<std::size_t>(tag - block.begin()) + 16] = 0;  // the kind byte
    const fs::path dir = fs::temp_directory_path() / ("field_specimen_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string error;
    std::vector<std::uint8_t> pictures[2];
    for (int i = 0; i < 2; ++i) {
        const fs::path font = dir / ("f" + std::to_string(i) + ".sf3d"), png = dir / ("s" + std::to_string(i) + ".png");
        ASSERT_TRUE(sftools::WriteFileAtomically(font.string(), i == 0 ? block : plain, &error)) << error;
        const std::string command = std::string(INSPECT_EXE) + " " + font.string() + " --specimen " + png.string() +
                                    " --text Hg --size 4 --rotation 20 --background 202020 >/dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        ASSERT_TRUE(sftools::ReadFile(png.string(), &pictures[i], &error)) << error;
    }
    fs::remove_all(dir);
    EXPECT_NE(pictures[0], pictures[1]);
}

// ---------------------------------------------------------------------------
// Drawing.

constexpr std::uint32_t kGround = 0xFFFFFF;

// Draws text with the font on the offscreen screen and reads the frame.
std::vector<std::uint32_t> Draw(Screen& screen, FontId id, std::int32_t x, std::int32_t y, const char* text,
                                float transparency, float size) {
    SetSpritePlatform(&screen);
    screen.Clear(kGround);
    screen.BeginSprite3D();
    DrawSpriteFontText(id, x, y, text, transparency, size);
    screen.EndSprite3D();
    return screen.ReadPixels();
}

FontId Load(const std::vector<std::uint8_t>& block, std::uint32_t colour) {
    const FontId id = LoadSpriteFont(AutoId, block.data(), block.size());
    SetSpriteFontColor(id, colour);
    return id;
}

// The 10-90 % ramp of the left edge of H's left stem drawn at size 4 (the
// bitmap font sampled bilinearly), turned by 5 degrees so that the rows
// cross the edge at every phase.
double RampAtSize4(const std::vector<std::uint8_t>& block) {
    Screen& screen = *Screens::screen;
    SetSpritePlatform(&screen);
    const FontId id = Load(block, 0x000000);
    SetSpriteFontStyle(id, StyleRotation, 5.0f);
    const auto pixels = Draw(screen, id, 60, 20, "H", -1.0f, 4.0f);
    if (const char* dir = std::getenv("FIELD_TEST_PICTURES")) {
        std::vector<std::uint8_t> png;
        std::string error;
        static int n = 0;
        if (EncodePng(pixels.data(), kScreenWidth, kScreenHeight, false, png))
            sftools::WriteFileAtomically(std::string(dir) + "/ramp" + std::to_string(n++) + ".png", png, &error);
    }
    // Rows of the stems' lower half, between the crossbar and the foot.
    return test_support::EdgeRampWidth(pixels, kScreenWidth, 20, 200, 102, 132, 255.0, 0.0, 8.0);
}

TEST(FieldDrawing, EdgesAreAboutOnePixelWideAtSize4) {
    SKIP_WITHOUT_FACE();
    SKIP_WITHOUT_SCREEN();
    const double bitmap = RampAtSize4(MakeFont(FieldKind::None, 0));
    const double sdf = RampAtSize4(MakeFont(FieldKind::Sdf, 4));
    const double msdf = RampAtSize4(MakeFont(FieldKind::Msdf, 4));
    RecordProperty("ramp_bitmap", std::to_string(bitmap));
    RecordProperty("ramp_sdf", std::to_string(sdf));
    RecordProperty("ramp_msdf", std::to_string(msdf));
    EXPECT_GT(bitmap, 2.5);  // the measure tells a soft edge from a sharp one
    EXPECT_LE(sdf, 1.5);
    EXPECT_LE(msdf, 1.5);
    EXPECT_GE(msdf, 0.5);    // anti-aliased, not a hard step
}

// A real MSDF BMFont file (another producer's) converts into a field font
// that draws as sharp as ours.
TEST(FieldDrawing, RealMsdfBmFontDrawsSharp) {
    SKIP_WITHOUT_SCREEN();
    const fs::path fnt = fs::path(REALFONTS_DIR) / "bmfont/pixijs/msdf-roboto/Roboto-Regular.fnt";
    if (!fs::exists(fnt)) GTEST_SKIP() << fnt << " is not there";
    const fs::path out = fs::temp_directory_path() / ("field_roboto_" + std::to_string(::getpid()) + ".sf3d");
    const Outcome made = Make(fnt.string() + " " + out.string());
    ASSERT_EQ(made.status, 0) << made.err;
    std::vector<std::uint8_t> block;
    std::string error;
    ASSERT_TRUE(sftools::ReadFile(out.string(), &block, &error)) << error;
    fs::remove(out);
    Screen& screen = *Screens::screen;
    SetSpritePlatform(&screen);
    const FontId id = Load(block, 0x000000);
    SpriteFontMetrics m{};
    ASSERT_TRUE(GetSpriteFontMetrics(id, &m));
    EXPECT_EQ(m.fieldKind, 2);
    EXPECT_EQ(m.fieldRange, 4);
    SetSpriteFontStyle(id, StyleRotation, 5.0f);
    const auto pixels = Draw(screen, id, 60, 20, "H", -1.0f, 4.0f);
    // The ink's box; rows between the crossbar and the foot.
    int left = kScreenWidth, right = -1, top = kScreenHeight, bottom = -1;
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            if ((pixels[static_cast<std::size_t>(y * kScreenWidth + x)] & 0xFF) < 0xC0)
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    ASSERT_GT(bottom - top, 60);
    const int h = bottom - top;
    const double ramp = test_support::EdgeRampWidth(pixels, kScreenWidth, std::max(0, left - 10), (left + right) / 2,
                                                    top + h * 62 / 100, top + h * 88 / 100, 255.0, 0.0, 8.0);
    RecordProperty("ramp_roboto_msdf", std::to_string(ramp));
    EXPECT_LE(ramp, 1.5);
    EXPECT_GE(ramp, 0.5);
}

// A metrics chunk naming an unknown kind, or a range of 0, leaves the font
// plain: drawn exactly as the same atlas marked as no field.
TEST(FieldDrawing, CorruptFieldMetadataDrawsPlainAndFieldsSampleBilinearly) {
    SKIP_WITHOUT_FACE();
    SKIP_WITHOUT_SCREEN();
    const auto block = MakeFont(FieldKind::Sdf, 4);
    const auto tag = std::search(block.begin(), block.end(), std::begin("METR"), std::end("METR") - 1);
    ASSERT_NE(tag, block.end());
    const std::size_t kindAt = static_cast<std::size_t>(tag - block.begin()) + 8 + 8;
    Screen& screen = *Screens::screen;
    SetSpritePlatform(&screen);
    const auto draw = [&](const std::vector<std::uint8_t>& b) {
        return Draw(screen, Load(b, 0x203040), 10, 10, "gHAl", 200.0f, 2.5f);
    };
    auto plainBlock = block;
    plainBlock[kindAt] = 0;
    const auto plain = draw(plainBlock);
    const auto field = draw(block);
    EXPECT_NE(field, plain);  // the field program does change the picture
    // Nearest sampling would make a field's edges steps: fields ignore it.
    screen.SetSprite3DQuality(0);
    EXPECT_EQ(draw(block), field);
    EXPECT_NE(draw(plainBlock), plain);
    screen.SetSprite3DQuality(1);
    for (const auto& [offset, value] : {std::pair{0, 3}, {0, 255}, {2, 0}}) {
        auto bad = block;
        bad[kindAt + static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
        if (offset == 2) bad[kindAt + 3] = 0;  // both bytes of the range
        EXPECT_EQ(draw(bad), plain) << "byte " << offset << " = " << value;
    }
}

// Effects are state of the font's 3D sprite from the next draw on: in one
// batch, a glyph drawn before the change has no outline, one drawn after has
// it, in its colour, outside the ink; the shadow falls right and down.
TEST(FieldDrawing, EffectsApplyFromTheNextDrawWithinOneBatch) {
    SKIP_WITHOUT_FACE();
    SKIP_WITHOUT_SCREEN();
    Screen& screen = *Screens::screen;
    SetSpritePlatform(&screen);
    const FontId id = Load(MakeFont(FieldKind::Msdf, 6), 0x000000);
    const auto count = [&](const std::vector<std::uint32_t>& px, int x0, int x1, std::uint32_t rgb) {
        int n = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = x0; x < x1; ++x) n += (px[static_cast<std::size_t>(y * kScreenWidth + x)] & 0xFFFFFF) == rgb;
        return n;
    };
    screen.Clear(kGround);
    screen.BeginSprite3D();
    const std::uint64_t runs = screen.Stats().frameGeometryCalls;
    DrawSpriteFontText(id, 20, 20, "H", -1.0f, 4.0f);
    SpriteFontFieldEffects outline;
    outline.outlineWidth = 2.0f;
    outline.outlineColor = 0x0000FF;  // red
    SetSpriteFontFieldEffects(id, outline);
    DrawSpriteFontText(id, 220, 20, "H", -1.0f, 4.0f);
    SpriteFontFieldEffects shadow;
    shadow.shadowOffsetX = shadow.shadowOffsetY = 2.0f;
    shadow.shadowColor = 0x00FF00;  // green
    shadow.shadowOpacity = 255;
    SetSpriteFontFieldEffects(id, shadow);
    DrawSpriteFontText(id, 420, 20, "H", -1.0f, 4.0f);
    screen.EndSprite3D();
    EXPECT_EQ(screen.Stats().frameGeometryCalls - runs, 3u);  // one run per state
    const auto pixels = screen.ReadPixels();
    SetSpriteFontFieldEffects(id, SpriteFontFieldEffects{});
    // Full red and green only where the effects are; black ink in all three.
    EXPECT_EQ(count(pixels, 0, 200, 0xFF0000), 0);
    EXPECT_EQ(count(pixels, 0, 200, 0x00FF00), 0);
    EXPECT_GT(count(pixels, 200, 400, 0xFF0000), 500);   // a 2-texel ring at size 4
    EXPECT_EQ(count(pixels, 200, 400, 0x00FF00), 0);
    EXPECT_GT(count(pixels, 400, 600, 0x00FF00), 300);
    for (int x0 : {0, 200, 400}) EXPECT_GT(count(pixels, x0, x0 + 200, 0x000000), 1000);
    // The shadow lies right of and below the ink, not left of it.
    int leftmostInk = kScreenWidth, leftmostShadow = kScreenWidth;
    for (int y = 0; y < 200; ++y)
        for (int x = 400; x < 600; ++x) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * kScreenWidth + x)] & 0xFFFFFF;
            if (p == 0x000000) leftmostInk = std::min(leftmostInk, x);
            if (p == 0x00FF00) leftmostShadow = std::min(leftmostShadow, x);
        }
    EXPECT_GT(leftmostShadow, leftmostInk);
}

// SDL's renderer runs no shader of ours: it draws the field as alpha and
// says so once per process, however many field fonts load.
TEST(FieldDrawing, SdlRendererDrawsFieldsAsAlphaAndSaysSoOnce) {
    SKIP_WITHOUT_FACE();
    SKIP_WITHOUT_SCREEN();
    SDL_Window* window = SDL_CreateWindow("fields", 0, 0, 800, 600, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    SDL_Texture* target = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, 800, 600);
    ASSERT_EQ(SDL_SetRenderTarget(renderer, target), 0);
    auto sdl = OpenScreenOnRenderer(renderer);
    ASSERT_NE(sdl, nullptr);
    sdl->EnablePngDecoder();
    sdl->SetSprite3DQuality(1);
    const auto block = MakeFont(FieldKind::Msdf, 4);
    SetSpritePlatform(sdl.get());
    ::testing::internal::CaptureStderr();
    const FontId a = Load(block, 0x000000);
    const FontId b = Load(block, 0x000000);
    const std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(GetSpriteFont(a)->sprite3D, 0);
    ASSERT_NE(GetSpriteFont(b)->sprite3D, 0);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("plain alpha"), std::string::npos) << said;
    const auto pixels = Draw(*sdl, a, 20, 20, "H", -1.0f, 2.0f);
    const auto ink = std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return (p & 0xFF) < 128; });
    EXPECT_GT(ink, 100);  // legible: the median went into alpha
    SetSpritePlatform(nullptr);
    sdl.reset();
    SDL_DestroyTexture(target);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
}

}  // namespace
