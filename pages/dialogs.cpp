#include "pages/dialogs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "draw/palette.h"
#include "draw/scenes.h"
#include "host/ui_state.h"
#include "host/value_animation.h"
#include "pages/controls.h"
#include "shutdown/close_interface.h"

namespace lum {

namespace {

constexpr Argb kDimLayer = 0x55172B45;

constexpr float kCardLeft = 120.0f;
constexpr float kCardWidth = 480.0f;

// The busy bar of the closing dialog rides on a thin track under the phase line.
constexpr float kBusyTrackLeft = 148.0f;
constexpr float kBusyTrackTop = 310.0f;
constexpr float kBusyTrackWidth = 424.0f;
constexpr float kBusyBarWidth = 94.0f;
constexpr float kBusyBarHeight = 3.0f;
// Where the bar stands in pictures made without a clock.
constexpr float kFrozenBusyOffset = 100.0f;

const std::vector<ProcessRecord>* g_testRecords = nullptr;

// The application card of the running and closing dialogs: logo, product name
// and a short status on the right.
void DrawApplicationCard(Canvas& canvas, const wchar_t* statusKey) {
    canvas.RoundRect(148, 225, 424, 52, kWhite, 4, 0, 0);
    DrawScene(canvas, SceneLogo, 160, 235, 1.0f / 3.0f);
    canvas.DrawText(L"Lumora", 202, 238, 218, 21, 14, kNavy, true, AlignLeading, false);
    canvas.DrawTextKey(statusKey, 430, 242, 125, 17, 11, kGrey, false, AlignTrailing);
}

}  // namespace

bool DialogCardOf(int32_t dialog, DialogCard* card) {
    switch (dialog) {
    case DialogCancelInstall:
        *card = {115, 250, IconWarning, kAccent, L"CancelTitle", L"CancelBody"};
        return true;
    case DialogAppRunning:
        *card = {82, 316, IconWarning, kAccent, L"RunningTitle", L"RunningBody"};
        return true;
    case DialogClearData:
        *card = {95, 290, IconTrash, kDanger, L"ClearTitle", L"ClearBody"};
        return true;
    case DialogClosing:
        *card = {82, 316, IconRefresh, kAccent, L"ClosingTitle", L"ClosingBody"};
        return true;
    case DialogCloseFailed:
        *card = {50, 380, IconWarning, kDanger, L"CloseFailedTitle", L"CloseFailedBody"};
        return true;
    default:
        return false;
    }
}

float BusyBarOffset(double now) {
    return static_cast<float>((1.0 - std::cos(std::numbers::pi * now / 850.0)) * 165.0);
}

const wchar_t* ClosingPhaseKey(int32_t phase) {
    switch (phase) {
    case 1:
        return L"ClosingGraceful";
    case 2:
        return L"ClosingForce";
    default:
        return L"ClosingVerify";
    }
}

ProcessListPage ProcessListRows(size_t recordCount, int32_t page) {
    ProcessListPage rows;
    if (page >= 0) {
        const size_t first = static_cast<size_t>(page) * kProcessesPerPage;
        rows.first = std::min(first, recordCount);
        rows.end = std::min(first + kProcessesPerPage, recordCount);
        rows.hasNext = first + kProcessesPerPage < recordCount;
    }
    rows.hasPrev = page > 0;
    if (recordCount > kProcessesPerPage) {
        rows.hasIndicator = true;
        rows.indicator = std::to_wstring(static_cast<int64_t>(page) + 1) + L" / " +
                         std::to_wstring((recordCount + kProcessesPerPage - 1) / kProcessesPerPage);
    }
    return rows;
}

const std::vector<ProcessRecord>& DialogProcessRecords() {
    return g_testRecords ? *g_testRecords : ReportRecords();
}

void SetDialogProcessRecordsForTesting(const std::vector<ProcessRecord>* records) { g_testRecords = records; }

void DrawClosingBar(Canvas& canvas) {
    const float offset = LayoutDumpMode() ? kFrozenBusyOffset : BusyBarOffset(NowMs());
    canvas.RoundRect(kBusyTrackLeft, kBusyTrackTop, kBusyTrackWidth, kBusyBarHeight, 0xFFDDE5F0, 1.5f, 0, 0);
    canvas.RoundRect(kBusyTrackLeft + offset, kBusyTrackTop, kBusyBarWidth, kBusyBarHeight, kAccent, 1.5f, 0, 0);
}

void DrawProcessList(Canvas& canvas) {
    canvas.RoundRect(148, 197, 424, 136, kWhite, 4, 0, 0);
    const std::vector<ProcessRecord>& records = DialogProcessRecords();
    if (records.empty()) {
        canvas.DrawText(BuildProcessReport(), 160, 213, 400, 100, 12, kGrey, false, AlignLeading, true);
        return;
    }
    const ProcessListPage rows = ProcessListRows(records.size(), Ui().processListPage);
    for (size_t i = rows.first; i < rows.end; ++i) {
        const ProcessRecord& record = records[i];
        const float y = 205.0f + 34.0f * static_cast<float>(i - rows.first);
        canvas.DrawText(record.name, 160, y, 286, 18, 12, kNavy, true, AlignLeading, true);
        canvas.DrawText(L"PID " + std::to_wstring(record.processId), 452, y, 108, 18, 11, kGrey, false,
                        AlignTrailing, false);
        canvas.DrawText(ProcessStatusText(record), 160, y + 18, 400, 14, 10, kGrey, false, AlignLeading, true);
    }
    if (rows.hasIndicator) {
        canvas.DrawText(rows.indicator, 276, 309, 168, 22, 11, kGrey, false, AlignCentre, false);
    }
}

void DrawDialog(Canvas& canvas, bool drawControls) {
    const UiState& ui = Ui();

    // The page stays visible beneath the dim layer, buttons included, though
    // only the dialog's buttons are in the control list.
    for (const ControlRecord& record : BuildControlList(DialogNone, false)) DrawControl(canvas, record, 0, 0);
    canvas.FillRect(0, 0, 720, 480, kDimLayer);

    DialogCard card;
    if (!DialogCardOf(ui.dialog, &card)) return;
    const float top = card.top;
    canvas.SoftShadow(kCardLeft, top + 5, kCardWidth, card.height, 24, 0.16f);
    canvas.RoundRect(kCardLeft, top, kCardWidth, card.height, kPageBackground, 6, 0, 0);
    DrawIcon(canvas, card.icon, 148, top + 28, 24, card.iconColor);
    canvas.DrawTextKey(card.titleKey, 182, top + 24, 390, 32, 21, kNavy, true, AlignLeading);

    switch (ui.dialog) {
    case DialogCancelInstall:
        canvas.DrawTextKey(card.bodyKey, 148, top + 77, 424, 42, 14, kGrey, false, AlignLeading);
        break;
    case DialogClearData:
        canvas.DrawTextKey(card.bodyKey, 148, top + 73, 424, 42, 14, kNavy, false, AlignLeading);
        canvas.DrawTextKey(L"SavedFilesHint", 148, 232, 424, 24, 12, kGrey, false, AlignLeading);
        break;
    case DialogAppRunning:
        canvas.DrawTextKey(card.bodyKey, 148, top + 67, 424, 64, 13, kGrey, false, AlignLeading);
        DrawApplicationCard(canvas, L"RunningStatus");
        break;
    case DialogClosing:
        canvas.DrawTextKey(card.bodyKey, 148, top + 67, 424, 64, 13, kGrey, false, AlignLeading);
        DrawApplicationCard(canvas, L"ClosingBusy");
        canvas.DrawTextKey(ClosingPhaseKey(ClosingPhase()), 148, 283, 424, 24, 12, kGrey, false, AlignLeading);
        DrawClosingBar(canvas);
        break;
    case DialogCloseFailed:
        canvas.DrawTextKey(card.bodyKey, 148, top + 67, 424, 64, 13, kGrey, false, AlignLeading);
        DrawProcessList(canvas);
        break;
    default:
        break;
    }

    if (drawControls) {
        for (const ControlRecord& record : ui.controls) DrawControl(canvas, record, 0, 0);
    }
}

}  // namespace lum
