#include "host/window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/failure_log.h"
#include "host/actions.h"
#include "host/frames.h"
#include "host/presentation.h"
#include "host/ui_state.h"
#include "pages/controls.h"
#include "shutdown/close_interface.h"

namespace lum {
namespace {

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);

double AnimationMs(double ms) { return Ui().animationsEnabled ? ms : 0.0; }

int Trunc(float value) { return static_cast<int>(value); }

bool IsLanguageAction(int32_t action) {
    return action == ActionLanguageMenu || (action >= ActionLanguageFirst && action < ActionLanguageFirst + 9);
}

// The text a screen reader reads for the control: its visible label.
std::wstring NativeText(const UiState& ui, const ControlRecord& record) {
    if (record.kind == KindMinimize) return L"Minimize";
    if (record.kind == KindClose) return L"Close";
    if (IsLanguageAction(record.action)) return record.text;  // display names stand as they are
    return ui.Text(record.text);
}

void DestroyNativeChildren(UiState& ui) {
    for (ControlRecord& record : ui.controls) {
        if (record.window && ::IsWindow(record.window)) ::DestroyWindow(record.window);
        record.window = nullptr;
    }
    if (ui.folderEdit && ::IsWindow(ui.folderEdit)) ::DestroyWindow(ui.folderEdit);
    ui.folderEdit = nullptr;
}

void PlaceAtBottom(HWND window) {
    ::SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void CreateButton(UiState& ui, size_t index) {
    ControlRecord& record = ui.controls[index];
    const RECT place = ControlPixels(record, ui.scale);
    const HWND button = ::CreateWindowExW(
        0, L"BUTTON", NativeText(ui, record).c_str(), WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_OWNERDRAW,
        place.left, place.top, place.right - place.left, place.bottom - place.top, ui.view,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), ui.module, nullptr);
    if (!button) return;  // the control then has no keyboard or click access
    record.window = button;
    ::SetWindowSubclass(button, ButtonSubclassProc, 1, 0);
    PlaceAtBottom(button);
    const bool disabled =
        record.kind == KindDisabled || (record.action == ActionClose && ui.page == PageUninstalling);
    if (disabled) ::EnableWindow(button, FALSE);
}

void CreateFolderEdit(UiState& ui) {
    const float s = ui.scale;
    const HWND edit = ::CreateWindowExW(0, L"EDIT", ui.installPath.c_str(),
                                        WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL, Trunc(84 * s),
                                        Trunc(188 * s), Trunc(470 * s), Trunc(23 * s), ui.view,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFolderEditId)), ui.module, nullptr);
    if (!edit) return;
    ui.folderEdit = edit;
    if (ui.editFont) ::SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(ui.editFont), FALSE);
    ::SendMessageW(edit, EM_SETLIMITTEXT, 32760, 0);
    ::SetWindowSubclass(edit, ButtonSubclassProc, 1, 0);
    PlaceAtBottom(edit);
}

ControlRecord* RecordOf(HWND window) {
    UiState& ui = Ui();
    const int id = ::GetDlgCtrlID(window);
    const size_t index = static_cast<size_t>(id - kFirstControlId);
    if (id < kFirstControlId || index >= ui.controls.size() || ui.controls[index].window != window) return nullptr;
    return &ui.controls[index];
}

void AimAndInvalidate(ValueAnimation& animation, HWND window, float target, double ms) {
    animation.Aim(target, AnimationMs(ms), NowMs());
    ::InvalidateRect(window, nullptr, FALSE);
    StartAnimationTimer();
}

void FocusAction(int32_t action) {
    for (const ControlRecord& record : Ui().controls) {
        if (record.action == action && record.window) {
            ::SetFocus(record.window);
            return;
        }
    }
}

// Returns true when the key was handled.
bool ButtonKeyDown(HWND window, ControlRecord& record, WPARAM key) {
    UiState& ui = Ui();
    switch (key) {
    case VK_TAB: {
        const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
        if (HWND next = ::GetNextDlgTabItem(ui.view, window, back)) ::SetFocus(next);
        return true;
    }
    case VK_ESCAPE:
        if (ui.languageMenuOpen) {
            DispatchAction(ActionLanguageMenu);
            return true;
        }
        if (ui.titleMenuOpen) {
            CloseTitleMenu();
            return true;
        }
        return false;
    case VK_UP:
    case VK_DOWN: {
        if (!ui.languageMenuOpen) return false;
        const int k = record.action >= ActionLanguageFirst && record.action < ActionLanguageFirst + 9
                          ? record.action - ActionLanguageFirst
                          : 0;
        FocusAction(ActionLanguageFirst + (key == VK_DOWN ? (k + 1) % 9 : (k + 8) % 9));
        return true;
    }
    case VK_RETURN:
        DispatchAction(record.action);  // may rebuild the controls: the record is gone afterwards
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    UiState& ui = Ui();
    KeyboardCueTracker(message, wParam);
    if (message == WM_GETDLGCODE) {
        LRESULT code = ::DefSubclassProc(window, message, wParam, lParam);
        if (ui.languageMenuOpen || ui.titleMenuOpen) code |= DLGC_WANTALLKEYS;
        // Enter belongs to the focused control, not to a default button of the view.
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && RecordOf(window)) code |= DLGC_WANTMESSAGE;
        return code;
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, ButtonSubclassProc, 1);
    ControlRecord* record = RecordOf(window);
    if (!record) return ::DefSubclassProc(window, message, wParam, lParam);
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE:
        if (!record->hovered) {
            record->hovered = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            ::TrackMouseEvent(&track);
            AimAndInvalidate(record->hover, window, 1.0f, 120);
        }
        break;
    case WM_MOUSELEAVE:
        record->hovered = false;
        AimAndInvalidate(record->hover, window, 0.0f, 120);
        break;
    case WM_LBUTTONDOWN:
        AimAndInvalidate(record->press, window, 1.0f, 70);
        break;
    case BM_SETSTATE:
        AimAndInvalidate(record->press, window, wParam ? 1.0f : 0.0f, wParam ? 70 : 100);
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        AimAndInvalidate(record->press, window, 0.0f, 100);
        break;
    case WM_KEYUP:
        if (wParam == VK_SPACE) AimAndInvalidate(record->press, window, 0.0f, 100);
        break;
    case WM_SETFOCUS:
        AimAndInvalidate(record->focus, window, ui.keyboardCues ? 1.0f : 0.0f, 100);
        break;
    case WM_KILLFOCUS:
        AimAndInvalidate(record->focus, window, 0.0f, 100);
        break;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) AimAndInvalidate(record->press, window, 1.0f, 70);
        if (ButtonKeyDown(window, *record, wParam)) return 0;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void BuildControls() {
    UiState& ui = Ui();
    ControlList list = BuildControlList(ui, ui.dialog, true, ReportRecordCount());
    ui.controls = std::move(list.records);
    ui.legal = list.legal;
}

void CommitChange() {
    UiState& ui = Ui();
    if (!IsAttached()) return;
    TakeFolderEditText();
    const HWND focus = ::GetFocus();
    const bool focusInView = focus && (focus == ui.view || ::IsChild(ui.view, focus));
    DestroyNativeChildren(ui);
    BuildControls();
    for (size_t i = 0; i < ui.controls.size(); ++i) CreateButton(ui, i);
    if ((ui.page == PageOptions || ui.page == PageOptionsPathError) && ui.dialog == DialogNone) CreateFolderEdit(ui);
    // A destroyed child took the focus with it; keep the keyboard in the view.
    if (focusInView && !::GetFocus()) ::SetFocus(ui.view);
    Redraw();
    StartCrossFade();
    if (ui.dialog == DialogClosing) StartAnimationTimer();  // its busy indicator moves
}

void ModalLoop() {
    UiState& ui = Ui();
    while (ui.modal || (ui.dialog != DialogNone && ui.confirmAnswer == 0)) {
        MSG msg{};
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            ui.modal = false;
            ui.confirmAnswer = -1;
            // The outer loop of the setup program must still see the quit.
            if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            if (ui.titleMenuOpen) {
                CloseTitleMenu();
            } else if (ui.dialog == DialogNone) {
                DispatchAction(ui.page == PageUninstalled ? ActionFinish : ActionCancel);
            } else {
                ui.confirmAnswer = -1;
            }
            continue;
        }
        KeyboardCueTracker(msg.message, msg.wParam);
        if (IsAttached() && ::IsDialogMessageW(ui.view, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Redraw() {
    UiState& ui = Ui();
    ui.frameDirty = true;
    if (!IsAttached()) return;
    ::InvalidateRect(ui.view, nullptr, FALSE);
    for (const ControlRecord& record : ui.controls) {
        if (!record.window) continue;
        // A text set by the script renames the control for screen readers too.
        const std::wstring text = NativeText(ui, record);
        wchar_t current[256] = {};
        ::GetWindowTextW(record.window, current, 256);
        if (text != current) ::SetWindowTextW(record.window, text.c_str());
        ::InvalidateRect(record.window, nullptr, FALSE);
    }
    if (ui.folderEdit) ::InvalidateRect(ui.folderEdit, nullptr, FALSE);
}

void InvalidateLayoutBand(const Box& band) {
    UiState& ui = Ui();
    Box& dirty = ui.dirtyBand;
    if (dirty.width <= 0) {
        dirty = band;
    } else {  // both bands in one
        const float right = std::max(dirty.x + dirty.width, band.x + band.width);
        const float bottom = std::max(dirty.y + dirty.height, band.y + band.height);
        dirty.x = std::min(dirty.x, band.x);
        dirty.y = std::min(dirty.y, band.y);
        dirty.width = right - dirty.x;
        dirty.height = bottom - dirty.y;
    }
    if (!IsAttached()) return;
    const RECT pixels = PixelsCovering(band, ui.scale);
    ::InvalidateRect(ui.view, &pixels, FALSE);
}

void SnapAnimations() {
    UiState& ui = Ui();
    ui.windowOpacity.Set(1.0f);
    if (ui.host && ::IsWindow(ui.host)) ::SetLayeredWindowAttributes(ui.host, 0, 255, LWA_ALPHA);
    ui.displayedProgress.Snap();
    EndCrossFade();
    for (ControlRecord& record : ui.controls) {
        record.hover.Snap();
        record.press.Snap();
        record.check.Snap();
        record.focus.Snap();
    }
    Redraw();
}

void StartAnimationTimer() {
    UiState& ui = Ui();
    if (!IsAttached() || ui.closing || !ui.animationsEnabled || ui.timerRunning) return;
    if (::SetTimer(ui.view, kAnimationTimerId, static_cast<UINT>(ui.frameIntervalMs), nullptr)) {
        ui.timerRunning = true;
        return;
    }
    ReportFailedCall("SetTimer", ::GetLastError());
    SnapAnimations();
}

void StopAnimationTimer() {
    UiState& ui = Ui();
    if (ui.timerRunning && ui.view && ::IsWindow(ui.view)) ::KillTimer(ui.view, kAnimationTimerId);
    ui.timerRunning = false;
}

void RequestFadeIn() {
    UiState& ui = Ui();
    if (!ui.fadeInPending || ui.fadeInRequested || ui.closing || !IsAttached() || !::IsWindowVisible(ui.host)) return;
    if (::PostMessageW(ui.view, kFadeInMessage, 0, 0)) {
        ui.fadeInRequested = true;
        return;
    }
    ReportFailedCall("PostMessageW", ::GetLastError());
    ui.fadeInPending = false;
    ui.windowOpacity.Set(1.0f);
    ::SetLayeredWindowAttributes(ui.host, 0, 255, LWA_ALPHA);
}

void TakeFolderEditText() {
    UiState& ui = Ui();
    if (!ui.folderEdit || !::IsWindow(ui.folderEdit)) return;
    const int length = ::GetWindowTextLengthW(ui.folderEdit);
    std::vector<wchar_t> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(ui.folderEdit, buffer.data(), static_cast<int>(buffer.size()));
    ui.installPath.assign(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void KeyboardCueTracker(UINT message, WPARAM wParam) {
    UiState& ui = Ui();
    bool cues = ui.keyboardCues;
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case 0x0246:  // WM_POINTERDOWN
        cues = false;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_TAB || wParam == VK_UP || wParam == VK_DOWN || wParam == VK_LEFT || wParam == VK_RIGHT) {
            cues = true;
        }
        break;
    case WM_SETFOCUS:
        if (::GetKeyState(VK_TAB) & 0x8000) cues = true;
        break;
    default:
        break;
    }
    if (cues == ui.keyboardCues) return;
    ui.keyboardCues = cues;
    const HWND focus = ::GetFocus();
    const double now = NowMs();
    for (ControlRecord& record : ui.controls) {
        if (!record.window) continue;
        record.focus.Aim(cues && focus == record.window ? 1.0f : 0.0f, AnimationMs(100), now);
        ::InvalidateRect(record.window, nullptr, FALSE);
    }
    StartAnimationTimer();
}

void ReadSystemSettings() {
    UiState& ui = Ui();
    BOOL enabled = TRUE;
    if (!::SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &enabled, 0)) enabled = TRUE;
    ui.animationsEnabled = enabled != FALSE;
    ui.frameIntervalMs = ::GetSystemMetrics(SM_REMOTESESSION) ? 33 : 16;
}

}  // namespace lum
