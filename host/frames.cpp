#include "host/frames.h"

#include <algorithm>
#include <cmath>

#include "base/failure_log.h"
#include "pages/controls.h"
#include "pages/dialogs.h"
#include "pages/illustrations.h"
#include "pages/offline_render.h"
#include "pages/progress_page.h"

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

RECT ControlPixels(const ControlRecord& record, float scale) {
    const auto pixel = [scale](float units) { return static_cast<LONG>(std::lround(units * scale)); };
    return RECT{pixel(record.left), pixel(record.top), pixel(record.right), pixel(record.bottom)};
}

bool ViewPicture::Paint(int width, int height, float scale, PageFrame frame, const Box* changed) {
    // The controls change their looks in their own windows: in the picture
    // they rest, part of the still part.
    frame.looksMove = false;
    // The frame without controls still holds when only a part that no
    // control covers changed (the closing dialog's busy bar).
    const auto covers = [&](const ControlRecord& r) {
        return r.left < changed->x + changed->width && changed->x < r.right && r.top < changed->y + changed->height &&
               changed->y < r.bottom;
    };
    bareFresh_ = bareFresh_ && changed && scale == scale_ && width == view_.width() && height == view_.height() &&
                 std::none_of(frame.controls.begin(), frame.controls.end(), covers);
    looks_.clear();
    if (!view_.Ensure(width, height)) return false;
    scale_ = scale;
    for (ProgressPart part : kProgressParts) {
        shownParts_[static_cast<size_t>(part)] = ProgressPartState(frame, part);
        shownReach_[static_cast<size_t>(part)] = NAN;  // measured when the part changes
    }
    if (!still_.Paint(view_, scale, frame)) return false;
    if (frame.drawControls) looks_ = frame.looks;
    return true;
}

void ViewPicture::PaintProgressBand(const PageFrame& frame) {
    const float s = scale_;
    for (ProgressPart part : kProgressParts) {
        const size_t i = static_cast<size_t>(part);
        std::wstring state = ProgressPartState(frame, part);
        if (state == shownParts_[i]) continue;
        // Only the pixels the change reaches: a few columns of the bar as it
        // glides, the longer of the two detail lines.
        const float reach = ProgressPartReach(frame, part);
        const RECT covered = PixelsCovering(ProgressPartChange(part, shownReach_[i], reach), s),
                   whole{0, 0, view_.width(), view_.height()};
        RECT pixels{};
        if (!::IntersectRect(&pixels, &covered, &whole)) continue;
        // Over the picture: the part's edges at a fractional scale share
        // pixels with what is beside it.
        const bool drawn = DrawOver(view_, pixels, view_.dc(), pixels.left, pixels.top, [&](Canvas& canvas) {
            canvas.target()->SetTransform(D2D1::Matrix3x2F::Translation(-pixels.left / s, -pixels.top / s) *
                                          D2D1::Matrix3x2F::Scale(s, s));
            DrawProgressPart(canvas, frame, part);
        });
        if (!drawn) continue;
        shownParts_[i] = std::move(state);
        shownReach_[i] = reach;
    }
}

bool ViewPicture::EnsureBare(const PageFrame& frame) {
    if (bareFresh_) return true;
    if (!bare_.Ensure(view_.width(), view_.height())) return false;
    PageFrame bare = frame;
    bare.drawControls = false;
    if (bare.illustrations) bare.illustrations->Prepare(bare.model, bare_.width(), bare_.height(), scale_);
    Canvas canvas;
    if (!canvas.Begin(bare_, scale_)) return false;
    DrawPage(canvas, bare);
    canvas.End();
    bareFresh_ = true;
    return true;
}

void ViewPicture::PaintControl(HDC dc, size_t index, const RECT& place, const ControlLook& look,
                               const PageFrame& frame) {
    const int width =
        std::min(static_cast<int>(place.right - place.left), view_.width() - static_cast<int>(place.left));
    const int height =
        std::min(static_cast<int>(place.bottom - place.top), view_.height() - static_cast<int>(place.top));
    if (width <= 0 || height <= 0 || place.left < 0 || place.top < 0 || index >= frame.controls.size()) return;
    const auto same = [](const ControlLook& a, const ControlLook& b) {
        return a.hover == b.hover && a.press == b.press && a.check == b.check && a.focus == b.focus;
    };
    if (index < looks_.size() && same(look, looks_[index])) {
        ::BitBlt(dc, 0, 0, width, height, view_.dc(), place.left, place.top, SRCCOPY);
        return;
    }
    if (!EnsureBare(frame)) return;
    // The control in its window's own coordinates, in the same pixels it has
    // in the whole frame.
    ControlRecord moved = frame.controls[index];
    const float dx = static_cast<float>(place.left) / scale_;
    const float dy = static_cast<float>(place.top) / scale_;
    moved.left -= dx;
    moved.right -= dx;
    moved.top -= dy;
    moved.bottom -= dy;
    DrawOver(bare_, RECT{place.left, place.top, place.left + width, place.top + height}, dc, 0, 0,
             [&](Canvas& canvas) { DrawControl(canvas, frame, moved, look); });
}

bool ViewPicture::DrawOver(const FrameBitmap& under, const RECT& part, HDC to, int x, int y,
                           const std::function<void(Canvas&)>& draw) {
    const int width = part.right - part.left, height = part.bottom - part.top;
    if (!scratch_.Ensure(std::max(width, scratch_.width()), std::max(height, scratch_.height()))) return false;
    {
        Canvas canvas;
        if (!canvas.Begin(scratch_.dc(), RECT{0, 0, width, height}, scale_)) return false;
        // A render target does not keep what its bitmap held before (Wine's
        // does not): the part starts from the picture under it.
        ::GdiFlush();
        const uint32_t* first = under.pixels() + static_cast<size_t>(part.top) * under.width() + part.left;
        canvas.CopyPixels(canvas.MakeBitmap(first, width, height, under.width()).Get(), 0, 0);
        draw(canvas);
    }
    ::BitBlt(to, x, y, width, height, scratch_.dc(), 0, 0, SRCCOPY);
    return true;
}

void ViewPicture::Release() {
    view_.Release();
    looks_.clear();
    still_.Release();
    bare_.Release();
    bareFresh_ = false;
    scratch_.Release();
    for (std::wstring& shown : shownParts_) shown.clear();
}

IllustrationCache& KeptIllustrations() {
    // Deleted at unload, and only then (see ReleaseKeptIllustrationsAtUnload).
    static IllustrationCache* const kept = new IllustrationCache;
    return *kept;
}

void ReleaseKeptIllustrationsAtUnload() {
    // A bitmap still made for a render target (a window never destroyed)
    // must not be released under the loader lock: the cache is then left.
    IllustrationCache& kept = KeptIllustrations();
    if (!kept.HoldsTargetBitmaps()) delete &kept;
}

int32_t RenderScenario(const wchar_t* pngPath, int32_t scenario, int32_t dpi) {
    if (!pngPath) return 0;
    const ScreenModel model = ScenarioModel(Ui(), scenario);
    PageFrame frame =
        RestingFrame(model, model.dialog == DialogCloseFailed ? ReportRows(model) : std::vector<ProcessRow>{});
    FillCloseInterface(frame, model);
    frame.illustrations = &KeptIllustrations();
    const int32_t result = RenderFrameToPng(frame, pngPath, dpi);
    // A setup may unload the library right after rendering, and the pooled
    // render target's device must not be released under the loader lock
    // (see DllMain): it goes back now, with the bitmaps made on it.
    KeptIllustrations().ReleaseTargetBitmaps();
    ReleaseRenderTarget();
    return result;
}

}  // namespace lum
