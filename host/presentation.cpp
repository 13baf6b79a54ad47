// How changes reach the screen softly. A change freezes the picture on screen
// in the transition window (BeginChange), lets the state and the native
// controls change beneath it, then blends the new picture in over 180 ms, or
// 140 ms for a dialog or menu (StartCrossFade). One timer on the view drives
// the blend, the fade-in, the controls' looks and the progress glide, and
// stops as soon as nothing moves.
#include "host/presentation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "draw/cross_fade.h"
#include "host/frames.h"
#include "host/ui_state.h"
#include "host/window.h"
#include "pages/dialogs.h"
#include "pages/draw_page.h"
#include "pages/progress_page.h"

namespace lum {
namespace {

// The frame before the change, the frame after it, and their blend. A change
// during a cross-fade makes the blend on screen the next old frame: the two
// swap places rather than copy.
struct CrossFadeFrames {
    std::array<FrameBitmap, 3> bitmaps;
    FrameBitmap* old = &bitmaps[0];
    FrameBitmap* next = &bitmaps[1];
    FrameBitmap* composition = &bitmaps[2];
};
CrossFadeFrames& Fade() {
    static CrossFadeFrames frames;
    return frames;
}

bool HostShownNormally(const UiState& ui) {
    return ui.host && ::IsWindow(ui.host) && ::IsWindowVisible(ui.host) && !::IsIconic(ui.host);
}

// Whether anything may move: nobody sees an animation of a hidden or
// minimised window, and none runs when the system has them switched off.
bool MayAnimate(const UiState& ui) {
    return IsAttached() && ui.animationsEnabled && !ui.closing && HostShownNormally(ui);
}

bool TransitionShown(const UiState& ui) { return ui.transition && ::IsWindowVisible(ui.transition); }

bool DialogOrMenuShown(const UiState& ui) { return ui.dialog != DialogNone || ui.languageMenuOpen || ui.titleMenuOpen; }

bool EnsureTransitionWindow(UiState& ui, int width, int height) {
    if (!ui.transition || !::IsWindow(ui.transition)) ui.transition = CreateTransitionWindow(ui.view, width, height);
    return ui.transition != nullptr;
}

// On top of the native controls, which the frozen picture covers too.
void ShowTransition(const UiState& ui, const FrameBitmap& frame) {
    ::SetWindowPos(ui.transition, HWND_TOP, 0, 0, frame.width(), frame.height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

}  // namespace

bool CaptureFrame(FrameBitmap& bitmap, double now) {
    const UiState& ui = Ui();
    RECT client{};
    if (!ui.view || !::GetClientRect(ui.view, &client) || !bitmap.Ensure(client.right, client.bottom)) return false;
    PageFrame frame = WindowFrame(ui, now, true, true);
    frame.illustrations = &KeptIllustrations();
    frame.illustrations->Prepare(ui, bitmap.width(), bitmap.height(), ui.scale);
    Canvas canvas;
    if (!canvas.Begin(bitmap, ui.scale)) return false;
    DrawPage(canvas, frame);
    return true;
}

void BeginChange() {
    UiState& ui = Ui();
    CrossFadeFrames& fade = Fade();
    ui.capturePending = false;
    if (!MayAnimate(ui)) return;
    ui.crossFadeMs = DialogOrMenuShown(ui) ? 140.0 : 180.0;
    if (!TransitionShown(ui) || !fade.composition->dc()) {
        TakeFolderEditText();
        if (!CaptureFrame(*fade.old, NowMs())) return;
    } else {  // what is on screen now, half blended, is where the next cross-fade starts
        ComposeCrossFade(NowMs());
        std::swap(fade.old, fade.composition);
    }
    const FrameBitmap& old = *fade.old;
    if (!fade.composition->Ensure(old.width(), old.height()) ||
        !EnsureTransitionWindow(ui, old.width(), old.height())) {
        return;
    }
    ui.capturePending = true;
    ui.crossFade.Set(0.0f);
    ShowTransition(ui, old);
    ::RedrawWindow(ui.transition, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void StartCrossFade() {
    UiState& ui = Ui();
    if (!ui.capturePending) return;
    ui.capturePending = false;
    CrossFadeFrames& fade = Fade();
    const FrameBitmap& next = *fade.next;
    if (!MayAnimate(ui) || !CaptureFrame(*fade.next, NowMs()) ||
        !fade.composition->Ensure(next.width(), next.height()) ||
        !EnsureTransitionWindow(ui, next.width(), next.height())) {
        EndCrossFade();
        return;
    }
    ui.crossFade.Set(0.0f);
    ui.crossFade.Aim(1.0f, DialogOrMenuShown(ui) ? 140.0 : ui.crossFadeMs, NowMs());
    ShowTransition(ui, next);
    ::InvalidateRect(ui.transition, nullptr, FALSE);
    StartAnimationTimer();  // a timer that cannot be set ends every animation, this one too
}

void EndCrossFade() {
    UiState& ui = Ui();
    ui.crossFade.Set(1.0f);
    ui.capturePending = false;
    if (!TransitionShown(ui)) return;
    ::ShowWindow(ui.transition, SW_HIDE);
    if (IsAttached() && !ui.closing && HostShownNormally(ui)) {
        ::RedrawWindow(ui.view, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void ComposeCrossFade(double now) {
    CrossFadeFrames& fade = Fade();
    if (!fade.composition->dc() || !fade.old->dc()) return;
    BlendFrames(*fade.old, fade.next->dc() ? fade.next : nullptr, Ui().crossFade.ValueAt(now), *fade.composition);
}

const FrameBitmap& CrossFadePicture() { return *Fade().composition; }

void PaintCrossFade(HDC dc, const RECT& area) {
    ComposeCrossFade(NowMs());
    const FrameBitmap& picture = CrossFadePicture();
    if (!picture.dc()) return;
    ::BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, picture.dc(), area.left, area.top,
             SRCCOPY);
}

void ReleasePresentation() {
    UiState& ui = Ui();
    if (ui.transition && ::IsWindow(ui.transition)) ::DestroyWindow(ui.transition);
    ui.transition = nullptr;
    ui.crossFade.Set(1.0f);
    ui.capturePending = false;
    for (FrameBitmap& bitmap : Fade().bitmaps) bitmap.Release();
}

// Only what moves is painted again: the transition window, animating native
// buttons, the progress band, the closing dialog's busy bar. The frame under
// them stays as it was drawn after the last change.
void AnimationTick() {
    UiState& ui = Ui();
    if (!MayAnimate(ui)) {
        EndCrossFade();
        StopAnimationTimer();
        return;
    }
    const double now = NowMs();
    bool active = false;
    ValueAnimation& opacity = ui.windowOpacity;
    if (!ui.fadeInPending && opacity.to == 1.0f && opacity.duration > 0.0) {
        const float alpha = std::clamp(opacity.ValueAt(now), 0.0f, 1.0f);
        ::SetLayeredWindowAttributes(ui.host, 0, static_cast<BYTE>(std::lround(alpha * 255.0f)), LWA_ALPHA);
        if (opacity.TimeUp(now)) {
            opacity.Snap();
        } else {
            active = true;
        }
    }
    if (TransitionShown(ui)) {
        if (ui.crossFade.TimeUp(now)) {
            EndCrossFade();
        } else {
            ::InvalidateRect(ui.transition, nullptr, FALSE);  // its paint composes the next picture
            active = true;
        }
    }
    for (ControlRecord& record : ui.controls) {
        ValueAnimation* looks[] = {&record.hover, &record.press, &record.check, &record.focus};
        const bool animating =
            std::any_of(std::begin(looks), std::end(looks), [&](auto* a) { return !a->TimeUp(now); });
        const bool unsettled =
            std::any_of(std::begin(looks), std::end(looks), [](auto* a) { return a->duration != 0.0; });
        // One paint more after the end, in the final look.
        if (record.window && (animating || unsettled)) ::InvalidateRect(record.window, nullptr, FALSE);
        for (ValueAnimation* look : looks) {
            if (look->TimeUp(now)) look->Snap();
        }
        active = active || animating;
    }
    const bool progressPage = ui.page == PageInstalling || ui.page == PageUninstalling;
    if (ui.dialog == DialogNone && progressPage && ui.displayedProgress.duration > 0.0) {
        InvalidateBand();
        if (ui.displayedProgress.TimeUp(now)) {
            ui.displayedProgress.Snap();
        } else {
            active = true;
        }
    }
    if (ui.dialog == DialogClosing) {  // the busy bar moves for as long as the dialog shows
        InvalidateBand();
        return;
    }
    if (!active) StopAnimationTimer();
}

// The progress pages' bar and the closing dialog's busy bar move in bands of
// their own; anywhere else the band is part of the still picture.
void InvalidateBand() {
    const UiState& ui = Ui();
    if (ui.dialog == DialogClosing) {
        InvalidateLayoutBand(BusyBarBand());
        return;
    }
    if (ui.dialog != DialogNone || (ui.page != PageInstalling && ui.page != PageUninstalling)) return;
    InvalidateLayoutBand(ProgressBandBox());
}

}  // namespace lum
