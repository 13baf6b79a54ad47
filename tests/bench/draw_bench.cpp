// Drawing costs: a full illustration frame cold and warm, and DrawText on a
// layout-cache hit and miss, at scale 1 and 2.
//
// "Cold" at scale 1 is the first frame of the process: render target,
// brush, path geometries and text layouts are all made then. "Cold" at
// scale 2 follows ReleaseDrawingResources (target, brush and layouts made
// again); the path geometries are device-independent and stay cached for the
// life of the library, as they do in the product.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/scenes.h"
#include "draw/text_layout.h"

namespace lum {
namespace {

double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / frequency;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One whole frame: background, the welcome illustration with its texts, and
// the logo, as the welcome page draws them.
bool IllustrationFrame(FrameBitmap& frame, float scale) {
    Canvas canvas;
    if (!canvas.Begin(frame, scale)) return false;
    canvas.Clear(0xFFF6F2E9);
    DrawScene(canvas, SceneLogo, 57, 67, 1.0f / 3.0f);
    DrawScene(canvas, SceneWelcome, 0, 0, 1.0f);
    canvas.End();
    return true;
}

void BenchIllustration(float scale, bool first) {
    FrameBitmap frame;
    if (!frame.Ensure(static_cast<int>(720 * scale), static_cast<int>(480 * scale))) {
        std::printf("frame %gx: cannot make the bitmap\n", scale);
        return;
    }
    if (!first) ReleaseDrawingResources();
    double start = NowMs();
    if (!IllustrationFrame(frame, scale)) {
        std::printf("frame %gx: Canvas::Begin failed\n", scale);
        return;
    }
    const double cold = NowMs() - start;
    std::vector<double> warm;
    for (int i = 0; i < 15; ++i) {
        start = NowMs();
        IllustrationFrame(frame, scale);
        warm.push_back(NowMs() - start);
    }
    std::printf("welcome illustration %gx (%dx%d): cold %.2f ms%s, warm median %.2f ms (15 frames)\n", scale,
                frame.width(), frame.height(), cold, first ? " (first frame of the process)" : " (after release)",
                Median(warm));
}

void BenchText(float scale) {
    FrameBitmap frame;
    if (!frame.Ensure(static_cast<int>(400 * scale), static_cast<int>(100 * scale))) return;
    constexpr int kCalls = 60;
    const std::wstring heading = L"Capture everything on your screen, precisely to the edge";

    auto timeCalls = [&](bool miss) {
        Canvas canvas;
        if (!canvas.Begin(frame, scale)) return -1.0;
        canvas.Clear(0xFFFFFFFF);
        canvas.DrawText(heading, {10, 10, 380, 54}, TextStyle{.size = 28, .color = 0xFF172B45});  // warm the key
        canvas.target()->Flush();
        const double start = NowMs();
        for (int i = 0; i < kCalls; ++i) {
            if (miss) ClearTextCaches();
            canvas.DrawText(heading, {10, 10, 380, 54}, TextStyle{.size = 28, .color = 0xFF172B45});
        }
        canvas.target()->Flush();
        return (NowMs() - start) / kCalls;
    };
    const double hit = timeCalls(false);
    const double miss = timeCalls(true);
    std::vector<float> sizes;
    BuildTextLayout(heading, 380, 54, TextStyle{.size = 28, .color = 0}, &sizes);
    std::printf("DrawText %gx: cache hit %.3f ms, miss %.3f ms (the miss makes %zu layouts for the fit)\n", scale,
                hit, miss, sizes.size());
}

}  // namespace
}  // namespace lum

int main() {
    using namespace lum;
    if (!EnsureFactories()) {
        std::printf("Direct2D or DirectWrite unavailable\n");
        return 1;
    }
    BenchIllustration(1.0f, true);
    BenchIllustration(2.0f, false);
    BenchText(1.0f);
    BenchText(2.0f);
    ReleaseDrawingResources();
    return 0;
}
