// The three window classes and their procedures: the host (own or a setup
// program's window subclassed), the view that shows the frame and carries the
// native controls, and the cross-fade overlay.
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "base/failure_log.h"
#include "draw/canvas.h"
#include "host/actions.h"
#include "host/frames.h"
#include "host/presentation.h"
#include "host/ui_state.h"
#include "host/window.h"
#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/draw_page.h"
#include "pages/progress_page.h"

namespace lum {
namespace {

constexpr const wchar_t* kHostClass = L"Lumora.VectorInstaller.Window";
constexpr const wchar_t* kViewClass = L"Lumora.VectorInstaller.View";
constexpr const wchar_t* kTransitionClass = L"Lumora.VectorInstaller.Transition";

ViewPicture& Frames() {
    // Deleted at unload, and only then (see ReleaseWindowFramesAtUnload): a
    // static object would release the still part's bitmap at process exit.
    static ViewPicture* const picture = new ViewPicture;
    return *picture;
}

double AnimationMs(double ms) { return Ui().animationsEnabled ? ms : 0.0; }

// Binds the window to the state handed over in CreateWindowEx; every later
// message finds it in the window's user data.
UiState* BoundState(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* state = static_cast<UiState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        return state;
    }
    return reinterpret_cast<UiState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// How control `index` is drawn for its own window: focus rings only while
// the keyboard is in use and the window has the focus.
ControlLook NativeLook(const UiState& ui, size_t index, double now, bool focused) {
    ControlLook look = SampledLook(ui.controls[index], now);
    if (!ui.keyboardCues || !focused) look.focus = 0.0f;
    return look;
}

// The view's whole picture, every control drawn in as its window would draw
// it now; the still part as it was drawn last, unless it changed.
void PaintView(const UiState& ui, int width, int height, const Box* changed) {
    const double now = NowMs();
    PageFrame frame = WindowFrame(ui, now, true, false);
    const HWND focus = ::GetFocus();
    for (size_t i = 0; i < frame.looks.size(); ++i) {
        frame.looks[i] = NativeLook(ui, i, now, focus && ui.controls[i].window == focus);
    }
    frame.illustrations = &KeptIllustrations();
    Frames().Paint(width, height, ui.scale, frame, changed);
}

// Paints the view's picture again when it is stale, the view changed size or
// a part other than the progress bar moved (the still part then comes from
// the cache), or only the progress band.
bool EnsureViewFrame(UiState& ui) {
    RECT client{};
    ::GetClientRect(ui.view, &client);
    const FrameBitmap& frame = Frames().pixels();
    const bool resized = frame.width() != client.right || frame.height() != client.bottom;
    const Box band = ui.dirtyBand;
    ui.dirtyBand = {};
    const bool progressBand = ui.dialog == DialogNone && (ui.page == PageInstalling || ui.page == PageUninstalling);
    if (resized || ui.frameDirty || (band.width > 0 && !progressBand)) {
        PaintView(ui, client.right, client.bottom, resized || ui.frameDirty ? nullptr : &band);
        ui.frameDirty = false;
    } else if (band.width > 0) {
        // The bar alone: a setup calls SetProgress for every file.
        Frames().PaintProgressBand(WindowFrame(ui, NowMs(), false, false));
    }
    return frame.width() == client.right && frame.height() == client.bottom && frame.dc();
}

void OnPaint(UiState& ui, HWND window) {
    PAINTSTRUCT paint{};
    const HDC dc = ::BeginPaint(window, &paint);
    if (dc && EnsureViewFrame(ui)) {
        const RECT& r = paint.rcPaint;
        ::BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, Frames().pixels().dc(), r.left, r.top, SRCCOPY);
    }
    ::EndPaint(window, &paint);
    RequestFadeIn();
}

// A control's own window: its pixels from the view's picture, or drawn alone
// while its look changes.
LRESULT OnDrawItem(UiState& ui, const DRAWITEMSTRUCT& item) {
    const size_t index = item.CtlID - kFirstControlId;
    if (item.CtlID < static_cast<UINT>(kFirstControlId) || index >= ui.controls.size()) return TRUE;
    if (!EnsureViewFrame(ui)) return TRUE;
    POINT origin{0, 0};
    ::MapWindowPoints(item.hwndItem, ui.view, &origin, 1);
    const RECT place{origin.x, origin.y, origin.x + item.rcItem.right - item.rcItem.left,
                     origin.y + item.rcItem.bottom - item.rcItem.top};
    const double now = NowMs();
    Frames().PaintControl(item.hDC, index, place, NativeLook(ui, index, now, (item.itemState & ODS_FOCUS) != 0),
                          WindowFrame(ui, now, true, false));
    return TRUE;
}

// On PageOptionsPathError, editing the folder makes "StartInstall" usable again.
void OnFolderEdited(UiState& ui) {
    if (ui.page != PageOptionsPathError) return;
    const bool disabled = std::any_of(ui.controls.begin(), ui.controls.end(), [](const ControlRecord& r) {
        return r.action == ActionStart && r.kind == KindDisabled;
    });
    if (!disabled) return;
    BeginChange();
    for (ControlRecord& record : ui.controls) {
        if (record.action != ActionStart) continue;
        record.kind = KindPrimary;
        if (record.window) ::EnableWindow(record.window, TRUE);
    }
    Redraw();
    StartCrossFade();
}

void OnCommand(UiState& ui, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int code = HIWORD(wParam);
    if (id == kFolderEditId && code == EN_CHANGE) {
        OnFolderEdited(ui);
        return;
    }
    const size_t index = static_cast<size_t>(id - kFirstControlId);
    if (code == BN_CLICKED && id >= kFirstControlId && index < ui.controls.size()) {
        DispatchAction(ui.controls[index].action);
    }
}

void OnFadeInRequest(UiState& ui) {
    if (ui.fadeInPending && ::IsWindowVisible(ui.host) && !ui.closing) {
        ::RedrawWindow(ui.view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ui.fadeInPending = false;
        ui.windowOpacity.Set(ui.animationsEnabled ? 0.0f : 1.0f);
        ui.windowOpacity.Aim(1.0f, AnimationMs(180), NowMs());
        ::SetLayeredWindowAttributes(ui.host, 0, ui.animationsEnabled ? 0 : 255, LWA_ALPHA);
        StartAnimationTimer();
    }
    ui.fadeInRequested = false;
}

void OnViewButtonDown(UiState& ui, LPARAM lParam) {
    if (ui.titleMenuOpen) {
        CloseTitleMenu();
    } else if (ui.languageMenuOpen) {
        DispatchAction(ActionLanguageMenu);
    } else if (ui.dialog == DialogNone && GET_Y_LPARAM(lParam) < static_cast<int>(44 * ui.scale)) {
        // The title band moves the window as a caption would.
        ::ReleaseCapture();
        ::SendMessageW(ui.host, WM_NCLBUTTONDOWN, HTCAPTION, 0);
    }
}

void OnViewKeyDown(UiState& ui, WPARAM key) {
    if (key == VK_ESCAPE) {
        if (ui.titleMenuOpen) {
            CloseTitleMenu();
        } else if (ui.languageMenuOpen) {
            DispatchAction(ActionLanguageMenu);
        } else if (ui.dialog == DialogNone || ui.dialog == DialogClosing) {
            DispatchAction(ActionCancel);
        } else {
            ui.confirmAnswer = -1;
        }
    } else if (key == VK_RETURN) {
        for (const ControlRecord& record : ui.controls) {
            if (record.kind == KindPrimary) {
                DispatchAction(record.action);
                return;
            }
        }
    } else if (key == VK_TAB && !ui.controls.empty() && ui.controls.front().window) {
        ::SetFocus(ui.controls.front().window);
    }
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UiState* state = BoundState(window, message, lParam);
    if (!state || message == WM_NCCREATE) return ::DefWindowProcW(window, message, wParam, lParam);
    UiState& ui = *state;
    KeyboardCueTracker(message, wParam);
    switch (message) {
    case WM_PAINT:
        OnPaint(ui, window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT:  // PrintWindow and accessibility tools get the frame as painted
        if (EnsureViewFrame(ui)) {
            const FrameBitmap& frame = Frames().pixels();
            ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, frame.width(), frame.height(), frame.dc(), 0, 0, SRCCOPY);
        }
        return 0;
    case WM_SIZE:
        ui.frameDirty = true;
        EndCrossFade();
        ::InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_DRAWITEM:
        return OnDrawItem(ui, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_COMMAND:
        OnCommand(ui, wParam);
        return 0;
    case WM_CTLCOLOREDIT: {
        const HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, RGB(0x17, 0x2B, 0x45));
        ::SetBkColor(dc, RGB(0xFF, 0xFF, 0xFF));
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    }
    case WM_TIMER:
        if (wParam == kAnimationTimerId) AnimationTick();
        return 0;
    case WM_LBUTTONDOWN:
        OnViewButtonDown(ui, lParam);
        return 0;
    case WM_KEYDOWN:
        OnViewKeyDown(ui, wParam);
        return 0;
    case WM_CONTEXTMENU:
        OpenTitleMenu(static_cast<int32_t>(lParam));
        return 0;
    case kFadeInMessage:
        OnFadeInRequest(ui);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT HostDefault(const UiState& ui, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (ui.savedHostProc && !ui.ownsHost) return ::CallWindowProcW(ui.savedHostProc, window, message, wParam, lParam);
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void OnSettingChange(UiState& ui) {
    ReadSystemSettings();
    if (ui.animationsEnabled) {
        StartAnimationTimer();
        return;
    }
    SnapAnimations();
    StopAnimationTimer();
}

LRESULT OnHostClose(UiState& ui, HWND window, WPARAM wParam, LPARAM lParam) {
    if (ui.dialog == DialogClosing) return 0;  // the application is being closed: wait for it
    const bool finished = ui.page == PageInstalled || ui.page == PageUninstalled;
    if (ui.ownsHost) {
        DispatchAction(finished ? ActionFinish : ActionCancel);
        return 0;
    }
    if (ui.page == PageInstalled) {
        DispatchAction(ActionFinish);
        return 0;
    }
    return HostDefault(ui, window, WM_CLOSE, wParam, lParam);
}

LRESULT HandleHostMessage(UiState& ui, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    KeyboardCueTracker(message, wParam);
    const bool attached = IsAttached() && ui.host == window;
    switch (message) {
    case WM_CONTEXTMENU:
        if (!attached) break;
        OpenTitleMenu(static_cast<int32_t>(lParam));
        return 0;
    case WM_ACTIVATEAPP:
        if (!wParam) CloseTitleMenu();
        break;
    case WM_SETTINGCHANGE:
        if (attached) OnSettingChange(ui);
        break;
    case WM_SHOWWINDOW:
        if (wParam && attached && !ui.fadeInPending) StartAnimationTimer();
        break;
    case WM_ERASEBKGND:
        if (attached) return 1;
        break;
    case WM_CLOSE:
        if (attached) return OnHostClose(ui, window, wParam, lParam);
        break;
    case WM_SIZE:
        if (!attached) break;
        if (wParam == SIZE_MINIMIZED) {
            EndCrossFade();
            StopAnimationTimer();
        } else {
            ::SetWindowPos(ui.view, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
            StartAnimationTimer();
        }
        break;
    default:
        break;
    }
    return HostDefault(ui, window, message, wParam, lParam);
}

LRESULT CALLBACK OwnHostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    UiState* state = BoundState(window, message, lParam);
    if (!state || message == WM_NCCREATE) return ::DefWindowProcW(window, message, wParam, lParam);
    return HandleHostMessage(*state, window, message, wParam, lParam);
}

// The cross-fade overlay: shows the blend and lets every click through to
// the view and its controls below.
LRESULT CALLBACK TransitionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;  // clicks go to what lies below
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        if (const HDC dc = ::BeginPaint(window, &paint)) PaintCrossFade(dc, paint.rcPaint);
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client{};
        ::GetClientRect(window, &client);
        PaintCrossFade(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

void Register(const wchar_t* name, WNDPROC procedure, UINT style) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = style;
    wc.lpfnWndProc = procedure;
    wc.hInstance = Ui().module;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        ReportFailedCall("RegisterClassExW", ::GetLastError());
    }
}

}  // namespace

// A foreign host is subclassed: the state is the process-wide one.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleHostMessage(Ui(), window, message, wParam, lParam);
}

void RegisterWindowClasses() {
    Register(kViewClass, ViewWindowProc, 0);
    Register(kHostClass, OwnHostWindowProc, CS_DROPSHADOW);
    Register(kTransitionClass, TransitionWindowProc, 0);
}

HWND CreateHostWindow(const wchar_t* title) {
    UiState& ui = Ui();
    const HWND host = ::CreateWindowExW(WS_EX_APPWINDOW, kHostClass, title, WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                                        0, 720, 480, nullptr, nullptr, ui.module, &ui);
    if (!host) ReportFailedCall("CreateWindowExW", ::GetLastError());
    return host;
}

HWND CreateViewWindow(HWND host, int width, int height) {
    UiState& ui = Ui();
    const HWND view = ::CreateWindowExW(WS_EX_COMPOSITED | WS_EX_CONTROLPARENT, kViewClass, L"Lumora",
                                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP, 0, 0,
                                        width, height, host, nullptr, ui.module, &ui);
    if (!view) ReportFailedCall("CreateWindowExW", ::GetLastError());
    return view;
}

HWND CreateTransitionWindow(HWND view, int width, int height) {
    const HWND transition = ::CreateWindowExW(WS_EX_NOACTIVATE, kTransitionClass, L"", WS_CHILD | WS_CLIPSIBLINGS, 0, 0,
                                              width, height, view, nullptr, Ui().module, nullptr);
    if (!transition) ReportFailedCall("CreateWindowExW", ::GetLastError());
    return transition;
}

void ReleaseWindowFrames() {
    Frames().Release();
    KeptIllustrations().Release();
}

void ReleaseWindowFramesAtUnload() {
    // A window never destroyed still has a bitmap of a render target, which
    // must not be released under the loader lock: its frames are then left.
    ViewPicture& frames = Frames();
    if (!frames.HoldsTargetBitmap()) delete &frames;
}

}  // namespace lum
