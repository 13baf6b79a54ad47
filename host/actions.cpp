#include "host/actions.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "host/presentation.h"
#include "host/ui_host.h"
#include "host/ui_state.h"
#include "host/window.h"
#include "log/log_export.h"
#include "log/native_log.h"
#include "pages/page_frame.h"
#include "shutdown/close_interface.h"
#include "text/links.h"

namespace lum {
namespace {

void FocusView() {
    if (IsAttached()) ::SetFocus(Ui().view);
}

void FocusControlWithAction(int32_t action) {
    for (const ControlRecord& control : Ui().controls) {
        if (control.action == action) {
            if (control.window) ::SetFocus(control.window);
            return;
        }
    }
}

double AnimationMs(double ms) { return Ui().animationsEnabled ? ms : 0.0; }

// Dialog answers and the paging of the close-failed list.
bool HandleInsideDialog(int32_t action) {
    UiState& ui = Ui();
    if (ui.dialog == DialogCloseFailed && (action == ActionProcessPrev || action == ActionProcessNext)) {
        const int32_t n = static_cast<int32_t>(ReportRecordCount());
        const int32_t lastPage = std::max(0, (n - 1) / 3);
        BeginChange();
        const int32_t step = action == ActionProcessPrev ? -1 : 1;
        ui.processListPage = std::clamp(ui.processListPage + step, 0, lastPage);
        CommitChange();
        return true;
    }
    return false;
}

// The modal wait of LumUI_RunModal ends on its deciding actions.
bool HandleModal(int32_t action) {
    UiState& ui = Ui();
    if (ui.page == PageUninstallFailed && action == ActionRetry) {
        ui.modalResult = 9;
        ui.modal = false;
        return true;
    }
    if (ui.page == PageUninstallConfirm && action == ActionStart) {
        if ((ui.flags & FlagRemoveData) && Confirm(DialogClearData) == 0) {
            BeginChange();
            ui.flags &= ~static_cast<uint32_t>(FlagRemoveData);
            CommitChange();
            return true;
        }
        ui.modal = false;
        ui.modalResult = static_cast<int32_t>((ui.flags & FlagRemoveData) | 0x1);
        return true;
    }
    if (action == ActionCancel || action == ActionFinish) {
        BeginClose();
        ui.modal = false;
        ui.modalResult = action == ActionFinish ? 1 : 0;
        return true;
    }
    return false;
}

// The log export in the window the UI lives in, with the language's texts.
void ExportLog() {
    UiState& ui = Ui();
    RunLogExport(ui.host, ui.ownsHost, {ui.Text(L"SaveLog"), ui.Text(L"LogFiles"), ui.Text(L"SaveLogFailed")});
}

}  // namespace

void OpenTitleMenu(int32_t position) {
    UiState& ui = Ui();
    if (ui.closing || LogPath().empty()) return;
    WriteLogLine(L"Title menu requested; position=" + std::to_wstring(position));
    NotifyHost();
    if (!IsAttached()) return;
    POINT point{static_cast<int>(16 * ui.scale), static_cast<int>(40 * ui.scale)};
    if (position != -1) {
        point = {static_cast<int16_t>(position & 0xFFFF), static_cast<int16_t>((position >> 16) & 0xFFFF)};
        ::ScreenToClient(ui.view, &point);
    }
    if (point.y < 0 || point.y >= static_cast<int>(44 * ui.scale)) return;
    BeginChange();
    ui.languageMenuOpen = false;
    ui.titleMenuOpen = true;
    ui.titleMenuWidth = std::clamp(MeasureTextKey(ui, L"SaveLog", 12) + 36.0f, 208.0f, 420.0f);
    ui.titleMenuTop = 40.0f;
    ui.titleMenuLeft = std::clamp(static_cast<float>(point.x) / ui.scale, 8.0f, 712.0f - ui.titleMenuWidth);
    CommitChange();
    WriteLogLine(L"Title menu opened; actions=" + std::to_wstring(ui.controls.size()));
    NotifyHost();
    FocusControlWithAction(ActionSaveLog);
}

void CloseTitleMenu() {
    UiState& ui = Ui();
    if (!ui.titleMenuOpen) return;
    BeginChange();
    ui.titleMenuOpen = false;
    CommitChange();
    FocusView();
}

void DispatchAction(int32_t action) {
    UiState& ui = Ui();
    if (ui.titleMenuOpen) {  // any click only closes the menu, except its own item
        CloseTitleMenu();
        if (action == ActionSaveLog) ExportLog();
        return;
    }
    if (action == ActionSaveLog) {
        ExportLog();
        return;
    }
    WriteLogLine(L"UI action=" + std::to_wstring(action) + L" page=" + std::to_wstring(ui.page) +
                 L" dialog=" + std::to_wstring(ui.dialog));
    NotifyHost();
    if (HandleInsideDialog(action)) return;
    if (ui.closing) return;

    if (action == ActionLanguageMenu) {
        BeginChange();
        ui.languageMenuOpen = !ui.languageMenuOpen;
        CommitChange();
        FocusControlWithAction(ui.languageMenuOpen ? ActionLanguageFirst : ActionLanguageMenu);
        return;
    }
    if (ui.languageMenuOpen) {
        BeginChange();
        ui.languageMenuOpen = false;
        CommitChange();
        if (action < ActionLanguageFirst && action != ActionMinimize && action != ActionClose) return;
    }
    switch (action) {
        case ActionMinimize:
            if (ui.host) ::ShowWindow(ui.host, SW_MINIMIZE);
            return;
        case ActionClose:
            action = (ui.page == PageInstalled || ui.page == PageUninstalled) ? ActionFinish : ActionCancel;
            break;
        case ActionToggleDesktop: {
            ui.flags ^= FlagDesktopShortcut;
            const float checked = (ui.flags & FlagDesktopShortcut) ? 1.0f : 0.0f;
            const double now = NowMs();
            for (ControlRecord& control : ui.controls) {
                if (control.action != ActionToggleDesktop) continue;
                control.check.Aim(checked, AnimationMs(120), now);
                if (control.window) ::InvalidateRect(control.window, nullptr, FALSE);
            }
            StartAnimationTimer();
            return;
        }
        case ActionToggleRemoveData:
            BeginChange();
            ui.flags ^= FlagRemoveData;
            CommitChange();
            FocusControlWithAction(ActionToggleRemoveData);
            return;
        case ActionErrorDetails: {
            const std::wstring caption = ui.Text(L"ErrorDetails");
            ::MessageBoxW(ui.host, ui.errorText.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
            return;
        }
        case ActionWebsite: {
            const std::wstring link = LinkFor(LinkHome);
            ::ShellExecuteW(ui.host, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            return;
        }
        case ActionDialogYes:
            ui.confirmAnswer = 1;
            return;
        case ActionDialogNo:
            ui.confirmAnswer = -1;
            return;
        default:
            break;
    }
    if (ui.dialog != DialogNone) return;  // dialogs answer only through their own buttons
    if (ui.modal && HandleModal(action)) return;
    if (action == 0 || ui.page == PageUninstalling) return;
    ui.events.Push(action);
}

}  // namespace lum
