// Every export is a wall: no exception ever reaches the setup program. One
// that is stopped here is reported once through the failure hook, with the
// export's name, and the export returns its failure result.
#pragma once

#include <exception>
#include <utility>

#include "base/failure_log.h"

namespace lum {

template <typename R, typename F>
R Guarded(const char* exportName, R failure, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (const std::exception& e) {
        ReportStoppedException(exportName, e.what());
    } catch (...) {
        ReportStoppedException(exportName, "unknown");
    }
    return failure;
}

template <typename F>
void GuardedVoid(const char* exportName, F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (const std::exception& e) {
        ReportStoppedException(exportName, e.what());
    } catch (...) {
        ReportStoppedException(exportName, "unknown");
    }
}

}  // namespace lum
