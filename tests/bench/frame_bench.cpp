// Frame costs as multiples of the platform's floor, measured in one run: the
// empty frame (bind, clear, end) against every screen's warm and cold frame,
// the progress band, a hover tick, a cross-fade tick and an offline render (and
// its parts); and how many text layouts and path geometries warm frames create
// (none is the goal).
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/clock.h"
#include "draw/canvas.h"
#include "draw/cross_fade.h"
#include "draw/png_writer.h"
#include "exports/LumoraUI.h"
#include "host/frames.h"
#include "host/ui_host.h"
#include "pages/draw_page.h"
#include "pages/offline_render.h"
#include "pages/progress_page.h"

using namespace lum;

namespace {

constexpr int kWarm = 7;

double Median(const std::function<void()>& run, int times) {
    std::vector<double> ms;
    for (int i = 0; i < times; ++i) {
        const double start = NowMs();
        run();
        ms.push_back(NowMs() - start);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

struct Screen {
    ScreenModel model;
    PageFrame frame;
    explicit Screen(int32_t scenario) : model(ScenarioModel(Ui(), scenario)), frame(RestingFrame(model, {})) {
        FillCloseInterface(frame, model);
    }
};

}  // namespace

int main() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    LoadLanguage(nullptr, L"english");
    SetProgress(40, 100, nullptr);
    if (!EnsureFactories()) return std::printf("drawing factories unavailable\n"), 1;
    std::printf("%-34s %9s %9s %9s %9s\n", "frame", "1x ms", "x empty", "2x ms", "x empty");
    double empty[2] = {}, warmWelcome[2] = {};
    FrameBitmap bitmaps[2];
    for (int s = 0; s < 2; ++s) {
        const float scale = static_cast<float>(s + 1);
        bitmaps[s].Ensure(static_cast<int>(720 * scale), static_cast<int>(480 * scale));
        empty[s] = Median([&] {
            Canvas canvas;
            if (canvas.Begin(bitmaps[s], scale)) canvas.Clear(0xFFF6F2E9);
        }, 15);
    }
    std::printf("%-34s %9.2f %9.2f %9.2f %9.2f\n", "empty frame", empty[0], 1.0, empty[1], 1.0);
    const auto row = [&](const std::string& name, const std::function<double(int)>& ms) {
        const double a = ms(0), b = ms(1);
        std::printf("%-34s %9.2f %9.2f %9.2f %9.2f\n", name.c_str(), a, a / empty[0], b, b / empty[1]);
    };
    const DrawingCounts before = CountsSoFar();
    DrawingCounts warmCreated{};
    for (int32_t scenario = 0; scenario <= 19; ++scenario) {
        const Screen screen(scenario);
        FrameCache caches[2];
        row("screen " + std::to_string(scenario) + " cold", [&](int s) {
            ReleaseDrawingResources();
            caches[s].Release();
            return Median([&] { caches[s].Paint(bitmaps[s], static_cast<float>(s + 1), screen.frame); }, 1);
        });
        const DrawingCounts start = CountsSoFar();
        row("screen " + std::to_string(scenario) + " warm", [&](int s) {
            const double ms = Median([&] { caches[s].Paint(bitmaps[s], static_cast<float>(s + 1), screen.frame); },
                                     kWarm);
            if (scenario == 0) warmWelcome[s] = ms;
            return ms;
        });
        warmCreated.textLayouts += CountsSoFar().textLayouts - start.textLayouts;
        warmCreated.pathGeometries += CountsSoFar().pathGeometries - start.pathGeometries;
    }
    {
        Screen hover(0);
        FrameCache caches[2];
        for (int s = 0; s < 2; ++s) caches[s].Paint(bitmaps[s], static_cast<float>(s + 1), hover.frame);
        size_t primary = 0;
        while (primary + 1 < hover.frame.controls.size() && hover.frame.controls[primary].kind != KindPrimary) ++primary;
        row("hover tick (welcome's primary button)", [&](int s) {
            float step = 0.0f;
            return Median([&] {
                hover.frame.looks[primary].hover = step += 0.05f;
                caches[s].Paint(bitmaps[s], static_cast<float>(s + 1), hover.frame);
            }, kWarm);
        });
        const Screen installing(2);
        const Box band = ProgressBandBox();
        for (int s = 0; s < 2; ++s) {
            const float scale = static_cast<float>(s + 1);
            const RECT part{static_cast<LONG>(band.x * scale), static_cast<LONG>(band.y * scale),
                            static_cast<LONG>((band.x + band.width) * scale) + 1,
                            static_cast<LONG>((band.y + band.height) * scale) + 1};
            const double ms = Median([&] {
                Canvas canvas;
                if (canvas.BeginPart(bitmaps[s], scale, part)) DrawProgressBand(canvas, installing.frame);
            }, kWarm);
            FrameBitmap next, blend;
            next.Ensure(bitmaps[s].width(), bitmaps[s].height()), blend.Ensure(next.width(), next.height());
            const double fade = Median([&] { BlendFrames(bitmaps[s], &next, 0.5f, blend); }, kWarm);
            std::printf("cross-fade tick at %dx: %.2f ms = %.2f empty frames\n", s + 1, fade, fade / empty[s]);
            std::printf("progress band at %dx: %.2f ms = %.2f of a warm welcome frame\n", s + 1, ms,
                        ms / std::max(warmWelcome[s], 1e-3));
        }
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring png = std::wstring(temp) + L"lumora-frame-bench.png";
    const double render = Median([&] { LumUI_Render(png.c_str(), 0, 96); }, 3);
    const double encode = Median([&] { WritePng(bitmaps[0], png); }, 3);
    // Its parts: one whole pass on a kept and on a new render target, and the
    // encoding on a thread that has no COM apartment yet.
    const Screen welcome(0);
    const auto wholePass = [&](bool newTarget) {
        return Median([&] {
            if (newTarget) ReleaseRenderTarget();
            Canvas canvas;
            if (canvas.Begin(bitmaps[0], 1.0f)) DrawPage(canvas, welcome.frame), canvas.End();
        }, 3);
    };
    const double whole = wholePass(false), wholeNewTarget = wholePass(true);
    const double encodeNoCom = Median([&] { std::thread([&] { WritePng(bitmaps[0], png); }).join(); }, 3);
    ::DeleteFileW(png.c_str());
    ::DeleteFileW((png + L".layout.txt").c_str());
    std::printf("LumUI_Render at 96 DPI: %.2f ms = %.2f warm welcome frames; in warm frames: a whole pass %.2f, on a "
                "new render target %.2f, PNG encoding %.2f, on a thread without COM %.2f\n",
                render, render / warmWelcome[0], whole / warmWelcome[0], wholeNewTarget / warmWelcome[0],
                encode / warmWelcome[0], encodeNoCom / warmWelcome[0]);
    std::printf("created during warm frames: %llu text layouts, %llu path geometries (since start: %llu, %llu)\n",
                static_cast<unsigned long long>(warmCreated.textLayouts),
                static_cast<unsigned long long>(warmCreated.pathGeometries),
                static_cast<unsigned long long>(CountsSoFar().textLayouts - before.textLayouts),
                static_cast<unsigned long long>(CountsSoFar().pathGeometries - before.pathGeometries));
    ::CoUninitialize();
    return 0;
}
