// A picture drawn once and composed into later frames, pixel for pixel: the
// part of a screen that does not move between frames.
#pragma once

#include <functional>

#include "draw/canvas.h"

namespace lum {

class StillLayer {
public:
    StillLayer() = default;
    StillLayer(const StillLayer&) = delete;
    StillLayer& operator=(const StillLayer&) = delete;

    // Draws the picture afresh at this pixel size and scale. Call it outside
    // any frame: it borrows the pooled render target for its own frame.
    bool Redraw(int width, int height, float scale, const std::function<void(Canvas&)>& draw);
    // Copies the picture onto the canvas's frame, its top-left corner at the
    // frame's; false (nothing drawn) when there is no picture of the frame's size.
    bool Compose(Canvas& canvas, int width, int height);
    bool Holds(int width, int height) const { return drawn_ && pixels_.width() == width && pixels_.height() == height; }
    void Release();

private:
    FrameBitmap pixels_;
    bool drawn_ = false;
    // The picture as a bitmap of the render target it was last composed on.
    ComPtr<ID2D1Bitmap> bitmap_;
    uint64_t bitmapTarget_ = 0;  // Canvas::TargetGeneration of that target
};

}  // namespace lum
