// A steady frame allocates nothing: 100 frames of the showcase on the
// offscreen screen after a warm-up, counted from the clear to the last
// command handed to SDL (the engine, the batch and SDL's command queue).
//
// Finishing the frame (the flip and the readback) is counted apart and not
// held to zero: there the GL driver (Mesa's llvmpipe) takes 64 KiB blocks for
// the frame's triangle bins every frame, which nothing of ours can steer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "allocation_counter.h"
#include "frame.h"
#include "offscreen_showcase.h"

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

}  // namespace
