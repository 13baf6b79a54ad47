#include "draw/still_layer.h"

#include <algorithm>

#include "base/failure_log.h"

namespace lum {

bool StillLayer::Redraw(int width, int height, float scale, const std::function<void(Canvas&)>& draw) {
    drawn_ = false;
    bitmap_.Reset();
    if (!pixels_.Ensure(width, height)) return false;
    Canvas canvas;
    if (!canvas.Begin(pixels_, scale)) return false;
    draw(canvas);
    canvas.End();
    drawn_ = true;
    return true;
}

bool StillLayer::Compose(Canvas& canvas, int width, int height) {
    if (!canvas.active() || !Holds(width, height)) return false;
    if (!bitmap_ || bitmapTarget_ != canvas.TargetGeneration()) {
        bitmap_ = canvas.MakeBitmap(pixels_.pixels(), width, height, width);
        if (!bitmap_) return false;
        bitmapTarget_ = canvas.TargetGeneration();
    }
    canvas.CopyPixels(bitmap_.Get(), 0, 0);
    return true;
}

void StillLayer::Release() {
    bitmap_.Reset();
    pixels_.Release();
    drawn_ = false;
}

bool StillPatch::Redraw(int width, int height, float scale, Argb background, const std::function<void(Canvas&)>& draw) {
    drawn_ = false;
    bitmap_.Reset();
    pixels_.clear();
    overflows_.clear();
    rect_ = RECT{};
    FrameBitmap frame;
    if (!frame.Ensure(width, height)) return false;
    {
        Canvas canvas;
        canvas.CollectOverflows(&overflows_);
        if (!canvas.Begin(frame, scale)) return false;
        canvas.Clear(background);
        draw(canvas);
    }
    ::GdiFlush();
    // The background's pixel as the renderer wrote it, from the top-left
    // corner; a part that reaches into that corner is not kept.
    const uint32_t plain = frame.PixelAt(0, 0);
    if ((plain & 0xFFFFFFu) != (background & 0xFFFFFFu)) {
        overflows_.clear();
        return false;
    }

    int left = width, top = height, right = 0, bottom = 0;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = frame.pixels() + static_cast<size_t>(y) * width;
        const uint32_t* first = std::find_if(row, row + width, [plain](uint32_t p) { return p != plain; });
        if (first == row + width) continue;
        const uint32_t* last =
            std::find_if(std::make_reverse_iterator(row + width), std::make_reverse_iterator(row), [plain](uint32_t p) {
                return p != plain;
            }).base();
        left = std::min(left, static_cast<int>(first - row));
        right = std::max(right, static_cast<int>(last - row));
        top = std::min(top, y);
        bottom = y + 1;
    }
    if (right > left) {
        rect_ = RECT{left, top, right, bottom};
        const int w = right - left;
        pixels_.resize(static_cast<size_t>(w) * (bottom - top));
        for (int y = top; y < bottom; ++y) {
            const uint32_t* from = frame.pixels() + static_cast<size_t>(y) * width + left;
            std::copy(from, from + w, pixels_.begin() + static_cast<ptrdiff_t>(y - top) * w);
        }
    }
    scale_ = scale;
    drawn_ = true;
    return true;
}

bool StillPatch::Compose(Canvas& canvas) {
    ID2D1RenderTarget* target = canvas.target();
    if (!drawn_ || !canvas.active() || !target) return false;
    // Only a canvas that draws the whole frame at this scale puts the pixels
    // where they were drawn.
    D2D1_MATRIX_3X2_F transform{};
    target->GetTransform(&transform);
    if (transform._11 != scale_ || transform._22 != scale_ || transform._12 != 0.0f || transform._21 != 0.0f ||
        transform._31 != 0.0f || transform._32 != 0.0f) {
        return false;
    }
    const int width = rect_.right - rect_.left;
    const int height = rect_.bottom - rect_.top;
    if (width > 0 && (!bitmap_ || bitmapTarget_ != canvas.TargetGeneration())) {
        bitmap_ = canvas.MakeBitmap(pixels_.data(), width, height, width);
        if (!bitmap_) return false;
        bitmapTarget_ = canvas.TargetGeneration();
    }
    if (std::vector<std::wstring>* list = canvas.overflows())
        list->insert(list->end(), overflows_.begin(), overflows_.end());
    if (width > 0) canvas.CopyPixels(bitmap_.Get(), rect_.left, rect_.top);
    return true;
}

}  // namespace lum
