#include "pages/progress_page.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "draw/icons.h"
#include "draw/palette.h"
#include "pages/illustrations.h"

namespace lum {

namespace {

constexpr float kBarLeft = 40.0f;
constexpr float kBarWidth = 640.0f;
constexpr float kBarRadius = 4.0f;
constexpr Box kDetailBox{40, 363, 640, 28};
constexpr TextStyle kDetailStyle{.size = 12, .color = kGrey};
// How far antialiased glyphs may reach past where their text ends.
constexpr float kInkOverhang = 3.0f;

bool CleanupStage(bool uninstall, uint32_t flags) { return uninstall && (flags & FlagDataCleanupStage) != 0; }

// The heading, the steps, the illustration and the status label.
void DrawProgressPageStill(Canvas& canvas, const PageFrame& frame, bool uninstall) {
    const ScreenModel& ui = frame.model;
    DrawTextKey(canvas, frame, uninstall ? L"UninstallingTitle" : L"InstallingTitle", {40, 87, 390, 42},
                TextStyle{.size = 30, .color = kNavy});
    DrawTextKey(canvas, frame, uninstall ? L"UninstallingBody" : L"InstallingBody",
                {40, 141, 370, IsChineseLanguage(ui.language) ? 20.0f : 34.0f}, TextStyle{.size = 13, .color = kGrey});

    const float base = uninstall ? 185.0f : 192.0f;
    const std::array<const wchar_t*, 3> keys = ProgressStepKeys(uninstall, ui.flags);
    const Icon icons[3] = {IconCheck, IconDocument, uninstall ? IconShield : IconMonitor};
    for (int i = 0; i < 3; ++i) {
        // The list is static: the middle step is always the one in progress.
        const Argb color = i == 1 ? kAccent : kGrey;
        const float row = 28.0f * static_cast<float>(i);
        DrawIcon(canvas, icons[i], 40, base + 1 + row, 16, color);
        DrawTextKey(canvas, frame, keys[static_cast<size_t>(i)], {64, base - 4 + row, 350, 26},
                    TextStyle{.size = 12, .color = color});
    }

    DrawIllustration(canvas, frame);
    DrawTextKey(canvas, frame, uninstall ? L"Uninstalling" : L"Installing", {40, 305, 480, 30},
                TextStyle{.size = 13, .color = kNavy, .weight = TextWeight::Semibold});
}

}  // namespace

float ProgressFraction(int32_t position, int32_t maximum) {
    if (maximum < 1) return 0.0f;
    return std::clamp(static_cast<float>(position) / static_cast<float>(maximum), 0.0f, 1.0f);
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

namespace {

// The script's own detail text word for word, else the stage's line.
std::wstring DetailText(const PageFrame& frame, bool uninstall) {
    const ScreenModel& ui = frame.model;
    return ui.progressText.empty() ? frame.Text(ProgressDetailKey(uninstall, ui.flags)) : ui.progressText;
}

void DrawProgressElement(Canvas& canvas, const PageFrame& frame, bool uninstall, ProgressPart part) {
    const float v = frame.progress;
    switch (part) {
    case ProgressPart::Percent:
        canvas.DrawText(
            ProgressPercentText(v), {600, 303, 74, 36},
            TextStyle{.size = 20, .color = kAccent, .weight = TextWeight::Semibold, .align = TextAlign::Trailing});
        break;
    case ProgressPart::Bar:
        canvas.RoundRect(kBarLeft, 343, kBarWidth, 8, 0xFFDCE5F2, kBarRadius, 0, 0);
        if (v > 0.0f) canvas.RoundRect(kBarLeft, 343, kBarWidth * v, 8, kAccent, kBarRadius, 0, 0);
        break;
    case ProgressPart::Detail:
        canvas.DrawText(DetailText(frame, uninstall), kDetailBox, kDetailStyle);
        break;
    }
}

}  // namespace

void DrawProgressBar(Canvas& canvas, const PageFrame& frame, bool uninstall) {
    for (ProgressPart part : kProgressParts) DrawProgressElement(canvas, frame, uninstall, part);
}

void DrawProgressPage(Canvas& canvas, const PageFrame& frame, bool uninstall, LayerPass& pass) {
    const ScreenModel& ui = frame.model;
    // Under a dialog the bar stands still; the page's own bar glides.
    const bool barMoves = ui.dialog == DialogNone;
    if (pass.Paints(false)) DrawProgressPageStill(canvas, frame, uninstall);
    if (pass.Paints(barMoves)) DrawProgressBar(canvas, frame, uninstall);
    if (pass.Paints(false)) {
        canvas.DrawLine(32, 406, 688, 406, 0xFFDDDDE2, 1);
        DrawTextKey(canvas, frame, uninstall ? L"CannotCancel" : L"PleaseWait", {40, 422, 450, 44},
                    TextStyle{.size = 11, .color = kGrey});
    }
}

Box ProgressPartBox(ProgressPart part) {
    switch (part) {
    case ProgressPart::Percent:
        return {596, 302, 84, 37};
    case ProgressPart::Bar:
        return {40, 340, 640, 14};
    default:
        return {40, 354, 640, 40};
    }
}

Box ProgressBandBox() { return {40, 302, 640, 92}; }

std::wstring ProgressPartState(const PageFrame& frame, ProgressPart part) {
    switch (part) {
    case ProgressPart::Percent:
        return ProgressPercentText(frame.progress);
    case ProgressPart::Bar:
        return std::to_wstring(std::bit_cast<uint32_t>(frame.progress));
    default:
        return DetailText(frame, frame.model.page == PageUninstalling);
    }
}

float ProgressPartReach(const PageFrame& frame, ProgressPart part) {
    switch (part) {
    case ProgressPart::Percent: {
        const Box box = ProgressPartBox(part);
        return box.x + box.width;
    }
    case ProgressPart::Bar:
        return kBarLeft + kBarWidth * std::clamp(frame.progress, 0.0f, 1.0f);
    default:
        return TextRightEdge(DetailText(frame, frame.model.page == PageUninstalling), kDetailBox, kDetailStyle) +
               kInkOverhang;
    }
}

Box ProgressPartChange(ProgressPart part, float before, float after) {
    const Box box = ProgressPartBox(part);
    if (!std::isfinite(before) || !std::isfinite(after) || part == ProgressPart::Percent) return box;
    float left = box.x, top = box.y, bottom = box.y + box.height;
    if (part == ProgressPart::Bar) {
        // Two fills differ from the start of the shorter one's rounded end;
        // a fill shorter than its two ends has rounder ends, which reach back
        // to the bar's start.
        left = std::min(before, after) - 2.0f * kBarRadius - 1.0f;
    } else {
        // The detail line starts at the box's left and is clipped to its box.
        top = kDetailBox.y;
        bottom = kDetailBox.y + kDetailBox.height;
    }
    left = std::max(left, box.x);
    const float right = std::clamp(std::max(before, after) + 1.0f, left, box.x + box.width);
    return {left, top, right - left, bottom - top};
}

void DrawProgressPart(Canvas& canvas, const PageFrame& frame, ProgressPart part) {
    const ScreenModel& ui = frame.model;
    if (ui.dialog != DialogNone || (ui.page != PageInstalling && ui.page != PageUninstalling)) return;
    const Box box = ProgressPartBox(part);
    canvas.FillRect(box.x, box.y, box.width, box.height, kPageBackground);
    DrawProgressElement(canvas, frame, ui.page == PageUninstalling, part);
}

}  // namespace lum
