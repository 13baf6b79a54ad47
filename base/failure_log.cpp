#include "base/failure_log.h"

#include <atomic>
#include <mutex>
#include <set>
#include <string>

#include "base/error_text.h"
#include "base/slim_lock.h"

namespace lum {
namespace {

// Distinct failures kept for the once-only rule. A process that somehow
// produces more distinct failures than this stops reporting new ones rather
// than growing without bound.
constexpr size_t kMaxDistinctFailures = 256;

std::atomic<FailureSink> g_sink{nullptr};

struct Reported {
    SlimLock lock;  // the shutdown worker reports from its own thread
    std::set<std::string> keys;
};

Reported& ReportedFailures() {
    static Reported reported;
    return reported;
}

// True the first time a key is seen.
bool FirstTime(const std::string& key) {
    Reported& reported = ReportedFailures();
    std::lock_guard<SlimLock> guard(reported.lock);
    if (reported.keys.size() >= kMaxDistinctFailures) return false;
    return reported.keys.insert(key).second;
}

std::wstring Widen(const char* ascii) {
    std::wstring text;
    for (const char* c = ascii ? ascii : ""; *c; ++c) text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return text;
}

void Emit(const std::wstring& message) {
    if (FailureSink sink = g_sink.load()) sink(message);
}

}  // namespace

void SetFailureSink(FailureSink sink) noexcept { g_sink.store(sink); }

void ReportFailedCall(const char* call, uint32_t code) noexcept {
    try {
        if (!FirstTime(std::string(call ? call : "") + '#' + std::to_string(code))) return;
        Emit(L"Call failed call=" + Widen(call) + L" error=" + FormatErrorText(code));
    } catch (...) {
        // Out of memory while reporting: nothing more can be said.
    }
}

void ReportStoppedException(const char* exportName, const char* what) noexcept {
    try {
        if (!FirstTime(std::string(exportName ? exportName : "") + '!' + (what ? what : ""))) return;
        Emit(L"Export failed export=" + Widen(exportName) + L" exception=" + Widen(what));
    } catch (...) {
    }
}

void ReportRefusedThread(const char* exportName, uint32_t thread, uint32_t owner) noexcept {
    try {
        Emit(L"Export refused; export=" + Widen(exportName) + L" thread=" + std::to_wstring(thread) +
             L" ownerThread=" + std::to_wstring(owner));
    } catch (...) {
    }
}

}  // namespace lum
