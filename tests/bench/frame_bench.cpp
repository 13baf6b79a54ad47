// Frame costs as multiples of the platform's floor, measured in one run: the
// empty frame (bind, clear, end) against every screen's warm and cold frame as
// the window paints it (the view's picture, then each control's own window),
// the progress band, a hover tick, a cross-fade tick and an offline render (and
// its parts); and how many text layouts and path geometries warm frames create
// (none is the goal).
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/clock.h"
#include "draw/canvas.h"
#include "draw/cross_fade.h"
#include "draw/png_writer.h"
#include "exports/LumoraUI.h"
#include "host/frames.h"
#include "host/ui_host.h"
#include "pages/draw_page.h"
#include "pages/illustrations.h"
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

// A window's frame as the window paints it after a change: the view's
// picture, then every control's own window taking its pixels from it.
struct WindowPainter {
    ViewPicture picture;
    IllustrationCache kept;
    FrameBitmap window;  // stands for a control's window
    void Paint(int width, int height, float scale, PageFrame& frame) {
        frame.illustrations = &kept;
        picture.Paint(width, height, scale, frame);
        window.Ensure(static_cast<int>(720 * scale), static_cast<int>(64 * scale));
        for (size_t i = 0; i < frame.controls.size(); ++i) {
            picture.PaintControl(window.dc(), i, ControlPixels(frame.controls[i], scale), frame.looks[i], frame);
        }
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
    double warmInstalling[2] = {};
    for (int32_t scenario = 0; scenario <= 19; ++scenario) {
        Screen screen(scenario);
        double cold[2] = {}, warm[2] = {};
        for (int s = 0; s < 2; ++s) {  // one scale at a time, as a window has one
            const float scale = static_cast<float>(s + 1);
            WindowPainter painter;
            ReleaseDrawingResources();
            const int w = bitmaps[s].width(), h = bitmaps[s].height();
            cold[s] = Median([&] { painter.Paint(w, h, scale, screen.frame); }, 1);
            const DrawingCounts start = CountsSoFar();
            warm[s] = Median([&] { painter.Paint(w, h, scale, screen.frame); }, kWarm);
            warmCreated.textLayouts += CountsSoFar().textLayouts - start.textLayouts;
            warmCreated.pathGeometries += CountsSoFar().pathGeometries - start.pathGeometries;
        }
        if (scenario == 0) std::copy(warm, warm + 2, warmWelcome);
        if (scenario == 2) std::copy(warm, warm + 2, warmInstalling);
        row("screen " + std::to_string(scenario) + " cold", [&](int s) { return cold[s]; });
        row("screen " + std::to_string(scenario) + " warm", [&](int s) { return warm[s]; });
    }
    {
        // A hover tick repaints the control's own window over the view's picture.
        Screen hover(0);
        size_t primary = 0;
        while (primary + 1 < hover.frame.controls.size() && hover.frame.controls[primary].kind != KindPrimary) ++primary;
        row("hover tick (welcome's primary button)", [&](int s) {
            const float scale = static_cast<float>(s + 1);
            WindowPainter painter;
            painter.Paint(bitmaps[s].width(), bitmaps[s].height(), scale, hover.frame);
            const RECT place = ControlPixels(hover.frame.controls[primary], scale);
            ControlLook look = hover.frame.looks[primary];
            const auto tick = [&] {
                look.hover += 0.05f;
                painter.picture.PaintControl(painter.window.dc(), primary, place, look, hover.frame);
            };
            tick();  // the first tick after a change also draws the frame without controls
            const DrawingCounts start = CountsSoFar();
            const double ms = Median(tick, kWarm);
            warmCreated.textLayouts += CountsSoFar().textLayouts - start.textLayouts;
            warmCreated.pathGeometries += CountsSoFar().pathGeometries - start.pathGeometries;
            return ms;
        });
        Screen installing(2);
        for (int s = 0; s < 2; ++s) {
            const float scale = static_cast<float>(s + 1);
            WindowPainter painter;
            painter.Paint(bitmaps[s].width(), bitmaps[s].height(), scale, installing.frame);
            // A glide tick moves the bar, and the percentage now and then; a
            // step with a new detail line changes all three parts.
            const double ms = Median([&] {
                installing.frame.progress += 0.001f;
                painter.picture.PaintProgressBand(installing.frame);
            }, kWarm);
            // A setup's per-file line: a file's name, or its whole path.
            int file = 0;
            const auto steps = [&](const std::wstring& before) {
                return Median([&] {
                    installing.frame.progress += 0.01f;
                    installing.model.progressText = before + std::to_wstring(++file) + L".dll";
                    painter.picture.PaintProgressBand(installing.frame);
                }, kWarm);
            };
            const double named = steps(L"capture-");
            const double path = steps(L"C:\\Program Files\\Lumora\\plugins\\capture-");
            // What the window would repaint without the band: the whole page
            // drawn again, its texts and illustration already made.
            const double pass = Median([&] {
                Canvas canvas;
                if (canvas.Begin(bitmaps[s], scale)) DrawPage(canvas, installing.frame), canvas.End();
            }, kWarm);
            FrameBitmap next, blend;
            next.Ensure(bitmaps[s].width(), bitmaps[s].height()), blend.Ensure(next.width(), next.height());
            const double fade = Median([&] { BlendFrames(bitmaps[s], &next, 0.5f, blend); }, kWarm);
            std::printf("cross-fade tick at %dx: %.2f ms = %.2f empty frames\n", s + 1, fade, fade / empty[s]);
            std::printf("progress glide tick at %dx: %.2f ms = %.2f of a warm installing-page frame, %.2f empty "
                        "frames; a step with a new detail line %.2f of a warm frame (a whole path: %.2f), %.2f of a "
                        "whole pass of the page (a whole path: %.2f)\n",
                        s + 1, ms, ms / std::max(warmInstalling[s], 1e-3), ms / empty[s],
                        named / std::max(warmInstalling[s], 1e-3), path / std::max(warmInstalling[s], 1e-3),
                        named / std::max(pass, 1e-3), path / std::max(pass, 1e-3));
        }
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring png = std::wstring(temp) + L"lumora-frame-bench.png";
    // The first render of a screen draws its illustration and keeps it; the
    // next ones (another scenario on the same page, the same language) copy it.
    const double renderFirst = Median([&] {
        KeptIllustrations().Release();
        LumUI_Render(png.c_str(), 0, 96);
    }, 3);
    const double render = Median([&] { LumUI_Render(png.c_str(), 0, 96); }, 5);
    // The first render in another language starts from the illustration's
    // shapes, which every language shares.
    const wchar_t* const languages[] = {L"french", L"german", L"japanese", L"english"};
    std::vector<double> otherLanguage;
    for (const wchar_t* language : languages) {
        LoadLanguage(nullptr, language);
        const double start = NowMs();
        LumUI_Render(png.c_str(), 0, 96);
        otherLanguage.push_back(NowMs() - start);
    }
    std::sort(otherLanguage.begin(), otherLanguage.end());
    const double renderLanguage = otherLanguage[otherLanguage.size() / 2];
    const double encode = Median([&] { WritePng(bitmaps[0], png); }, 3);
    // A whole pass of the page with every illustration drawn, as before they were kept.
    const Screen welcome(0);
    const double whole = Median([&] {
        Canvas canvas;
        if (canvas.Begin(bitmaps[0], 1.0f)) DrawPage(canvas, welcome.frame), canvas.End();
    }, 3);
    ::DeleteFileW(png.c_str());
    ::DeleteFileW((png + L".layout.txt").c_str());
    std::printf("LumUI_Render at 96 DPI: %.2f ms = %.2f warm welcome frames, %.2f empty frames (the first in "
                "another language %.2f warm frames, the first of all %.2f); in warm frames: a whole pass drawing the "
                "illustration %.2f, PNG encoding %.2f\n",
                render, render / warmWelcome[0], render / empty[0], renderLanguage / warmWelcome[0],
                renderFirst / warmWelcome[0], whole / warmWelcome[0], encode / warmWelcome[0]);
    std::printf("created during warm frames and the hover tick: %llu text layouts, %llu path geometries (since "
                "start: %llu, %llu)\n",
                static_cast<unsigned long long>(warmCreated.textLayouts),
                static_cast<unsigned long long>(warmCreated.pathGeometries),
                static_cast<unsigned long long>(CountsSoFar().textLayouts - before.textLayouts),
                static_cast<unsigned long long>(CountsSoFar().pathGeometries - before.pathGeometries));
    ::CoUninitialize();
    return 0;
}
