#include "host/value_animation.h"

#include <windows.h>

#include <algorithm>
#include <mutex>

namespace lum {

double NowMs() noexcept {
    static std::once_flag once;
    static LARGE_INTEGER frequency{};
    std::call_once(once, [] { ::QueryPerformanceFrequency(&frequency); });
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    if (frequency.QuadPart == 0) return 0.0;
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

float ValueAnimation::ValueAt(double now) const noexcept {
    double p = 1.0;
    if (duration > 0.0) p = std::clamp((now - start) / duration, 0.0, 1.0);
    const double inv = 1.0 - p;
    const double e = 1.0 - inv * inv * inv;
    return static_cast<float>(from + (to - from) * e);
}

bool ValueAnimation::TimeUp(double now) const noexcept {
    return duration <= 0.0 || start + duration <= now;
}

void ValueAnimation::Aim(float target, double ms, double now) noexcept {
    if (target == to) return;
    from = ValueAt(now);
    to = target;
    start = now;
    duration = ms;
}

}  // namespace lum
