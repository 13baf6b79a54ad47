#include "draw/still_layer.h"

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
    ID2D1RenderTarget* target = canvas.target();
    if (!canvas.active() || !target || !Holds(width, height)) return false;
    if (!bitmap_ || bitmapTarget_ != canvas.TargetGeneration()) {
        bitmap_.Reset();
        const D2D1_BITMAP_PROPERTIES props =
            D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE));
        if (!Succeeded(
                target->CreateBitmap(D2D1::SizeU(static_cast<UINT32>(width), static_cast<UINT32>(height)),
                                     pixels_.pixels(), static_cast<UINT32>(width) * 4, props, bitmap_.GetAddressOf()),
                "ID2D1RenderTarget::CreateBitmap")) {
            return false;
        }
        bitmapTarget_ = canvas.TargetGeneration();
    }
    D2D1_MATRIX_3X2_F transform{};
    target->GetTransform(&transform);
    target->SetTransform(D2D1::Matrix3x2F::Identity());
    const D2D1_RECT_F whole = D2D1::RectF(0, 0, static_cast<float>(width), static_cast<float>(height));
    target->DrawBitmap(bitmap_.Get(), whole, 1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR, whole);
    target->SetTransform(transform);
    return true;
}

void StillLayer::Release() {
    bitmap_.Reset();
    pixels_.Release();
    drawn_ = false;
}

}  // namespace lum
