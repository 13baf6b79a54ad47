// Closing every running member of a process group within a time budget.
#pragma once

#include <cstdint>
#include <functional>

#include "shutdown/process_group.h"

namespace lum {

enum class ShutdownPhase : int32_t {
    Graceful = 1,     // members run, elapsed time below the graceful budget
    Force = 2,        // members run, the graceful budget is spent
    VerifyQuiet = 3,  // the latest snapshot found no running member
};

// "graceful", "force" or "verify-quiet".
const wchar_t* PhaseLogName(ShutdownPhase phase) noexcept;

using PhaseCallback = std::function<void(ShutdownPhase phase)>;

// Polls the group every 80 ms: asks each member once to exit (WM_CLOSE to its
// top-level windows), terminates those still running once the graceful budget
// is spent, and succeeds when no member has run for the quiet interval.
// Returns false when graceful + force + quiet milliseconds pass first. The
// callback (may be empty) hears each change of phase on this thread.
bool RunShutdown(ProcessGroup& group, const PhaseCallback& onPhase, uint32_t gracefulMs, uint32_t forceMs,
                 uint32_t quietMs);

// Posts WM_CLOSE to the windows of running members not yet asked in this run,
// the main executable first.
void RequestGracefulExit(ProcessGroup& group);
// Terminates running members not yet forced in this run, after checking that
// their process id still belongs to the same process.
void ForceExit(ProcessGroup& group);

// Exit code given to a terminated member.
constexpr UINT kForcedExitCode = 1067;
// Rights for the termination: terminate + query + synchronize.
constexpr DWORD kTerminateRights = PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

}  // namespace lum
