#include "shutdown/shutdown_engine.h"

#include <exception>
#include <optional>

#include "shutdown/canonical_path.h"
#include "base/error_text.h"
#include "shutdown/snapshot.h"

namespace lum {
namespace {

constexpr DWORD kPollIntervalMs = 80;

// Visits the running members in two passes, those with the main executable's
// path first, so that the application is always asked before its helpers.
template <typename Visit>
void ForEachRunningMember(ProcessGroup& group, Visit&& visit) {
    for (const bool mainPass : {true, false}) {
        // Indexes, not iterators: nothing here admits members, but the visit
        // logs, and a log sink must not be able to invalidate the walk.
        for (size_t i = 0; i < group.trackedIdentities.size(); ++i) {
            TrackedIdentity& member = group.trackedIdentities[i];
            if (EqualsIgnoringAsciiCase(member.path, group.canonicalTarget) != mainPass) continue;
            if (!IsRunning(group.api, member.handle.get())) continue;
            visit(member);
        }
    }
}

struct WindowSearch {
    ProcessGroup* group;
    TrackedIdentity* member;
    uint32_t count = 0;
    std::exception_ptr failure;  // exceptions must not unwind through EnumWindows
};

BOOL CALLBACK PostCloseToWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    try {
        ProcessGroup& group = *search.group;
        const TrackedIdentity& member = *search.member;
        DWORD owner = 0;
        group.api.getWindowThreadProcessId(window, &owner);
        if (owner != member.processId || !IsRunning(group.api, member.handle.get())) return TRUE;
        ++search.count;
        const BOOL queued = group.api.postMessage(window, WM_CLOSE, 0, 0);
        const DWORD error = queued ? 0 : ::GetLastError();
        group.Log(L"WM_CLOSE PID=" + std::to_wstring(member.processId) + L" HWND=" +
                  std::to_wstring(reinterpret_cast<uintptr_t>(window)) + L" queued=" + (queued ? L"1" : L"0") +
                  L" error=" + FormatErrorText(error));
    } catch (...) {
        if (!search.failure) search.failure = std::current_exception();
    }
    return TRUE;  // every window is visited, whatever happened to one
}

}  // namespace

const wchar_t* PhaseLogName(ShutdownPhase phase) noexcept {
    switch (phase) {
        case ShutdownPhase::Graceful: return L"graceful";
        case ShutdownPhase::Force: return L"force";
        case ShutdownPhase::VerifyQuiet: return L"verify-quiet";
    }
    return L"verify-quiet";
}

void RequestGracefulExit(ProcessGroup& group) {
    ForEachRunningMember(group, [&](TrackedIdentity& member) {
        if (member.gracefulRequested) return;
        member.gracefulRequested = true;
        WindowSearch search{&group, &member, 0, nullptr};
        group.api.enumWindows(&PostCloseToWindow, reinterpret_cast<LPARAM>(&search));
        if (search.failure) std::rethrow_exception(search.failure);
        group.Log(L"Graceful request " + DescribeIdentity(member) + L" topLevelWindows=" +
                  std::to_wstring(search.count));
    });
}

void ForceExit(ProcessGroup& group) {
    const ProcessApi& api = group.api;
    ForEachRunningMember(group, [&](TrackedIdentity& member) {
        if (member.forceAttempted) return;
        member.forceAttempted = true;
        group.Log(L"Force attempt " + DescribeIdentity(member));

        // The member's own handle lacks the terminate right on purpose; the id
        // is reopened and its creation time checked before anything is ended.
        const wchar_t* operation = L"TerminateProcess";
        uint32_t error = 0;
        const UniqueHandle process(api.openProcess(kTerminateRights, FALSE, member.processId));
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (!process) {
            error = ::GetLastError();
            operation = L"OpenProcess(terminate+query+sync)";
        } else if (!api.getProcessTimes(process.get(), &creation, &exit, &kernel, &user)) {
            error = ::GetLastError();
            operation = L"GetProcessTimes";
        } else if (FileTimeValue(creation) != member.creationTime) {
            error = ERROR_INVALID_PARAMETER;  // the id belongs to another process now
            operation = L"Verify process creation time";
        } else if (!api.terminateProcess(process.get(), kForcedExitCode)) {
            error = ::GetLastError();
        }
        member.closeError = error;
        group.Log(std::wstring(operation) + L" PID=" + std::to_wstring(member.processId) + L" result=" +
                  FormatErrorText(error) + L"; awaiting signaled process handle");
    });
}

bool RunShutdown(ProcessGroup& group, const PhaseCallback& onPhase, uint32_t gracefulMs, uint32_t forceMs,
                 uint32_t quietMs) {
    const ProcessApi& api = group.api;
    group.Log(L"Resetting shutdown attempt flags");
    for (TrackedIdentity& member : group.trackedIdentities) {
        member.gracefulRequested = false;
        member.forceAttempted = false;
        member.closeError = 0;
    }
    group.Log(L"Shutdown started: gentleMs=" + std::to_wstring(gracefulMs) + L" forceMs=" +
              std::to_wstring(forceMs) + L" quietMs=" + std::to_wstring(quietMs));

    const ULONGLONG start = api.getTickCount64();
    const ULONGLONG deadline = static_cast<ULONGLONG>(gracefulMs) + forceMs + quietMs;
    std::optional<ShutdownPhase> previous;
    std::optional<ULONGLONG> quietStart;
    bool firstPoll = true;
    while (api.getTickCount64() - start <= deadline) {
        const int32_t running = Snapshot(group);
        if (firstPoll && running >= 0) {
            group.Log(L"Initial shutdown snapshot complete; confirmedRunning=" + std::to_wstring(running) +
                      L"; main/descendant PIDs, creation times and handles captured before exit requests");
        }
        firstPoll = false;

        const ULONGLONG now = api.getTickCount64();
        const ULONGLONG elapsed = now - start;
        // A failed snapshot (-1) counts as members running.
        const ShutdownPhase phase = running == 0          ? ShutdownPhase::VerifyQuiet
                                    : elapsed < gracefulMs ? ShutdownPhase::Graceful
                                                           : ShutdownPhase::Force;
        if (phase != previous) {
            group.Log(std::wstring(L"Shutdown phase=") + PhaseLogName(phase) + L" elapsedMs=" +
                      std::to_wstring(elapsed));
            if (onPhase) onPhase(phase);
            previous = phase;
        }

        if (running != 0) {
            quietStart.reset();
            if (running > 0) {
                RequestGracefulExit(group);
                if (phase == ShutdownPhase::Force) ForceExit(group);
            }
        } else {
            if (!quietStart) quietStart = now;
            if (now - *quietStart >= quietMs) {
                group.Log(L"Shutdown succeeded; elapsedMs=" + std::to_wstring(elapsed));
                return true;
            }
        }
        api.sleep(kPollIntervalMs);
    }
    group.Log(L"Shutdown timed out; elapsedMs=" + std::to_wstring(api.getTickCount64() - start));
    return false;
}

}  // namespace lum
