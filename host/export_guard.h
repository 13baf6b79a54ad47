// Every export is a wall: no exception ever reaches the setup program.
#pragma once

#include <utility>

namespace lum {

template <typename R, typename F>
R Guarded(R failure, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (...) {
        return failure;
    }
}

template <typename F>
void GuardedVoid(F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {
    }
}

}  // namespace lum
