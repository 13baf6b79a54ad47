// Timings of drawing, whole screens, language loads, closing the application and process snapshots (against
// the bare process list, with more and more processes outside the install folder): a cold call, then warm ones.
#include <windows.h>
// The process list API needs the base types first.
#include <tlhelp32.h>

#include <algorithm>
#include <memory>

#include "base/clock.h"
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
    const std::wstring target = dir / L"Lumora.exe", outside = dir / L"helper.exe";
    for (const auto& copy : {target, outside})
        ::CopyFileW((lumtest::ExeDir() + L"lumfixture_app.exe").c_str(), copy.c_str(), 0);
    const double idle = lumtest::TimePerCall("LumUI_CloseApplication, nothing running", 3,
                                             [&] { LumUI_CloseApplication(target.c_str()); });
    double closing = 0;
    for (int i = 0; i < 3; ++i) {  // a window that closes on WM_CLOSE, from the request until it is gone
        lumtest::NamedEvent ready;
        lumtest::Child app(target, {L"window", L"--ready", ready.name});
        ready.Wait();
        const double start = lum::NowMs();
        LumUI_CloseApplication(target.c_str());
        app.WaitExit(30000);
        closing += (lum::NowMs() - start) / 3;
    }
    std::printf("cooperative app, close request to gone: %.1f ms = %.2f closes with nothing running\n", closing,
                closing / idle);
    const auto bareList = [] {  // what every snapshot starts from
        const HANDLE list = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Process32FirstW(list, &entry); more; more = ::Process32NextW(list, &entry)) {
        }
        ::CloseHandle(list);
    };
    std::vector<std::unique_ptr<lumtest::Child>> extra;
    for (const size_t count : {0, 10, 100}) {
        while (extra.size() < count) {
            lumtest::NamedEvent ready;
            extra.push_back(std::make_unique<lumtest::Child>(
                outside, std::vector<std::wstring>{L"nowindow", L"--ready", ready.name}));
            ready.Wait();
        }
        const std::string with = ", " + std::to_string(count) + " processes outside the folder";
        lum::ProcessGroup group(target, [](const std::wstring&) {});
        lum::Snapshot(group);                // the first one admits and logs
        std::vector<double> bare, snapshot;  // taken in turns, so that the load of the machine hits both alike
        const auto timed = [](std::vector<double>& times, const auto& body) {
            const double start = lum::NowMs();
            body();
            times.push_back(lum::NowMs() - start);
        };
        for (int i = 0; i < 51; ++i) timed(bare, bareList), timed(snapshot, [&] { lum::Snapshot(group); });
        std::ranges::sort(bare), std::ranges::sort(snapshot);
        std::printf("Snapshot%s: %.3f ms = %.2f x the bare process list (%.3f ms; medians of 51)\n", with.c_str(),
                    snapshot[25], snapshot[25] / bare[25], bare[25]);
    }
}
