// Presentation: fades, cross-fades and the animation tick.
#pragma once

namespace lum {

// Captures the current frame so that the coming change can cross-fade.
void BeginChange();
// Starts the cross-fade from the frame captured by BeginChange.
void StartCrossFade();
// Stops a cross-fade at once.
void EndCrossFade();
// Marks the animated band dirty and invalidates it.
void InvalidateBand();
// Releases the off-screen frames and the transition state (LumUI_Destroy).
void ReleasePresentation();

}  // namespace lum
