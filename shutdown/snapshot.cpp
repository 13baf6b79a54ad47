#include "shutdown/snapshot.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "shutdown/canonical_path.h"
#include "base/error_text.h"

namespace lum {
namespace {

constexpr DWORD kImagePathUnits = 32768;

struct ProcessEntry {
    uint32_t processId = 0;
    uint32_t parentId = 0;
    std::wstring exeFile;
};

// Reads the whole tool-help process list; the failure text and code are
// logged and stored by the caller.
struct ProcessList {
    std::vector<ProcessEntry> entries;
    const wchar_t* failure = nullptr;  // "CreateToolhelp32Snapshot failed: " etc., null on success
    uint32_t error = 0;
};

ProcessEntry ToEntry(const PROCESSENTRY32W& entry) {
    ProcessEntry out;
    out.processId = entry.th32ProcessID;
    out.parentId = entry.th32ParentProcessID;
    const size_t capacity = sizeof(entry.szExeFile) / sizeof(entry.szExeFile[0]);
    out.exeFile.assign(entry.szExeFile, std::find(entry.szExeFile, entry.szExeFile + capacity, L'\0'));
    return out;
}

ProcessList ReadProcessList(const ProcessApi& api) {
    ProcessList list;
    const UniqueFileHandle snapshot(api.createToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || !snapshot.get()) {
        list.error = ::GetLastError();
        list.failure = L"CreateToolhelp32Snapshot failed: ";
        return list;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!api.process32First(snapshot.get(), &entry)) {
        list.error = ::GetLastError();
        list.failure = L"Process32First failed: ";
        return list;
    }
    list.entries.push_back(ToEntry(entry));
    for (;;) {
        entry.dwSize = sizeof(entry);
        if (!api.process32Next(snapshot.get(), &entry)) break;
        list.entries.push_back(ToEntry(entry));
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) {
        list.error = error;
        list.failure = L"Process32Next failed: ";
    }
    return list;
}

bool IsInsideRoot(const std::wstring& path, const std::wstring& root) {
    // The root ends with a backslash, so "C:\Apps\Lumora2\x.exe" is not inside "C:\Apps\Lumora\".
    return path.size() > root.size() && StartsWithIgnoringAsciiCase(path, root);
}

// A member whose process id is the candidate's parent id, which was created no
// later than the candidate and was still running when the candidate was
// created. The creation times keep a process that reuses the id of an exited
// member from adopting that member's children, and the reverse.
bool IsVerifiedDescendant(const ProcessGroup& group, const TrackedIdentity& candidate) {
    for (const TrackedIdentity& member : group.trackedIdentities) {
        if (member.processId != candidate.parentId) continue;
        if (candidate.creationTime < member.creationTime) continue;
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (!group.api.getProcessTimes(member.handle.get(), &creation, &exit, &kernel, &user)) continue;
        const uint64_t exitTime = FileTimeValue(exit);
        if (exitTime == 0 || candidate.creationTime <= exitTime) return true;
    }
    return false;
}

// Steps through the list from the calling process up its parents: the setup
// and whatever started it are never members, whatever their image path.
std::unordered_set<uint32_t> ExcludeSetupChain(ProcessGroup& group, const std::vector<ProcessEntry>& entries) {
    std::unordered_map<uint32_t, size_t> byId;
    byId.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) byId.emplace(entries[i].processId, i);

    std::unordered_set<uint32_t> excluded;
    uint32_t id = group.api.getCurrentProcessId();
    while (id != 0) {
        if (!excluded.insert(id).second) break;  // a parent loop
        const auto found = byId.find(id);
        if (group.firstSnapshot) {
            std::wstring line = L"Excluded setup/ancestor PID=" + std::to_wstring(id);
            if (found != byId.end()) line += L" name=" + entries[found->second].exeFile;
            group.Log(line);
        }
        if (found == byId.end()) break;
        id = entries[found->second].parentId;
    }
    return excluded;
}

// Opens and verifies one listed process. Returns the would-be member, or
// nothing when the process is to be left out (logging an inspection failure
// once per process id and error).
std::optional<TrackedIdentity> Inspect(ProcessGroup& group, const ProcessEntry& entry, uint64_t snapshotTime,
                                       std::wstring& imageBuffer) {
    const ProcessApi& api = group.api;
    UniqueHandle process(api.openProcess(kTrackRights, FALSE, entry.processId));
    const wchar_t* operation = nullptr;
    DWORD error = 0;
    DWORD imageLength = kImagePathUnits;
    FILETIME creation{}, exit{}, kernel{}, user{};
    if (!process) {
        error = ::GetLastError();
        operation = L"OpenProcess(query+sync)";
    } else if (!api.queryFullProcessImageName(process.get(), 0, imageBuffer.data(), &imageLength)) {
        error = ::GetLastError();
        operation = L"QueryFullProcessImageName";
    } else if (!api.getProcessTimes(process.get(), &creation, &exit, &kernel, &user)) {
        error = ::GetLastError();
        operation = L"GetProcessTimes";
    }

    if (operation) {
        // 87: the process ended between listing and opening; an exited process
        // is no concern either. Neither leaves a trace.
        if (error == ERROR_INVALID_PARAMETER || (process && !IsRunning(api, process.get()))) return std::nullopt;
        if (group.reportedUnverified.emplace(entry.processId, error).second) {
            group.Log(L"Skipping unverified process PID=" + std::to_wstring(entry.processId) + L" parent=" +
                      std::to_wstring(entry.parentId) + L" name=" + entry.exeFile + L" operation=" + operation +
                      L" error=" + FormatErrorText(error) +
                      L"; ownership unavailable; not a shutdown target or blocking process");
        }
        return std::nullopt;
    }

    const uint64_t creationTime = FileTimeValue(creation);
    // A process created after the snapshot time is left to the next snapshot.
    if (!IsRunning(api, process.get()) || creationTime > snapshotTime) return std::nullopt;

    TrackedIdentity candidate;
    candidate.processId = entry.processId;
    candidate.parentId = entry.parentId;
    candidate.handle = std::move(process);
    candidate.creationTime = creationTime;
    candidate.path = CanonicalPath(std::wstring(imageBuffer.data(), std::min<DWORD>(imageLength, kImagePathUnits)));
    return candidate;
}

bool IsRunningMember(const ProcessGroup& group, uint32_t processId) {
    for (const TrackedIdentity& member : group.trackedIdentities) {
        if (member.processId == processId && IsRunning(group.api, member.handle.get())) return true;
    }
    return false;
}

// Whole trees are admitted: a child listed before its parent becomes
// admissible in the pass after the parent's.
void Admit(ProcessGroup& group, std::vector<TrackedIdentity>& candidates) {
    std::vector<bool> admitted(candidates.size(), false);
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (admitted[i]) continue;
            TrackedIdentity& candidate = candidates[i];
            const bool inside = IsInsideRoot(candidate.path, group.root);
            if (!inside && !IsVerifiedDescendant(group, candidate)) continue;
            group.Log(L"Tracking " + DescribeIdentity(candidate) +
                      (inside ? L" reason=inside-install-directory" : L" reason=verified-descendant"));
            group.trackedIdentities.push_back(std::move(candidate));
            admitted[i] = true;
            progress = true;
        }
    }
}

std::wstring NameOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int32_t CollectMembers(ProcessGroup& group) {
    int32_t running = 0;
    for (TrackedIdentity& member : group.trackedIdentities) {
        // A wait that fails for another reason than a time-out counts as exited.
        if (IsRunning(group.api, member.handle.get())) {
            ++running;
            ProcessRecord record;
            record.processId = member.processId;
            record.name = NameOf(member.path);
            record.path = member.path;
            record.state = member.closeError != 0 ? ProcessState::CloseFailed : ProcessState::Running;
            record.error = member.closeError;
            group.records.push_back(std::move(record));
        } else if (!member.exitLogged) {
            member.exitLogged = true;
            DWORD exitCode = 0;
            if (!group.api.getExitCodeProcess(member.handle.get(), &exitCode)) exitCode = 0;
            group.Log(L"Confirmed exited " + DescribeIdentity(member) + L" exitCode=" + std::to_wstring(exitCode) +
                      L" gracefulRequested=" + (member.gracefulRequested ? L"1" : L"0") +
                      L" forceAttempted=" + (member.forceAttempted ? L"1" : L"0"));
        }
    }
    std::sort(group.records.begin(), group.records.end(),
              [](const ProcessRecord& a, const ProcessRecord& b) { return a.processId < b.processId; });
    return running;
}

std::wstring BuildSummary(const ProcessGroup& group, int32_t running) {
    std::wstring summary = L"Snapshot result: running=" + std::to_wstring(running) +
                           L" trackedIdentities=" + std::to_wstring(group.trackedIdentities.size());
    for (const ProcessRecord& record : group.records) {
        summary += L"\n  PID=" + std::to_wstring(record.processId) + L" name=" + record.name + L" path=\"" +
                   record.path + L"\" state=" +
                   (record.state == ProcessState::CloseFailed ? L"close-failed" : L"running") +
                   L" error=" + FormatErrorText(record.error);
    }
    return summary;
}

}  // namespace

int32_t Snapshot(ProcessGroup& group) {
    const ProcessApi& api = group.api;
    group.records.clear();
    group.scanError = 0;
    if (group.root.empty()) {
        group.scanError = ERROR_INVALID_PARAMETER;
        group.Log(L"Invalid process target root");
        return -1;
    }

    FILETIME now{};
    api.getSystemTimeAsFileTime(&now);
    const uint64_t snapshotTime = FileTimeValue(now);

    const ProcessList list = ReadProcessList(api);
    if (list.failure) {
        group.scanError = list.error;
        group.Log(list.failure + FormatErrorText(list.error));
        return -1;
    }

    const std::unordered_set<uint32_t> excluded = ExcludeSetupChain(group, list.entries);

    std::vector<TrackedIdentity> candidates;
    std::wstring imageBuffer(kImagePathUnits, L'\0');
    for (const ProcessEntry& entry : list.entries) {
        if (entry.processId == 0 || excluded.count(entry.processId)) continue;
        // A running member is recognised by its handle and never reopened; a
        // process that merely has an exited member's id is examined afresh.
        if (IsRunningMember(group, entry.processId)) continue;
        if (auto candidate = Inspect(group, entry, snapshotTime, imageBuffer)) {
            candidates.push_back(std::move(*candidate));
        }
    }
    Admit(group, candidates);
    candidates.clear();  // closes the handles of everything not admitted

    const int32_t running = CollectMembers(group);
    std::wstring summary = BuildSummary(group, running);
    if (summary != group.lastSummary || group.firstSnapshot) {
        group.Log(summary + L"; snapshotEntries=" + std::to_wstring(list.entries.size()));
        group.lastSummary = std::move(summary);
    }
    group.firstSnapshot = false;
    return running;
}

}  // namespace lum
