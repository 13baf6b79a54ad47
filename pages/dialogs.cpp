#include "pages/dialogs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "draw/palette.h"
#include "draw/scenes.h"
#include "pages/controls.h"

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

// The application card of the running and closing dialogs: logo, product name
// and a short status on the right.
void DrawApplicationCard(Canvas& canvas, const PageFrame& frame, const wchar_t* statusKey) {
    canvas.RoundRect(148, 225, 424, 52, kWhite, 4, 0, 0);
    DrawScene(canvas, SceneLogo, 160, 235, 1.0f / 3.0f);
    canvas.DrawText(L"Lumora", {202, 238, 218, 21},
                    TextStyle{.size = 14, .color = kNavy, .weight = TextWeight::Semibold, .fit = false});
    DrawTextKey(canvas, frame, statusKey, {430, 242, 125, 17},
                TextStyle{.size = 11, .color = kGrey, .align = TextAlign::Trailing});
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

float BusyBarOffset(double now) { return static_cast<float>((1.0 - std::cos(std::numbers::pi * now / 850.0)) * 165.0); }

Box BusyBarBand() { return {kBusyTrackLeft, kBusyTrackTop, kBusyTrackWidth, kBusyBarHeight}; }

Box ClosingPhaseBand() { return {148, 283, 424, 24}; }

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

void DrawClosingBar(Canvas& canvas, const PageFrame& frame) {
    const float offset = frame.busyOffset;
    canvas.RoundRect(kBusyTrackLeft, kBusyTrackTop, kBusyTrackWidth, kBusyBarHeight, 0xFFDDE5F0, 1.5f, 0, 0);
    canvas.RoundRect(kBusyTrackLeft + offset, kBusyTrackTop, kBusyBarWidth, kBusyBarHeight, kAccent, 1.5f, 0, 0);
}

void DrawProcessList(Canvas& canvas, const PageFrame& frame) {
    canvas.RoundRect(148, 197, 424, 136, kWhite, 4, 0, 0);
    const std::vector<ProcessRow>& records = frame.processes;
    if (records.empty()) {
        canvas.DrawText(frame.processReport, {160, 213, 400, 100}, TextStyle{.size = 12, .color = kGrey});
        return;
    }
    const ProcessListPage rows = ProcessListRows(records.size(), frame.model.processListPage);
    for (size_t i = rows.first; i < rows.end; ++i) {
        const ProcessRow& record = records[i];
        const float y = 205.0f + 34.0f * static_cast<float>(i - rows.first);
        canvas.DrawText(record.name, {160, y, 286, 18},
                        TextStyle{.size = 12, .color = kNavy, .weight = TextWeight::Semibold});
        canvas.DrawText(L"PID " + std::to_wstring(record.processId), {452, y, 108, 18},
                        TextStyle{.size = 11, .color = kGrey, .align = TextAlign::Trailing, .fit = false});
        canvas.DrawText(record.status, {160, y + 18, 400, 14}, TextStyle{.size = 10, .color = kGrey});
    }
    if (rows.hasIndicator) {
        canvas.DrawText(rows.indicator, {276, 309, 168, 22},
                        TextStyle{.size = 11, .color = kGrey, .align = TextAlign::Centre, .fit = false});
    }
}

namespace {

// Everything of a dialog that stays put while it is shown: the page under the
// dim layer, the card, its texts and its panels.
void DrawDialogStill(Canvas& canvas, const PageFrame& frame, const DialogCard* known) {
    const ScreenModel& ui = frame.model;

    // The page stays visible beneath the dim layer, buttons included, though
    // only the dialog's buttons are in the control list.
    const ControlList page = BuildControlList(ui, DialogNone, false, frame.processes.size());
    PageFrame under(ui);
    under.legal = page.legal;
    for (const ControlRecord& record : page.records) {
        DrawControl(canvas, under, record, RestingLook(record, ui.flags));
    }
    canvas.FillRect(0, 0, 720, 480, kDimLayer);

    if (!known) return;
    const DialogCard& card = *known;
    const float top = card.top;
    canvas.SoftShadow(kCardLeft, top + 5, kCardWidth, card.height, 24, 0.16f);
    canvas.RoundRect(kCardLeft, top, kCardWidth, card.height, kPageBackground, 6, 0, 0);
    DrawIcon(canvas, card.icon, 148, top + 28, 24, card.iconColor);
    DrawTextKey(canvas, frame, card.titleKey, {182, top + 24, 390, 32},
                TextStyle{.size = 21, .color = kNavy, .weight = TextWeight::Semibold});

    switch (ui.dialog) {
    case DialogCancelInstall:
        DrawTextKey(canvas, frame, card.bodyKey, {148, top + 77, 424, 42}, TextStyle{.size = 14, .color = kGrey});
        break;
    case DialogClearData:
        DrawTextKey(canvas, frame, card.bodyKey, {148, top + 73, 424, 42}, TextStyle{.size = 14, .color = kNavy});
        DrawTextKey(canvas, frame, L"SavedFilesHint", {148, 232, 424, 24}, TextStyle{.size = 12, .color = kGrey});
        break;
    case DialogAppRunning:
        DrawTextKey(canvas, frame, card.bodyKey, {148, top + 67, 424, 64}, TextStyle{.size = 13, .color = kGrey});
        DrawApplicationCard(canvas, frame, L"RunningStatus");
        break;
    case DialogClosing:
        DrawTextKey(canvas, frame, card.bodyKey, {148, top + 67, 424, 64}, TextStyle{.size = 13, .color = kGrey});
        DrawApplicationCard(canvas, frame, L"ClosingBusy");
        DrawTextKey(canvas, frame, ClosingPhaseKey(frame.closingPhase), ClosingPhaseBand(),
                    TextStyle{.size = 12, .color = kGrey});
        break;
    case DialogCloseFailed:
        DrawTextKey(canvas, frame, card.bodyKey, {148, top + 67, 424, 64}, TextStyle{.size = 13, .color = kGrey});
        DrawProcessList(canvas, frame);
        break;
    default:
        break;
    }
}

}  // namespace

void DrawDialog(Canvas& canvas, const PageFrame& frame, LayerPass& pass) {
    const ScreenModel& ui = frame.model;
    DialogCard card;
    const bool known = DialogCardOf(ui.dialog, &card);
    if (pass.Paints(false)) {
        DrawDialogStill(canvas, frame, known ? &card : nullptr);
    }
    if (!known) return;
    if (ui.dialog == DialogClosing && pass.Paints(true)) DrawClosingBar(canvas, frame);
    if (frame.drawControls && !frame.controls.empty() && pass.Paints(frame.looksMove)) {
        for (size_t i = 0; i < frame.controls.size(); ++i) {
            DrawControl(canvas, frame, frame.controls[i], frame.looks[i]);
        }
    }
}

}  // namespace lum
