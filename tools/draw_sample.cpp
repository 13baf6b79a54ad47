// Draws parts of the drawing layer into PNG files so that they can be looked
// at without any page: one vector scene, a sheet of every icon at several
// sizes, or a text sample with its boxes outlined.
//
//   draw_sample scene <0..6> <out.png> [scale]
//   draw_sample icons <out.png> [scale]
//   draw_sample text <out.png> [scale]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "draw/palette.h"
#include "draw/png_writer.h"
#include "draw/scenes.h"
#include "base/scoped_win.h"
#include "pages/scene_text.h"
#include "text/language.h"

namespace lum {
namespace {

const wchar_t* const kIconNames[kIconCount] = {L"Minimize", L"Close", L"Chevron", L"Folder",   L"Check",   L"Globe",
                                               L"Shield",   L"Trash", L"Warning", L"Document", L"Monitor", L"Refresh"};
const wchar_t* const kSceneNames[kSceneCount] = {L"Logo",    L"Welcome",    L"Complete",    L"Farewell",
                                                 L"Cleaned", L"Installing", L"Uninstalling"};

// Draws with the callback into a frame of width x height layout units at
// the scale and writes it to path.
template <typename Draw>
bool Render(const std::wstring& path, float width, float height, float scale, Draw&& draw) {
    FrameBitmap frame;
    if (!frame.Ensure(static_cast<int>(width * scale), static_cast<int>(height * scale))) {
        std::fwprintf(stderr, L"cannot make a %gx%g frame at scale %g\n", width, height, scale);
        return false;
    }
    {
        Canvas canvas;
        if (!canvas.Begin(frame, scale)) {
            std::fwprintf(stderr, L"cannot begin drawing (Direct2D unavailable?)\n");
            return false;
        }
        canvas.Clear(kPageBackground);
        draw(canvas);
    }
    if (!WritePng(frame, path)) {
        std::fwprintf(stderr, L"cannot write %ls\n", path.c_str());
        return false;
    }
    std::wprintf(L"wrote %ls (%dx%d)\n", path.c_str(), frame.width(), frame.height());
    return true;
}

bool DrawSceneSample(int scene, const std::wstring& path, float scale) {
    if (scene < 0 || scene >= kSceneCount) {
        std::fwprintf(stderr, L"scene must be 0..%d\n", kSceneCount - 1);
        return false;
    }
    // The logo is small: draw it large in a small frame; the illustrations
    // fill the design frame at scale 1.
    const bool logo = scene == SceneLogo;
    return Render(path, logo ? 200.0f : 720.0f, logo ? 120.0f : 480.0f, scale, [&](Canvas& canvas) {
        if (logo) {
            DrawScene(canvas, SceneLogo, 10, 10, 1.0f);
            DrawScene(canvas, SceneLogo, 110, 10, 1.0f / 3.0f);
            DrawScene(canvas, SceneLogo, 150, 10, 0.208333f);
        } else {
            // The illustrations' texts in English.
            ScreenModel model;
            model.texts = BuildTextMap(kDefaultLanguage);
            const SceneTexts texts(model);
            DrawScene(canvas, static_cast<Scene>(scene), 0, 0, 1.0f, &texts);
        }
        canvas.DrawText(kSceneNames[scene], {8, logo ? 100.0f : 456.0f, 200, 18},
                        TextStyle{.size = 11, .color = kGrey, .fit = false});
    });
}

bool DrawIconSheet(const std::wstring& path, float scale) {
    const float sizes[] = {14, 16, 20, 24, 32, 48};
    constexpr float kCell = 60.0f;
    const float width = 90.0f + kCell * static_cast<float>(kIconCount);
    const float height = 30.0f + kCell * static_cast<float>(std::size(sizes));
    return Render(path, width, height, scale, [&](Canvas& canvas) {
        for (int i = 0; i < kIconCount; ++i) {
            canvas.DrawText(kIconNames[i], {90 + kCell * i, 4, kCell, 20},
                            TextStyle{.size = 10, .color = kGrey, .align = TextAlign::Centre});
        }
        for (size_t row = 0; row < std::size(sizes); ++row) {
            const float size = sizes[row];
            const float top = 30.0f + kCell * static_cast<float>(row);
            canvas.DrawText(std::to_wstring(static_cast<int>(size)) + L" units", {8, top, 80, kCell},
                            TextStyle{.size = 11, .color = kGrey, .fit = false});
            for (int i = 0; i < kIconCount; ++i) {
                const float x = 90 + kCell * i + (kCell - size) / 2;
                const float y = top + (kCell - size) / 2;
                // The design box, then the icon in it.
                canvas.RoundRect(x, y, size, size, 0xFFFFFFFF, 0, 0, 0);
                DrawIcon(canvas, static_cast<Icon>(i), x, y, size, i % 2 ? kAccent : kNavy);
            }
        }
    });
}

bool DrawTextSample(const std::wstring& path, float scale) {
    struct Sample {
        const wchar_t* text;
        float x, y, w, h, size;
        TextWeight weight;
        TextAlign align;
        bool fit;
    };
    static const Sample kSamples[] = {
        {L"Leading, regular 14", 20, 20, 300, 30, 14, TextWeight::Regular, TextAlign::Leading, true},
        {L"Centre, semibold 14", 20, 60, 300, 30, 14, TextWeight::Semibold, TextAlign::Centre, true},
        {L"Trailing, regular 14", 20, 100, 300, 30, 14, TextWeight::Regular, TextAlign::Trailing, true},
        {L"Vertically centred in a tall box", 20, 140, 300, 70, 16, TextWeight::Regular, TextAlign::Leading, true},
        {L"A long heading that is shrunk until it fits two lines of its box", 360, 20, 320, 54, 28, TextWeight::Regular,
         TextAlign::Leading, true},
        {L"The same heading without fitting is clipped to its box at full size", 360, 90, 320, 54, 28,
         TextWeight::Regular, TextAlign::Leading, false},
        {L"录制屏幕上的一切，紧贴边缘，分毫不差", 360, 160, 320, 40, 20, TextWeight::Regular, TextAlign::Leading, true},
        {L"Lumora", 20, 230, 200, 30, 20, TextWeight::Semibold, TextAlign::Leading, false},
        {L"Words wrap onto the next line when the box is narrow, and the block stays centred.", 360, 220, 200, 80, 13,
         TextWeight::Regular, TextAlign::Leading, true},
    };
    return Render(path, 720, 320, scale, [&](Canvas& canvas) {
        for (const Sample& s : kSamples) {
            canvas.RoundRect(s.x, s.y, s.w, s.h, 0xFFFFFFFF, 0, kErrorCardBorder, 1);
            canvas.DrawText(
                s.text, {s.x, s.y, s.w, s.h},
                TextStyle{.size = s.size, .color = kNavy, .weight = s.weight, .align = s.align, .fit = s.fit});
        }
        const float width = MeasureText(L"Lumora", 20);
        canvas.RoundRect(20, 270, width, 30, 0, 0, kAccent, 1);
        canvas.DrawText(L"Lumora", {20, 270, width, 30}, TextStyle{.size = 20, .color = kNavy, .fit = false});
        canvas.DrawText(L"\u2190 MeasureText width", {30 + width, 270, 250, 30},
                        TextStyle{.size = 12, .color = kGrey, .fit = false});
    });
}

float ParseScale(int argc, wchar_t** argv, int index) {
    if (index >= argc) return 1.0f;
    const float scale = static_cast<float>(std::wcstod(argv[index], nullptr));
    return scale > 0.0f && scale <= 8.0f ? scale : 1.0f;
}

int Usage() {
    std::fwprintf(stderr,
                  L"usage: draw_sample scene <0..6> <out.png> [scale]\n"
                  L"       draw_sample icons <out.png> [scale]\n"
                  L"       draw_sample text <out.png> [scale]\n");
    return 2;
}

}  // namespace
}  // namespace lum

int wmain(int argc, wchar_t** argv) {
    using namespace lum;
    ComScope com;
    if (FAILED(com.result())) {
        std::fwprintf(stderr, L"COM could not be initialised\n");
        return 1;
    }
    if (argc < 3) return Usage();
    const std::wstring what = argv[1];
    bool ok = false;
    if (what == L"scene" && argc >= 4) {
        ok = DrawSceneSample(static_cast<int>(std::wcstol(argv[2], nullptr, 10)), argv[3], ParseScale(argc, argv, 4));
    } else if (what == L"icons") {
        ok = DrawIconSheet(argv[2], ParseScale(argc, argv, 3));
    } else if (what == L"text") {
        ok = DrawTextSample(argv[2], ParseScale(argc, argv, 3));
    } else {
        return Usage();
    }
    ReleaseDrawingResources();
    return ok ? 0 : 1;
}
