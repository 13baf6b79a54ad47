// window_gallery: the real window, for tools/gallery.sh. Loads LumoraUI.dll the
// way a setup program does, shows each page and each dialog in a window of its
// own through the exports (LumUI_Create, LumUI_Show, LumUI_Confirm) and takes a
// screenshot of it from the X server with ImageMagick's import, so that the
// gallery can show what a user sees beside what LumUI_Render draws.
//
//   window_gallery.exe <output folder>
//
// Writes live-s<NN>.png for every scenario that the exports can bring on
// screen without a running application (all but the menus and the closing
// dialog), in English at 96 DPI. Needs an X display (Wine's X11 driver) with
// import on the path; prints one line per shot and exits with 0 only when
// every shot was taken.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "exports/LumoraUI.h"

namespace {

struct Shot {
    int32_t scenario;
    int32_t page;
    uint32_t flags;  // added to the default flags
    int32_t dialog;  // 0: the page alone
};

// What the offline scenarios show, brought about through the exports.
constexpr Shot kShots[] = {
    {0, 0, 0, 0},  {1, 1, 0, 0},    {2, 2, 0, 0},    {3, 3, 0, 0},    {4, 4, 0, 0},   {5, 5, 0, 0},
    {6, 6, 0, 0},  {7, 7, 0, 0},    {8, 8, 0, 0},    {9, 9, 0, 0},    {10, 10, 0, 0}, {11, 2, 0, 1},
    {12, 4, 0, 2}, {13, 5, 0x2, 3}, {15, 5, 0x2, 0}, {16, 6, 0xA, 0}, {18, 4, 0, 5},
};

struct Api {
    decltype(&LumUI_Create) Create = nullptr;
    decltype(&LumUI_Show) Show = nullptr;
    decltype(&LumUI_Destroy) Destroy = nullptr;
    decltype(&LumUI_Confirm) Confirm = nullptr;
    decltype(&LumUI_SetFlags) SetFlags = nullptr;
    decltype(&LumUI_GetFlags) GetFlags = nullptr;
    decltype(&LumUI_LoadLanguage) LoadLanguage = nullptr;
};

template <typename F>
bool Resolve(HMODULE module, const char* name, F& slot) {
    slot = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return slot != nullptr;
}

std::wstring ExeFolder() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

// Dispatches this thread's messages for the given time.
void Pump(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (::GetTickCount64() < end) {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The visible top-level window of this thread: the one the library made.
HWND ShownWindow() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND window, LPARAM out) -> BOOL {
            if (!::IsWindowVisible(window)) return TRUE;
            *reinterpret_cast<HWND*>(out) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Takes the window's rectangle of the X screen into `unixPath` with import,
// pumping messages meanwhile (the window keeps painting). Wine does not
// signal the end of a Unix process, so the shell leaves a mark file.
bool Screenshot(const std::string& unixPath) {
    RECT r{};
    const HWND window = ShownWindow();
    if (!window || !::GetWindowRect(window, &r)) return false;
    static int count = 0;
    const std::string mark =
        "/tmp/lumora-window-gallery-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++count);
    const std::string command = "Z:\\bin\\sh -c \"import -window root -crop " + std::to_string(r.right - r.left) + "x" +
                                std::to_string(r.bottom - r.top) + "+" + std::to_string(r.left) + "+" +
                                std::to_string(r.top) + " '" + unixPath + "'; : > " + mark + "\"";
    std::wstring line(command.begin(), command.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        return false;
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    const std::wstring dosMark = L"Z:" + std::wstring(mark.begin(), mark.end());
    for (int waited = 0; waited < 300; ++waited) {
        if (::GetFileAttributesW(dosMark.c_str()) != INVALID_FILE_ATTRIBUTES) {
            ::DeleteFileW(dosMark.c_str());
            return true;
        }
        Pump(100);
    }
    return false;
}

// Set by the timer that takes a dialog's picture while LumUI_Confirm waits.
std::string g_dialogShot;
bool g_dialogTaken = false;

void CALLBACK TakeDialogShot(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    g_dialogTaken = Screenshot(g_dialogShot);
    // Escape answers the dialog and ends the wait.
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: window_gallery.exe <output folder, as a Unix path>\n");
        return 2;
    }
    const std::wstring wideFolder = argv[1];
    const std::string folder(wideFolder.begin(), wideFolder.end());
    const HMODULE dll = ::LoadLibraryW((ExeFolder() + L"LumoraUI.dll").c_str());
    Api api;
    if (!dll || !Resolve(dll, "LumUI_Create", api.Create) || !Resolve(dll, "LumUI_Show", api.Show) ||
        !Resolve(dll, "LumUI_Destroy", api.Destroy) || !Resolve(dll, "LumUI_Confirm", api.Confirm) ||
        !Resolve(dll, "LumUI_SetFlags", api.SetFlags) || !Resolve(dll, "LumUI_GetFlags", api.GetFlags) ||
        !Resolve(dll, "LumUI_LoadLanguage", api.LoadLanguage)) {
        std::fwprintf(stderr, L"cannot load LumoraUI.dll beside this program or resolve its exports\n");
        return 1;
    }
    api.LoadLanguage(nullptr, L"english");
    ::SetCursorPos(0, 0);  // no hover anywhere
    const uint32_t defaults = api.GetFlags();
    int failures = 0;
    for (const Shot& shot : kShots) {
        char name[32];
        std::snprintf(name, sizeof name, "live-s%02d.png", static_cast<int>(shot.scenario));
        const std::string path = folder + "/" + name;
        api.SetFlags(defaults | shot.flags);
        bool taken = false;
        if (api.Create(shot.page, 96) == 1) {
            api.Show();
            Pump(600);  // the fade-in runs out
            if (shot.dialog == 0) {
                taken = Screenshot(path);
            } else {
                g_dialogShot = path;
                g_dialogTaken = false;
                ::SetTimer(nullptr, 0, 600, &TakeDialogShot);
                api.Confirm(shot.dialog);
                taken = g_dialogTaken;
            }
            api.Destroy();
        }
        if (!taken) ++failures;
        std::printf("%s %s\n", taken ? "ok" : "FAILED", name);
        std::fflush(stdout);
    }
    ::FreeLibrary(dll);
    return failures == 0 ? 0 : 1;
}
