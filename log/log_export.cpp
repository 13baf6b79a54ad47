#include "log/log_export.h"

#include <commdlg.h>

#include <vector>

#include "base/error_text.h"
#include "base/failure_log.h"
#include "base/scoped_win.h"
#include "log/native_log.h"

namespace lum {
namespace {

constexpr DWORD kPathUnits = 32768;
// The save dialog reads the trailing reserved fields only when told the full size.
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAMEW) == 88, "full OPENFILENAMEW on x86");

// The full form of a path, or the error of GetFullPathNameW.
uint32_t FullPath(const std::wstring& path, std::wstring& full) {
    std::vector<wchar_t> buffer(kPathUnits, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), kPathUnits, buffer.data(), nullptr);
    if (length == 0 || length >= kPathUnits) {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : static_cast<uint32_t>(ERROR_FILENAME_EXCED_RANGE);
    }
    full.assign(buffer.data(), length);
    return 0;
}

void Log(const std::wstring& line) {
    WriteLogLine(line);
    NotifyHost();
}

// The common dialogs are loaded only for the save dialog: as an import they
// would come (with the print spooler's library behind them) with every load of
// this DLL, also in setups that never show a window.
BOOL ShowSaveDialog(OPENFILENAMEW& dialog, DWORD& error) {
    error = 0;
    const UniqueModule module(::LoadLibraryExW(L"comdlg32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module) {
        error = ::GetLastError();
        ReportFailedCall("LoadLibraryExW", error);
        return FALSE;
    }
    using SaveFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
    using ErrorFn = DWORD(WINAPI*)();
    const auto save =
        reinterpret_cast<SaveFn>(reinterpret_cast<void*>(::GetProcAddress(module.get(), "GetSaveFileNameW")));
    const auto lastError =
        reinterpret_cast<ErrorFn>(reinterpret_cast<void*>(::GetProcAddress(module.get(), "CommDlgExtendedError")));
    if (!save || !lastError) {
        error = ::GetLastError();
        ReportFailedCall("GetProcAddress", error);
        return FALSE;
    }
    if (save(&dialog)) return TRUE;
    error = lastError();
    return FALSE;
}

}  // namespace

uint32_t CopyLogFile(const std::wstring& destination) {
    const std::wstring source = LogPath();
    std::wstring fullSource;
    std::wstring fullDestination;
    if (const uint32_t error = FullPath(source, fullSource)) return error;
    if (const uint32_t error = FullPath(destination, fullDestination)) return error;
    if (::CompareStringOrdinal(fullSource.c_str(), -1, fullDestination.c_str(), -1, TRUE) == CSTR_EQUAL) {
        return ERROR_SHARING_VIOLATION;  // copying the file onto itself would destroy it
    }
    if (!::CopyFileW(source.c_str(), destination.c_str(), FALSE)) return ::GetLastError();
    return 0;
}

void RunLogExport(HWND owner, bool ownWindow, const LogExportTexts& texts) {
    Log(L"Log export requested");
    std::vector<wchar_t> file(kPathUnits, L'\0');
    const std::wstring defaultName = ownWindow ? L"Lumora-uninstall.log" : L"Lumora-install.log";
    defaultName.copy(file.data(), defaultName.size());
    std::wstring filter = texts.logFiles + L" (*.log)";
    filter.push_back(L'\0');
    filter += L"*.log";
    filter.push_back(L'\0');
    filter.push_back(L'\0');

    // The structure's full size on each architecture, with the reserved fields.
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(OPENFILENAMEW);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kPathUnits;
    dialog.lpstrTitle = texts.title.c_str();
    dialog.lpstrDefExt = L"log";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;
    DWORD error = 0;
    if (!ShowSaveDialog(dialog, error)) {
        Log(error != 0 ? L"Save dialog error=" + FormatErrorText(error) : std::wstring(L"Log export cancelled"));
        return;
    }
    const std::wstring destination = file.data();
    // The host collects the lines queued so far when notified, so the copy
    // below contains everything up to this line.
    Log(L"Exporting log snapshot to: " + destination);
    const uint32_t result = CopyLogFile(destination);
    Log(L"Log export result=" + FormatErrorText(result));
    if (result != 0) {
        const std::wstring message = texts.saveFailed + L"\n" + FormatErrorText(result);
        ::MessageBoxW(owner, message.c_str(), texts.title.c_str(), MB_OK | MB_ICONERROR);
    }
}

}  // namespace lum
