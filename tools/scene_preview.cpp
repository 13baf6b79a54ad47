// Renders the vector scenes to PNG files for design review: each page
// illustration in a 720 x 480 frame beside a sketch of its page's own text
// (the headings and bodies of the page, in their boxes), and a sheet of the
// logo at the scales the pages use. Texts that overflow their boxes are
// listed per picture.
//
//   scene_preview <output folder> [language id] [scale]
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/palette.h"
#include "draw/png_writer.h"
#include "draw/scenes.h"
#include "host/ui_state.h"
#include "text/language.h"
#include "text/text_lookup.h"

namespace {

using namespace lum;


struct SketchText {
    const wchar_t* key;
    float x, y, w, h, size;
    Argb color;
};

struct Preview {
    const wchar_t* name;
    Scene scene;
    std::vector<SketchText> texts;  // the page's own texts left of the scene
    float footerY;                  // 0 = no footer divider
};

std::vector<Preview> Previews() {
    const bool chinese = IsChineseLanguage();
    const bool cjk = IsCjkLanguage();
    return {
        {L"welcome",
         SceneWelcome,
         {{L"Features", 57, 99, 299, chinese ? 30.0f : 40.0f, 12, kGrey},
          {L"WelcomeTitle", 57, 167, 300, 54, cjk ? 36.0f : 28.0f, kNavy},
          {L"WelcomeBody", 57, 221, 300, chinese ? 48.0f : 82.0f, 14, kGrey},
          {L"InstallNow", 48, 326, 260, 44, 14, 0xFF3388FF},
          {L"Customize", 48, 376, 260, 30, 13, kGrey}},
         422},
        {L"complete",
         SceneComplete,
         {{L"Installed", 71, 102, 240, 18, 12, 0xFF3388FF},
          {L"CompleteTitle", 48, 136, 310, 48, 32, kNavy},
          {L"CompleteBody", 48, 200, 316, 20, 13, kGrey},
          {L"Launch", 48, 326, 260, 44, 14, 0xFF3388FF}},
         0},
        {L"farewell",
         SceneFarewell,
         {{L"UninstalledStatus", 71, 96, 307, 18, 12, 0xFF205FC0},
          {L"UninstalledTitle", 48, 128, 325, 48, 32, kNavy},
          {L"UninstalledBody", 48, 190, 330, 40, 13, kGrey},
          {L"UninstalledFarewell", 48, 244, 330, 40, 13, kGrey},
          {L"DataRetained", 101, 313, 555, 21, 14, 0xFF205FC0}},
         406},
        {L"cleaned",
         SceneCleaned,
         {{L"UninstalledStatus", 71, 96, 307, 18, 12, 0xFF205FC0},
          {L"UninstalledTitle", 48, 128, 325, 48, 32, kNavy},
          {L"UninstalledBody", 48, 190, 330, 40, 13, kGrey},
          {L"UninstalledFarewell", 48, 244, 330, 40, 13, kGrey},
          {L"DataRemoved", 101, 324, 555, 21, 14, 0xFF205FC0}},
         406},
        {L"installing",
         SceneInstalling,
         {{L"InstallingTitle", 40, 87, 390, 42, 30, kNavy},
          {L"InstallingBody", 40, 141, 370, chinese ? 20.0f : 34.0f, 13, kGrey},
          {L"PreflightDone", 64, 188, 350, 26, 12, kGrey},
          {L"WritingFiles", 64, 216, 350, 26, 12, 0xFF3388FF},
          {L"CreatingShortcuts", 64, 244, 350, 26, 12, kGrey},
          {L"Installing", 40, 305, 480, 30, 13, kNavy}},
         406},
        {L"uninstalling",
         SceneUninstalling,
         {{L"UninstallingTitle", 40, 87, 390, 42, 30, kNavy},
          {L"UninstallingBody", 40, 141, 370, chinese ? 20.0f : 34.0f, 13, kGrey},
          {L"AppClosed", 64, 181, 350, 26, 12, kGrey},
          {L"RemovingFiles", 64, 209, 350, 26, 12, 0xFF3388FF},
          {L"DataPreserved", 64, 237, 350, 26, 12, kGrey},
          {L"Uninstalling", 40, 305, 480, 30, 13, kNavy}},
         406},
    };
}

// Draws the parts of the page frame that frame the illustration.
void DrawSketch(Canvas& canvas, const Preview& preview) {
    canvas.Clear(kPageBackground);
    DrawScene(canvas, SceneLogo, 16, 11, 0.208333f);
    canvas.DrawTextKey(L"SetupTitle", 44, 9, 430, 22, 12, kGrey, false, AlignLeading);
    for (const SketchText& text : preview.texts) {
        canvas.DrawTextKey(text.key, text.x, text.y, text.w, text.h, text.size, text.color, false, AlignLeading);
    }
    if (preview.scene == SceneFarewell || preview.scene == SceneCleaned) {
        canvas.RoundRect(48, 302, 624, 65, 0xFFEAF2FF, 4, 0, 0);
    }
    if (preview.scene == SceneInstalling || preview.scene == SceneUninstalling) {
        canvas.RoundRect(40, 343, 640, 8, 0xFFDCE5F2, 4, 0, 0);
        canvas.RoundRect(40, 343, 640 * 0.42f, 8, 0xFF3388FF, 4, 0, 0);
    }
    if (preview.footerY > 0) canvas.DrawLine(32, preview.footerY, 688, preview.footerY, kDivider, 1);
    DrawScene(canvas, preview.scene, 0, 0, 1);
    canvas.RoundRect(0.5f, 0.5f, 719, 479, 0, 4, 0xFFB8C2CF, 1);
}

void DrawLogoSheet(Canvas& canvas) {
    canvas.Clear(kPageBackground);
    DrawScene(canvas, SceneLogo, 40, 40, 2.0f);
    DrawScene(canvas, SceneLogo, 260, 40, 1.0f);
    DrawScene(canvas, SceneLogo, 380, 40, 0.5f);
    DrawScene(canvas, SceneLogo, 440, 40, 1.0f / 3.0f);
    DrawScene(canvas, SceneLogo, 480, 40, 0.208333f);
    canvas.FillRect(0, 260, 720, 220, 0xFFFFFFFF);
    DrawScene(canvas, SceneLogo, 40, 280, 1.0f);
    DrawScene(canvas, SceneLogo, 160, 280, 0.46875f);
    DrawScene(canvas, SceneLogo, 220, 280, 0.208333f);
}

bool Render(const std::wstring& path, float scale, const Preview* preview) {
    FrameBitmap frame;
    if (!frame.Ensure(static_cast<int>(720 * scale), static_cast<int>(480 * scale))) return false;
    OverflowList().clear();
    {
        Canvas canvas;
        if (!canvas.Begin(frame, scale)) return false;
        if (preview) {
            DrawSketch(canvas, *preview);
        } else {
            DrawLogoSheet(canvas);
        }
        canvas.End();
    }
    for (const std::wstring& text : OverflowList()) std::wprintf(L"  overflow: %ls\n", text.c_str());
    return WritePng(frame, path);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: scene_preview <output folder> [language id] [scale]\n");
        return 2;
    }
    const std::wstring folder = argv[1];
    const std::wstring language = argc > 2 ? argv[2] : L"english";
    const float scale = argc > 3 ? static_cast<float>(_wtof(argv[3])) : 1.0f;
    if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) < 0) return 1;
    Ui().language = EffectiveLanguage(language);
    Ui().texts = BuildTextMap(Ui().language);
    LayoutDumpMode() = true;

    int failures = 0;
    for (const Preview& preview : Previews()) {
        const std::wstring path = folder + L"\\" + preview.name + L"-" + Ui().language + L".png";
        std::wprintf(L"%ls\n", path.c_str());
        if (!Render(path, scale, &preview)) ++failures;
    }
    const std::wstring logo = folder + L"\\logo.png";
    std::wprintf(L"%ls\n", logo.c_str());
    if (!Render(logo, scale, nullptr)) ++failures;
    ReleaseDrawingResources();
    CoUninitialize();
    return failures == 0 ? 0 : 1;
}
