#include "pages/progress_page.h"

#include <algorithm>
#include <cmath>

#include "draw/icons.h"
#include "draw/palette.h"
#include "draw/scenes.h"
#include "host/ui_state.h"
#include "host/value_animation.h"
#include "text/text_lookup.h"

namespace lum {

namespace {


constexpr float kBarLeft = 40.0f;
constexpr float kBarWidth = 640.0f;

bool CleanupStage(bool uninstall, uint32_t flags) { return uninstall && (flags & FlagDataCleanupStage) != 0; }

}  // namespace

float ProgressBarValue() {
    const UiState& ui = Ui();
    if (LayoutDumpMode()) {
        if (ui.progressMaximum < 1) return 0.0f;
        const float v = static_cast<float>(ui.progressPosition) / static_cast<float>(ui.progressMaximum);
        return std::clamp(v, 0.0f, 1.0f);
    }
    return ui.displayedProgress.ValueAt(NowMs());
}

int32_t ProgressPercent(float value) {
    // std::lround rounds halves away from zero: 12.5 gives 13, -12.5 gives -13.
    return static_cast<int32_t>(std::lround(static_cast<double>(value) * 100.0));
}

std::wstring ProgressPercentText(float value) { return std::to_wstring(ProgressPercent(value)) + L"%"; }

std::array<const wchar_t*, 3> ProgressStepKeys(bool uninstall, uint32_t flags) {
    if (!uninstall) return {L"PreflightDone", L"WritingFiles", L"CreatingShortcuts"};
    if (CleanupStage(uninstall, flags)) return {L"FilesRemoved", L"DataRemoving", L"SavedFilesPreserved"};
    return {L"AppClosed", L"RemovingFiles", (flags & FlagRemoveData) ? L"DataRemoving" : L"DataPreserved"};
}

const wchar_t* ProgressDetailKey(bool uninstall, uint32_t flags) {
    if (!uninstall) return L"WritingFiles";
    return CleanupStage(uninstall, flags) ? L"DataCleanupDetail" : L"RemovingFiles";
}

void DrawProgressBar(Canvas& canvas, bool uninstall) {
    const UiState& ui = Ui();
    const float v = ProgressBarValue();
    canvas.DrawText(ProgressPercentText(v), 600, 303, 74, 36, 20, kAccent, true, AlignTrailing, true);
    canvas.RoundRect(kBarLeft, 343, kBarWidth, 8, 0xFFDCE5F2, 4, 0, 0);
    if (v > 0.0f) canvas.RoundRect(kBarLeft, 343, kBarWidth * v, 8, kAccent, 4, 0, 0);
    if (!ui.progressText.empty()) {
        // The script's own detail text is shown word for word, not looked up.
        canvas.DrawText(ui.progressText, 40, 363, 640, 28, 12, kGrey, false, AlignLeading, true);
    } else {
        canvas.DrawTextKey(ProgressDetailKey(uninstall, ui.flags), 40, 363, 640, 28, 12, kGrey, false,
                           AlignLeading);
    }
}

void DrawProgressPage(Canvas& canvas, bool uninstall) {
    const UiState& ui = Ui();
    canvas.DrawTextKey(uninstall ? L"UninstallingTitle" : L"InstallingTitle", 40, 87, 390, 42, 30, kNavy, false,
                       AlignLeading);
    canvas.DrawTextKey(uninstall ? L"UninstallingBody" : L"InstallingBody", 40, 141, 370,
                       IsChineseLanguage() ? 20.0f : 34.0f, 13, kGrey, false, AlignLeading);

    const float base = uninstall ? 185.0f : 192.0f;
    const std::array<const wchar_t*, 3> keys = ProgressStepKeys(uninstall, ui.flags);
    const Icon icons[3] = {IconCheck, IconDocument, uninstall ? IconShield : IconMonitor};
    for (int i = 0; i < 3; ++i) {
        // The list is static: the middle step is always the one in progress.
        const Argb color = i == 1 ? kAccent : kGrey;
        const float row = 28.0f * static_cast<float>(i);
        DrawIcon(canvas, icons[i], 40, base + 1 + row, 16, color);
        canvas.DrawTextKey(keys[static_cast<size_t>(i)], 64, base - 4 + row, 350, 26, 12, color, false,
                           AlignLeading);
    }

    DrawScene(canvas, uninstall ? SceneUninstalling : SceneInstalling, 0, 0, 1);
    canvas.DrawTextKey(uninstall ? L"Uninstalling" : L"Installing", 40, 305, 480, 30, 13, kNavy, true,
                       AlignLeading);
    DrawProgressBar(canvas, uninstall);
    canvas.DrawLine(32, 406, 688, 406, 0xFFDDDDE2, 1);
    canvas.DrawTextKey(uninstall ? L"CannotCancel" : L"PleaseWait", 40, 422, 450, 44, 11, kGrey, false,
                       AlignLeading);
}

void DrawProgressBand(Canvas& canvas) {
    const UiState& ui = Ui();
    if (ui.dialog != DialogNone || (ui.page != PageInstalling && ui.page != PageUninstalling)) return;
    canvas.FillRect(596, 302, 84, 37, kPageBackground);
    canvas.FillRect(40, 340, 640, 54, kPageBackground);
    DrawProgressBar(canvas, ui.page == PageUninstalling);
}

}  // namespace lum
