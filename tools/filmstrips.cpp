// filmstrips: the window's motions as strips of frames, each frame labelled
// with its time in milliseconds, for the gallery.
//
//   filmstrips.exe <output folder>
//
// Runs the window code in this process on the current display and starts each
// motion as a setup program or a person does: a page change, the pointer on
// the primary button, a dialog asked for, a progress step. The frames are then
// drawn by the window's own pieces at chosen times after the motion started:
// ComposeCrossFade for cross-fades (the frames BeginChange and StartCrossFade
// captured), CaptureFrame for the rest (every control's look and the progress
// glide sampled from their animations). Writes crossfade-welcome-options.png,
// hover-primary-button.png, dialog-appears.png and progress-glide.png; exits
// with 0 only when all four were written.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/palette.h"
#include "draw/png_writer.h"
#include "host/presentation.h"
#include "host/ui_host.h"
#include "host/ui_state.h"
#include "pages/progress_page.h"

namespace lum {
namespace {

// One frame of a strip: the part of a picture it shows (pixels) and when.
struct Frame {
    std::unique_ptr<FrameBitmap> picture = std::make_unique<FrameBitmap>();
    int ms = 0;
};

// Where in a 720 x 480 picture a strip looks, and how large it shows it.
struct View {
    RECT part{0, 0, 720, 480};
    float zoom = 0.5f;
};

void Pump(DWORD ms) {
    for (const ULONGLONG end = ::GetTickCount64() + ms; ::GetTickCount64() < end;) {
        for (MSG msg; ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

Frame Copy(const FrameBitmap& source, int ms) {
    Frame frame;
    frame.ms = ms;
    if (frame.picture->Ensure(source.width(), source.height())) {
        ::BitBlt(frame.picture->dc(), 0, 0, source.width(), source.height(), source.dc(), 0, 0, SRCCOPY);
    }
    return frame;
}

// The cross-fade that the last change started, at each of the times.
std::vector<Frame> CrossFadeFrames(const std::vector<int>& times) {
    std::vector<Frame> frames;
    const double start = Ui().crossFade.start;
    if (Ui().crossFade.duration <= 0.0) return frames;  // no cross-fade runs
    for (int ms : times) {
        ComposeCrossFade(start + ms);
        frames.push_back(Copy(CrossFadePicture(), ms));
    }
    return frames;
}

// The window's picture at each of the times after `start`.
std::vector<Frame> CapturedFrames(double start, const std::vector<int>& times) {
    std::vector<Frame> frames;
    for (int ms : times) {
        Frame frame;
        frame.ms = ms;
        if (CaptureFrame(*frame.picture, start + ms)) frames.push_back(std::move(frame));
    }
    return frames;
}

// The frames side by side (rows of at most 2400 pixels), each with its time below.
bool WriteStrip(const std::wstring& path, const std::vector<Frame>& frames, const View& view) {
    if (frames.empty()) return false;
    const float cellWidth = (view.part.right - view.part.left) * view.zoom;
    const float cellHeight = (view.part.bottom - view.part.top) * view.zoom;
    constexpr float kGap = 16.0f, kLabel = 26.0f;
    const int columns = std::max(1, std::min(static_cast<int>(frames.size()), static_cast<int>(2400 / cellWidth)));
    const int rows = (static_cast<int>(frames.size()) + columns - 1) / columns;
    FrameBitmap strip;
    if (!strip.Ensure(static_cast<int>(kGap + columns * (cellWidth + kGap)),
                      static_cast<int>(kGap + rows * (cellHeight + kLabel + kGap)))) {
        return false;
    }
    {
        Canvas canvas;
        if (!canvas.Begin(strip, 1.0f)) return false;
        canvas.Clear(kWhite);
        ::GdiFlush();
        const auto format =
            D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE));
        for (size_t i = 0; i < frames.size(); ++i) {
            const FrameBitmap& picture = *frames[i].picture;
            const float x = kGap + (i % columns) * (cellWidth + kGap);
            const float y = kGap + (i / columns) * (cellHeight + kLabel + kGap);
            const RECT& part = view.part;
            const uint32_t* first = picture.pixels() + static_cast<size_t>(part.top) * picture.width() + part.left;
            ComPtr<ID2D1Bitmap> bitmap;
            if (FAILED(canvas.target()->CreateBitmap(D2D1::SizeU(part.right - part.left, part.bottom - part.top), first,
                                                     picture.width() * 4, format, &bitmap))) {
                return false;
            }
            canvas.target()->DrawBitmap(bitmap.Get(), D2D1::RectF(x, y, x + cellWidth, y + cellHeight), 1.0f,
                                        D2D1_BITMAP_INTERPOLATION_MODE_LINEAR);
            canvas.RoundRect(x - 0.5f, y - 0.5f, cellWidth + 1, cellHeight + 1, 0, 0, kWindowBorder, 1.0f);
            canvas.DrawText(std::to_wstring(frames[i].ms) + L" ms", {x, y + cellHeight + 4, cellWidth, kLabel - 4},
                            TextStyle{.size = 14, .color = kNavy, .align = TextAlign::Centre});
        }
    }
    return WritePng(strip, path);
}

ControlRecord* FirstOfKind(ControlKind kind) {
    for (ControlRecord& record : Ui().controls) {
        if (record.kind == kind && record.window) return &record;
    }
    return nullptr;
}

// The dialog's cross-fade, taken from inside LumUI_Confirm's wait; Escape then answers it.
std::vector<Frame> g_dialogFrames;
void CALLBACK TakeDialogFrames(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    g_dialogFrames = CrossFadeFrames({0, 15, 30, 50, 80, 140});
    ::PostMessageW(Ui().view, WM_KEYDOWN, VK_ESCAPE, 0);
}

int Run(const std::wstring& folder) {
    UiState& ui = Ui();
    ui.module = ::GetModuleHandleW(nullptr);
    ::SetCursorPos(0, 0);  // nothing hovered but what a strip hovers
    LoadLanguage(nullptr, L"english");
    if (!Create(PageWelcome, 96)) return std::fwprintf(stderr, L"filmstrips: no window\n"), 1;
    Show();
    Pump(400);
    if (!ui.animationsEnabled) return std::fwprintf(stderr, L"filmstrips: animations are off\n"), 1;
    int written = 0;
    const auto write = [&](const wchar_t* name, const std::vector<Frame>& frames, const View& view) {
        const bool ok = WriteStrip(folder + L"\\" + name, frames, view);
        std::wprintf(L"%ls %ls\n", ok ? L"ok" : L"FAILED", name);
        written += ok;
    };

    SetPage(PageOptions);
    write(L"crossfade-welcome-options.png", CrossFadeFrames({0, 20, 40, 60, 90, 120, 180}), {});
    Pump(400);

    SetPage(PageWelcome);
    Pump(400);
    std::vector<Frame> hover;
    if (ControlRecord* primary = FirstOfKind(KindPrimary)) {
        ::SendMessageW(primary->window, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
        RECT around{static_cast<LONG>(primary->left) - 24, static_cast<LONG>(primary->top) - 16,
                    static_cast<LONG>(primary->right) + 24, static_cast<LONG>(primary->bottom) + 16};
        hover = CapturedFrames(primary->hover.start, {0, 15, 30, 50, 80, 120});
        write(L"hover-primary-button.png", hover, {around, 2.0f});
    }
    Pump(400);

    SetPage(PageOptions);
    Pump(400);
    ::SetTimer(nullptr, 0, 1, TakeDialogFrames);
    Confirm(DialogCancelInstall);
    write(L"dialog-appears.png", g_dialogFrames, {});
    Pump(400);

    SetPage(PageInstalling);
    SetProgress(35, 100, L"Copying files");
    Pump(400);
    SetProgress(70, 100, L"Copying files");
    const Box band = ProgressBandBox();
    const RECT bar{static_cast<LONG>(band.x) - 8, static_cast<LONG>(band.y) - 8,
                   static_cast<LONG>(band.x + band.width) + 8, static_cast<LONG>(band.y + band.height) + 8};
    write(L"progress-glide.png", CapturedFrames(ui.displayedProgress.start, {0, 20, 40, 70, 100, 140}), {bar, 1.0f});

    Destroy();
    return written == 4 ? 0 : 1;
}

}  // namespace
}  // namespace lum

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: filmstrips.exe <output folder>\n");
        return 2;
    }
    ::CreateDirectoryW(argv[1], nullptr);
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;  // PNG encoding needs COM
    const int status = lum::Run(argv[1]);
    std::fflush(stdout);
    ::CoUninitialize();
    return status;
}
