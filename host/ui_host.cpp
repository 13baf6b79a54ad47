// What the state and window exports do: set and read UiState, show, wait,
// ask, fade out and tear down.
#include "host/ui_host.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/export_gate.h"
#include "base/failure_log.h"
#include "base/scoped_win.h"
#include "base/text_buffer.h"
#include "draw/canvas.h"
#include "host/actions.h"
#include "host/presentation.h"
#include "host/ui_state.h"
#include "host/window.h"
#include "pages/progress_page.h"
#include "shutdown/close_interface.h"
#include "text/language.h"

namespace lum {
namespace {

bool HostShownNormally(HWND host) { return host && ::IsWindow(host) && ::IsWindowVisible(host) && !::IsIconic(host); }

int32_t ClampPage(int32_t page) { return std::clamp(page, 0, kLastPage); }

// The setter exports store their value and redraw; no re-layout.
void StoreAndRedraw(std::wstring& field, const wchar_t* value) {
    field = FromArg(value);
    Redraw();
}

void FocusControl(size_t index) {
    const auto& controls = Ui().controls;
    if (index < controls.size() && controls[index].window) ::SetFocus(controls[index].window);
}

}  // namespace

namespace {

float ScaleFor(HWND host, int32_t dpi) {
    if (dpi < 1) {
        const ScreenDc screen(host);
        dpi = screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 96;
    }
    return std::clamp(static_cast<float>(dpi) / 96.0f, 0.75f, 4.0f);
}

// Centred on the work area of the nearest monitor, sized from the scale.
void PlaceHost(HWND host, int width, int height) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    RECT work{0, 0, width, height};
    if (::GetMonitorInfoW(::MonitorFromWindow(host, MONITOR_DEFAULTTONEAREST), &monitor)) work = monitor.rcWork;
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    ::SetWindowPos(host, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void RoundCorners(HWND host, int width, int height, float scale) {
    const int corner = static_cast<int>(8 * scale);
    UniqueGdiObject<HRGN> region(::CreateRoundRectRgn(0, 0, width + 1, height + 1, corner, corner));
    // On success the window owns the region.
    if (region && ::SetWindowRgn(host, region.get(), TRUE)) region.release();
}

void HideChildren(HWND host) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(host, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    for (HWND child : children) ::ShowWindow(child, SW_HIDE);
}

int32_t AttachWindow(HWND host, int32_t dpi, bool owned) {
    UiState& ui = Ui();
    if (!host || !::IsWindow(host) || !EnsureFactories()) return 0;
    if (!ui.holdsExportGate) ui.holdsExportGate = EnterExportGate("LumUI_Attach");
    RegisterWindowClasses();
    ReadSystemSettings();
    ui.closing = false;
    ui.fadeInPending = true;
    ui.fadeInRequested = false;
    ui.frameDirty = true;
    ui.windowOpacity.Set(ui.animationsEnabled ? 0.0f : 1.0f);

    ui.host = host;
    ui.ownsHost = owned;
    const LONG_PTR exStyle = ::GetWindowLongPtrW(host, GWL_EXSTYLE);
    ui.hostWasLayered = (exStyle & WS_EX_LAYERED) != 0;
    ::SetWindowLongPtrW(host, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    if (!::SetLayeredWindowAttributes(host, 0, ui.animationsEnabled ? 0 : 255, LWA_ALPHA)) {
        ReportFailedCall("SetLayeredWindowAttributes", ::GetLastError());
        ui.animationsEnabled = false;  // no fades: the window shows at once
    }
    ui.scale = ScaleFor(host, dpi);
    LONG_PTR style = ::GetWindowLongPtrW(host, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_MAXIMIZEBOX);
    style |= WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX;
    ::SetWindowLongPtrW(host, GWL_STYLE, style);
    const int width = static_cast<int>(720 * ui.scale);
    const int height = static_cast<int>(480 * ui.scale);
    PlaceHost(host, width, height);
    RoundCorners(host, width, height, ui.scale);
    HideChildren(host);
    if (!owned) {
        ui.savedHostProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HostWindowProc)));
    }
    ui.editFont = ::CreateFontW(-static_cast<int>(14 * ui.scale), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                DEFAULT_PITCH, L"Microsoft YaHei");
    ui.view = CreateViewWindow(host, width, height);
    CommitChange();
    RequestFadeIn();
    return IsAttached() ? 1 : 0;
}

}  // namespace

int32_t Create(int32_t page, int32_t dpi) {
    UiState& ui = Ui();
    // A host window left by an attach that failed goes too.
    if (IsAttached() || (ui.ownsHost && ui.host)) Destroy();
    RegisterWindowClasses();
    ui.page = page;  // stored as given; LumUI_SetPage clamps
    const HWND host = CreateHostWindow(ui.Text(page < PageUninstallConfirm ? L"SetupTitle" : L"UninstallTitle").c_str());
    if (!host) return 0;
    // Remembered before attaching, so that LumUI_Destroy removes it even when attaching fails.
    ui.host = host;
    ui.ownsHost = true;
    return AttachWindow(host, dpi, true);
}

int32_t Attach(HWND host, int32_t dpi) { return AttachWindow(host, dpi, false); }

void BeginClose() {
    UiState& ui = Ui();
    if (ui.closing) return;
    if (ui.animationsEnabled && HostShownNormally(ui.host)) {
        EndCrossFade();
        ui.closing = true;
        if (ui.view) ::RedrawWindow(ui.view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        BYTE alpha = 255;
        DWORD layeredFlags = 0;
        COLORREF key = 0;
        if (!::GetLayeredWindowAttributes(ui.host, &key, &alpha, &layeredFlags)) alpha = 255;
        const double a0 = alpha / 255.0;
        const double start = NowMs();
        for (;;) {
            const double elapsed = NowMs() - start;
            if (elapsed >= 120.0) break;
            const double t = elapsed / 120.0;
            const double a = std::clamp((1.0 - t * t) * a0, 0.0, 1.0);
            ::SetLayeredWindowAttributes(ui.host, 0, static_cast<BYTE>(std::lround(a * 255.0)), LWA_ALPHA);
            ::Sleep(static_cast<DWORD>(ui.frameIntervalMs));
        }
        ::SetLayeredWindowAttributes(ui.host, 0, 0, LWA_ALPHA);
        ui.windowOpacity.Set(0.0f);
    }
    ui.closing = true;
    if (ui.host && ::IsWindow(ui.host)) ::ShowWindow(ui.host, SW_HIDE);
}

void Destroy() {
    UiState& ui = Ui();
    BeginClose();
    StopAnimationTimer();
    EndCrossFade();
    ReleasePresentation();  // transition window, cross-fade frames
    ui.modal = false;
    ui.confirmAnswer = -1;
    ui.dialog = DialogNone;
    ui.languageMenuOpen = false;
    ui.titleMenuOpen = false;
    ui.events.Clear();
    ReleaseProcessShutdown();
    ui.processListPage = 0;
    ui.keyboardCues = false;
    if (ui.view && ::IsWindow(ui.view)) ::DestroyWindow(ui.view);
    ui.view = nullptr;
    ui.controls.clear();
    ui.folderEdit = nullptr;
    if (ui.editFont) ::DeleteObject(ui.editFont);
    ui.editFont = nullptr;
    const bool hostAlive = ui.host && ::IsWindow(ui.host);
    if (hostAlive && ui.savedHostProc) {
        ::SetWindowLongPtrW(ui.host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ui.savedHostProc));
    }
    ui.savedHostProc = nullptr;
    if (hostAlive && ui.ownsHost) {
        ::DestroyWindow(ui.host);
    } else if (hostAlive && !ui.hostWasLayered) {
        const LONG_PTR exStyle = ::GetWindowLongPtrW(ui.host, GWL_EXSTYLE);
        ::SetWindowLongPtrW(ui.host, GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
    }
    ui.host = nullptr;
    ui.ownsHost = false;
    ReleaseWindowFrames();
    ReleaseDrawingResources();
    ui.displayedProgress.Set(0.0f);
    ui.fadeInPending = true;
    ui.fadeInRequested = false;
    if (ui.holdsExportGate) {
        ui.holdsExportGate = false;
        LeaveExportGate();
    }
}

void Show() {
    UiState& ui = Ui();
    if (!IsAttached()) return;
    ::SetWindowPos(ui.view, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (ui.ownsHost && ui.host) {
        ::ShowWindow(ui.host, SW_SHOWNORMAL);
        ::UpdateWindow(ui.host);
    }
}

void SetPage(int32_t page) {
    UiState& ui = Ui();
    const int32_t clamped = ClampPage(page);
    if (clamped == ui.page && ui.dialog == DialogNone && !ui.languageMenuOpen && !ui.titleMenuOpen) {
        Show();
        return;
    }
    BeginChange();
    ui.languageMenuOpen = false;
    ui.titleMenuOpen = false;
    ui.dialog = DialogNone;
    ui.page = clamped;
    CommitChange();
    Show();
}

int32_t RunModal() {
    UiState& ui = Ui();
    if (!IsAttached()) return 0;
    ui.modal = true;
    ui.modalResult = 0;
    Show();
    if (ui.page == PageUninstalled) {
        for (const ControlRecord& control : ui.controls) {
            if (control.action == ActionFinish) {
                if (control.window) ::SetFocus(control.window);
                break;
            }
        }
    } else if (ui.controls.size() > 2) {
        FocusControl(2);  // the first control after the two title-bar buttons
    }
    ModalLoop();
    return ui.modalResult;
}

void SetFlags(uint32_t flags) {
    UiState& ui = Ui();
    if (flags == ui.flags) return;
    BeginChange();
    ui.flags = flags;
    CommitChange();
}

void SetText(const wchar_t* key, const wchar_t* value) {
    if (!key) return;
    UiState& ui = Ui();
    const std::wstring name = key;
    if (name == L"Error") {
        StoreAndRedraw(ui.errorText, value);
    } else if (name == L"Version") {
        StoreAndRedraw(ui.versionText, value);
    } else {
        StoreAndRedraw(ui.texts[name], value);
    }
}

void SetPath(const wchar_t* path) {
    UiState& ui = Ui();
    ui.installPath = FromArg(path);
    if (ui.folderEdit && ::IsWindow(ui.folderEdit)) ::SetWindowTextW(ui.folderEdit, ui.installPath.c_str());
    Redraw();
}

int32_t GetPath(wchar_t* buffer, int32_t size) {
    TakeFolderEditText();
    return CopyToBuffer(Ui().installPath, buffer, size);
}

void SetProgress(int32_t position, int32_t maximum, const wchar_t* text) {
    UiState& ui = Ui();
    const std::wstring detail = FromArg(text);
    if (position == ui.progressPosition && maximum == ui.progressMaximum && detail == ui.progressText) return;
    ui.progressPosition = position;
    ui.progressMaximum = maximum;
    ui.progressText = detail;
    const float fraction = ProgressFraction(position, maximum);
    const bool glide = ui.animationsEnabled && !ui.closing && HostShownNormally(ui.host) &&
                       (ui.page == PageInstalling || ui.page == PageUninstalling);
    if (glide) {
        ui.displayedProgress.Aim(fraction, 140.0, NowMs());
    } else {
        ui.displayedProgress.Set(fraction);
    }
    InvalidateBand();
    StartAnimationTimer();
}

int32_t Confirm(int32_t dialog) {
    UiState& ui = Ui();
    if (!IsAttached()) return 0;
    const bool savedModal = ui.modal;
    ui.modal = false;
    BeginChange();
    ui.dialog = dialog;
    ui.processListPage = 0;
    ui.confirmAnswer = 0;
    CommitChange();
    if (!ui.controls.empty()) FocusControl(0);  // the dialog's negative button
    ModalLoop();
    const int32_t result = ui.confirmAnswer > 0 ? 1 : 0;
    BeginChange();
    ui.dialog = DialogNone;
    ui.confirmAnswer = 0;
    ui.modal = savedModal;
    CommitChange();
    return result;
}

int32_t DismissMenu() {
    UiState& ui = Ui();
    if (ui.titleMenuOpen) {
        CloseTitleMenu();
        return 1;
    }
    if (ui.languageMenuOpen) {
        DispatchAction(ActionLanguageMenu);
        return 1;
    }
    return 0;
}

int32_t Poll() { return Ui().events.Pop(); }

uint32_t GetFlags() { return Ui().flags; }

void LoadLanguage(const wchar_t* overrideFile, const wchar_t* language) {
    BeginChange();
    // Built aside and swapped in, so that a failure part-way leaves the
    // previous language whole rather than half a map.
    LoadedLanguage loaded = LoadLanguageTexts(FromArg(overrideFile), FromArg(language));
    UiState& ui = Ui();
    ui.language = std::move(loaded.id);
    ui.texts.swap(loaded.texts);
    if (IsAttached()) CommitChange();
}

int32_t ProcessRunning(const wchar_t* target) {
    const int32_t running = ScanTarget(target);
    Ui().processListPage = 0;  // a new report starts at its first page
    return running;
}

}  // namespace lum
