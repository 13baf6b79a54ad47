// lumora_setup: the reference setup host. A small setup program that installs
// and uninstalls a simulated Lumora through the exports of LumoraUI.dll alone,
// loaded from beside it with LoadLibrary, the way a setup script drives it.
//
//   lumora_setup.exe [/UNINSTALL] [/DIR=folder] [/LANG=id] [/OVERRIDE=file]
//                    [/LOG=file] [/TRANSCRIPT=file] [/APP=exe] [/DATA=folder]
//                    [/APPARGS=text] [/FILES=n] [/PACE=ms] [/DPI=n] [/LUMLOGFILE=file]
//
// Every export call is printed as one line "LumUI_Name(arguments) = result" to
// stdout and appended to the transcript file; LumUI_Poll calls that find nothing and
// the LumUI_ReadLog calls of the log callback are left out. The log callback
// writes every native log line into the log file (default
// %TEMP%\Lumora-setup.log). /LUMLOGFILE= starts this program again through
// LumUI_RunLogged, which hands it /LOG= and waits for it.
//
// Install: welcome (or the existing-installation page when the folder holds
// Lumora.exe), options with the folder check, closing a running Lumora.exe,
// copying /FILES= files (default 300) with progress, installed. Uninstall
// (/UNINSTALL or the uninstall link): the start page, closing Lumora.exe,
// removing the files, then the data folder when the user asked for it.
// /APP= is the file installed as Lumora.exe (a stub without it); "Launch"
// starts it with /APPARGS=.
#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "exports/LumoraUI.h"

namespace {

constexpr int32_t kRequiredMiB = 64;
const wchar_t* const kLanguages[] = {L"chinesesimplified", L"chinesetraditional", L"english", L"japanese",
                                     L"korean", L"french", L"german", L"spanish", L"portuguese"};

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h && h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;
struct LibraryFreer {
    void operator()(HMODULE m) const { ::FreeLibrary(m); }
};
using UniqueLibrary = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryFreer>;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }
std::wstring Num(long long v) { return std::to_wstring(v); }

std::wstring ExpandEnv(const wchar_t* text) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD n = ::ExpandEnvironmentStringsW(text, buffer, MAX_PATH * 2);
    return n > 0 && n <= MAX_PATH * 2 ? buffer : L"";
}

struct Options {
    bool uninstall = false;
    std::wstring dir, language = L"english", overrideFile, log, transcript, app, appArgs, data, lumLogFile;
    int32_t dpi = 0;
    int files = 300;
    DWORD paceMs = 4;
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&](const wchar_t* name, std::wstring& out) {
            const size_t n = std::wcslen(name);
            if (::_wcsnicmp(arg.c_str(), name, n) != 0) return false;
            out = arg.substr(n);
            return true;
        };
        std::wstring number;
        if (::_wcsicmp(arg.c_str(), L"/UNINSTALL") == 0) o.uninstall = true;
        else if (value(L"/DIR=", o.dir) || value(L"/LANG=", o.language) || value(L"/OVERRIDE=", o.overrideFile) ||
                 value(L"/LOG=", o.log) || value(L"/TRANSCRIPT=", o.transcript) || value(L"/APP=", o.app) || value(L"/APPARGS=", o.appArgs) ||
                 value(L"/DATA=", o.data) || value(L"/LUMLOGFILE=", o.lumLogFile)) {
        } else if (value(L"/FILES=", number)) o.files = std::clamp(_wtoi(number.c_str()), 1, 100000);
        else if (value(L"/PACE=", number)) o.paceMs = static_cast<DWORD>(std::clamp(_wtoi(number.c_str()), 0, 1000));
        else if (value(L"/DPI=", number)) o.dpi = _wtoi(number.c_str());
    }
    if (o.log.empty()) o.log = ExpandEnv(L"%TEMP%\\Lumora-setup.log");
    if (o.data.empty()) o.data = ExpandEnv(L"%LOCALAPPDATA%\\Lumora");
    return o;
}

// The command line of this process without the program name.
std::wstring ArgumentText() {
    const wchar_t* p = ::GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

std::wstring ModuleDir() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// One line per export call, to stdout and to the transcript file.
class Transcript {
public:
    explicit Transcript(const std::wstring& path) {
        if (!path.empty()) file_.reset(::_wfopen(path.c_str(), L"ab"));
    }
    void Line(const std::wstring& text) {
        const std::string line = Utf8(text) + "\n";
        std::fputs(line.c_str(), stdout);
        std::fflush(stdout);
        if (file_) {
            std::fputs(line.c_str(), file_.get());
            std::fflush(file_.get());
        }
    }

private:
    UniqueFile file_;
};

// The exports, resolved by name, each call written to the transcript.
class Lumora {
public:
    Lumora(HMODULE dll, Transcript& transcript) : dll_(dll), t_(transcript) {}
    template <typename F> bool Resolve(F& f, const char* name) {
        f = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(dll_, name)));
        return f != nullptr;
    }
    bool Load() {
        return Resolve(create_, "LumUI_Create") && Resolve(destroy_, "LumUI_Destroy") && Resolve(show_, "LumUI_Show") &&
               Resolve(setPage_, "LumUI_SetPage") && Resolve(runModal_, "LumUI_RunModal") && Resolve(poll_, "LumUI_Poll") &&
               Resolve(getFlags_, "LumUI_GetFlags") && Resolve(setFlags_, "LumUI_SetFlags") &&
               Resolve(setText_, "LumUI_SetText") && Resolve(setPath_, "LumUI_SetPath") && Resolve(getPath_, "LumUI_GetPath") &&
               Resolve(setProgress_, "LumUI_SetProgress") && Resolve(confirm_, "LumUI_Confirm") &&
               Resolve(loadLanguage_, "LumUI_LoadLanguage") && Resolve(getLink_, "LumUI_GetLink") &&
               Resolve(processRunning_, "LumUI_ProcessRunning") && Resolve(closeApplication_, "LumUI_CloseApplication") &&
               Resolve(getProcessReport_, "LumUI_GetProcessReport") && Resolve(configureLog_, "LumUI_ConfigureLog") &&
               Resolve(readLog_, "LumUI_ReadLog") && Resolve(runLogged_, "LumUI_RunLogged") &&
               Resolve(validatePath_, "LumUI_ValidatePath");
    }

    int32_t Create(int32_t page, int32_t dpi) { return Log(L"LumUI_Create(" + Num(page) + L", " + Num(dpi) + L")", create_(page, dpi)); }
    void Destroy() { destroy_(); Log(L"LumUI_Destroy()"); }
    void Show() { show_(); Log(L"LumUI_Show()"); }
    void SetPage(int32_t page) { setPage_(page); Log(L"LumUI_SetPage(" + Num(page) + L")"); }
    int32_t RunModal() { return Log(L"LumUI_RunModal()", runModal_()); }
    int32_t Poll() {
        const int32_t code = poll_();
        if (code != 0) Log(L"LumUI_Poll()", code);
        return code;
    }
    uint32_t GetFlags() { return Log(L"LumUI_GetFlags()", getFlags_()); }
    void SetFlags(uint32_t flags) { setFlags_(flags); Log(L"LumUI_SetFlags(" + Num(flags) + L")"); }
    void SetText(const std::wstring& key, const std::wstring& value) {
        setText_(key.c_str(), value.c_str());
        Log(L"LumUI_SetText(" + Quoted(key) + L", " + Quoted(value) + L")");
    }
    void SetPath(const std::wstring& path) { setPath_(path.c_str()); Log(L"LumUI_SetPath(" + Quoted(path) + L")"); }
    std::wstring GetPath() {
        std::wstring path(32768, L'\0');
        path.resize(static_cast<size_t>(std::max(0, getPath_(path.data(), static_cast<int32_t>(path.size())))));
        Log(L"LumUI_GetPath() = " + Quoted(path));
        return path;
    }
    void SetProgress(int32_t position, int32_t maximum, const std::wstring& text) {
        setProgress_(position, maximum, text.c_str());
        Log(L"LumUI_SetProgress(" + Num(position) + L", " + Num(maximum) + L", " + Quoted(text) + L")");
    }
    int32_t Confirm(int32_t dialog) { return Log(L"LumUI_Confirm(" + Num(dialog) + L")", confirm_(dialog)); }
    void LoadLanguage(const std::wstring& overrideFile, const std::wstring& language) {
        loadLanguage_(overrideFile.c_str(), language.c_str());
        Log(L"LumUI_LoadLanguage(" + Quoted(overrideFile) + L", " + Quoted(language) + L")");
    }
    std::wstring GetLink(int32_t kind) {
        wchar_t buffer[2048] = {};
        const int32_t n = getLink_(kind, buffer, 2048);
        Log(L"LumUI_GetLink(" + Num(kind) + L") = " + Quoted(buffer));
        return n > 0 ? buffer : L"";
    }
    int32_t ProcessRunning(const std::wstring& exe) {
        return Log(L"LumUI_ProcessRunning(" + Quoted(exe) + L")", processRunning_(exe.c_str()));
    }
    int32_t CloseApplication(const std::wstring& exe) {
        return Log(L"LumUI_CloseApplication(" + Quoted(exe) + L")", closeApplication_(exe.c_str()));
    }
    std::wstring GetProcessReport() {
        const int32_t length = getProcessReport_(nullptr, 0);
        std::wstring report(static_cast<size_t>(std::max(0, length)) + 1, L'\0');
        report.resize(static_cast<size_t>(std::max(0, getProcessReport_(report.data(), static_cast<int32_t>(report.size())))));
        Log(L"LumUI_GetProcessReport() = " + Num(static_cast<long long>(report.size())));
        return report;
    }
    int32_t ConfigureLog(const std::wstring& path, LumUI_LogCallback callback) {
        return Log(L"LumUI_ConfigureLog(" + Quoted(path) + L", callback)", configureLog_(path.c_str(), callback));
    }
    // Not written to the transcript: called from inside the log callback.
    int32_t ReadLog(wchar_t* buffer, int32_t size) { return readLog_(buffer, size); }
    uint32_t RunLogged(const std::wstring& program, const std::wstring& arguments, const std::wstring& logFile) {
        const uint32_t code = runLogged_(program.c_str(), arguments.c_str(), logFile.c_str(), 0);
        return Log(L"LumUI_RunLogged(" + Quoted(program) + L", " + Quoted(arguments) + L", " + Quoted(logFile) + L", 0)", code);
    }
    uint32_t ValidatePath(const std::wstring& path, int32_t requiredMiB) {
        return Log(L"LumUI_ValidatePath(" + Quoted(path) + L", " + Num(requiredMiB) + L")", validatePath_(path.c_str(), requiredMiB));
    }

private:
    template <typename R> R Log(const std::wstring& call, R result) {
        t_.Line(call + L" = " + Num(static_cast<long long>(result)));
        return result;
    }
    void Log(const std::wstring& call) { t_.Line(call); }

    HMODULE dll_;
    Transcript& t_;
    decltype(&LumUI_Create) create_ = nullptr;
    decltype(&LumUI_Destroy) destroy_ = nullptr;
    decltype(&LumUI_Show) show_ = nullptr;
    decltype(&LumUI_SetPage) setPage_ = nullptr;
    decltype(&LumUI_RunModal) runModal_ = nullptr;
    decltype(&LumUI_Poll) poll_ = nullptr;
    decltype(&LumUI_GetFlags) getFlags_ = nullptr;
    decltype(&LumUI_SetFlags) setFlags_ = nullptr;
    decltype(&LumUI_SetText) setText_ = nullptr;
    decltype(&LumUI_SetPath) setPath_ = nullptr;
    decltype(&LumUI_GetPath) getPath_ = nullptr;
    decltype(&LumUI_SetProgress) setProgress_ = nullptr;
    decltype(&LumUI_Confirm) confirm_ = nullptr;
    decltype(&LumUI_LoadLanguage) loadLanguage_ = nullptr;
    decltype(&LumUI_GetLink) getLink_ = nullptr;
    decltype(&LumUI_ProcessRunning) processRunning_ = nullptr;
    decltype(&LumUI_CloseApplication) closeApplication_ = nullptr;
    decltype(&LumUI_GetProcessReport) getProcessReport_ = nullptr;
    decltype(&LumUI_ConfigureLog) configureLog_ = nullptr;
    decltype(&LumUI_ReadLog) readLog_ = nullptr;
    decltype(&LumUI_RunLogged) runLogged_ = nullptr;
    decltype(&LumUI_ValidatePath) validatePath_ = nullptr;
};

// The setup program's own log file, fed by the log callback.
Lumora* g_lumora = nullptr;
FILE* g_logFile = nullptr;

void DrainLog() {
    if (!g_lumora) return;
    for (;;) {
        const int32_t length = g_lumora->ReadLog(nullptr, 0);
        if (length <= 0) return;
        std::wstring line(static_cast<size_t>(length) + 1, L'\0');
        const int32_t n = g_lumora->ReadLog(line.data(), length + 1);
        if (n <= 0) return;
        line.resize(static_cast<size_t>(n));
        if (g_logFile) {
            std::fputs((Utf8(line) + "\r\n").c_str(), g_logFile);
            std::fflush(g_logFile);
        }
    }
}

int32_t LUMUI_API OnLogLines() {
    DrainLog();
    return 0;
}

enum class Outcome { Done, Back, Failed, Cancelled };

class Setup {
public:
    Setup(const Options& options, Lumora& lum) : o_(options), lum_(lum) {}

    int Run() {
        lum_.ConfigureLog(o_.log, &OnLogLines);
        lum_.LoadLanguage(o_.overrideFile, o_.language);
        if (!o_.dir.empty()) lum_.SetPath(o_.dir);
        const int exitCode = o_.uninstall ? Uninstall(true) : Install();
        lum_.Destroy();
        DrainLog();
        return exitCode;
    }

private:
    std::wstring Dir() const { return installDir_.empty() ? o_.dir : installDir_; }
    std::wstring AppExe() const { return Dir() + L"\\Lumora.exe"; }
    std::wstring Manifest() const { return Dir() + L"\\Lumora.files"; }

    // Dispatches this thread's messages; false once the quit message came.
    bool Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return false;
            }
            const HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (root && ::IsDialogMessageW(root, &msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        return true;
    }

    // The next event code of the window; 5 (cancel) when the thread is told to quit.
    int32_t WaitEvent() {
        for (;;) {
            if (!Pump()) return 5;
            if (const int32_t code = lum_.Poll()) return code;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }

    int Install() {
        if (o_.dir.empty()) installDir_ = lum_.GetPath();
        const bool existing = ::GetFileAttributesW(AppExe().c_str()) != INVALID_FILE_ATTRIBUTES;
        const int32_t home = existing ? 4 : 0;
        if (!lum_.Create(home, o_.dpi)) return 2;
        lum_.Show();
        for (;;) {
            const int32_t code = WaitEvent();
            if (code == 5 || code == 7) return code == 5 ? 1 : 0;
            if (code == 2) lum_.SetPage(1);
            if (code == 4) {
                lum_.SetPage(home);
                pathError_ = false;
            }
            if (code == 8) Browse();
            if (code == 11 || code == 12) Open(lum_.GetLink(code - 10), L"");
            if (code == 13) return Uninstall(false);
            if (code >= 400 && code <= 408) lum_.LoadLanguage(o_.overrideFile, kLanguages[code - 400]);
            if (code == 6) {
                Open(AppExe(), o_.appArgs);
                return 0;
            }
            if (code == 1 || code == 3 || code == 9) {
                const Outcome outcome = CopyAll();
                if (outcome == Outcome::Cancelled) return 1;
                if (outcome == Outcome::Done) lum_.SetPage(3);
            }
        }
    }

    // Checks the folder, closes Lumora and copies; the pages follow.
    Outcome CopyAll() {
        installDir_ = lum_.GetPath();
        static const wchar_t* const kErrors[] = {L"", L"Choose a valid absolute installation path.",
                                                 L"This location is not writable. Choose another folder.",
                                                 L"There is not enough disk space at this location."};
        const uint32_t check = lum_.ValidatePath(installDir_, kRequiredMiB);
        if (check != 0) {
            lum_.SetText(L"Error", kErrors[std::min<uint32_t>(check, 3)]);
            lum_.SetPage(10);
            pathError_ = true;
            return Outcome::Back;
        }
        if (pathError_) lum_.SetPage(1);  // the folder is fine now: no red text behind the dialogs
        pathError_ = false;
        if (!CloseLumora()) return Outcome::Back;
        lum_.SetPage(2);
        std::vector<std::wstring> files;
        files.push_back(L"Lumora.exe");
        for (int i = 1; i < o_.files; ++i) {
            static const wchar_t* const kFolders[] = {L"bin", L"resources\\images", L"resources\\locales", L"plugins"};
            wchar_t name[64];
            std::swprintf(name, 64, L"%ls\\part%04d.dat", kFolders[i % 4], i);
            files.push_back(name);
        }
        std::wstring manifest;
        for (size_t i = 0; i < files.size(); ++i) {
            if (!Pump()) return Outcome::Cancelled;
            while (const int32_t code = lum_.Poll()) {
                if (code == 5 && lum_.Confirm(1)) {
                    RemoveInstalled(manifest, false);
                    return Outcome::Cancelled;
                }
            }
            if (!WriteInstalledFile(files[i])) {
                lum_.SetText(L"Error", L"Could not write " + Dir() + L"\\" + files[i] + L" (error " + Num(::GetLastError()) + L").");
                lum_.SetPage(8);
                return Outcome::Failed;
            }
            manifest += files[i] + L"\n";
            lum_.SetProgress(static_cast<int32_t>(i + 1), static_cast<int32_t>(files.size()), files[i]);
            if (o_.paceMs) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, o_.paceMs, QS_ALLINPUT);
        }
        WriteText(Manifest(), manifest);
        ::CreateDirectoryW(o_.data.c_str(), nullptr);
        WriteText(o_.data + L"\\settings.ini", L"[Lumora]\nFirstRun=1\n");
        return Outcome::Done;
    }

    bool WriteInstalledFile(const std::wstring& relative) {
        const std::wstring path = Dir() + L"\\" + relative;
        for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
            ::CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
        if (relative == L"Lumora.exe" && !o_.app.empty()) return ::CopyFileW(o_.app.c_str(), path.c_str(), FALSE) != 0;
        std::wstring body(512 + (relative.size() * 37) % 1500, L'x');
        return WriteText(path, relative + L"\n" + body);
    }

    static bool WriteText(const std::wstring& path, const std::wstring& text) {
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) return false;
        const std::string bytes = Utf8(text);
        DWORD written = 0;
        return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    }

    // Lumora.exe must be gone before files are replaced or removed.
    bool CloseLumora() {
        if (lum_.ProcessRunning(AppExe()) == 0) return true;
        if (!lum_.Confirm(2)) return false;
        while (!lum_.CloseApplication(AppExe())) {
            lum_.GetProcessReport();
            if (!lum_.Confirm(5)) return false;
        }
        return true;
    }

    int Uninstall(bool create) {
        if (create) {
            if (o_.dir.empty()) installDir_ = lum_.GetPath();
            if (!lum_.Create(5, o_.dpi)) return 2;
        } else {
            lum_.SetPage(5);
        }
        int32_t choice = lum_.RunModal();
        for (;;) {
            if (choice == 0) return 1;
            if (!CloseLumora()) {
                choice = lum_.RunModal();
                continue;
            }
            lum_.SetPage(6);
            std::wstring manifest;
            ReadText(Manifest(), manifest);
            bool removed = RemoveInstalled(manifest, true);
            if (removed && choice == 3) {
                lum_.SetFlags(lum_.GetFlags() | 0x8);
                removed = RemoveData();
            }
            if (removed) break;
            lum_.SetText(L"Error", L"Some files of " + Dir() + L" could not be removed.");
            lum_.SetPage(9);
            if (lum_.RunModal() != 9) return 1;
        }
        lum_.SetPage(7);
        lum_.RunModal();
        return 0;
    }

    // Removes the listed files, their folders and the install folder.
    bool RemoveInstalled(const std::wstring& manifest, bool progress) {
        std::vector<std::wstring> files;
        for (size_t start = 0, end; (end = manifest.find(L'\n', start)) != std::wstring::npos; start = end + 1)
            if (end > start) files.push_back(manifest.substr(start, end - start));
        bool ok = true;
        std::vector<std::wstring> folders;
        for (size_t i = 0; i < files.size(); ++i) {
            Pump();
            const std::wstring path = Dir() + L"\\" + files[i];
            if (!::DeleteFileW(path.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) ok = false;
            for (size_t slash = files[i].find(L'\\'); slash != std::wstring::npos; slash = files[i].find(L'\\', slash + 1))
                folders.push_back(files[i].substr(0, slash));
            if (progress) lum_.SetProgress(static_cast<int32_t>(i + 1), static_cast<int32_t>(files.size()), files[i]);
            if (progress && o_.paceMs) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, o_.paceMs, QS_ALLINPUT);
        }
        std::sort(folders.begin(), folders.end(), [](const auto& a, const auto& b) { return a.size() > b.size(); });
        for (const auto& folder : folders) ::RemoveDirectoryW((Dir() + L"\\" + folder).c_str());
        if (!ok) return false;  // the list stays for a retry
        ::DeleteFileW(Manifest().c_str());
        ::RemoveDirectoryW(Dir().c_str());
        return true;
    }

    bool RemoveData() {
        const std::wstring settings = o_.data + L"\\settings.ini";
        lum_.SetProgress(0, 1, settings);
        const bool ok = (::DeleteFileW(settings.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND) &&
                        (::RemoveDirectoryW(o_.data.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND);
        lum_.SetProgress(1, 1, settings);
        return ok;
    }

    static void ReadText(const std::wstring& path, std::wstring& text) {
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file.get() == INVALID_HANDLE_VALUE) return;
        std::string bytes(static_cast<size_t>(std::min<DWORD>(::GetFileSize(file.get(), nullptr), 64u << 20)), '\0');
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return;
        text.resize(static_cast<size_t>(::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), nullptr, 0)));
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), text.data(), static_cast<int>(text.size()));
    }

    void Browse() {
        IFileOpenDialog* dialog = nullptr;
        if (SUCCEEDED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog)))) {
            std::unique_ptr<IFileOpenDialog, void (*)(IFileOpenDialog*)> owner(dialog, [](IFileOpenDialog* d) { d->Release(); });
            DWORD options = 0;
            dialog->GetOptions(&options);
            dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
            IShellItem* item = nullptr;
            if (SUCCEEDED(dialog->Show(nullptr)) && SUCCEEDED(dialog->GetResult(&item))) {
                wchar_t* path = nullptr;
                if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
                    lum_.SetPath(path);
                    ::CoTaskMemFree(path);
                }
                item->Release();
            }
        }
        lum_.SetPage(1);
    }

    static void Open(const std::wstring& target, const std::wstring& parameters) {
        if (!target.empty()) ::ShellExecuteW(nullptr, L"open", target.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
    }

    const Options& o_;
    Lumora& lum_;
    std::wstring installDir_;
    bool pathError_ = false;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = ParseOptions(argc, argv);
    Transcript transcript(options.transcript);
    UniqueLibrary dll(::LoadLibraryW((ModuleDir() + L"LumoraUI.dll").c_str()));
    if (!dll) {
        transcript.Line(L"LoadLibrary(LumoraUI.dll) failed: " + Num(::GetLastError()));
        return 3;
    }
    Lumora lum(dll.get(), transcript);
    if (!lum.Load()) {
        transcript.Line(L"LumoraUI.dll lacks an export");
        return 3;
    }
    if (!options.lumLogFile.empty()) {
        std::wstring self(32768, L'\0');
        self.resize(::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
        return static_cast<int>(lum.RunLogged(self, ArgumentText(), options.lumLogFile));
    }
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    UniqueFile log(::_wfopen(options.log.c_str(), L"wb"));
    g_logFile = log.get();
    g_lumora = &lum;
    Setup setup(options, lum);
    const int code = setup.Run();
    g_lumora = nullptr;
    g_logFile = nullptr;
    if (SUCCEEDED(com)) ::CoUninitialize();
    return code;
}
