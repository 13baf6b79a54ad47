// The drawing layer: one Direct2D render target bound to a memory DC, one
// solid brush recoloured per shape, DirectWrite text with a layout cache and
// shrink-to-fit. All coordinates are layout units of the 720 x 480 frame;
// the canvas scales them to device pixels.
#pragma once

#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/scoped_win.h"

namespace lum {

// 0xAARRGGBB. A colour of 0 passed to a shape means "none".
using Argb = uint32_t;

enum class TextAlign : uint8_t { Leading, Centre, Trailing };
enum class TextWeight : uint8_t { Regular, Semibold };

// How a text is set. Name the fields that differ from the defaults:
// TextStyle{.size = 14, .color = kNavy, .weight = TextWeight::Semibold}.
struct TextStyle {
    float size = 12.0f;
    Argb color = 0;
    TextWeight weight = TextWeight::Regular;
    TextAlign align = TextAlign::Leading;
    // Shrink the size step by step until the text fits the box's height.
    bool fit = true;
};

// A box in layout units: where a text is laid out and clipped.
struct Box {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// Creates, each only if still missing and in this order: the Direct2D factory,
// the shared round-cap stroke style, the DirectWrite factory. False as soon as
// one creation fails (the earlier ones stay).
bool EnsureFactories();
ID2D1Factory* D2DFactory();
IDWriteFactory* DWriteFactory();
ID2D1StrokeStyle* RoundCapStrokeStyle();
// Empties the render-target pool: the one drawing object that holds a device.
void ReleaseRenderTarget();
// Empties the render-target pool and the text caches (LumUI_Destroy).
void ReleaseDrawingResources();
// Releases the device-independent objects (text caches, geometries, factories)
// but never the render target: only when the library is unloaded with
// FreeLibrary, never while the process is terminating.
void ReleaseDrawingObjectsAtUnload();

// What the drawing layer has created since the library was loaded: a warm
// frame creates none of these (the benchmarks read them).
struct DrawingCounts {
    uint64_t textLayouts = 0;
    uint64_t pathGeometries = 0;
    uint64_t renderTargets = 0;
};
DrawingCounts CountsSoFar();
void CountTextLayout();
void CountPathGeometry();

// Blends a to b by t (clamped to 0..1), per byte, rounding half away from zero.
Argb LerpColor(Argb a, Argb b, float t);

// Width a single line of the text needs at the font size, regular weight (cached).
float MeasureText(const std::wstring& text, float fontSize);
// Where the text DrawText shows in the box ends on the right, within the box
// (its right edge when the text cannot be laid out). Glyphs may reach a
// little beyond it.
float TextRightEdge(const std::wstring& text, const Box& box, const TextStyle& style);

// Direct2D's float colour for an Argb (each channel / 255).
D2D1_COLOR_F ToColorF(Argb color);

// One ring of SoftShadow: ring 10 is the outermost and faintest, ring 1 the
// innermost. The colour is the dark navy 0x0D1F40 with the ring's alpha.
struct ShadowRing {
    D2D1_ROUNDED_RECT shape;
    Argb color;
};
ShadowRing SoftShadowRing(int ring, float x, float y, float width, float height, float spread, float opacity);

// The pixels a box of layout units touches at this scale (edges rounded out).
RECT PixelsCovering(const Box& box, float scale);

// An off-screen 32-bit top-down DIB section selected into a memory DC.
class FrameBitmap {
public:
    static constexpr int64_t kMaxPixels = 16'000'000;

    FrameBitmap() = default;
    ~FrameBitmap() { Release(); }
    FrameBitmap(const FrameBitmap&) = delete;
    FrameBitmap& operator=(const FrameBitmap&) = delete;

    // Keeps the bitmap if it has this size, else makes a new one. Refuses
    // sizes below 1 and above kMaxPixels (false, nothing held).
    bool Ensure(int width, int height);
    void Release();

    HDC dc() const { return dc_.get(); }
    HBITMAP bitmap() const { return bitmap_.get(); }
    // BGRA pixels, top row first, width * 4 bytes per row.
    uint32_t* pixels() const { return pixels_; }
    int width() const { return width_; }
    int height() const { return height_; }
    uint32_t PixelAt(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }

private:
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
    uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// One frame's drawing context: Begin, drawing calls, End. The destructor ends
// a frame that is still open.
class Canvas {
public:
    Canvas() = default;
    ~Canvas() { End(); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Binds the pooled (or a new) DC render target to dc/pixelRect and begins
    // drawing with a pure scale transform. False on any failure: draw nothing.
    bool Begin(HDC dc, const RECT& pixelRect, float scale);
    // Binds to the whole bitmap.
    bool Begin(const FrameBitmap& frame, float scale);
    void End();
    bool active() const { return drawing_; }

    float scale() const { return scale_; }
    ID2D1RenderTarget* target() const { return target_.Get(); }
    // Changes whenever the canvas draws with a render target other than the
    // last one: resources made by a target are valid while this stays the same.
    uint64_t TargetGeneration() const { return generation_; }
    ID2D1SolidColorBrush* brush() const { return brush_.Get(); }

    void Clear(Argb color);
    // Recolours the one brush (skipped when the colour is already set).
    void SetColor(Argb color);
    void RoundRect(float x, float y, float width, float height, Argb fill, float radius, Argb stroke,
                   float strokeWidth);
    void FillRect(float x, float y, float width, float height, Argb fill);
    void Ellipse(float cx, float cy, float rx, float ry, Argb fill, Argb stroke, float strokeWidth);
    void DrawLine(float x1, float y1, float x2, float y2, Argb color, float width);
    void SoftShadow(float x, float y, float width, float height, float spread, float opacity);
    void DrawText(const std::wstring& text, const Box& box, const TextStyle& style);

    // The offline renderer's overflow report: while a list is set, every text
    // that does not fit its box is appended to it.
    void CollectOverflows(std::vector<std::wstring>* list) { overflows_ = list; }
    std::vector<std::wstring>* overflows() const { return overflows_; }

    // A bitmap of this canvas's render target made from 32-bit pixels whose
    // rows lie `stride` pixels apart; null when it cannot be made (reported).
    ComPtr<ID2D1Bitmap> MakeBitmap(const uint32_t* pixels, int width, int height, int stride);
    // The bitmap's pixels copied unscaled, their top-left corner at pixel
    // (x, y) of the target, whatever the transform.
    void CopyPixels(ID2D1Bitmap* bitmap, int x, int y);

private:
    void ReleaseTarget();

    ComPtr<ID2D1DCRenderTarget> target_;
    ComPtr<ID2D1SolidColorBrush> brush_;
    float scale_ = 1.0f;
    bool drawing_ = false;
    Argb brushColor_ = 0;
    bool brushColorKnown_ = false;
    std::vector<std::wstring>* overflows_ = nullptr;
    uint64_t generation_ = 0;
};

}  // namespace lum
