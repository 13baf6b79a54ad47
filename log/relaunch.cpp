// The logged relaunch: starts the setup program again with its "/LOG=" switch,
// after an optional wait for another process (typically the first setup
// instance) to end, and returns the relaunched setup's exit code.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/scoped_win.h"
#include "log/command_line.h"
#include "log/relaunch.h"

namespace lum {
namespace {

constexpr DWORD kPredecessorWaitMs = 30000;
// GetTempPathW gets room for the longest path Windows can express.
constexpr DWORD kTempPathCapacity = 32768;
// The longest command line CreateProcessW takes, its terminator included.
constexpr size_t kCommandLineCapacity = 32767;
constexpr wchar_t kDefaultLogFileName[] = L"Lumora-install.log";
// "setup" stands in for the program name, so that CommandLineToArgvW splits
// even the first real argument by the argument rules.
constexpr wchar_t kSplitPrefix[] = L"setup ";

// GetLastError after a failed call; a failure that left no error code must
// still not come back as 0, which the caller would read as a clean exit.
DWORD LastErrorOr(DWORD fallback) {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

// ERROR_SUCCESS once the process has ended or no longer exists.
DWORD WaitForPredecessor(DWORD processId) {
    if (processId == 0) return ERROR_SUCCESS;
    // SYNCHRONIZE alone: it is all a wait needs, and it is granted where
    // broader rights on another user's or a higher-integrity process are not.
    UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) {
        const DWORD error = LastErrorOr(ERROR_GEN_FAILURE);
        // No such process: it has already gone.
        return error == ERROR_INVALID_PARAMETER ? ERROR_SUCCESS : error;
    }
    return ::WaitForSingleObject(process.get(), kPredecessorWaitMs) == WAIT_OBJECT_0 ? ERROR_SUCCESS : ERROR_TIMEOUT;
}

}  // namespace

uint32_t RunLogged(const wchar_t* program, const wchar_t* arguments, const wchar_t* logFile, uint32_t waitProcessId) {
    // Nothing could be started without a program, so there is no point in
    // waiting for the predecessor first.
    if (program == nullptr || *program == L'\0') return ERROR_INVALID_PARAMETER;

    if (const DWORD error = WaitForPredecessor(waitProcessId); error != ERROR_SUCCESS) return error;

    // Read even when a log file is given: a setup whose temporary folder is
    // unusable would fail later anyway, and this keeps the result the same
    // whichever way the script calls us.
    std::wstring tempFolder(kTempPathCapacity, L'\0');
    const DWORD tempLength = ::GetTempPathW(kTempPathCapacity, tempFolder.data());
    if (tempLength == 0 || tempLength >= kTempPathCapacity) return ERROR_BAD_PATHNAME;
    tempFolder.resize(tempLength);

    // GetTempPathW's folder already ends in a backslash.
    const std::wstring logPath =
        (logFile != nullptr && *logFile != L'\0') ? std::wstring(logFile) : tempFolder + kDefaultLogFileName;

    std::wstring splitInput = kSplitPrefix;
    if (arguments != nullptr) splitInput += arguments;
    int tokenCount = 0;
    wchar_t** tokens = ::CommandLineToArgvW(splitInput.c_str(), &tokenCount);
    if (tokens == nullptr) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    std::wstring commandLine;
    {
        const UniqueLocalMem tokenMemory(reinterpret_cast<HLOCAL>(tokens));
        std::vector<std::wstring_view> setupArguments;
        for (int i = 1; i < tokenCount; ++i) setupArguments.emplace_back(tokens[i]);
        commandLine = BuildRelaunchCommandLine(program, setupArguments, logPath);
    }

    // Windows refuses command lines longer than this with
    // ERROR_FILENAME_EXCED_RANGE; Wine starts them anyway. Refuse them
    // everywhere, so that the result does not depend on where we run.
    if (commandLine.size() >= kCommandLineCapacity) return ERROR_FILENAME_EXCED_RANGE;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    // CreateProcessW may write into the command line, so it gets our own
    // buffer; std::wstring keeps it terminated.
    if (!::CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started)) {
        return LastErrorOr(ERROR_GEN_FAILURE);
    }
    const UniqueHandle process(started.hProcess);
    UniqueHandle(started.hThread).reset();

    DWORD exitCode = ERROR_GEN_FAILURE;
    if (::WaitForSingleObject(process.get(), INFINITE) == WAIT_OBJECT_0) {
        if (!::GetExitCodeProcess(process.get(), &exitCode)) exitCode = ERROR_GEN_FAILURE;
    }
    return exitCode;
}

}  // namespace lum
