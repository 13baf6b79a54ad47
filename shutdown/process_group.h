// The process group of one target: the application's main executable, the
// install folder derived from it, and every process ever admitted as a member.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/scoped_win.h"
#include "shutdown/process_api.h"
#include "shutdown/process_record.h"

namespace lum {

// Receives every log line of the group, its snapshots and its shutdowns.
using LogSink = std::function<void(const std::wstring& line)>;

// Rights of the handle a member is held by: enough to wait on it and to read
// its path and times, never enough to terminate it.
constexpr DWORD kTrackRights = PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

// One admitted process. The open handle keeps the process object, and with it
// the process id, from being reused while the identity lives: a process is
// known by (process id, creation time), never by its id alone.
struct TrackedIdentity {
    uint32_t processId = 0;
    uint32_t parentId = 0;  // as the process list reported it at admission
    UniqueHandle handle;    // kTrackRights
    uint64_t creationTime = 0;
    std::wstring path;  // canonical image path
    bool gracefulRequested = false;
    bool forceAttempted = false;
    uint32_t closeError = 0;
    bool exitLogged = false;
};

// "PID=1 parent=2 created=3 path="C:\..."".
std::wstring DescribeIdentity(const TrackedIdentity& identity);

struct ProcessGroup {
    // Logs "Process group target=..." and "Process group root=...". An empty
    // root (target in a drive root or without a backslash, or refused by
    // AdmissibleProcessRoot) is accepted here; every snapshot then fails with
    // error 87.
    ProcessGroup(const std::wstring& target, LogSink sink, const ProcessApi& processApi = SystemProcessApi());
    ProcessGroup(const ProcessGroup&) = delete;
    ProcessGroup& operator=(const ProcessGroup&) = delete;

    void Log(const std::wstring& line) const {
        if (logSink) logSink(line);
    }

    LogSink logSink;
    ProcessApi api;
    std::wstring lastSummary;  // without its "; snapshotEntries=" suffix
    bool firstSnapshot = true;
    std::wstring canonicalTarget;
    std::wstring root;  // folder of the canonical target with its trailing backslash, or empty
    std::set<std::pair<uint32_t, uint32_t>> reportedUnverified;  // (process id, error)
    std::vector<TrackedIdentity> trackedIdentities;              // admission order, never shrinks
    std::vector<ProcessRecord> records;                          // running members, by process id
    uint32_t scanError = 0;
};

// The root of a canonical target: up to and including its last backslash when
// that backslash lies beyond a drive root (index > 2), else empty.
std::wstring ProcessRoot(const std::wstring& canonicalTarget);

// A member process still runs: a zero time-out wait on its handle times out.
inline bool IsRunning(const ProcessApi& api, HANDLE process) {
    return process && api.waitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

}  // namespace lum
