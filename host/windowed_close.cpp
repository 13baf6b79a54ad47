#include "host/windowed_close.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>

#include "host/presentation.h"
#include "host/ui_state.h"
#include "host/window.h"
#include "log/native_log.h"
#include "pages/dialogs.h"
#include "shutdown/close_interface.h"

namespace lum {
namespace {

// Takes every waiting message of this thread. Escape is dropped, so the
// closing dialog cannot be dismissed; a quit request is put back and ends the
// draining. While the busy bar moves, timer ticks and paints keep coming, so
// the draining also ends after a frame's worth of time.
void DrainMessages() {
    const ULONGLONG end = ::GetTickCount64() + 50;
    MSG msg{};
    while (::GetTickCount64() < end && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) continue;
        KeyboardCueTracker(msg.message, msg.wParam);
        const HWND view = Ui().view;
        if (view && ::IsWindow(view) && ::IsDialogMessageW(view, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

// Runs the shutdown on a worker thread while the closing dialog stays alive.
bool RunBesideWindow(const GroupShutdown& shutdown) {
    UiState& ui = Ui();
    BeginChange();
    ui.dialog = DialogClosing;
    SetClosingPhase(1);
    CommitChange();
    if (IsAttached()) ::UpdateWindow(ui.view);

    std::atomic<int32_t> phase{1};
    std::future<bool> worker = std::async(std::launch::async, [&shutdown, &phase] {
        return shutdown([&phase](ShutdownPhase p) { phase.exchange(static_cast<int32_t>(p)); });
    });
    while (worker.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        NotifyHost();
        DrainMessages();
        const int32_t now = phase.load();
        if (ClosingPhase() != now) {
            SetClosingPhase(now);
            InvalidateLayoutBand(ClosingPhaseBand());
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return worker.get();  // rethrows the worker's exception
}

}  // namespace

int32_t CloseApplicationFromHost(const wchar_t* target) {
    if (!target || target[0] == L'\0') return 0;
    if (!IsAttached()) return CloseApplication(target);
    UiState& ui = Ui();
    const int32_t previousDialog = ui.dialog;
    const int32_t result = CloseApplication(target, RunBesideWindow);
    if (IsAttached()) {
        BeginChange();
        ui.dialog = previousDialog;
        CommitChange();
    }
    return result;
}

}  // namespace lum
