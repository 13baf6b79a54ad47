// The animation clock.
#pragma once

namespace lum {

// Milliseconds on the performance counter. Only differences are meaningful.
double NowMs() noexcept;

}  // namespace lum
