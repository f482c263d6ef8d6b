// The pacer with a made-up clock: even deadlines, no catch-up bursts, and
// switching itself on when presents come back at once.
#include <gtest/gtest.h>

#include "frame_pacer.h"

namespace {

constexpr std::int64_t kMs = 1'000'000;

TEST(FramePacer, HoldsAFastLoopToTheRefreshRate) {
    FramePacer pacer;
    pacer.Configure(60.0, true);
    const std::int64_t period = pacer.PeriodNs();
    EXPECT_EQ(period, 16'666'667);
    // A frame that takes 2 ms of work sleeps the rest of its period, and the
    // presents land one period apart however the sleep fell.
    std::int64_t now = 0;
    EXPECT_EQ(pacer.DelayBeforePresent(now), 0);
    std::int64_t lastPresent = now;
    for (int frame = 1; frame <= 120; ++frame) {
        now += 2 * kMs;
        const std::int64_t delay = pacer.DelayBeforePresent(now);
        EXPECT_GT(delay, 0);
        now += delay;
        EXPECT_EQ(now, static_cast<std::int64_t>(frame) * period);
        lastPresent = now;
    }
    EXPECT_EQ(lastPresent, 120 * period);
}

TEST(FramePacer, SlowFramesDoNotSleepAndAStallStartsAfresh) {
    FramePacer pacer;
    pacer.Configure(50.0, true);
    const std::int64_t period = pacer.PeriodNs();
    pacer.DelayBeforePresent(0);
    // Late by less than a period: no sleep, and the next frame catches up.
    EXPECT_EQ(pacer.DelayBeforePresent(period + 5 * kMs), 0);
    EXPECT_EQ(pacer.DelayBeforePresent(period + 6 * kMs), period - 6 * kMs);
    // A stall of a second: no rush through the missed frames afterwards.
    const std::int64_t resumed = 1000 * kMs;
    EXPECT_EQ(pacer.DelayBeforePresent(resumed), 0);
    EXPECT_EQ(pacer.DelayBeforePresent(resumed + kMs), period - kMs);
}

TEST(FramePacer, UnknownOrAbsurdRatesMean60) {
    for (double hz : {0.0, -1.0, 1e9, 5.0}) {
        FramePacer pacer;
        pacer.Configure(hz, true);
        EXPECT_DOUBLE_EQ(pacer.RefreshHz(), 60.0) << hz;
    }
    FramePacer pacer;
    pacer.Configure(144.0, false);
    EXPECT_DOUBLE_EQ(pacer.RefreshHz(), 144.0);
    EXPECT_EQ(pacer.DelayBeforePresent(0), 0);  // off: never sleeps
}

TEST(FramePacer, SwitchesOnWhenPresentsDoNotWaitForTheRetrace) {
    struct Case {
        std::int64_t interval;
        bool paces;
    };
    for (const Case c : {Case{1 * kMs, true}, Case{16'666'667, false}}) {
        FramePacer pacer;
        pacer.Configure(60.0, false);
        std::int64_t now = 0;
        for (int i = 0; i <= FramePacer::kProbeFrames + 5; ++i, now += c.interval)
            pacer.ObservePresent(now);
        EXPECT_EQ(pacer.Active(), c.paces) << c.interval;
    }
}

}  // namespace
