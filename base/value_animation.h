// ValueAnimation: one animated float, eased out cubically.
#pragma once

#include "base/clock.h"

namespace lum {

struct ValueAnimation {
    float from = 0.0f;
    float to = 0.0f;
    double start = 0.0;     // ms on NowMs()
    double duration = 0.0;  // ms; <= 0 means "already there"

    // from + (to - from) * e, with e = 1 - (1 - p)^3 and p the clamped progress.
    float ValueAt(double now) const noexcept;
    // True when duration <= 0 or start + duration <= now.
    bool TimeUp(double now) const noexcept;
    // Glides from the value at `now` to `target` over `ms`; no-op when already aimed there.
    void Aim(float target, double ms, double now) noexcept;
    // Jumps to the current target.
    void Snap() noexcept {
        from = to;
        duration = 0.0;
    }
    // Jumps to `value` with no ease.
    void Set(float value) noexcept {
        from = to = value;
        start = 0.0;
        duration = 0.0;
    }
};

}  // namespace lum
