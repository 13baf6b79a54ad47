// The canvas: process-wide factories, the pool of one render target and one
// brush, and the frame bracket with its shape primitives.
#include "draw/canvas.h"

#include <cmath>

#include "base/failure_log.h"
#include "draw/path_geometry.h"
#include "draw/text_layout.h"

namespace lum {
namespace {

// Device-independent resources: created once, kept until the library unloads.
struct Factories {
    ComPtr<ID2D1Factory> d2d;
    ComPtr<ID2D1StrokeStyle> roundCaps;
    ComPtr<IDWriteFactory> dwrite;
};
// The holders of process-lifetime COM objects are never destroyed by the C++
// runtime: at process exit Direct2D and DirectWrite may already be gone, and
// releasing into them from the loader's detach can hang. They are released
// explicitly when the library is unloaded with FreeLibrary.
Factories& SharedFactories() {
    static Factories& factories = *new Factories;
    return factories;
}

// The pool of one: a finished frame hands its target and brush back here so
// that the next frame does not create a render target again. The brush was
// made by that target, so the two always travel together.
struct TargetPool {
    ComPtr<ID2D1DCRenderTarget> target;
    ComPtr<ID2D1SolidColorBrush> brush;
    uint64_t generation = 0;
};

DrawingCounts g_counts;
TargetPool& Pool() {
    static TargetPool& pool = *new TargetPool;
    return pool;
}

}  // namespace

bool EnsureFactories() {
    Factories& f = SharedFactories();
    if (!f.d2d) {
        if (!Succeeded(::D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                                           reinterpret_cast<void**>(f.d2d.ReleaseAndGetAddressOf())),
                       "D2D1CreateFactory")) {
            f.d2d.Reset();
            return false;
        }
    }
    if (!f.roundCaps) {
        const D2D1_STROKE_STYLE_PROPERTIES props =
            D2D1::StrokeStyleProperties(D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_ROUND, D2D1_CAP_STYLE_FLAT,
                                        D2D1_LINE_JOIN_MITER, 10.0f, D2D1_DASH_STYLE_SOLID, 0.0f);
        if (!Succeeded(f.d2d->CreateStrokeStyle(props, nullptr, 0, f.roundCaps.ReleaseAndGetAddressOf()),
                       "ID2D1Factory::CreateStrokeStyle")) {
            f.roundCaps.Reset();
            return false;
        }
    }
    if (!f.dwrite) {
        if (!Succeeded(::DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                                             reinterpret_cast<IUnknown**>(f.dwrite.ReleaseAndGetAddressOf())),
                       "DWriteCreateFactory")) {
            f.dwrite.Reset();
            return false;
        }
    }
    return true;
}

ID2D1Factory* D2DFactory() { return SharedFactories().d2d.Get(); }
IDWriteFactory* DWriteFactory() { return SharedFactories().dwrite.Get(); }
ID2D1StrokeStyle* RoundCapStrokeStyle() { return SharedFactories().roundCaps.Get(); }

void ReleaseRenderTarget() {
    TargetPool& pool = Pool();
    pool.brush.Reset();
    pool.target.Reset();
}

void ReleaseDrawingResources() {
    ReleaseRenderTarget();
    ClearTextCaches();
}

void ReleaseDrawingObjectsAtUnload() {
    // The loader lock is held: only objects that own no device and no thread.
    // A pooled render target sits on a Direct3D device whose release waits for
    // threads, which cannot end while this thread holds the lock; one still
    // pooled here (a window never destroyed) is left to the process.
    // The holders that the C++ runtime never destroys go too, or every
    // LoadLibrary/FreeLibrary cycle would lose them: nothing uses them after
    // this call (the static frames destroyed after it hold GDI objects only).
    DeleteTextCachesAtUnload();
    DeletePathGeometryCacheAtUnload();
    Factories& f = SharedFactories();
    f.dwrite.Reset();
    f.roundCaps.Reset();
    f.d2d.Reset();
    delete &f;
    if (!Pool().target) delete &Pool();
}

DrawingCounts CountsSoFar() { return g_counts; }
void CountTextLayout() { ++g_counts.textLayouts; }
void CountPathGeometry() { ++g_counts.pathGeometries; }

Argb LerpColor(Argb a, Argb b, float t) {
    // NaN compares false both ways; treat it as the start colour.
    if (!(t > 0.0f)) t = 0.0f;
    if (t > 1.0f) t = 1.0f;
    Argb result = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
        const float from = static_cast<float>((a >> shift) & 0xFFu);
        const float to = static_cast<float>((b >> shift) & 0xFFu);
        long byte = std::lround(from + (to - from) * t);  // half away from zero
        if (byte < 0) byte = 0;
        if (byte > 255) byte = 255;
        result |= static_cast<Argb>(byte) << shift;
    }
    return result;
}

D2D1_COLOR_F ToColorF(Argb color) {
    return D2D1::ColorF(static_cast<float>((color >> 16) & 0xFFu) / 255.0f,
                        static_cast<float>((color >> 8) & 0xFFu) / 255.0f, static_cast<float>(color & 0xFFu) / 255.0f,
                        static_cast<float>((color >> 24) & 0xFFu) / 255.0f);
}

ShadowRing SoftShadowRing(int ring, float x, float y, float width, float height, float spread, float opacity) {
    // An opacity outside 0..1 would wrap the alpha byte; the ring stays a ring.
    if (!(opacity > 0.0f)) opacity = 0.0f;
    if (opacity > 1.0f) opacity = 1.0f;
    const float d = static_cast<float>(ring) * spread / 20.0f;
    const float strength = 1.0f - static_cast<float>(ring) / 13.0f;
    const int alpha = static_cast<int>(strength * opacity * 255.0f / 6.0f);  // truncation
    ShadowRing result;
    result.shape = D2D1::RoundedRect(D2D1::RectF(x - d, y - d, x + width + d, y + height + d), d + 4.0f, d + 4.0f);
    result.color = (static_cast<Argb>(alpha) << 24) | 0x0D1F40u;
    return result;
}

// ---------------------------------------------------------------------------
// Canvas

bool Canvas::Begin(HDC dc, const RECT& pixelRect, float scale) {
    if (drawing_) End();
    ReleaseTarget();
    if (!dc || !std::isfinite(scale) || !(scale > 0.0f)) return false;
    if (!EnsureFactories()) return false;

    scale_ = scale;
    TargetPool& pool = Pool();
    target_ = std::move(pool.target);
    brush_ = std::move(pool.brush);
    generation_ = pool.generation;
    pool.target.Reset();
    pool.brush.Reset();

    if (!target_) {
        brush_.Reset();  // a brush belongs to the target that made it
        const D2D1_RENDER_TARGET_PROPERTIES props = D2D1::RenderTargetProperties(
            D2D1_RENDER_TARGET_TYPE_SOFTWARE, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE),
            96.0f, 96.0f, D2D1_RENDER_TARGET_USAGE_NONE, D2D1_FEATURE_LEVEL_DEFAULT);
        if (!Succeeded(D2DFactory()->CreateDCRenderTarget(&props, target_.ReleaseAndGetAddressOf()),
                       "ID2D1Factory::CreateDCRenderTarget")) {
            ReleaseTarget();
            return false;
        }
        generation_ = ++g_counts.renderTargets;
    }
    if (!Succeeded(target_->BindDC(dc, &pixelRect), "ID2D1DCRenderTarget::BindDC")) {
        ReleaseTarget();
        return false;
    }
    if (!brush_) {
        if (!Succeeded(
                target_->CreateSolidColorBrush(D2D1::ColorF(0.0f, 0.0f, 0.0f, 0.0f), brush_.ReleaseAndGetAddressOf()),
                "ID2D1RenderTarget::CreateSolidColorBrush")) {
            ReleaseTarget();
            return false;
        }
    }
    brushColorKnown_ = false;
    target_->BeginDraw();
    target_->SetTransform(D2D1::Matrix3x2F::Scale(scale_, scale_));
    target_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_CLEARTYPE);
    drawing_ = true;
    return true;
}

bool Canvas::Begin(const FrameBitmap& frame, float scale) {
    if (!frame.dc()) {
        if (drawing_) End();
        ReleaseTarget();
        return false;
    }
    const RECT whole{0, 0, frame.width(), frame.height()};
    return Begin(frame.dc(), whole, scale);
}

RECT PixelsCovering(const Box& box, float scale) {
    return RECT{static_cast<LONG>(std::floor(box.x * scale)), static_cast<LONG>(std::floor(box.y * scale)),
                static_cast<LONG>(std::ceil((box.x + box.width) * scale)),
                static_cast<LONG>(std::ceil((box.y + box.height) * scale))};
}

ComPtr<ID2D1Bitmap> Canvas::MakeBitmap(const uint32_t* pixels, int width, int height, int stride) {
    ComPtr<ID2D1Bitmap> bitmap;
    if (!drawing_ || width < 1 || height < 1) return bitmap;
    const D2D1_BITMAP_PROPERTIES props =
        D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_IGNORE));
    Succeeded(target_->CreateBitmap(D2D1::SizeU(static_cast<UINT32>(width), static_cast<UINT32>(height)), pixels,
                                    static_cast<UINT32>(stride) * 4, props, bitmap.GetAddressOf()),
              "ID2D1RenderTarget::CreateBitmap");
    return bitmap;
}

void Canvas::CopyPixels(ID2D1Bitmap* bitmap, int x, int y) {
    if (!drawing_ || !bitmap) return;
    const D2D1_SIZE_U size = bitmap->GetPixelSize();
    D2D1_MATRIX_3X2_F transform{};
    target_->GetTransform(&transform);
    target_->SetTransform(D2D1::Matrix3x2F::Identity());
    const float left = static_cast<float>(x), top = static_cast<float>(y);
    target_->DrawBitmap(
        bitmap, D2D1::RectF(left, top, left + static_cast<float>(size.width), top + static_cast<float>(size.height)),
        1.0f, D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR);
    target_->SetTransform(transform);
}

void Canvas::End() {
    if (!drawing_) {
        ReleaseTarget();
        return;
    }
    drawing_ = false;
    const bool ended = Succeeded(target_->EndDraw(), "ID2D1RenderTarget::EndDraw");
    TargetPool& pool = Pool();
    if (ended && !pool.target) {
        pool.target = std::move(target_);
        pool.brush = std::move(brush_);
        pool.generation = generation_;
    }
    // A lost or failed target (or one the pool has no room for) is dropped;
    // the next Begin creates a fresh one.
    ReleaseTarget();
}

void Canvas::ReleaseTarget() {
    brush_.Reset();
    target_.Reset();
    brushColorKnown_ = false;
}

void Canvas::Clear(Argb color) {
    if (!drawing_) return;
    target_->Clear(ToColorF(color));
}

void Canvas::SetColor(Argb color) {
    if (!drawing_) return;
    if (brushColorKnown_ && brushColor_ == color) return;
    brush_->SetColor(ToColorF(color));
    brushColor_ = color;
    brushColorKnown_ = true;
}

void Canvas::RoundRect(float x, float y, float width, float height, Argb fill, float radius, Argb stroke,
                       float strokeWidth) {
    if (!drawing_) return;
    const D2D1_ROUNDED_RECT shape = D2D1::RoundedRect(D2D1::RectF(x, y, x + width, y + height), radius, radius);
    if (fill != 0) {
        SetColor(fill);
        target_->FillRoundedRectangle(shape, brush_.Get());
    }
    if (stroke != 0) {
        SetColor(stroke);
        target_->DrawRoundedRectangle(shape, brush_.Get(), strokeWidth, nullptr);
    }
}

void Canvas::FillRect(float x, float y, float width, float height, Argb fill) {
    if (!drawing_ || fill == 0) return;
    SetColor(fill);
    target_->FillRectangle(D2D1::RectF(x, y, x + width, y + height), brush_.Get());
}

void Canvas::Ellipse(float cx, float cy, float rx, float ry, Argb fill, Argb stroke, float strokeWidth) {
    if (!drawing_) return;
    const D2D1_ELLIPSE shape = D2D1::Ellipse(D2D1::Point2F(cx, cy), rx, ry);
    if (fill != 0) {
        SetColor(fill);
        target_->FillEllipse(shape, brush_.Get());
    }
    if (stroke != 0) {
        SetColor(stroke);
        target_->DrawEllipse(shape, brush_.Get(), strokeWidth, nullptr);
    }
}

void Canvas::DrawLine(float x1, float y1, float x2, float y2, Argb color, float width) {
    if (!drawing_) return;
    SetColor(color);
    target_->DrawLine(D2D1::Point2F(x1, y1), D2D1::Point2F(x2, y2), brush_.Get(), width, nullptr);
}

void Canvas::SoftShadow(float x, float y, float width, float height, float spread, float opacity) {
    if (!drawing_) return;
    for (int ring = 10; ring >= 1; --ring) {
        const ShadowRing r = SoftShadowRing(ring, x, y, width, height, spread, opacity);
        SetColor(r.color);
        target_->FillRoundedRectangle(r.shape, brush_.Get());
    }
}

}  // namespace lum
