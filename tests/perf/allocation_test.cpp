// A steady frame allocates nothing: 100 frames of the showcase on the
// offscreen screen after a warm-up, counted from the clear to the last
// command handed to SDL (the engine, the batch and SDL's command queue).
//
// Finishing the frame (the flip and the readback) is counted apart and not
// held to zero: there the GL driver (Mesa's llvmpipe) takes 64 KiB blocks for
// the frame's triangle bins every frame, which nothing of ours can steer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "frame.h"
#include "offscreen_showcase.h"
#include "sprite_font.h"

namespace {

// Kept in volatile storage so the compiler cannot drop the allocations.
void* volatile escaped[2];

TEST(Allocations, CounterSeesMallocAndNew) {
    ResetAllocationCount();
    CountAllocations(true);
    escaped[0] = std::malloc(16);
    escaped[1] = new int(3);
    CountAllocations(false);
    delete static_cast<int*>(escaped[1]);
    std::free(escaped[0]);
    EXPECT_EQ(CountedAllocations().callingThread, 2u);
    EXPECT_EQ(CountedAllocations().otherThreads, 0u);
}

TEST(Allocations, HundredShowcaseFramesAllocateNothing) {
    std::string error;
    auto showcase = OffscreenShowcase::Open(&error);
    ASSERT_NE(showcase, nullptr) << "no offscreen screen: " << error;
    Screen& screen = *showcase->screen;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kScreenWidth) * kScreenHeight);
    // The first frames grow the batch and SDL's queue once.
    float t = 1.0f;
    for (; t <= 10.0f; t += 1.0f) ASSERT_TRUE(showcase->Frame(t, pixels));

    ResetAllocationCount();
    AllocationCount drawing;
    bool finished = true;
    for (int frame = 0; frame < 100; ++frame, t += 1.0f) {
        CountAllocations(true);
        RenderFrame(screen, t);
        CountAllocations(false);
        drawing = CountedAllocations();
        screen.Flip();
        finished = screen.ReadPixels(pixels) && finished;
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(drawing.callingThread, 0u);
    EXPECT_EQ(drawing.otherThreads, 0u);
    EXPECT_EQ(screen.Stats().frames, 110u);

    // For the record: what the driver and SDL take per finished frame.
    RenderFrame(screen, t);
    ResetAllocationCount();
    CountAllocations(true);
    screen.Flip();
    finished = screen.ReadPixels(pixels);
    CountAllocations(false);
    EXPECT_TRUE(finished);
    RecordProperty("finish_allocations", static_cast<int>(CountedAllocations().callingThread));
}

// Blocks lay out line by line without a buffer: no setting makes a draw or
// a measurement allocate, once the batch has grown to the frame's size.
TEST(Allocations, BlocksAllocateNothing) {
    std::string error;
    auto showcase = OffscreenShowcase::Open(&error);
    ASSERT_NE(showcase, nullptr) << "no offscreen screen: " << error;
    Screen& screen = *showcase->screen;
    const char* text = "Der schnelle braune Fuchs springt \xFC" "ber den faulen Hund.\r\nFranz jagt im "
                       "komplett verwahrlosten Taxi quer durch Bayern, Silben-Trennung inbegriffen.\n\n";
    const char* utf8 = "F\xC3\xBC" "nf \xE2\x80\xA6 Stra\xC3\x9F" "en\nweiter";
    const auto draw = [&] {
        screen.Clear(0xFFFFFF);
        screen.BeginSprite3D();
        for (const TextAlign align : {TextAlignLeft, TextAlignCenter, TextAlignRight, TextAlignJustify})
            for (const std::int32_t wrap : {0, 1, 300})
                for (const std::int32_t maxLines : {0, 2}) {
                    TextBlock block;
                    block.align = align;
                    block.wrapWidth = wrap;
                    block.maxLines = maxLines;
                    (void)SpriteFontMeasureBlock(1, text, 0.5f, block);
                    DrawSpriteFontBlock(1, 10, 10, text, -1.0f, 0.5f, block);
                    DrawSpriteFontBlockUtf8(1, 10, 300, utf8, -1.0f, 0.5f, block);
                }
        SetSpriteFontStyle(1, StyleRotation, 30.0f);
        SetSpriteFontStyle(1, StyleAlignX, 0.5f);
        DrawSpriteFontBlock(1, 400, 300, text, -1.0f, 0.5f, TextBlock{300, TextAlignJustify, 1.2f, 3, true});
        SetSpriteFontStyle(1, StyleRotation, 0.0f);
        SetSpriteFontStyle(1, StyleAlignX, 0.0f);
        screen.EndSprite3D();
    };
    draw();  // grows the batch once
    screen.Flip();

    ResetAllocationCount();
    for (int round = 0; round < 10; ++round) {
        CountAllocations(true);
        draw();
        CountAllocations(false);
        screen.Flip();
    }
    EXPECT_EQ(CountedAllocations().callingThread, 0u);
}

}  // namespace
