#include "host/frames.h"

#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/offline_render.h"

namespace lum {

ReportTexts ReportTextsOf(const ScreenModel& model) {
    return {model.Text(L"CloseFailedStatus"), model.Text(L"RunningStatus"), model.Text(L"ProcessErrorCode"),
            model.Text(L"ProcessScanFailed"), model.Text(L"ProcessNone")};
}

std::vector<ProcessRow> ReportRows(const ScreenModel& model) {
    const ReportTexts texts = ReportTextsOf(model);
    std::vector<ProcessRow> rows;
    for (const ProcessRecord& record : ReportRecords()) {
        rows.push_back({record.name, record.processId, ProcessStatusText(record, texts)});
    }
    return rows;
}

void FillCloseInterface(PageFrame& frame, const ScreenModel& model) {
    frame.closingPhase = ClosingPhase();
    if (model.dialog != DialogCloseFailed) return;
    frame.processes = ReportRows(model);
    if (frame.processes.empty()) frame.processReport = BuildProcessReport(ReportTextsOf(model));
}

PageFrame WindowFrame(const UiState& ui, double now, bool drawControls, bool capture) {
    PageFrame frame(ui);
    frame.controls = ui.controls;
    for (const ControlRecord& record : ui.controls) frame.looks.push_back(SampledLook(record, now));
    frame.legal = ui.legal;
    frame.drawControls = drawControls;
    const bool editShown = ui.folderEdit && ::IsWindow(ui.folderEdit) && ::IsWindowVisible(ui.folderEdit);
    frame.pathInEdit = editShown && !capture;
    frame.progress = ui.displayedProgress.ValueAt(now);
    frame.busyOffset = BusyBarOffset(now);
    FillCloseInterface(frame, ui);
    return frame;
}

int32_t RenderScenario(const wchar_t* pngPath, int32_t scenario, int32_t dpi) {
    if (!pngPath) return 0;
    const ScreenModel model = ScenarioModel(Ui(), scenario);
    PageFrame frame =
        RestingFrame(model, model.dialog == DialogCloseFailed ? ReportRows(model) : std::vector<ProcessRow>{});
    FillCloseInterface(frame, model);
    const int32_t result = RenderFrameToPng(frame, pngPath, dpi);
    // A setup may unload the library right after rendering, and the pooled
    // render target's device must not be released under the loader lock
    // (see DllMain): it goes back now.
    ReleaseRenderTarget();
    return result;
}

}  // namespace lum
