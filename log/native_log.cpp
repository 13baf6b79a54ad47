#include "log/native_log.h"

#include <cwchar>
#include <deque>
#include <mutex>

#include "base/slim_lock.h"

namespace lum {
namespace {

// Path and callback are written only by LumUI_ConfigureLog on the host's
// thread and read without the lock; the queue has its own lock.
struct LogState {
    std::wstring path;
    HostCallback callback = nullptr;
    SlimLock queueLock;
    std::deque<std::wstring> lines;
};

LogState& Log() {
    static LogState state;
    return state;
}

}  // namespace

std::wstring LogPrefix(const SYSTEMTIME& time) {
    wchar_t prefix[40] = {};
    std::swprintf(prefix, 40, L"[native %02u:%02u:%02u.%03u] ", static_cast<unsigned>(time.wHour),
                  static_cast<unsigned>(time.wMinute), static_cast<unsigned>(time.wSecond),
                  static_cast<unsigned>(time.wMilliseconds));
    return prefix;
}

void WriteLogLine(const std::wstring& message) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    std::wstring line = LogPrefix(now);  // made before the lock is taken
    line += message;
    LogState& log = Log();
    std::lock_guard<SlimLock> lock(log.queueLock);
    log.lines.push_back(std::move(line));
}

void NotifyHost() {
    if (HostCallback callback = Log().callback) callback();
}

std::wstring LogPath() { return Log().path; }

int32_t ConfigureLog(const wchar_t* logPath, HostCallback callback) {
    LogState& log = Log();
    log.path = logPath ? logPath : L"";
    log.callback = callback;
    const DWORD pid = ::GetCurrentProcessId();
    DWORD session = 0;
    if (!::ProcessIdToSessionId(pid, &session)) session = 0;
    WriteLogLine(L"Native UI initialized; PID=" + std::to_wstring(pid) + L" session=" + std::to_wstring(session) +
                 L" log=" + log.path);
    return callback ? callback() : 0;
}

int32_t TakeLogLine(wchar_t* buffer, int32_t size) {
    LogState& log = Log();
    std::lock_guard<SlimLock> lock(log.queueLock);
    if (log.lines.empty()) return 0;
    const std::wstring& oldest = log.lines.front();
    const auto length = static_cast<int32_t>(oldest.size());
    if (!buffer || size <= 0) return length;
    if (size <= length) return -1;
    std::wmemcpy(buffer, oldest.c_str(), oldest.size() + 1);
    log.lines.pop_front();
    return length;
}

}  // namespace lum
