#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "numbers.h"

using namespace sprite_font_detail;

TEST(RoundToInt32, HalvesToEvenAndSaturates) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    const struct {
        float in;
        std::int32_t out;
    } cases[] = {
        {2.5f, 2},          {3.5f, 4},           {-2.5f, -2},         {-0.5f, 0},       {0.5f, 0},
        {1.5f, 2},          {127.5f, 128},       {128.5f, 128},       {255.4f, 255},    {-3.7f, -4},
        {-0.0f, 0},         {1e-45f, 0},         {std::nanf(""), 0},  {inf, INT32_MAX}, {-inf, INT32_MIN},
        {3e38f, INT32_MAX}, {-3e38f, INT32_MIN}, {2147483648.0f, INT32_MAX},
        {2147483520.0f, 2147483520}, {-2147483648.0f, INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToInt32(c.in), c.out) << c.in;
}

TEST(Angles, ConvertThroughDoubleAndRoundToFloat) {
    EXPECT_EQ(DegToRad(90.0f), static_cast<float>(1.5707963267948966));
    EXPECT_EQ(DegToRad(1.0f), 0.017453292f);
    EXPECT_EQ(RadToDeg(DegToRad(90.0f)), 90.0f);
    EXPECT_EQ(Sin(DegToRad(90.0f)), 1.0f);
    EXPECT_EQ(Cos(DegToRad(90.0f)), static_cast<float>(std::cos(1.5707963705062866)));
}

TEST(StyleZero, OnlyPlusZeroIsZero) {
    EXPECT_TRUE(IsPlusZero(0.0f));
    EXPECT_FALSE(IsPlusZero(-0.0f));
    EXPECT_FALSE(IsPlusZero(1e-45f));
    EXPECT_FALSE(IsPlusZero(std::nanf("")));
    EXPECT_TRUE(UsesFontDefault(-1.0f));
    EXPECT_TRUE(UsesFontDefault(std::nanf("")));
    EXPECT_FALSE(UsesFontDefault(-0.99999994f));
    EXPECT_FALSE(UsesFontDefault(-1.0000001f));
}
