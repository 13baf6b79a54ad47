// Prints how long a whole frame takes for every page: cold (drawing caches
// emptied first) and warm (mean of repeated frames), at scale 1 and 2, and
// the time of one LumUI_Render call. Direct2D defers drawing until the frame
// ends, so a frame is timed from Canvas::Begin to Canvas::End.
#include <windows.h>

#include <cstdio>
#include <string>

#include "draw/canvas.h"
#include "exports/LumoraUI.h"
#include "base/scoped_win.h"
#include "host/ui_state.h"
#include "base/value_animation.h"
#include "pages/controls.h"
#include "pages/draw_page.h"
#include "pages/offline_render.h"

using namespace lum;

namespace {

constexpr int kWarmFrames = 10;

double FrameMs(FrameBitmap& frame, const PageFrame& page, float scale) {
    const double start = NowMs();
    Canvas canvas;
    if (!canvas.Begin(frame, scale)) return -1.0;
    DrawPage(canvas, page);
    canvas.End();
    return NowMs() - start;
}

}  // namespace

int main() {
    ComScope com;
    LumUI_LoadLanguage(nullptr, L"english");
    if (!EnsureFactories()) {
        std::printf("drawing factories unavailable\n");
        return 1;
    }
    std::printf("%-6s %-6s %10s %10s\n", "scale", "page", "cold ms", "warm ms");
    for (float scale : {1.0f, 2.0f}) {
        FrameBitmap frame;
        if (!frame.Ensure(static_cast<int>(720 * scale), static_cast<int>(480 * scale))) {
            std::printf("cannot make a %gx frame\n", scale);
            return 1;
        }
        for (int32_t page = 0; page <= kLastPage; ++page) {
            Ui().page = page;
            const PageFrame resting = RestingFrame(Ui(), {});
            ReleaseDrawingResources();  // empties the render-target pool and the text caches
            const double cold = FrameMs(frame, resting, scale);
            double warm = 0;
            for (int i = 0; i < kWarmFrames; ++i) warm += FrameMs(frame, resting, scale);
            std::printf("%-6g %-6d %10.2f %10.2f\n", scale, page, cold, warm / kWarmFrames);
        }
    }

    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"lumora-pages-bench.png";
    for (int i = 0; i < 2; ++i) {
        const double start = NowMs();
        const int32_t ok = LumUI_Render(path.c_str(), 0, 96);
        std::printf("LumUI_Render scenario 0 at 96 DPI (%s): %.2f ms, result %d\n", i == 0 ? "first" : "again",
                    NowMs() - start, ok);
    }
    ::DeleteFileW(path.c_str());
    ::DeleteFileW((path + L".layout.txt").c_str());
    return 0;
}
