// Presentation: fades, cross-fades and the animation tick.
#pragma once

#include <windows.h>

#include "draw/canvas.h"

namespace lum {

// Captures the current frame so that the coming change can cross-fade.
void BeginChange();
// Starts the cross-fade from the frame captured by BeginChange.
void StartCrossFade();
// Stops a cross-fade at once.
void EndCrossFade();
// Marks the animated band dirty and invalidates it.
void InvalidateBand();
// Releases the transition window and the cross-fade frames (LumUI_Destroy).
void ReleasePresentation();
// Timer 20553: advances every animation and stops the timer once all is still.
void AnimationTick();

// Draws the current state at clock time `now` into `bitmap`, sized to the
// view: controls included, and the install path painted by the page because
// the native folder edit is not part of a captured picture.
bool CaptureFrame(FrameBitmap& bitmap, double now);
// Composes the transition picture at clock time `now`.
void ComposeCrossFade(double now);
// The picture the transition window shows, as last composed.
const FrameBitmap& CrossFadePicture();
// The transition window's paint: composes the picture at this moment and
// copies the area of it into the DC.
void PaintCrossFade(HDC dc, const RECT& area);

}  // namespace lum
