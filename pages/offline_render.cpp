// LumUI_Render: one screen drawn into a PNG file without a window, with a
// ".layout.txt" report beside it naming every text that overflowed its box.
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/png_writer.h"
#include "exports/LumoraUI.h"
#include "host/export_guard.h"
#include "host/scoped_win.h"
#include "host/ui_state.h"
#include "pages/controls.h"
#include "pages/page_scenes.h"

namespace lum {

namespace {

constexpr int32_t kLastScenario = 19;

// Borrows the UI state for one render and puts it back, whatever happens in
// between. The title menu's geometry and the legal-line layout stay as the
// render left them: both are recomputed before they are next used.
class BorrowedUiState {
public:
    BorrowedUiState()
        : page_(Ui().page),
          flags_(Ui().flags),
          controls_(Ui().controls),
          dialog_(Ui().dialog),
          languageMenuOpen_(Ui().languageMenuOpen),
          titleMenuOpen_(Ui().titleMenuOpen) {}
    ~BorrowedUiState() {
        UiState& ui = Ui();
        ui.page = page_;
        ui.flags = flags_;
        ui.controls = std::move(controls_);
        ui.dialog = dialog_;
        ui.languageMenuOpen = languageMenuOpen_;
        ui.titleMenuOpen = titleMenuOpen_;
        LayoutDumpMode() = false;
    }
    BorrowedUiState(const BorrowedUiState&) = delete;
    BorrowedUiState& operator=(const BorrowedUiState&) = delete;

private:
    int32_t page_;
    uint32_t flags_;
    std::vector<ControlRecord> controls_;
    int32_t dialog_;
    bool languageMenuOpen_;
    bool titleMenuOpen_;
};

void ApplyScenario(int32_t scenario) {
    UiState& ui = Ui();
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
        const float width = MeasureTextKey(L"SaveLog", 12) + 36;
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

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr,
                          nullptr);
    return out;
}

// The ".layout.txt" dump: the count first, then one overflowing text a line,
// each line ended by a single line feed.
bool WriteLayoutDump(const std::wstring& path, const std::vector<std::wstring>& overflows) {
    std::string body = "overflow_count=" + std::to_string(overflows.size()) + "\n";
    for (const std::wstring& text : overflows) body += ToUtf8(text) + "\n";
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
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

int32_t Render(const wchar_t* pngPath, int32_t scenario, int32_t dpi) {
    if (!pngPath || !EnsureFactories()) return 0;
    const std::wstring path = pngPath;

    int32_t result = 0;
    {
        BorrowedUiState borrowed;
        ApplyScenario(scenario);
        if (Ui().languageMenuOpen) Ui().page = PageWelcome;
        BuildControls();
        LayoutDumpMode() = true;
        OverflowList().clear();

        const float scale = static_cast<float>(dpi) / 96.0f;
        FrameBitmap frame;
        if (frame.Ensure(FramePixels(720, dpi), FramePixels(480, dpi))) {
            // A canvas that cannot begin leaves a blank picture, which is not
            // worth a file: the result is then 0 as for a missing bitmap.
            Canvas canvas;
            if (canvas.Begin(frame, scale)) {
                DrawPage(canvas, true);
                canvas.End();
                result = WritePng(frame, path.c_str()) ? 1 : 0;
            }
        }
        WriteLayoutDump(path + L".layout.txt", OverflowList());
    }
    return result;
}

}  // namespace

}  // namespace lum

extern "C" int32_t LUMUI_API LumUI_Render(const wchar_t* pngPath, int32_t scenario, int32_t dpi) {
    return lum::Guarded<int32_t>(0, [&] { return lum::Render(pngPath, scenario, dpi); });
}
