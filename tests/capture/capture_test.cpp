// Captured frames of the demonstration, checked pixel by pixel.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "apng.h"
#include "capture.h"
#include "png_codec.h"

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFF;
constexpr std::uint32_t kBlack = 0xFF000000;

class Capture : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        capturer_ = Capturer::Open(&error).release();
        ASSERT_NE(capturer_, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete capturer_;
        capturer_ = nullptr;
    }
    void SetUp() override {
        if (capturer_ == nullptr) GTEST_SKIP() << "no offscreen screen";
    }
    static std::uint32_t At(const std::vector<std::uint32_t>& p, int x, int y) {
        return p[static_cast<std::size_t>(y) * kScreenWidth + static_cast<std::size_t>(x)];
    }
    static int InkIn(const std::vector<std::uint32_t>& p, int x0, int y0, int x1, int y1) {
        int ink = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) ink += At(p, x, y) != kWhite;
        return ink;
    }
    static Capturer* capturer_;
};

Capturer* Capture::capturer_ = nullptr;

}  // namespace

TEST_F(Capture, FrameOneShowsBackgroundGuideLineAndTheCutLine) {
    const std::vector<std::uint32_t> p = capturer_->Render(1.0f);
    for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}, {20, 300}}) EXPECT_EQ(At(p, x, y), kWhite);
    // The guide line: x 50..649 of row 100, drawn over the glyphs.
    for (int x = 50; x < 650; ++x) ASSERT_EQ(At(p, x, 100), kBlack) << x;
    EXPECT_NE(At(p, 49, 100), kBlack);
    EXPECT_NE(At(p, 650, 100), kBlack);
    for (int y : {99, 101}) EXPECT_NE(At(p, 300, y), kBlack);
    // Line 2 is cut at the guide line's end: its rows hold ink up to x 649 and none after.
    EXPECT_GT(InkIn(p, 600, 102, 650, 160), 0);
    EXPECT_EQ(InkIn(p, 650, 101, 800, 162), 0);
    // Line 1 starts at x 50 on row 50 and nothing lies left of it.
    EXPECT_GT(InkIn(p, 50, 50, 90, 94), 100);
    EXPECT_EQ(InkIn(p, 0, 40, 48, 99), 0);
}

TEST_F(Capture, FramesAreDeterministicAndAnimated) {
    const std::vector<std::uint32_t> first = capturer_->Render(1.0f);
    const std::vector<std::uint32_t> later = capturer_->Render(45.0f);
    EXPECT_NE(first, later);
    EXPECT_EQ(capturer_->Render(1.0f), first);  // nothing carries over from frame to frame
    // Lines 1 and 2 stand still: their band is the same in every frame.
    for (int y = 40; y < 99; ++y)
        for (int x = 0; x < 800; ++x) ASSERT_EQ(At(first, x, y), At(later, x, y)) << x << "," << y;
}

TEST_F(Capture, ApngJoinsTheStills) {
    std::vector<std::vector<std::uint8_t>> stills = {capturer_->RenderPng(1.0f), capturer_->RenderPng(2.0f)};
    const std::vector<std::uint8_t> apng = AssembleApng(stills, 1, 30);
    ASSERT_FALSE(apng.empty());
    // A viewer without animation support shows frame 1.
    DecodedImage image;
    ASSERT_EQ(DecodePng(apng.data(), apng.size(), image), PngStatus::Ok);
    EXPECT_EQ(image.width, 800);
    EXPECT_EQ(image.pixels, capturer_->Render(1.0f));
    EXPECT_NE(std::string(apng.begin(), apng.end()).find("acTL"), std::string::npos);
    EXPECT_NE(std::string(apng.begin(), apng.end()).find("fdAT"), std::string::npos);
    stills.push_back({1, 2, 3});
    EXPECT_TRUE(AssembleApng(stills, 1, 30).empty());
}

TEST(CaptureCommand, RejectsBadArgumentsAndWritesNothing) {
    const std::string out = ::testing::TempDir() + "capture_bad.png";
    std::remove(out.c_str());
    for (const char* args : {"--frame 0", "--frame x", "--from 5 --to 2", "--bogus 1", "--frame"}) {
        const std::string command = std::string(CAPTURE_EXE) + " " + args + " --out " + out + " 2>/dev/null";
        EXPECT_NE(std::system(command.c_str()), 0) << args;
        EXPECT_EQ(std::fopen(out.c_str(), "rb"), nullptr) << args;
    }
}
