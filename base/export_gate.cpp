#include "base/export_gate.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "base/failure_log.h"
#include "base/slim_lock.h"

namespace lum {
namespace {

// Constant-initialised: the gate works from the first call, on any thread.
std::atomic<DWORD> g_owner{0};  // 0: nobody inside (no thread has id 0)
unsigned g_depth = 0;           // touched only by the owner

// Threads whose refusal has been reported; emptied when full, so a thread may
// be reported again after 256 others.
constexpr size_t kRefusedThreadLimit = 256;

struct RefusedThreads {
    SlimLock lock;
    std::vector<DWORD> ids;
};

bool FirstRefusalOf(DWORD thread) {
    static RefusedThreads refused;
    std::lock_guard<SlimLock> guard(refused.lock);
    std::vector<DWORD>& ids = refused.ids;
    if (std::find(ids.begin(), ids.end(), thread) != ids.end()) return false;
    if (ids.size() >= kRefusedThreadLimit) ids.clear();
    ids.push_back(thread);
    return true;
}

}  // namespace

bool EnterExportGate(const char* exportName) noexcept {
    const DWORD self = ::GetCurrentThreadId();
    if (g_owner.load(std::memory_order_acquire) == self) {
        ++g_depth;
        return true;
    }
    DWORD owner = 0;
    if (g_owner.compare_exchange_strong(owner, self, std::memory_order_acquire, std::memory_order_acquire)) {
        g_depth = 1;
        return true;
    }
    try {
        if (FirstRefusalOf(self)) ReportRefusedThread(exportName, self, owner);
    } catch (...) {
        // Out of memory: the refusal stands without its line.
    }
    return false;
}

void LeaveExportGate() noexcept {
    if (--g_depth == 0) g_owner.store(0, std::memory_order_release);
}

}  // namespace lum
