// The window frame: native children over the drawn controls, the modal loop
// and the animation timer.
#pragma once

namespace lum {

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
// Makes sure the animation timer runs.
void StartAnimationTimer();
// Posts the fade-in request once.
void RequestFadeIn();
// The text of the folder edit, taken into the install path (if the edit exists).
void TakeFolderEditText();

}  // namespace lum
