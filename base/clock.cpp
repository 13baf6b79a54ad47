#include "base/clock.h"

#include <windows.h>

namespace lum {
namespace {

// The counter's frequency is fixed at boot; reading it once at load time
// keeps the clock free of any lazy, thread-safe initialisation.
const double kTicksPerMs = [] {
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(frequency.QuadPart) / 1000.0;
}();

}  // namespace

double NowMs() noexcept {
    if (!(kTicksPerMs > 0.0)) return 0.0;
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / kTicksPerMs;
}

}  // namespace lum
