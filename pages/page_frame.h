// PageFrame: everything one frame is drawn from. The window samples its
// animations into it at paint time; the offline renderer fills it with
// resting values. Drawing reads nothing else.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "pages/control_record.h"
#include "pages/screen_model.h"

namespace lum {

class IllustrationCache;

// How a control looks at this instant, each value 0 ... 1.
struct ControlLook {
    float hover = 0.0f;
    float press = 0.0f;
    float check = 0.0f;
    float focus = 0.0f;
};

// One row of the close-failed dialog's process list, ready to show.
struct ProcessRow {
    std::wstring name;
    uint32_t processId = 0;
    std::wstring status;  // ProcessStatusText of the record
    bool operator==(const ProcessRow&) const = default;
};

// Where the legal line of the welcome page sits (measured with the controls).
struct LegalLineLayout {
    float fontSize = 12.0f;
    float x0 = 0.0f;
    float widths[4] = {0, 0, 0, 0};  // LegalIntro, Terms, And, Privacy
    bool operator==(const LegalLineLayout&) const = default;
};

struct PageFrame {
    const ScreenModel& model;
    // The control list of the model, and how each control looks (same order).
    std::vector<ControlRecord> controls;
    std::vector<ControlLook> looks;
    LegalLineLayout legal;
    // Whether the controls are painted into the frame: captures and offline
    // renders want them; on screen each control is a native owner-drawn
    // button that paints itself. Under a dialog the page's own controls are
    // painted in any case.
    bool drawControls = true;
    // Whether the controls' looks change from one frame to the next. The
    // window's view draws each control as it rests and lets the control's own
    // window show it changing: there the controls are part of the still part.
    bool looksMove = true;
    // The native folder edit shows the install path, so the page leaves it out.
    bool pathInEdit = false;
    float progress = 0.0f;              // the bar, 0 ... 1
    float busyOffset = 100.0f;          // the closing dialog's bar, from its track start
    int32_t closingPhase = 1;           // 1 graceful, 2 force, else verify
    std::vector<ProcessRow> processes;  // the close-failed dialog's list
    std::wstring processReport;         // shown instead when the list is empty
    // Illustrations kept from earlier frames, copied in instead of drawn
    // (the picture is the same); none: every illustration is drawn.
    IllustrationCache* illustrations = nullptr;

    explicit PageFrame(const ScreenModel& m) : model(m) {}
    std::wstring Text(std::wstring_view key) const { return model.Text(key); }
};

// Which part of a frame a drawing pass paints. A frame is drawn as a sequence
// of steps; its still part is every step before the first one that changes
// between frames (a control's look, the gliding progress bar, the busy bar),
// its moving part every step from there on. Painting the still part once and
// the moving part over it gives exactly the picture of one whole pass.
enum class PageLayer : uint8_t { Whole, Still, Moving };

class LayerPass {
public:
    explicit LayerPass(PageLayer layer) : layer_(layer) {}
    // Whether the next step is painted in this pass; `moves` marks a step
    // that changes between frames.
    bool Paints(bool moves) {
        moved_ = moved_ || moves;
        switch (layer_) {
        case PageLayer::Still: return !moved_;
        case PageLayer::Moving: return moved_;
        default: return true;
        }
    }

private:
    PageLayer layer_;
    bool moved_ = false;
};

// Draws a language key's text.
inline void DrawTextKey(Canvas& canvas, const PageFrame& frame, const std::wstring& key, const Box& box,
                        const TextStyle& style) {
    canvas.DrawText(frame.Text(key), box, style);
}

// Width a single line of the key's text needs at the size (regular weight).
inline float MeasureTextKey(const ScreenModel& model, const std::wstring& key, float fontSize) {
    return MeasureText(model.Text(key), fontSize);
}

}  // namespace lum
