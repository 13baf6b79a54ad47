#include "pages/draw_page.h"

#include "draw/icons.h"
#include "draw/palette.h"
#include "draw/scenes.h"
#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/illustrations.h"
#include "pages/progress_page.h"

namespace lum {

namespace {

// The product name is a literal in every language.
constexpr const wchar_t* kProductName = L"Lumora";

void FooterDivider(Canvas& canvas) { canvas.DrawLine(32, 406, 688, 406, kDivider, 1); }

// Texts of the script (install path, error text) are shown as they are.
void DrawPlain(Canvas& canvas, const std::wstring& text, const Box& box, float size, Argb color) {
    canvas.DrawText(text, box, TextStyle{.size = size, .color = color});
}

void DrawWelcome(Canvas& canvas, const PageFrame& frame) {
    const ScreenModel& ui = frame.model;
    const bool chinese = IsChineseLanguage(ui.language);
    DrawScene(canvas, SceneLogo, 57, 67, 1.0f / 3.0f);
    canvas.DrawText(kProductName, {97, 68, 200, 30},
                    TextStyle{.size = 20, .color = kNavy, .weight = TextWeight::Semibold, .fit = false});
    DrawTextKey(canvas, frame, L"Features", {57, 99, 299, chinese ? 30.0f : 40.0f},
                TextStyle{.size = 12, .color = kGrey});
    DrawTextKey(canvas, frame, L"WelcomeTitle", {57, 167, 300, 54},
                TextStyle{.size = IsCjkLanguage(ui.language) ? 36.0f : 28.0f, .color = kNavy});
    DrawTextKey(canvas, frame, L"WelcomeBody", {57, 221, 300, chinese ? 48.0f : 82.0f},
                TextStyle{.size = 14, .color = kGrey});
    DrawIllustration(canvas, frame);
    canvas.DrawLine(32, 422, 688, 422, kDivider, 1);

    // The legal line: intro, link, "and", link, centred as BuildControls measured it.
    const LegalLineLayout& legal = frame.legal;
    const float size = legal.fontSize;
    DrawTextKey(canvas, frame, L"LegalIntro", {legal.x0, 438, legal.widths[0], 30},
                TextStyle{.size = size, .color = kGrey});
    DrawTextKey(canvas, frame, L"And", {legal.x0 + legal.widths[0] + legal.widths[1], 438, legal.widths[2], 30},
                TextStyle{.size = size, .color = kGrey, .align = TextAlign::Centre});
}

void DrawOptions(Canvas& canvas, const PageFrame& frame, bool pathError) {
    const ScreenModel& ui = frame.model;
    PageHeading(canvas, frame, L"OptionsTitle", L"OptionsBody", 65);
    DrawTextKey(canvas, frame, L"InstallLocation", {40, 146, 400, 24},
                TextStyle{.size = 13, .color = kNavy, .weight = TextWeight::Semibold});
    canvas.RoundRect(40, 177, 528, 44, kWhite, 4, pathError ? kDanger : kFieldBorder, 1);
    DrawIcon(canvas, IconFolder, 52, 188, 20, kGrey);
    if (!frame.pathInEdit) {
        canvas.DrawText(ui.installPath, {84, 184, 470, 28}, TextStyle{.size = 14, .color = kNavy});
    }
    if (pathError) {
        DrawPlain(canvas, ui.errorText, {40, 229, 640, 18}, 12, kDanger);
        canvas.DrawLine(40, 267, 680, 267, kDivider, 1);
    }
    FooterDivider(canvas);
}

void DrawInstalled(Canvas& canvas, const PageFrame& frame) {
    DrawIcon(canvas, IconCheck, 48, 102, 17, kAccent);
    DrawTextKey(canvas, frame, L"Installed", {71, 102, 240, 18},
                TextStyle{.size = 12, .color = kAccent, .weight = TextWeight::Semibold});
    DrawTextKey(canvas, frame, L"CompleteTitle", {48, 136, 310, 48}, TextStyle{.size = 32, .color = kNavy});
    DrawTextKey(canvas, frame, L"CompleteBody", {48, 200, 316, 20}, TextStyle{.size = 13, .color = kGrey});
    DrawIllustration(canvas, frame);
}

void DrawExisting(Canvas& canvas, const PageFrame& frame) {
    const ScreenModel& ui = frame.model;
    PageHeading(canvas, frame, L"ExistingTitle", L"ExistingBody", 65);
    canvas.RoundRect(40, 158, 640, 88, kWhite, 6, kDivider, 1);
    DrawScene(canvas, SceneLogo, 58, 176, 0.5f);
    DrawTextKey(canvas, frame, L"ExistingAppName", {124, 173, 365, 26},
                TextStyle{.size = 15, .color = kNavy, .weight = TextWeight::Semibold});
    DrawPlain(canvas, ui.installPath, {124, 202, 394, 32}, 12, kGrey);
    DrawIcon(canvas, IconShield, 540, 194, 16, kAccent);
    DrawTextKey(canvas, frame, L"KeepDataTag", {562, 188, 108, 28}, TextStyle{.size = 12, .color = kAccentDeep});
    DrawIcon(canvas, IconCheck, 40, 273, 16, kAccent);
    DrawTextKey(canvas, frame, L"UpdateSameLocation", {64, 267, 616, 28}, TextStyle{.size = 13, .color = kGrey});
    DrawIcon(canvas, IconCheck, 40, 303, 16, kAccent);
    DrawTextKey(canvas, frame, L"UpdateKeepData", {64, 297, 616, 28}, TextStyle{.size = 13, .color = kGrey});
    FooterDivider(canvas);
}

void DrawUninstallConfirm(Canvas& canvas, const PageFrame& frame) {
    const ScreenModel& ui = frame.model;
    const bool removeData = (ui.flags & FlagRemoveData) != 0;
    PageHeading(canvas, frame, L"UninstallHeading", L"UninstallBody", 65);
    canvas.RoundRect(40, 151, 640, 77, kWhite, 4, kDivider, 1);
    DrawScene(canvas, SceneLogo, 56, 166, 0.46875f);
    canvas.DrawText(kProductName, {118, 164, 520, 24},
                    TextStyle{.size = 16, .color = kNavy, .weight = TextWeight::Semibold, .fit = false});
    DrawPlain(canvas, ui.installPath, {118, 191, 535, 24}, 12, kGrey);
    // The lower card holds the remove-data check box, and grows for its warning.
    canvas.RoundRect(40, 246, 640, removeData ? 66.0f : 46.0f, kWhite, 4, kDivider, 1);
    if (removeData)
        DrawTextKey(canvas, frame, L"RemoveDataWarning", {82, 279, 574, 18}, TextStyle{.size = 12, .color = kDanger});
    FooterDivider(canvas);
}

void DrawUninstalled(Canvas& canvas, const PageFrame& frame) {
    const ScreenModel& ui = frame.model;
    const bool removeData = (ui.flags & FlagRemoveData) != 0;
    DrawIcon(canvas, IconCheck, 48, 96.5f, 17, kAccent);
    DrawTextKey(canvas, frame, L"UninstalledStatus", {71, 96, 307, 18},
                TextStyle{.size = 12, .color = kAccentDeep, .weight = TextWeight::Semibold});
    DrawTextKey(canvas, frame, L"UninstalledTitle", {48, 128, 325, 48}, TextStyle{.size = 32, .color = kNavy});
    DrawTextKey(canvas, frame, L"UninstalledBody", {48, 190, 330, 40}, TextStyle{.size = 13, .color = kGrey});
    DrawTextKey(canvas, frame, L"UninstalledFarewell", {48, 244, 330, 40}, TextStyle{.size = 13, .color = kGrey});
    DrawIllustration(canvas, frame);
    canvas.RoundRect(48, 302, 624, 65, kPaleBlue, 4, 0, 0);
    DrawIcon(canvas, IconShield, 64, 322, 24, kAccentDeep);
    if (removeData) {
        DrawTextKey(canvas, frame, L"DataRemoved", {101, 324, 555, 21},
                    TextStyle{.size = 14, .color = kAccentDeep, .weight = TextWeight::Semibold});
    } else {
        DrawTextKey(canvas, frame, L"DataRetained", {101, 313, 555, 21},
                    TextStyle{.size = 14, .color = kAccentDeep, .weight = TextWeight::Semibold});
        DrawTextKey(canvas, frame, L"ReinstallHint", {101, 339, 555, 18}, TextStyle{.size = 12, .color = kGrey});
    }
    FooterDivider(canvas);
}

void DrawFailed(Canvas& canvas, const PageFrame& frame, bool uninstall) {
    const ScreenModel& ui = frame.model;
    DrawIcon(canvas, IconWarning, 40, 76, 27, kDanger);
    DrawTextKey(canvas, frame, uninstall ? L"UninstallErrorTitle" : L"InstallErrorTitle", {79, 69, 600, 42},
                TextStyle{.size = 28, .color = kNavy});
    DrawTextKey(canvas, frame, uninstall ? L"UninstallErrorBody" : L"InstallErrorBody", {40, 118, 640, 20},
                TextStyle{.size = 13, .color = kGrey});
    canvas.RoundRect(40, 160, 640, 119, kWhite, 4, kErrorCardBorder, 1);
    DrawTextKey(canvas, frame, uninstall ? L"UninstallErrorSummary" : L"InstallErrorSummary", {58, 176, 602, 23},
                TextStyle{.size = 15, .color = kDanger});
    DrawPlain(canvas, ui.errorText, {58, 207, 602, 56}, 12, kGrey);
    if (uninstall) {
        DrawIcon(canvas, IconRefresh, 40, 307, 18, kGrey);
        DrawTextKey(canvas, frame, L"UninstallRecovery", {66, 302, 604, 30}, TextStyle{.size = 13, .color = kGrey});
    } else {
        DrawTextKey(canvas, frame, L"InstallRecovery", {40, 302, 630, 30}, TextStyle{.size = 13, .color = kNavy});
    }
    FooterDivider(canvas);
}

void DrawPageContent(Canvas& canvas, const PageFrame& frame, LayerPass& pass) {
    const int32_t page = frame.model.page;
    if (page == PageInstalling || page == PageUninstalling) {
        DrawProgressPage(canvas, frame, page == PageUninstalling, pass);
        return;
    }
    if (!pass.Paints(false)) return;
    switch (page) {
    case PageWelcome:
        DrawWelcome(canvas, frame);
        break;
    case PageOptions:
        DrawOptions(canvas, frame, false);
        break;
    case PageOptionsPathError:
        DrawOptions(canvas, frame, true);
        break;
    case PageInstalled:
        DrawInstalled(canvas, frame);
        break;
    case PageExisting:
        DrawExisting(canvas, frame);
        break;
    case PageUninstallConfirm:
        DrawUninstallConfirm(canvas, frame);
        break;
    case PageUninstalled:
        DrawUninstalled(canvas, frame);
        break;
    case PageInstallFailed:
        DrawFailed(canvas, frame, false);
        break;
    case PageUninstallFailed:
        DrawFailed(canvas, frame, true);
        break;
    default:
        break;  // a page number outside 0 ... 10 shows the frame alone
    }
}

void DrawMenuPanel(Canvas& canvas, float x, float y, float w, float h, float shadowTop) {
    canvas.SoftShadow(x, shadowTop, w, h, 16, 0.12f);
    canvas.RoundRect(x, y, w, h, kWhite, 6, kDivider, 1);
}

}  // namespace

bool FrameCache::SameStill(StillInputs& inputs, const PageFrame& frame, float scale) {
    if (frame.model.dialog == DialogNone) {
        // The page's bar moves: its values are no part of the still picture.
        inputs.model.progressPosition = frame.model.progressPosition;
        inputs.model.progressMaximum = frame.model.progressMaximum;
        inputs.model.progressText = frame.model.progressText;
        inputs.progress = frame.progress;
    }
    return inputs.model == frame.model && inputs.legal == frame.legal && inputs.pathInEdit == frame.pathInEdit &&
           inputs.drawControls == frame.drawControls && inputs.looksMove == frame.looksMove &&
           inputs.progress == frame.progress && inputs.closingPhase == frame.closingPhase &&
           inputs.processes == frame.processes && inputs.processReport == frame.processReport &&
           inputs.scale == scale && inputs.controls == StillControls(frame);
}

std::vector<FrameCache::StillControl> FrameCache::StillControls(const PageFrame& frame) {
    std::vector<StillControl> still;
    if (!frame.drawControls) return still;
    const bool menuOpen = frame.model.languageMenuOpen || frame.model.titleMenuOpen;
    const bool pageUnderMenu = menuOpen && frame.model.dialog == DialogNone;
    for (size_t i = 0; i < frame.controls.size(); ++i) {
        const ControlRecord& record = frame.controls[i];
        if (frame.looksMove && !(pageUnderMenu && record.kind != KindMenuItem)) continue;
        const ControlLook& look = frame.looks[i];
        still.push_back(
            {record.text,
             {record.left, record.top, record.right, record.bottom, look.hover, look.press, look.check, look.focus},
             record.action,
             record.kind});
    }
    return still;
}

bool FrameCache::Paint(FrameBitmap& bitmap, float scale, const PageFrame& frame) {
    const int width = bitmap.width();
    const int height = bitmap.height();
    if (!inputs_ || !layer_.Holds(width, height) || !SameStill(*inputs_, frame, scale)) {
        inputs_.reset();
        if (frame.illustrations) frame.illustrations->Prepare(frame.model, width, height, scale);
        if (!layer_.Redraw(width, height, scale, [&](Canvas& canvas) { DrawPage(canvas, frame, PageLayer::Still); })) {
            return false;
        }
        inputs_ = StillInputs{frame.model,         frame.legal,    frame.pathInEdit,    frame.drawControls,
                              frame.looksMove,     frame.progress, frame.closingPhase,  frame.processes,
                              frame.processReport, scale,          StillControls(frame)};
    }
    Canvas canvas;
    if (!canvas.Begin(bitmap, scale)) return false;
    if (!layer_.Compose(canvas, width, height)) {
        DrawPage(canvas, frame, PageLayer::Still);  // no bitmap for this target: draw the still part here
    }
    DrawPage(canvas, frame, PageLayer::Moving);
    canvas.End();
    return true;
}

void FrameCache::Release() {
    layer_.Release();
    inputs_.reset();
}

const wchar_t* WindowTitleKey(int32_t page) {
    switch (page) {
    case PageUninstallConfirm:
    case PageUninstalling:
    case PageUninstalled:
    case PageUninstallFailed:
        return L"UninstallTitle";
    default:
        return L"SetupTitle";
    }
}

void PageHeading(Canvas& canvas, const PageFrame& frame, const wchar_t* titleKey, const wchar_t* bodyKey, float y) {
    DrawTextKey(canvas, frame, titleKey, {40, y, 640, 42}, TextStyle{.size = 28, .color = kNavy});
    DrawTextKey(canvas, frame, bodyKey, {40, y + 50, 640, 20}, TextStyle{.size = 13, .color = kGrey});
}

void DrawPage(Canvas& canvas, const PageFrame& frame, PageLayer layer) {
    const ScreenModel& ui = frame.model;
    LayerPass pass(layer);
    if (pass.Paints(false)) {
        canvas.Clear(kPageBackground);
        DrawScene(canvas, SceneLogo, 16, 11, 0.208333f);
        DrawTextKey(canvas, frame, WindowTitleKey(ui.page), {44, 9, 430, 22}, TextStyle{.size = 12, .color = kGrey});
    }

    DrawPageContent(canvas, frame, pass);

    // Under an open menu the page's controls stay as they are (the pointer
    // and the keys are on the menu): they and the menu's panel belong to the
    // still part, which FrameCache redraws when one of their looks changes.
    const bool menuOpen = ui.languageMenuOpen || ui.titleMenuOpen;
    if (ui.dialog == DialogNone && frame.drawControls && pass.Paints(frame.looksMove && !menuOpen)) {
        for (size_t i = 0; i < frame.controls.size(); ++i) {
            if (frame.controls[i].kind != KindMenuItem) DrawControl(canvas, frame, frame.controls[i], frame.looks[i]);
        }
    }

    if (ui.languageMenuOpen) {
        // The shadow sits 4 below the panel, as if lit from above.
        if (pass.Paints(false)) DrawMenuPanel(canvas, 448, 44, 168, 286, 48);
        if (frame.drawControls && pass.Paints(frame.looksMove)) {
            for (size_t i = 0; i < frame.controls.size(); ++i) {
                if (frame.controls[i].kind == KindMenuItem) {
                    DrawControl(canvas, frame, frame.controls[i], frame.looks[i]);
                }
            }
        }
    }

    if (ui.dialog != DialogNone) DrawDialog(canvas, frame, pass);

    if (ui.titleMenuOpen) {
        const float x = ui.titleMenuLeft;
        const float y = ui.titleMenuTop;
        if (pass.Paints(false)) DrawMenuPanel(canvas, x, y, ui.titleMenuWidth, 48, y + 4);
        if (frame.drawControls && pass.Paints(frame.looksMove)) {
            for (size_t i = 0; i < frame.controls.size(); ++i) {
                if (frame.controls[i].action == ActionSaveLog) {
                    DrawControl(canvas, frame, frame.controls[i], frame.looks[i]);
                }
            }
        }
    }

    // The border is drawn last, over the corners of the title-bar buttons.
    if (pass.Paints(true)) canvas.RoundRect(0.5f, 0.5f, 719, 479, 0, 4, kWindowBorder, 1);
}

}  // namespace lum
