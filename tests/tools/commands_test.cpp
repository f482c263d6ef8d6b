// The two commands end to end: exit statuses, messages on standard error,
// and no output file unless the whole font was made.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "bmfont_fixture.h"
#include "file_io.h"
#include "font_block.h"
#include "font_check.h"
#include "png_io.h"
#include "sprite_font.h"
#include "packed_font_builder.h"

namespace {

namespace fs = std::filesystem;

// What a command did: its exit status and both of its streams.
struct Outcome {
    int status = -1;
    std::string out, err;
    int ErrLines() const { return static_cast<int>(std::count(err.begin(), err.end(), '\n')); }
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Spill(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

class Commands : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tools_cmd_" + std::to_string(::getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // Through the shell, with both streams to files: the test reads them whole.
    Outcome Exec(const std::string& exe, const std::string& args) {
        const fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
        const std::string command = "'" + exe + "' " + args + " >'" + out.string() + "' 2>'" + err.string() + "'";
        Outcome run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = Slurp(out);
        run.err = Slurp(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }
    Outcome Make(const std::string& args) { return Exec(MAKE_EXE, args); }
    Outcome Inspect(const std::string& args) { return Exec(INSPECT_EXE, args); }
    std::string At(const std::string& name) const { return "'" + (dir_ / name).string() + "'"; }

    // The fixture and its pages on disk, the font under the given name.
    void WriteFixture(const tools_test::Fixture& f, const std::string& name, const std::string& bytes) {
        Spill(dir_ / name, bytes);
        for (const auto& [file, png] : f.PageFiles()) Spill(dir_ / file, std::string(png.begin(), png.end()));
    }
    // The folder's listing, to see that nothing extra was left behind.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir_;
};

TEST_F(Commands, HelpIsOnStandardOutput) {
    for (const char* exe : {MAKE_EXE, INSPECT_EXE}) {
        const Outcome run = Exec(exe, "--help");
        EXPECT_EQ(run.status, 0) << exe;
        EXPECT_EQ(run.out.rfind("usage: ", 0), 0u) << exe;
        EXPECT_TRUE(run.err.empty());
    }
}

TEST_F(Commands, ABmFontIsMadeWithItsNotesOnStandardError) {
    const auto f = tools_test::Fixture::Standard();
    WriteFixture(f, "text.fnt", f.Text());
    const auto binary = f.Binary();
    Spill(dir_ / "binary.fnt", std::string(binary.begin(), binary.end()));
    const Outcome text = Make(At("text.fnt") + " " + At("text.sf3d"));
    // The defaults spelt out must give the same font as none.
    const Outcome bin = Make("--codepage windows-1252 --packing tight " + At("binary.fnt") + " " + At("bin.sf3d"));
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(bin.status, 0) << bin.err;
    EXPECT_EQ(text.ErrLines(), 1) << text.err;  // the left-out character
    const std::string made = Slurp(dir_ / "text.sf3d");
    EXPECT_EQ(made, Slurp(dir_ / "bin.sf3d"));
    EXPECT_TRUE(inspect::CheckFont(std::vector<std::uint8_t>(made.begin(), made.end())).problems.empty());
}

// --fill recolours a BMFont font's ink and --code-page picks its code page;
// a page file the descriptor names by an absolute Windows path is found
// beside it.
TEST_F(Commands, ABmFontTakesFillCodePageAndAWindowsPagePath) {
    const auto f = tools_test::Fixture::Standard();
    std::string text = f.Text();
    text.replace(text.find("file=\"fixture_0.png\""), 20, "file=\"E:\\Art\\fixture_0.png\"");
    WriteFixture(f, "font.fnt", text);
    const Outcome run = Make("--fill FF0000 --code-page latin-9 " + At("font.fnt") + " " + At("out.sf3d"));
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string made = Slurp(dir_ / "out.sf3d");
    const std::vector<std::uint8_t> block(made.begin(), made.end());
    const auto font = sftools::UnpackFont(block);
    ASSERT_TRUE(font && font->chunks.metrics);
    EXPECT_EQ(font->chunks.metrics->codePage, std::uint32_t{CodePageLatin9});
    const auto atlas = sftools::DecodePng(font->png);
    ASSERT_TRUE(atlas);
    for (std::size_t i = 0; i < atlas->rgba.size(); i += 4)
        if (atlas->rgba[i + 3] != 0) {
            ASSERT_EQ(atlas->rgba[i], 255);
            ASSERT_EQ(atlas->rgba[i + 1], 0);
        }
}

TEST_F(Commands, AFailureLeavesTheOutputAsItWas) {
    auto f = tools_test::Fixture::Standard();
    f.packed = true;
    WriteFixture(f, "packed.fnt", f.Text());
    // An earlier output must survive a failed run untouched.
    Spill(dir_ / "out.sf3d", "old contents");
    const auto before = Files();
    const Outcome run = Make(At("packed.fnt") + " " + At("out.sf3d"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("spritefont_make: ", 0), 0u) << run.err;
    EXPECT_EQ(Slurp(dir_ / "out.sf3d"), "old contents");
    EXPECT_EQ(Files(), before) << "no temporary left behind";

    // A folder that does not exist: nothing written anywhere.
    WriteFixture(tools_test::Fixture::Standard(), "good.fnt", tools_test::Fixture::Standard().Text());
    const auto files = Files();
    EXPECT_EQ(Make(At("good.fnt") + " " + At("missing/out.sf3d")).status, 1);
    EXPECT_EQ(Files(), files);
}

TEST_F(Commands, WrongCommandLinesExitWithTwo) {
    const auto f = tools_test::Fixture::Standard();
    WriteFixture(f, "font.fnt", f.Text());
    const struct {
        const char* exe;
        std::string args;
    } cases[] = {
        {MAKE_EXE, ""},
        {MAKE_EXE, At("font.fnt")},
        {MAKE_EXE, "--size 20 " + At("font.fnt") + " " + At("out.sf3d")},  // a face-only option
        {MAKE_EXE, "--codepage klingon " + At("font.fnt") + " " + At("out.sf3d")},
        {MAKE_EXE, "--packing round " + At("font.fnt") + " " + At("out.sf3d")},
        {MAKE_EXE, "--fill red " + At("font.fnt") + " " + At("out.sf3d")},
        {MAKE_EXE, "--frobnicate 1 " + At("font.fnt") + " " + At("out.sf3d")},
        {INSPECT_EXE, ""},
        {INSPECT_EXE, At("a.sf3d") + " --specimen " + At("s.png")},  // no text
        {INSPECT_EXE, At("a.sf3d") + " --text hello"},                 // no picture
        {INSPECT_EXE, At("a.sf3d") + " --size big --specimen x.png --text x"},
        {INSPECT_EXE, At("a.sf3d") + " --specimen x.png --text x --align middle"},
        {INSPECT_EXE, At("a.sf3d") + " --specimen x.png --text x --wrap -5"},
        {INSPECT_EXE, At("a.sf3d") + " --specimen x.png --text x --color blue"},
        {INSPECT_EXE, At("a.sf3d") + " --specimen x.png --text x --wrap 100 --arc 5"},  // arcs are for single lines
        {INSPECT_EXE, At("a.sf3d") + " --size 2"},  // a picture's option without a picture
        {INSPECT_EXE, At("a.sf3d") + " --bogus"},
        {MAKE_EXE, At("font.fnt") + " " + At("out.sf3d") + " --bogus"},
        {MAKE_EXE, "--demo-font --size 20 " + At("font.fnt") + " " + At("out.sf3d")},  // the demo font has its own
        {MAKE_EXE, "--demo-font " + At("font.fnt") + " " + At("out.sf3d")},  // drawn from a face, not a BMFont font
        {INSPECT_EXE, At("a.sf3d") + " --specimen x.png --text x --line-spacing 0"},
        {INSPECT_EXE, At("a.sf3d") + " --text-file x.txt"},  // no picture
#ifdef CAPTURE_EXE
        {CAPTURE_EXE, "--bogus"},
        {CAPTURE_EXE, "--frame"},
        {CAPTURE_EXE, "--frame zero"},
        {CAPTURE_EXE, "--from 5 --to 2"},
#endif
    };
    for (const auto& c : cases) {
        const Outcome run = Exec(c.exe, c.args);
        EXPECT_EQ(run.status, 2) << c.exe << " " << c.args;
        EXPECT_EQ(run.ErrLines(), 1) << run.err;
        // An option nobody knows is named as such, wherever it stands.
        if (c.args.find("--bogus") != std::string::npos) {
            EXPECT_NE(run.err.find("unknown option --bogus"), std::string::npos) << run.err;
        }
    }
    EXPECT_FALSE(fs::exists(dir_ / "out.sf3d"));
    for (const char* exe : {MAKE_EXE, INSPECT_EXE
#ifdef CAPTURE_EXE
                            , CAPTURE_EXE
#endif
         }) {
        EXPECT_NE(Exec(exe, "--help").out.find("Exit status"), std::string::npos) << exe;
    }
}

TEST_F(Commands, TheInspectorListsEachProblemAndTheTable) {
    test_support::Record a{65, 0, 0, 3, 0, 0, 0, 2, 2};  // line height 0
    const auto broken = test_support::PackedFontBuilder().Add({a, a}).Build();
    Spill(dir_ / "broken.sf3d", std::string(broken.begin(), broken.end()));
    const Outcome run = Inspect(At("broken.sf3d") + " --table");
    EXPECT_EQ(run.status, 1);
    // A duplicate code and two zero line heights, one line each.
    EXPECT_EQ(run.ErrLines(), 3) << run.err;
    EXPECT_NE(run.out.find("3 problems"), std::string::npos) << run.out;
    // The summary, the table's header and its two rows.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 4) << run.out;

    const Outcome missing = Inspect(At("nothing.sf3d"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.ErrLines(), 1);
}

// A BMFont descriptor or a face given to the inspector is named for what
// it is, with the command that makes a packed font of it.
TEST_F(Commands, TheInspectorNamesWhatIsNoPackedFont) {
    const auto f = tools_test::Fixture::Standard();
    WriteFixture(f, "font.fnt", f.Text());
    Spill(dir_ / "face.ttf", std::string("\0\x01\0\0\0\x0F", 6) + std::string(100, '\0'));
    for (const char* name : {"font.fnt", "face.ttf"}) {
        const Outcome run = Inspect(At(name));
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_NE(run.err.find("not a packed font"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("spritefont_make"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("atlas length"), std::string::npos) << run.err;
    }
}

TEST_F(Commands, TheInspectorWritesASpecimen) {
    const Outcome run = Inspect(std::string("'") + DEMO_FONT_FILE + "' --specimen " + At("s.png") +
                            " --text 'Gr\xC3\xB6\xC3\x9F" "e' --utf8 --arc 10 --size 0.8 --transparency 200");
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string png = Slurp(dir_ / "s.png");
    EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST_F(Commands, AFaceIsMade) {
    if (!fs::exists(DEJAVU_SANS_FILE)) GTEST_SKIP() << "DejaVu Sans is not installed";
    const Outcome run = Make(std::string("--size 14 --outline 1 --shadow 1,1 --gradient FFFFFF,#808080 '") +
                         DEJAVU_SANS_FILE + "' " + At("dv.sf3d"));
#if SPRITEFONT_MAKE_FREETYPE
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Inspect(At("dv.sf3d")).status, 0);
#else
    EXPECT_EQ(run.status, 1) << "a face cannot be read without FreeType";
    EXPECT_FALSE(fs::exists(dir_ / "dv.sf3d"));
#endif
}

// Kerning and metrics end to end: the maker writes them unless told not to,
// the inspector lists them, and a damaged chunk list is one problem line.
TEST_F(Commands, KerningIsMadeListedAndLeftOutOnRequest) {
    if (!fs::exists(DEJAVU_SANS_FILE)) GTEST_SKIP() << "DejaVu Sans is not installed";
#if SPRITEFONT_MAKE_FREETYPE && SPRITEFONT_MAKE_HARFBUZZ
    const std::string face = std::string("'") + DEJAVU_SANS_FILE + "' ";
    ASSERT_EQ(Make("--size 20 " + face + At("k.sf3d")).status, 0);
    ASSERT_EQ(Make("--size 20 --no-kerning " + face + At("n.sf3d")).status, 0);
    const Outcome kerned = Inspect(At("k.sf3d") + " --kerning");
    EXPECT_EQ(kerned.status, 0) << kerned.err;
    EXPECT_NE(kerned.out.find(" kerning pairs, no problems\n"), std::string::npos) << kerned.out;
    EXPECT_NE(kerned.out.find("metrics: line height "), std::string::npos) << kerned.out;
    // DejaVu kerns A before V closer; the row gives the codes, the characters and the amount.
    const std::size_t row = kerned.out.find("\n   65     86  AV ");
    ASSERT_NE(row, std::string::npos) << kerned.out;
    EXPECT_LT(std::stoi(kerned.out.substr(row + 18)), 0) << kerned.out.substr(row, 40);
    const Outcome plain = Inspect(At("n.sf3d") + " --kerning");
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.out.find("kerning pairs"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find("\n   65     86"), std::string::npos) << plain.out;
#endif
    test_support::Record a{65, 0, 0, 3, 10, 0, 0, 2, 2};
    const auto damaged = test_support::PackedFontBuilder().Add(a).Kerning({{65, 65, -1}}).Trailing({'K', 'E'}).Build();
    Spill(dir_ / "damaged.sf3d", std::string(damaged.begin(), damaged.end()));
    const Outcome run = Inspect(At("damaged.sf3d") + " --kerning");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.ErrLines(), 1) << run.err;
    EXPECT_NE(run.err.find("chunk list is damaged"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("   65     65  AA "), std::string::npos) << "the whole chunk before the damage is kept";
}

}  // namespace
