#include "frame_pacer.h"

#include <cmath>

void FramePacer::Configure(double refreshHz, bool active) noexcept {
    // Refresh rates outside what displays offer are read errors; take 60.
    refreshHz_ = (std::isfinite(refreshHz) && refreshHz >= 20.0 && refreshHz <= 500.0) ? refreshHz
                                                                                        : 60.0;
    periodNs_ = static_cast<std::int64_t>(std::llround(1e9 / refreshHz_));
    active_ = active;
    started_ = false;
    probed_ = 0;
}

std::int64_t FramePacer::DelayBeforePresent(std::int64_t now) noexcept {
    if (!active_) return 0;
    if (!started_) {
        started_ = true;
        next_ = now + periodNs_;
        return 0;
    }
    const std::int64_t wait = next_ - now;
    if (wait < -periodNs_) {
        // Far behind (a stalled frame, a dragged window): start afresh
        // instead of rushing through the missed frames.
        next_ = now + periodNs_;
        return 0;
    }
    // Deadlines advance by whole periods, so sleep overshoot does not add up.
    next_ += periodNs_;
    return wait > 0 ? wait : 0;
}

void FramePacer::ObservePresent(std::int64_t now) noexcept {
    if (active_ || probed_ > kProbeFrames) return;
    if (probed_ == 0) probeStart_ = now;
    if (++probed_ <= kProbeFrames) return;
    // kProbeFrames intervals in less than half their refresh time: the
    // presents do not wait for the retrace.
    if (now - probeStart_ < periodNs_ * kProbeFrames / 2) {
        active_ = true;
        started_ = false;
    }
}
