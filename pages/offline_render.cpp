// LumUI_Render: one screen drawn into a PNG file without a window, with a
// ".layout.txt" report beside it naming every text that overflowed its box.
#include "pages/offline_render.h"

#include <string>
#include <vector>

#include "base/scoped_win.h"
#include "base/utf8.h"
#include "draw/png_writer.h"
#include "pages/controls.h"
#include "pages/draw_page.h"
#include "pages/illustrations.h"
#include "pages/progress_page.h"

namespace lum {

namespace {

void ApplyScenario(ScreenModel& ui, int32_t scenario) {
    ui.dialog = DialogNone;
    ui.languageMenuOpen = false;
    ui.titleMenuOpen = false;
    if (scenario >= 0 && scenario <= kLastPage) {
        ui.page = scenario;
        return;
    }
    switch (scenario) {
    case 11:
        ui.page = PageInstalling;
        ui.dialog = DialogCancelInstall;
        break;
    case 12:
        ui.page = PageExisting;
        ui.dialog = DialogAppRunning;
        break;
    case 13:
        ui.page = PageUninstallConfirm;
        ui.dialog = DialogClearData;
        ui.flags |= FlagRemoveData;
        break;
    case 14:
        ui.page = PageWelcome;
        ui.languageMenuOpen = true;
        break;
    case 15:
        ui.page = PageUninstallConfirm;
        ui.flags |= FlagRemoveData;
        break;
    case 16:
        ui.page = PageUninstalling;
        ui.flags |= FlagRemoveData | FlagDataCleanupStage;
        break;
    case 17:
        ui.page = PageExisting;
        ui.dialog = DialogClosing;
        break;
    case 18:
        ui.page = PageExisting;
        ui.dialog = DialogCloseFailed;
        break;
    case 19: {
        ui.page = PageExisting;
        ui.titleMenuOpen = true;
        const float width = MeasureTextKey(ui, L"SaveLog", 12) + 36;
        ui.titleMenuLeft = 16;
        ui.titleMenuTop = 40;
        ui.titleMenuWidth = width < 208 ? 208 : (width > 420 ? 420 : width);
        break;
    }
    default:
        // Any other number (above 19, or negative) shows the installing page.
        ui.page = PageInstalling;
        break;
    }
}

// The ".layout.txt" dump: the count first, then one overflowing text a line,
// each line ended by a single line feed.
bool WriteLayoutDump(const std::wstring& path, const std::vector<std::wstring>& overflows) {
    std::string body = "overflow_count=" + std::to_string(overflows.size()) + "\n";
    for (const std::wstring& text : overflows) body += ToUtf8(text) + "\n";
    UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), body.data(), static_cast<DWORD>(body.size()), &written, nullptr) &&
           written == body.size();
}

// Pixel size of the 720 x 480 frame at the DPI; 0 when it cannot be a bitmap.
int FramePixels(float units, int32_t dpi) {
    const double pixels = static_cast<double>(units) * dpi / 96.0;
    if (pixels < 1.0 || pixels > 1.0e6) return 0;
    return static_cast<int>(pixels);
}

}  // namespace

ScreenModel ScenarioModel(const ScreenModel& current, int32_t scenario) {
    ScreenModel model = current;
    ApplyScenario(model, scenario);
    if (model.languageMenuOpen) model.page = PageWelcome;  // the menu belongs to the welcome page
    return model;
}

PageFrame RestingFrame(const ScreenModel& model, std::vector<ProcessRow> processes) {
    PageFrame frame(model);
    ControlList list = BuildControlList(model, model.dialog, true, processes.size());
    frame.controls = std::move(list.records);
    frame.legal = list.legal;
    for (const ControlRecord& record : frame.controls) frame.looks.push_back(RestingLook(record, model.flags));
    frame.progress = ProgressFraction(model.progressPosition, model.progressMaximum);
    frame.processes = std::move(processes);
    return frame;
}

int32_t RenderFrameToPng(const PageFrame& frame, const std::wstring& pngPath, int32_t dpi) {
    // A path names a file: without one the report would land in the current
    // folder as ".layout.txt".
    if (pngPath.empty() || !EnsureFactories()) return 0;

    int32_t result = 0;
    std::vector<std::wstring> overflows;
    const float scale = static_cast<float>(dpi) / 96.0f;
    FrameBitmap bitmap;
    if (bitmap.Ensure(FramePixels(720, dpi), FramePixels(480, dpi))) {
        if (frame.illustrations) frame.illustrations->Prepare(frame.model, bitmap.width(), bitmap.height(), scale);
        // A canvas that cannot begin leaves a blank picture, which is not
        // worth a file: the result is then 0 as for a missing bitmap.
        Canvas canvas;
        canvas.CollectOverflows(&overflows);
        if (canvas.Begin(bitmap, scale)) {
            DrawPage(canvas, frame);
            canvas.End();
            result = WritePng(bitmap, pngPath) ? 1 : 0;
        }
    }
    WriteLayoutDump(pngPath + L".layout.txt", overflows);
    return result;
}

}  // namespace lum
