#include "base/value_animation.h"

#include <algorithm>

namespace lum {

float ValueAnimation::ValueAt(double now) const noexcept {
    double p = 1.0;
    if (duration > 0.0) p = std::clamp((now - start) / duration, 0.0, 1.0);
    const double inv = 1.0 - p;
    const double e = 1.0 - inv * inv * inv;
    return static_cast<float>(from + (to - from) * e);
}

bool ValueAnimation::TimeUp(double now) const noexcept { return duration <= 0.0 || start + duration <= now; }

void ValueAnimation::Aim(float target, double ms, double now) noexcept {
    if (target == to) return;
    from = ValueAt(now);
    to = target;
    start = now;
    duration = ms;
}

}  // namespace lum
