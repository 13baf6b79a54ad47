// The window's frames come from a cached still part with the moving part drawn
// over it; the picture must be exactly the one a whole pass draws.
#include <gtest/gtest.h>

#include <cstring>

#include "host/frames.h"
#include "host/ui_host.h"
#include "pages/draw_page.h"
#include "pages/offline_render.h"

namespace lum {
namespace {

bool SamePixels(const FrameBitmap& a, const FrameBitmap& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::memcmp(a.pixels(), b.pixels(), static_cast<size_t>(a.width()) * a.height() * 4) == 0;
}

TEST(FrameCacheTest, CachedFramesEqualWholeFramesAsLooksAndContentChange) {
    LoadLanguage(nullptr, L"english");
    SetProgress(30, 100, L"copying");
    FrameCache cache;
    FrameBitmap cached, whole;
    ASSERT_TRUE(cached.Ensure(720, 480) && whole.Ensure(720, 480));
    // Welcome, installing (moving bar), installing under a dialog, the open
    // language menu and the closing dialog (busy bar).
    for (int32_t scenario : {0, 2, 11, 14, 17}) {
        const ScreenModel model = ScenarioModel(Ui(), scenario);
        PageFrame frame = RestingFrame(model, {});
        FillCloseInterface(frame, model);
        for (int step = 0; step < 3; ++step) {
            // Second frame: a control hovered, the bar and the busy bar moved;
            // third: a control pressed and focused.
            if (step == 1 && !frame.looks.empty()) frame.looks.back().hover = 0.6f;
            if (step == 1) frame.progress = 0.55f, frame.busyOffset = 210.0f;
            if (step == 2 && !frame.looks.empty()) frame.looks.front().press = frame.looks.front().focus = 1.0f;
            ASSERT_TRUE(cache.Paint(cached, 1.0f, frame));
            Canvas canvas;
            ASSERT_TRUE(canvas.Begin(whole, 1.0f));
            DrawPage(canvas, frame);
            canvas.End();
            EXPECT_TRUE(SamePixels(cached, whole)) << "scenario " << scenario << ", frame " << step;
        }
    }
}

}  // namespace
}  // namespace lum
