// Text on the canvas: fitted DirectWrite layouts, the layout cache, the
// width cache and the overflow check of the offline renderer.
#include <algorithm>
#include <cmath>
#include <map>
#include <string_view>
#include <tuple>

#include "base/failure_log.h"
#include "draw/canvas.h"
#include "draw/layout_text.h"
#include "draw/text_layout.h"

namespace lum {
namespace {

constexpr wchar_t kFontFamily[] = L"Microsoft YaHei";
constexpr size_t kLayoutCacheLimit = 512;
constexpr size_t kWidthCacheLimit = 256;
// Longer texts than any the screens show (a pasted path, a script's mistake)
// are laid out each time instead of kept: the caches hold at most their
// entry counts of short texts, not of texts of any length.
constexpr size_t kLongestCachedText = 1024;
constexpr int kMaxFitAttempts = 8;
constexpr float kShrinkFactor = 0.94f;
constexpr float kSmallestFit = 0.72f;   // of the requested size
constexpr float kFitSlack = 0.5f;       // a text this much taller than its box still fits
constexpr float kOverflowSlack = 0.75f; // what the offline renderer tolerates
constexpr float kMeasureMaxWidth = 2000.0f;
constexpr float kMeasureMaxHeight = 50.0f;

// Everything that makes one layout differ from another. Floats are compared
// exactly: the pages pass the same constants every frame. Lookups go through
// a view of the text, so a cache hit copies nothing.
template <typename Text>
struct BasicLayoutKey {
    Text text;
    bool fit;
    TextAlign align;
    TextWeight weight;
    float width;
    float height;
    float size;

    auto Tied() const {
        return std::make_tuple(std::wstring_view(text), fit, align, weight, width, height, size);
    }
};
using LayoutKey = BasicLayoutKey<std::wstring>;
using LayoutKeyView = BasicLayoutKey<std::wstring_view>;

struct LayoutKeyLess {
    using is_transparent = void;
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const {
        return a.Tied() < b.Tied();
    }
};

using LayoutMap = std::map<LayoutKey, ComPtr<IDWriteTextLayout>, LayoutKeyLess>;
LayoutMap& LayoutCache() {
    static LayoutMap& cache = *new LayoutMap;  // released by ClearTextCaches, never at exit
    return cache;
}

std::map<std::pair<std::wstring, float>, float>& WidthCache() {
    static std::map<std::pair<std::wstring, float>, float> cache;
    return cache;
}

DWRITE_TEXT_ALIGNMENT ToTextAlignment(TextAlign align) {
    switch (align) {
        case TextAlign::Centre: return DWRITE_TEXT_ALIGNMENT_CENTER;
        case TextAlign::Trailing: return DWRITE_TEXT_ALIGNMENT_TRAILING;
        default: return DWRITE_TEXT_ALIGNMENT_LEADING;
    }
}

bool UsableSize(float value) { return std::isfinite(value) && value >= 0.0f; }

// The width a line of text would roughly take when DirectWrite cannot
// measure it: half an em for narrow characters, a full em for East Asian
// wide ones. See MeasureText for why an estimate beats 0.
float EstimateWidth(const std::wstring& text, float fontSize) {
    float ems = 0.0f;
    for (const wchar_t c : text) {
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6);
        ems += wide ? 1.0f : 0.55f;
    }
    return std::ceil(ems * fontSize) + 4.0f;
}

}  // namespace

ComPtr<IDWriteTextLayout> BuildTextLayout(const std::wstring& text, float width, float height, const TextStyle& style,
                                          std::vector<float>* sizesTried) {
    const float fontSize = style.size;
    ComPtr<IDWriteTextLayout> best;
    if (!UsableSize(width) || !UsableSize(height) || !std::isfinite(fontSize) || !(fontSize > 0.0f)) return best;
    if (text.size() > UINT32_MAX) return best;
    if (!EnsureFactories()) return best;
    IDWriteFactory* factory = DWriteFactory();

    float size = fontSize;
    for (int attempt = 0; attempt < kMaxFitAttempts; ++attempt) {
        if (sizesTried) sizesTried->push_back(size);
        ComPtr<IDWriteTextFormat> format;
        const DWRITE_FONT_WEIGHT weight =
            style.weight == TextWeight::Semibold ? DWRITE_FONT_WEIGHT_SEMI_BOLD : DWRITE_FONT_WEIGHT_NORMAL;
        if (!Succeeded(factory->CreateTextFormat(kFontFamily, nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                                 DWRITE_FONT_STRETCH_NORMAL, size, L"", format.GetAddressOf()),
                       "IDWriteFactory::CreateTextFormat")) {
            break;  // keep the last layout that could be made
        }
        format->SetTextAlignment(ToTextAlignment(style.align));
        format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
        format->SetWordWrapping(DWRITE_WORD_WRAPPING_WRAP);

        ComPtr<IDWriteTextLayout> layout;
        CountTextLayout();
        const std::wstring_view shown = LayoutText(text);
        if (!Succeeded(factory->CreateTextLayout(shown.data(), static_cast<UINT32>(shown.size()), format.Get(),
                                                 width, height, layout.GetAddressOf()),
                       "IDWriteFactory::CreateTextLayout")) {
            break;
        }
        DWRITE_TEXT_METRICS metrics{};
        const bool measured = SUCCEEDED(layout->GetMetrics(&metrics));
        best = std::move(layout);
        if (!style.fit || !measured) break;
        if (height + kFitSlack >= metrics.height) break;
        if (fontSize * kSmallestFit >= size) break;
        size *= kShrinkFactor;
    }
    return best;
}

size_t TextLayoutCacheSize() { return LayoutCache().size(); }
size_t TextWidthCacheSize() { return WidthCache().size(); }

void ClearTextCaches() {
    LayoutCache().clear();
    WidthCache().clear();
}

void DeleteTextCachesAtUnload() {
    ClearTextCaches();
    delete &LayoutCache();
}

namespace {

// The layout DrawText shows the text in: kept in the cache, or, for a text
// too long to keep, made now and held by `uncached`. Null when none can be made.
IDWriteTextLayout* LayoutFor(const std::wstring& text, const Box& box, const TextStyle& style,
                             ComPtr<IDWriteTextLayout>& uncached) {
    const auto [x, y, width, height] = box;
    const float fontSize = style.size;
    // Non-finite sizes have no place in an ordered key (NaN compares equal
    // to everything) and could not be laid out anyway.
    if (!UsableSize(width) || !UsableSize(height) || !std::isfinite(fontSize) || !(fontSize > 0.0f)) return nullptr;
    auto& cache = LayoutCache();
    const LayoutKeyView key{text, style.fit, style.align, style.weight, width, height, fontSize};
    if (const auto found = cache.find(key); found != cache.end()) return found->second.Get();
    ComPtr<IDWriteTextLayout> made = BuildTextLayout(text, width, height, style);
    if (!made || text.size() > kLongestCachedText) {
        uncached = std::move(made);
        return uncached.Get();
    }
    if (cache.size() >= kLayoutCacheLimit) cache.clear();
    return cache
        .emplace(LayoutKey{text, style.fit, style.align, style.weight, width, height, fontSize}, std::move(made))
        .first->second.Get();
}

}  // namespace

void Canvas::DrawText(const std::wstring& text, const Box& box, const TextStyle& style) {
    if (!drawing_) return;
    ComPtr<IDWriteTextLayout> uncached;
    IDWriteTextLayout* const layout = LayoutFor(text, box, style, uncached);
    if (!layout) return;
    const auto [x, y, width, height] = box;
    if (overflows_) {
        DWRITE_TEXT_METRICS metrics{};
        if (SUCCEEDED(layout->GetMetrics(&metrics)) &&
            (metrics.height > height + kOverflowSlack || metrics.width > width + kOverflowSlack)) {
            overflows_->push_back(text);
        }
    }

    SetColor(style.color);
    // The clip option keeps the glyphs inside the box; the explicit clip does
    // the same for renderers that ignore the option (Wine's Direct2D does).
    target_->PushAxisAlignedClip(D2D1::RectF(x, y, x + width, y + height), D2D1_ANTIALIAS_MODE_ALIASED);
    target_->DrawTextLayout(D2D1::Point2F(x, y), layout, brush_.Get(), D2D1_DRAW_TEXT_OPTIONS_CLIP);
    target_->PopAxisAlignedClip();
}

float TextRightEdge(const std::wstring& text, const Box& box, const TextStyle& style) {
    const float right = box.x + box.width;
    ComPtr<IDWriteTextLayout> uncached;
    IDWriteTextLayout* const layout = LayoutFor(text, box, style, uncached);
    DWRITE_TEXT_METRICS metrics{};
    if (!layout || FAILED(layout->GetMetrics(&metrics)) || !std::isfinite(metrics.left + metrics.width)) return right;
    return std::clamp(box.x + metrics.left + metrics.width, box.x, right);
}

// When DirectWrite cannot measure (no factory, no format, no layout), the
// width is estimated from the characters instead of returned as 0: callers
// size link hit regions, centre the legal line and size the title menu with
// it, and a zero width would collapse those links into unclickable slivers
// and pile the legal line on top of itself. The estimate is not cached, so
// a later successful measurement replaces it.
float MeasureText(const std::wstring& text, float fontSize) {
    const bool factories = EnsureFactories();
    if (!std::isfinite(fontSize) || !(fontSize > 0.0f)) return 0.0f;

    auto& cache = WidthCache();
    std::pair<std::wstring, float> cacheKey{text, fontSize};
    if (const auto found = cache.find(cacheKey); found != cache.end()) return found->second;
    if (!factories || text.size() > UINT32_MAX) return EstimateWidth(text, fontSize);

    IDWriteFactory* factory = DWriteFactory();
    ComPtr<IDWriteTextFormat> format;
    if (!Succeeded(factory->CreateTextFormat(kFontFamily, nullptr, DWRITE_FONT_WEIGHT_NORMAL, DWRITE_FONT_STYLE_NORMAL,
                                             DWRITE_FONT_STRETCH_NORMAL, fontSize, L"", format.GetAddressOf()),
                   "IDWriteFactory::CreateTextFormat")) {
        return EstimateWidth(text, fontSize);
    }
    ComPtr<IDWriteTextLayout> layout;
    DWRITE_TEXT_METRICS metrics{};
    CountTextLayout();
    const std::wstring_view shown = LayoutText(text);
    if (!Succeeded(factory->CreateTextLayout(shown.data(), static_cast<UINT32>(shown.size()), format.Get(),
                                             kMeasureMaxWidth, kMeasureMaxHeight, layout.GetAddressOf()),
                   "IDWriteFactory::CreateTextLayout") ||
        FAILED(layout->GetMetrics(&metrics))) {
        return EstimateWidth(text, fontSize);
    }
    const float width = std::ceil(metrics.width) + 4.0f;
    if (text.size() > kLongestCachedText) return width;
    if (cache.size() >= kWidthCacheLimit) cache.clear();
    cache.emplace(std::move(cacheKey), width);
    return width;
}

}  // namespace lum
