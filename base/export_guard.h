// Every export is a wall: no exception ever reaches the setup program. One
// that is stopped here is reported once through the failure hook, with the
// export's name, and the export returns its failure result. Only one thread at
// a time gets past the wall (base/export_gate.h).
#pragma once

#include <exception>
#include <utility>

#include "base/export_gate.h"
#include "base/failure_log.h"

namespace lum {

// For the exports that touch no shared state, or guard it themselves.
template <typename R, typename F>
R GuardedAnyThread(const char* exportName, R failure, F&& body) noexcept {
    try {
        return std::forward<F>(body)();
    } catch (const std::exception& e) {
        ReportStoppedException(exportName, e.what());
    } catch (...) {
        ReportStoppedException(exportName, "unknown");
    }
    return failure;
}

template <typename R, typename F>
R Guarded(const char* exportName, R failure, F&& body) noexcept {
    const ExportGateEntry entry(exportName);
    if (!entry) return failure;
    return GuardedAnyThread(exportName, failure, std::forward<F>(body));
}

template <typename F>
void GuardedVoid(const char* exportName, F&& body) noexcept {
    const ExportGateEntry entry(exportName);
    if (!entry) return;
    try {
        std::forward<F>(body)();
    } catch (const std::exception& e) {
        ReportStoppedException(exportName, e.what());
    } catch (...) {
        ReportStoppedException(exportName, "unknown");
    }
}

}  // namespace lum
