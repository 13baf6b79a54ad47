#include "pages/page_scenes.h"

#include "draw/icons.h"
#include "draw/palette.h"
#include "draw/scenes.h"
#include "host/ui_state.h"
#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/progress_page.h"
#include "text/text_lookup.h"

namespace lum {

namespace {


// The product name is a literal in every language.
constexpr const wchar_t* kProductName = L"Lumora";

void FooterDivider(Canvas& canvas) { canvas.DrawLine(32, 406, 688, 406, kDivider, 1); }

// Texts of the script (install path, error text) are shown as they are.
void DrawPlain(Canvas& canvas, const std::wstring& text, float x, float y, float w, float h, float size, Argb color) {
    canvas.DrawText(text, x, y, w, h, size, color, false, AlignLeading, true);
}

bool FolderEditShown() {
    const HWND edit = Ui().folderEdit;
    return edit && ::IsWindow(edit) && ::IsWindowVisible(edit);
}

void DrawWelcome(Canvas& canvas) {
    const UiState& ui = Ui();
    const bool chinese = IsChineseLanguage();
    DrawScene(canvas, SceneLogo, 57, 67, 1.0f / 3.0f);
    canvas.DrawText(kProductName, 97, 68, 200, 30, 20, kNavy, true, AlignLeading, false);
    canvas.DrawTextKey(L"Features", 57, 99, 299, chinese ? 30.0f : 40.0f, 12, kGrey, false, AlignLeading);
    canvas.DrawTextKey(L"WelcomeTitle", 57, 167, 300, 54, IsCjkLanguage() ? 36.0f : 28.0f, kNavy, false,
                       AlignLeading);
    canvas.DrawTextKey(L"WelcomeBody", 57, 221, 300, chinese ? 48.0f : 82.0f, 14, kGrey, false, AlignLeading);
    DrawScene(canvas, SceneWelcome, 0, 0, 1);
    canvas.DrawLine(32, 422, 688, 422, kDivider, 1);

    // The legal line: intro, link, "and", link, centred as BuildControls measured it.
    const LegalLineLayout& legal = ui.legal;
    const float size = legal.fontSize;
    canvas.DrawTextKey(L"LegalIntro", legal.x0, 438, legal.widths[0], 30, size, kGrey, false, AlignLeading);
    canvas.DrawTextKey(L"And", legal.x0 + legal.widths[0] + legal.widths[1], 438, legal.widths[2], 30, size, kGrey,
                       false, AlignCentre);
}

void DrawOptions(Canvas& canvas, bool pathError) {
    const UiState& ui = Ui();
    PageHeading(canvas, L"OptionsTitle", L"OptionsBody", 65);
    canvas.DrawTextKey(L"InstallLocation", 40, 146, 400, 24, 13, kNavy, true, AlignLeading);
    canvas.RoundRect(40, 177, 528, 44, kWhite, 4, pathError ? kDanger : kFieldBorder, 1);
    DrawIcon(canvas, IconFolder, 52, 188, 20, kGrey);
    if (!FolderEditShown() || LayoutDumpMode() || CapturingFrame()) {
        canvas.DrawText(ui.installPath, 84, 184, 470, 28, 14, kNavy, false, AlignLeading, true);
    }
    if (pathError) {
        DrawPlain(canvas, ui.errorText, 40, 229, 640, 18, 12, kDanger);
        canvas.DrawLine(40, 267, 680, 267, kDivider, 1);
    }
    FooterDivider(canvas);
}

void DrawInstalled(Canvas& canvas) {
    DrawIcon(canvas, IconCheck, 48, 102, 17, kAccent);
    canvas.DrawTextKey(L"Installed", 71, 102, 240, 18, 12, kAccent, true, AlignLeading);
    canvas.DrawTextKey(L"CompleteTitle", 48, 136, 310, 48, 32, kNavy, false, AlignLeading);
    canvas.DrawTextKey(L"CompleteBody", 48, 200, 316, 20, 13, kGrey, false, AlignLeading);
    DrawScene(canvas, SceneComplete, 0, 0, 1);
}

void DrawExisting(Canvas& canvas) {
    const UiState& ui = Ui();
    PageHeading(canvas, L"ExistingTitle", L"ExistingBody", 65);
    canvas.RoundRect(40, 158, 640, 88, kWhite, 6, kDivider, 1);
    DrawScene(canvas, SceneLogo, 58, 176, 0.5f);
    canvas.DrawTextKey(L"ExistingAppName", 124, 173, 365, 26, 15, kNavy, true, AlignLeading);
    DrawPlain(canvas, ui.installPath, 124, 202, 394, 32, 12, kGrey);
    DrawIcon(canvas, IconShield, 540, 194, 16, kAccent);
    canvas.DrawTextKey(L"KeepDataTag", 562, 188, 108, 28, 12, kAccentDeep, false, AlignLeading);
    DrawIcon(canvas, IconCheck, 40, 273, 16, kAccent);
    canvas.DrawTextKey(L"UpdateSameLocation", 64, 267, 616, 28, 13, kGrey, false, AlignLeading);
    DrawIcon(canvas, IconCheck, 40, 303, 16, kAccent);
    canvas.DrawTextKey(L"UpdateKeepData", 64, 297, 616, 28, 13, kGrey, false, AlignLeading);
    FooterDivider(canvas);
}

void DrawUninstallConfirm(Canvas& canvas) {
    const UiState& ui = Ui();
    const bool removeData = (ui.flags & FlagRemoveData) != 0;
    PageHeading(canvas, L"UninstallHeading", L"UninstallBody", 65);
    canvas.RoundRect(40, 151, 640, 77, kWhite, 4, kDivider, 1);
    DrawScene(canvas, SceneLogo, 56, 166, 0.46875f);
    canvas.DrawText(kProductName, 118, 164, 520, 24, 16, kNavy, true, AlignLeading, false);
    DrawPlain(canvas, ui.installPath, 118, 191, 535, 24, 12, kGrey);
    // The lower card holds the remove-data check box, and grows for its warning.
    canvas.RoundRect(40, 246, 640, removeData ? 66.0f : 46.0f, kWhite, 4, kDivider, 1);
    if (removeData) canvas.DrawTextKey(L"RemoveDataWarning", 82, 279, 574, 18, 12, kDanger, false, AlignLeading);
    FooterDivider(canvas);
}

void DrawUninstalled(Canvas& canvas) {
    const UiState& ui = Ui();
    const bool removeData = (ui.flags & FlagRemoveData) != 0;
    DrawIcon(canvas, IconCheck, 48, 96.5f, 17, kAccent);
    canvas.DrawTextKey(L"UninstalledStatus", 71, 96, 307, 18, 12, kAccentDeep, true, AlignLeading);
    canvas.DrawTextKey(L"UninstalledTitle", 48, 128, 325, 48, 32, kNavy, false, AlignLeading);
    canvas.DrawTextKey(L"UninstalledBody", 48, 190, 330, 40, 13, kGrey, false, AlignLeading);
    canvas.DrawTextKey(L"UninstalledFarewell", 48, 244, 330, 40, 13, kGrey, false, AlignLeading);
    DrawScene(canvas, removeData ? SceneCleaned : SceneFarewell, 0, 0, 1);
    canvas.RoundRect(48, 302, 624, 65, kPaleBlue, 4, 0, 0);
    DrawIcon(canvas, IconShield, 64, 322, 24, kAccentDeep);
    if (removeData) {
        canvas.DrawTextKey(L"DataRemoved", 101, 324, 555, 21, 14, kAccentDeep, true, AlignLeading);
    } else {
        canvas.DrawTextKey(L"DataRetained", 101, 313, 555, 21, 14, kAccentDeep, true, AlignLeading);
        canvas.DrawTextKey(L"ReinstallHint", 101, 339, 555, 18, 12, kGrey, false, AlignLeading);
    }
    FooterDivider(canvas);
}

void DrawFailed(Canvas& canvas, bool uninstall) {
    const UiState& ui = Ui();
    DrawIcon(canvas, IconWarning, 40, 76, 27, kDanger);
    canvas.DrawTextKey(uninstall ? L"UninstallErrorTitle" : L"InstallErrorTitle", 79, 69, 600, 42, 28, kNavy, false,
                       AlignLeading);
    canvas.DrawTextKey(uninstall ? L"UninstallErrorBody" : L"InstallErrorBody", 40, 118, 640, 20, 13, kGrey, false,
                       AlignLeading);
    canvas.RoundRect(40, 160, 640, 119, kWhite, 4, kErrorCardBorder, 1);
    canvas.DrawTextKey(uninstall ? L"UninstallErrorSummary" : L"InstallErrorSummary", 58, 176, 602, 23, 15, kDanger,
                       false, AlignLeading);
    DrawPlain(canvas, ui.errorText, 58, 207, 602, 56, 12, kGrey);
    if (uninstall) {
        DrawIcon(canvas, IconRefresh, 40, 307, 18, kGrey);
        canvas.DrawTextKey(L"UninstallRecovery", 66, 302, 604, 30, 13, kGrey, false, AlignLeading);
    } else {
        canvas.DrawTextKey(L"InstallRecovery", 40, 302, 630, 30, 13, kNavy, false, AlignLeading);
    }
    FooterDivider(canvas);
}

void DrawPageContent(Canvas& canvas, int32_t page) {
    switch (page) {
    case PageWelcome:
        DrawWelcome(canvas);
        break;
    case PageOptions:
        DrawOptions(canvas, false);
        break;
    case PageOptionsPathError:
        DrawOptions(canvas, true);
        break;
    case PageInstalling:
        DrawProgressPage(canvas, false);
        break;
    case PageUninstalling:
        DrawProgressPage(canvas, true);
        break;
    case PageInstalled:
        DrawInstalled(canvas);
        break;
    case PageExisting:
        DrawExisting(canvas);
        break;
    case PageUninstallConfirm:
        DrawUninstallConfirm(canvas);
        break;
    case PageUninstalled:
        DrawUninstalled(canvas);
        break;
    case PageInstallFailed:
        DrawFailed(canvas, false);
        break;
    case PageUninstallFailed:
        DrawFailed(canvas, true);
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

bool& CapturingFrame() {
    static bool capturing = false;
    return capturing;
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

void PageHeading(Canvas& canvas, const wchar_t* titleKey, const wchar_t* bodyKey, float y) {
    canvas.DrawTextKey(titleKey, 40, y, 640, 42, 28, kNavy, false, AlignLeading);
    canvas.DrawTextKey(bodyKey, 40, y + 50, 640, 20, 13, kGrey, false, AlignLeading);
}

void DrawPage(Canvas& canvas, bool drawControls) {
    const UiState& ui = Ui();
    canvas.Clear(kPageBackground);

    DrawScene(canvas, SceneLogo, 16, 11, 0.208333f);
    canvas.DrawTextKey(WindowTitleKey(ui.page), 44, 9, 430, 22, 12, kGrey, false, AlignLeading);

    DrawPageContent(canvas, ui.page);

    if (ui.dialog == DialogNone && drawControls) {
        for (const ControlRecord& record : ui.controls) {
            if (record.kind != KindMenuItem) DrawControl(canvas, record, 0, 0);
        }
    }

    if (ui.languageMenuOpen) {
        // The shadow sits 4 below the panel, as if lit from above.
        DrawMenuPanel(canvas, 448, 44, 168, 286, 48);
        if (drawControls) {
            for (const ControlRecord& record : ui.controls) {
                if (record.kind == KindMenuItem) DrawControl(canvas, record, 0, 0);
            }
        }
    }

    if (ui.dialog != DialogNone) DrawDialog(canvas, drawControls);

    if (ui.titleMenuOpen) {
        const float x = ui.titleMenuLeft;
        const float y = ui.titleMenuTop;
        DrawMenuPanel(canvas, x, y, ui.titleMenuWidth, 48, y + 4);
        if (drawControls) {
            for (const ControlRecord& record : ui.controls) {
                if (record.action == ActionSaveLog) DrawControl(canvas, record, 0, 0);
            }
        }
    }

    canvas.RoundRect(0.5f, 0.5f, 719, 479, 0, 4, kWindowBorder, 1);
}

}  // namespace lum
