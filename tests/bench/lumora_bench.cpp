// Timings of drawing, whole screens, language loads and process snapshots: a first (cold) call, then warm ones.
#include "draw/scenes.h"
#include "shutdown/snapshot.h"
#include "test_support.h"
#include "text/language.h"

int main() {
    lumtest::TempDir dir;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    for (const int scale : {1, 2}) {  // the welcome illustration with its texts, cold after a release
        lum::ReleaseDrawingResources();
        lum::FrameBitmap frame;
        lum::Canvas canvas;
        if (!frame.Ensure(720 * scale, 480 * scale) || !canvas.Begin(frame, static_cast<float>(scale))) return 1;
        lumtest::TimePerCall("illustration, scale " + std::to_string(scale), 15, [&] {
            lum::DrawScene(canvas, lum::SceneWelcome, 0, 0, 1);
            canvas.target()->Flush();
        });
    }
    for (int32_t page = 0; page <= 21; ++page) {  // whole screens through LumUI_Render, PNG included
        LumUI_Destroy();                          // releases the drawing resources
        lumtest::TimePerCall("LumUI_Render page " + std::to_string(page % 11) + (page > 10 ? " at 192 DPI" : " at 96 DPI"),
                             5, [&] { LumUI_Render((dir / L"page.png").c_str(), page % 11, page > 10 ? 192 : 96); });
    }
    lumtest::TimePerCall("BuildTextMap(japanese)", 2000, [] { (void)lum::BuildTextMap(L"japanese"); });
    lumtest::TimePerCall("LumUI_LoadLanguage(japanese)", 2000, [] { LumUI_LoadLanguage(nullptr, L"japanese"); });
    lum::ProcessGroup group(dir / L"Lumora.exe", [](const std::wstring&) {});  // a scan of the whole process list
    lumtest::TimePerCall("Snapshot", 25, [&] { lum::Snapshot(group); });
}
