// The window's frames come from a cached still part with the moving part drawn
// over it, and the illustrations are copied from pixels kept since their first
// frame; either way the picture must be exactly the one a whole pass draws.
#include <gtest/gtest.h>

#include <cstring>

#include "host/frames.h"
#include "host/ui_host.h"
#include "pages/draw_page.h"
#include "pages/illustrations.h"
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
    // language menu, the closing dialog (busy bar) and the open title menu;
    // with the controls' looks moving and (the window's view) at rest.
    for (int32_t scenario : {0, 2, 11, 14, 17, 19})
        for (bool looksMove : {true, false}) {
            const ScreenModel model = ScenarioModel(Ui(), scenario);
            PageFrame frame = RestingFrame(model, {});
            FillCloseInterface(frame, model);
            frame.looksMove = looksMove;
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

// Every page with an illustration (the uninstalled page in both versions), in
// a Latin and an ideographic language (their text boxes differ), at three
// scales; the overflow report must list the same texts in the same order.
TEST(FrameCacheTest, KeptIllustrationsLeaveEveryPixelAndTheReportAsDrawn) {
    IllustrationCache kept;
    for (const wchar_t* language : {L"french", L"japanese"}) {
        LoadLanguage(nullptr, language);
        SetText(L"Ready", L"A label far too long for the small box the illustration gives it");
        for (const float scale : {1.0f, 1.5f, 2.0f}) {
            if (scale != 1.0f && language != std::wstring(L"french")) continue;
            FrameBitmap copied, drawn;
            ASSERT_TRUE(copied.Ensure(static_cast<int>(720 * scale), static_cast<int>(480 * scale)) &&
                        drawn.Ensure(copied.width(), copied.height()));
            for (int32_t scenario : {0, 2, 3, 6, 7, 15}) {
                ScreenModel model = ScenarioModel(Ui(), scenario);
                if (scenario == 15) model.page = PageUninstalled;  // with the remove-data flag: the other picture
                PageFrame frame = RestingFrame(model, {});
                std::vector<std::wstring> overflows[2];
                for (int pass = 0; pass < 2; ++pass) {
                    frame.illustrations = pass == 0 ? &kept : nullptr;
                    if (pass == 0) kept.Prepare(model, copied.width(), copied.height(), scale);
                    Canvas canvas;
                    canvas.CollectOverflows(&overflows[pass]);
                    ASSERT_TRUE(canvas.Begin(pass == 0 ? copied : drawn, scale));
                    DrawPage(canvas, frame);
                }
                EXPECT_TRUE(kept.HoldsTargetBitmaps()) << "the illustration was copied, not drawn";
                kept.ReleaseTargetBitmaps();
                const std::string where = "scenario " + std::to_string(scenario) + " at " + std::to_string(scale);
                EXPECT_TRUE(SamePixels(copied, drawn)) << where;
                EXPECT_EQ(overflows[0], overflows[1]) << where;
            }
        }
    }
    LoadLanguage(nullptr, L"english");
}

// The window paints a progress step only where it changes: the bar's columns
// between its old and new ends, the longer of the old and new detail lines.
// After every step the view must be the picture painted whole, on both
// progress pages and at scales whose pixels split layout units.
TEST(FrameCacheTest, ProgressStepsPaintedWhereTheyChangeLeaveTheWholePicture) {
    LoadLanguage(nullptr, L"english");
    const std::pair<float, std::wstring> steps[] = {
        {0.30f, L"C:\\Program Files\\Lumora\\plugins\\capture-engine-with-a-long-name.dll"},
        {0.62f, L"setup.dll"},  // on, and a shorter line
        {0.47f, L"setup.dll"},  // back
        {0.4705f, L""},         // a fraction of a pixel, and the stage's own line
        {0.0f, L"a line far too long for its box, " + std::wstring(120, L'w') + L" so that it wraps"},
        {1.0f, L"done"}};
    for (int32_t scenario : {2, 16})
        for (const float scale : {1.0f, 1.25f, 1.5f, 1.75f}) {
            SetProgress(10, 100, nullptr);
            ScreenModel model = ScenarioModel(Ui(), scenario);
            PageFrame frame = RestingFrame(model, {});
            const int width = static_cast<int>(720 * scale), height = static_cast<int>(480 * scale);
            ViewPicture stepped, whole;
            ASSERT_TRUE(stepped.Paint(width, height, scale, frame));
            for (const auto& [progress, detail] : steps) {
                frame.progress = progress;
                model.progressText = detail;
                stepped.PaintProgressBand(frame);
                ASSERT_TRUE(whole.Paint(width, height, scale, frame));
                EXPECT_TRUE(SamePixels(stepped.pixels(), whole.pixels()))
                    << "scenario " << scenario << " at " << scale << ", step to " << progress;
            }
        }
    SetProgress(0, 0, nullptr);
}

}  // namespace
}  // namespace lum
