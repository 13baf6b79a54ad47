// UiState: the one process-wide state of the UI, and the ids, flags and
// event queue that the setup script sees through the exports.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "host/value_animation.h"
#include "pages/control_record.h"

namespace lum {

enum PageId : int32_t {
    PageWelcome = 0,
    PageOptions = 1,
    PageInstalling = 2,
    PageInstalled = 3,
    PageExisting = 4,
    PageUninstallConfirm = 5,
    PageUninstalling = 6,
    PageUninstalled = 7,
    PageInstallFailed = 8,
    PageUninstallFailed = 9,
    PageOptionsPathError = 10,
};
constexpr int32_t kLastPage = PageOptionsPathError;

enum DialogId : int32_t {
    DialogNone = 0,
    DialogCancelInstall = 1,
    DialogAppRunning = 2,
    DialogClearData = 3,
    DialogClosing = 4,
    DialogCloseFailed = 5,
};

enum ActionId : int32_t {
    ActionInstall = 1,
    ActionCustomize = 2,
    ActionStart = 3,
    ActionBack = 4,
    ActionCancel = 5,
    ActionLaunch = 6,
    ActionFinish = 7,
    ActionBrowse = 8,
    ActionRetry = 9,
    ActionErrorDetails = 10,
    ActionTerms = 11,
    ActionPrivacy = 12,
    ActionUninstallInstead = 13,
    ActionLanguageMenu = 14,
    ActionWebsite = 15,
    ActionSaveLog = 16,
    ActionToggleDesktop = 100,
    ActionToggleRemoveData = 101,
    ActionDialogNo = 201,
    ActionDialogYes = 202,
    ActionProcessPrev = 203,
    ActionProcessNext = 204,
    ActionMinimize = 301,
    ActionClose = 302,
    ActionLanguageFirst = 400,
};

// SessionFlags bits. Unknown bits are stored and returned unchanged.
enum : uint32_t {
    FlagDesktopShortcut = 0x1,
    FlagRemoveData = 0x2,
    FlagNoDesktopOption = 0x4,
    FlagDataCleanupStage = 0x8,
};

// First-in first-out queue of action codes, drained by LumUI_Poll.
class EventQueue {
public:
    void Push(int32_t code) { codes_.push_back(code); }
    // The oldest code, removed; 0 when the queue is empty.
    int32_t Pop() noexcept {
        if (codes_.empty()) return 0;
        const int32_t code = codes_.front();
        codes_.pop_front();
        return code;
    }
    void Clear() noexcept { codes_.clear(); }
    size_t Size() const noexcept { return codes_.size(); }

private:
    std::deque<int32_t> codes_;
};

// Key -> text of the current language, overrides included; ordered by code units.
using TextMap = std::map<std::wstring, std::wstring>;

// Where the legal line of the welcome page sits (computed with the controls).
struct LegalLineLayout {
    float fontSize = 12.0f;
    float x0 = 0.0f;
    float widths[4] = {0, 0, 0, 0};  // LegalIntro, Terms, And, Privacy
};

struct UiState {
    HINSTANCE module = nullptr;
    HWND host = nullptr;
    bool ownsHost = false;
    bool hostWasLayered = false;
    WNDPROC savedHostProc = nullptr;
    HWND view = nullptr;
    HWND folderEdit = nullptr;
    HFONT editFont = nullptr;
    HWND transition = nullptr;
    ValueAnimation windowOpacity;
    bool fadeInPending = true;
    bool fadeInRequested = false;
    float scale = 1.0f;

    int32_t page = PageWelcome;
    int32_t dialog = DialogNone;
    bool languageMenuOpen = false;
    bool titleMenuOpen = false;
    float titleMenuLeft = 16.0f;
    float titleMenuTop = 40.0f;
    float titleMenuWidth = 208.0f;
    bool closing = false;
    bool modal = false;
    int32_t modalResult = 0;
    int32_t confirmAnswer = 0;
    int32_t processListPage = 0;
    bool keyboardCues = false;
    bool animationsEnabled = true;
    int32_t frameIntervalMs = 16;

    uint32_t flags = FlagDesktopShortcut;
    std::wstring installPath = L"C:\\Program Files\\Lumora";
    std::wstring errorText;
    std::wstring versionText = L"2.5.0.0";
    int32_t progressPosition = 0;
    int32_t progressMaximum = 100;
    std::wstring progressText;
    ValueAnimation displayedProgress;
    std::wstring language = L"english";
    TextMap texts;
    EventQueue events;
    std::vector<ControlRecord> controls;
    LegalLineLayout legal;
};

// The process-wide instance. Used on the script's thread only.
UiState& Ui() noexcept;

// True while the view window exists.
bool IsAttached() noexcept;

}  // namespace lum
