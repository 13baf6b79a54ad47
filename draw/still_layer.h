// A picture drawn once and composed into later frames, pixel for pixel: the
// part of a screen that does not move between frames.
#pragma once

#include <functional>
#include <string>
#include <vector>

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
    // Whether it holds a copy made for a render target.
    bool HoldsTargetBitmap() const { return bitmap_ != nullptr; }
    void Release();

private:
    FrameBitmap pixels_;
    bool drawn_ = false;
    // The picture as a bitmap of the render target it was last composed on.
    ComPtr<ID2D1Bitmap> bitmap_;
    uint64_t bitmapTarget_ = 0;  // Canvas::TargetGeneration of that target
};

// A part of a picture drawn once over a plain background and copied into
// later frames at the same place, pixel for pixel: the rectangle of pixels
// the drawing changed is kept, with the texts that overflowed their boxes.
// A frame that draws the part over the same background there, with nothing
// else drawn inside that rectangle before it, looks exactly the same.
class StillPatch {
public:
    StillPatch() = default;
    StillPatch(const StillPatch&) = delete;
    StillPatch& operator=(const StillPatch&) = delete;

    // Draws the part on a frame of this pixel size cleared to the background
    // and keeps what it changed; false (nothing kept) when no frame could be
    // drawn or the part reaches the frame's top-left pixel. Call it outside
    // any frame: it borrows the pooled render target for its own frame.
    bool Redraw(int width, int height, float scale, Argb background, const std::function<void(Canvas&)>& draw);
    // Copies the kept pixels onto a canvas that draws a whole frame at the
    // patch's scale, and adds the kept overflows to its report; false (nothing
    // drawn) on any other canvas.
    bool Compose(Canvas& canvas);
    // Forgets the copy made for the last render target, keeping the pixels.
    void ReleaseTargetBitmap() { bitmap_.Reset(); }
    bool HoldsTargetBitmap() const { return bitmap_ != nullptr; }
    size_t PixelCount() const { return pixels_.size(); }

private:
    std::vector<uint32_t> pixels_;
    RECT rect_{};
    float scale_ = 0.0f;
    bool drawn_ = false;
    std::vector<std::wstring> overflows_;
    ComPtr<ID2D1Bitmap> bitmap_;
    uint64_t bitmapTarget_ = 0;
};

}  // namespace lum
