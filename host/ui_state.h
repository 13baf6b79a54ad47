// UiState: the one process-wide state of the UI, and the event queue that the
// setup script drains through LumUI_Poll.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "base/value_animation.h"
#include "pages/control_record.h"
#include "pages/page_frame.h"
#include "pages/screen_model.h"

namespace lum {

// First-in first-out queue of action codes, drained by LumUI_Poll.
class EventQueue {
public:
    void Push(int32_t code) { codes_.push_back(code); }
    // The oldest code, removed; 0 when the queue is empty.
    int32_t Pop() noexcept {
        if (codes_.empty()) return 0;
        const int32_t code = codes_.front();
        codes_.pop_front();
        return code;
    }
    void Clear() noexcept { codes_.clear(); }
    size_t Size() const noexcept { return codes_.size(); }

private:
    std::deque<int32_t> codes_;
};

// The one process-wide state of the UI: the screen's content, the windows
// that show it, and the queue the setup script polls.
struct UiState : ScreenModel {
    HINSTANCE module = nullptr;
    HWND host = nullptr;
    bool ownsHost = false;
    // While a window exists its thread holds the export gate, so that its
    // window procedures run as the only thread inside (base/export_gate.h).
    bool holdsExportGate = false;
    bool hostWasLayered = false;
    WNDPROC savedHostProc = nullptr;
    HWND view = nullptr;
    HWND folderEdit = nullptr;
    HFONT editFont = nullptr;
    HWND transition = nullptr;
    // The new frame's opacity over the old one while a change cross-fades.
    ValueAnimation crossFade;
    double crossFadeMs = 180.0;   // chosen by BeginChange
    bool capturePending = false;  // BeginChange captured a frame for StartCrossFade
    ValueAnimation windowOpacity;
    bool fadeInPending = true;
    bool fadeInRequested = false;
    float scale = 1.0f;

    bool closing = false;
    bool modal = false;
    int32_t modalResult = 0;
    int32_t confirmAnswer = 0;
    bool keyboardCues = false;
    bool animationsEnabled = true;
    int32_t frameIntervalMs = 16;
    bool timerRunning = false;
    // The view's off-screen frame must be drawn again before it is shown.
    bool frameDirty = true;
    // Only this part of the frame changed (layout units); empty when none.
    Box dirtyBand;

    ValueAnimation displayedProgress;
    EventQueue events;
    std::vector<ControlRecord> controls;
    LegalLineLayout legal;  // measured with the controls of page 0
};

// The process-wide instance. Used on the script's thread only.
UiState& Ui() noexcept;

// True while the view window exists.
bool IsAttached() noexcept;

}  // namespace lum
