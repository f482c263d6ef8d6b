// frame_pacer.h - holds a frame loop to the display's refresh rate where
// presenting does not wait for the retrace (a virtual X server, a driver
// that ignores the swap interval). Pure arithmetic on nanosecond clock
// readings, so it can be tested without a display.
#pragma once

#include <cstdint>

class FramePacer {
public:
    // refreshHz of 0 or less (unknown) means 60. active: pace from the start;
    // otherwise pacing switches itself on once presents prove not to wait.
    void Configure(double refreshHz, bool active) noexcept;

    // How long to sleep before the present that comes at now.
    std::int64_t DelayBeforePresent(std::int64_t now) noexcept;
    // Called after each present while pacing is off: a run of presents far
    // faster than the refresh rate means the retrace is not waited for.
    void ObservePresent(std::int64_t now) noexcept;

    bool Active() const noexcept { return active_; }
    double RefreshHz() const noexcept { return refreshHz_; }
    std::int64_t PeriodNs() const noexcept { return periodNs_; }

    static constexpr int kProbeFrames = 30;

private:
    double refreshHz_ = 60.0;
    std::int64_t periodNs_ = 16'666'667;
    bool active_ = false;
    bool started_ = false;
    std::int64_t next_ = 0;
    int probed_ = 0;
    std::int64_t probeStart_ = 0;
};
