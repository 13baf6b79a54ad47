// What the screen shows, as the setup script and the user have set it: the
// ids, the option word and the content values. The host's UiState holds one
// of these; the offline renderer takes a copy and changes it to a scenario.
#pragma once

#include <cstdint>
#include <string>

#include "text/text_lookup.h"

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

struct ScreenModel {
    int32_t page = PageWelcome;
    int32_t dialog = DialogNone;
    bool languageMenuOpen = false;
    bool titleMenuOpen = false;
    float titleMenuLeft = 16.0f;
    float titleMenuTop = 40.0f;
    float titleMenuWidth = 208.0f;
    int32_t processListPage = 0;

    uint32_t flags = FlagDesktopShortcut;
    std::wstring installPath = L"C:\\Program Files\\Lumora";
    std::wstring errorText;
    std::wstring versionText = L"2.5.0.0";
    int32_t progressPosition = 0;
    int32_t progressMaximum = 100;
    std::wstring progressText;
    std::wstring language = L"english";
    TextMap texts;

    bool operator==(const ScreenModel&) const = default;

    // The key's text in the current language.
    std::wstring Text(std::wstring_view key) const { return TextLookup(texts, key); }
};

}  // namespace lum
