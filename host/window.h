// The window frame: native children over the drawn controls, the modal loop,
// the animation timer, and the window classes with their procedures.
#pragma once

#include <windows.h>

#include <cstdint>

#include "draw/canvas.h"

namespace lum {

constexpr UINT_PTR kAnimationTimerId = 20553;
// Posted to the view by RequestFadeIn.
constexpr UINT kFadeInMessage = WM_APP + 0x51;
constexpr int kFolderEditId = 900;
constexpr int kFirstControlId = 1000;

// Replaces UiState's control list with the controls of the current dialog,
// or of the current page, the title bar and the open menus.
void BuildControls();
// Rebuilds the control list and the native children from UiState, redraws and
// starts the cross-fade.
void CommitChange();
// Pumps the thread's messages until the modal wait or the dialog is over.
void ModalLoop();
// Marks the frame dirty and invalidates the view and every native control.
void Redraw();
// Marks a part of the frame (layout units) to be drawn again alone and
// invalidates its pixels: for the parts that change while the rest stays.
void InvalidateLayoutBand(const Box& band);
// Makes sure the animation timer runs.
void StartAnimationTimer();
// Stops the animation timer if it runs.
void StopAnimationTimer();
// Posts the fade-in request once.
void RequestFadeIn();
// The text of the folder edit, taken into the install path (if the edit exists).
void TakeFolderEditText();
// Focus rings show only after keyboard use: every procedure shows it its messages.
void KeyboardCueTracker(UINT message, WPARAM wParam);
// Re-reads the client-area-animation setting and the frame interval.
void ReadSystemSettings();
// Every control animation, the progress and the opacity at their targets.
void SnapAnimations();

// Registers the three window classes (an existing class is fine).
void RegisterWindowClasses();
HWND CreateHostWindow(const wchar_t* title);
HWND CreateViewWindow(HWND host, int width, int height);
// The cross-fade overlay: a child of the view that never takes activation or clicks.
HWND CreateTransitionWindow(HWND view, int width, int height);
// The procedure a foreign host window is subclassed with.
LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The view's and the buttons' off-screen frames (LumUI_Destroy).
void ReleaseWindowFrames();
// FreeLibrary: the window frames go, unless a window was never destroyed.
void ReleaseWindowFramesAtUnload();

}  // namespace lum
