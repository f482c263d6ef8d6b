// Regenerating the demonstration font from the typeface must give the
// committed bytes, and so must the specimen drawn from it. Needs the maker
// (built with FreeType), the inspector and the typeface; skips without them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first differing offset, for a message that says where.
std::string FirstDifference(const std::vector<char>& a, const std::vector<char>& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    return "sizes " + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
           ", first difference at byte " + std::to_string(i);
}

int RunCommand(const std::string& command) { return std::system(command.c_str()); }

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

class Regeneration : public ::testing::Test {
protected:
    void SetUp() override {
#if defined(FONT_MAKER_EXE)
        maker_ = FONT_MAKER_EXE;
        inspector_ = INSPECT_EXE;
#if defined(DEMO_FACE_FILE)
        face_ = DEMO_FACE_FILE;
#endif
        if (!fs::exists(maker_) || !fs::exists(inspector_)) GTEST_SKIP() << "the maker or the inspector is missing";
#else
        GTEST_SKIP() << "built without FreeType or the inspector: nothing to regenerate with";
#endif
        dir_ = fs::temp_directory_path() /
               ("font_regen_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        if (!dir_.empty()) fs::remove_all(dir_, ignored);
    }

    fs::path maker_, inspector_, face_, dir_;
};

TEST_F(Regeneration, RedrawingTheFontReproducesTheCommittedFile) {
    if (!fs::exists(face_)) GTEST_SKIP() << "the typeface " << face_ << " is not installed";
    const fs::path out = dir_ / "demo_font.sf3d";
#if defined(FONT_MAKER_EXE)
    ASSERT_EQ(RunCommand(Quoted(maker_) + " --demo-font " + Quoted(face_) + " " + Quoted(out)), 0);
#endif
    const auto made = ReadAll(out);
    const auto committed = ReadAll(DEMO_FONT_FILE);
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(made == committed) << FirstDifference(made, committed);
}

TEST_F(Regeneration, TheSpecimenIsDrawnFromTheCommittedFont) {
    const fs::path out = dir_ / "specimen.png";
#if defined(FONT_MAKER_EXE)
    // The regenerate-demo-font target's command line.
    ASSERT_EQ(RunCommand(Quoted(inspector_) + " " + Quoted(DEMO_FONT_FILE) + " --specimen " + Quoted(out) +
                         " --text-file " + Quoted(SPECIMEN_TEXT_FILE) + " --utf8 --line-spacing " SPECIMEN_SPACING
                         " > /dev/null"),
              0);
#endif
    const auto made = ReadAll(out);
    const auto committed = ReadAll(SPECIMEN_FILE);
    ASSERT_FALSE(committed.empty());
    EXPECT_TRUE(made == committed) << FirstDifference(made, committed);
}

}  // namespace
