// The canvas seen through the pixels it leaves in a FrameBitmap: shapes,
// shadows, icons, scene items and text, plus the frame bitmap's limits and
// the absence of leaks over many frames.
#include <gtest/gtest.h>

#include <wincodec.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "draw/layout_text.h"
#include "draw/png_writer.h"
#include "draw/scenes.h"
#include "draw/text_layout.h"
#include "test_support.h"

namespace lum {
namespace {

constexpr Argb kWhite = 0xFFFFFFFF;
constexpr Argb kBlack = 0xFF000000;

uint32_t Rgb(const FrameBitmap& frame, int x, int y) { return frame.PixelAt(x, y) & 0xFFFFFFu; }
int Channel(uint32_t rgb, int shift) { return static_cast<int>((rgb >> shift) & 0xFFu); }

struct Probe {
    int x, y;
    uint32_t rgb;
};
void ExpectPixels(const FrameBitmap& frame, std::initializer_list<Probe> probes) {
    for (const Probe& p : probes) EXPECT_EQ(Rgb(frame, p.x, p.y), p.rgb) << p.x << ", " << p.y;
}

// Ink of a region against white: the summed darkness of its pixels and the
// inclusive box around every noticeably dark one (left < 0: none).
struct Ink {
    long long amount = 0;
    int left = -1, top = -1, right = -1, bottom = -1;
    bool any() const { return left >= 0; }
};
Ink InkIn(const FrameBitmap& frame, int x0, int y0, int x1, int y1) {
    Ink ink;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t c = Rgb(frame, x, y);
            const int dark = 765 - Channel(c, 0) - Channel(c, 8) - Channel(c, 16);
            ink.amount += dark;
            if (dark < 120) continue;
            const bool first = !ink.any();
            ink.left = first ? x : std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = first ? y : ink.top;
            ink.bottom = y;
        }
    }
    return ink;
}

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureFactories()); }
    // Begins a frame of the given size cleared to the background.
    void Start(int width, int height, float scale = 1.0f, Argb background = kWhite) {
        ASSERT_TRUE(frame_.Ensure(width, height));
        ASSERT_TRUE(canvas_.Begin(frame_, scale));
        canvas_.Clear(background);
    }
    FrameBitmap frame_;
    Canvas canvas_;
};

TEST(LerpColorTest, BlendsEveryByteRoundsHalfUpAndClampsT) {
    struct Row {
        Argb a, b;
        float t;
        Argb expected;
    };
    const Row rows[] = {
        {0xFF000000, 0xFFFFFFFF, 0.5f, 0xFF808080}, {0x00FFFFFF, 0xFFFFFFFF, 0.5f, 0x80FFFFFF},
        {0x00000000, 0x01010101, 0.5f, 0x01010101}, {0x10203040, 0x20406080, 0.25f, 0x14283C50},
        {0xFFFFFFFF, 0x00000000, 0.5f, 0x80808080},  // 127.5 from above
        {0xFF112233, 0x80AABBCC, -1.0f, 0xFF112233}, {0xFF112233, 0x80AABBCC, 0.0f, 0xFF112233},
        {0xFF112233, 0x80AABBCC, 1.0f, 0x80AABBCC},  {0xFF112233, 0x80AABBCC, 7.5f, 0x80AABBCC},
        {0xFF112233, 0x80AABBCC, std::nanf(""), 0xFF112233},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(LerpColor(row.a, row.b, row.t), row.expected) << std::hex << row.a << " " << row.b << " " << row.t;
    }
}

TEST_F(CanvasTest, RoundRectFillsAndStrokesColourZeroSkipsItsHalfAndLines) {
    Start(200, 120);
    canvas_.RoundRect(10, 10, 80, 40, 0xFF3388FF, 6, 0xFFC34747, 2);
    canvas_.RoundRect(110, 10, 80, 40, 0, 6, 0xFFC34747, 2);  // stroke only
    canvas_.RoundRect(10, 70, 80, 40, 0xFF3388FF, 6, 0, 2);   // fill only
    canvas_.DrawLine(110, 90, 190, 90, kBlack, 2);
    canvas_.End();
    // The stroke straddles the edge; the fill-only shape has no stroke outside its fill.
    ExpectPixels(frame_, {{50, 30, 0x3388FF}, {9, 30, 0xC34747}, {10, 30, 0xC34747}, {50, 49, 0xC34747},
                          {7, 30, 0xFFFFFF}, {50, 53, 0xFFFFFF}, {150, 30, 0xFFFFFF}, {110, 30, 0xC34747},
                          {50, 90, 0x3388FF}, {10, 90, 0x3388FF}, {9, 90, 0xFFFFFF}});
    ExpectPixels(frame_, {{150, 89, 0x000000}, {150, 90, 0x000000}, {150, 93, 0xFFFFFF}});  // line: y 89..91
}

TEST(SoftShadowRingTest, TenRingsOfNavyOutermostFaintest) {
    const int alpha[11] = {0, 39, 35, 32, 29, 26, 22, 19, 16, 13, 9};  // by ring, opacity 1
    for (int ring = 1; ring <= 10; ++ring) {
        const ShadowRing r = SoftShadowRing(ring, 50, 40, 100, 60, 20, 1.0f);
        EXPECT_EQ(r.color, (static_cast<Argb>(alpha[ring]) << 24) | 0x0D1F40u) << ring;
        // Ring n lies n * spread / 20 outside the card, its corners as much rounder.
        EXPECT_FLOAT_EQ(r.shape.rect.left, 50.0f - ring);
        EXPECT_FLOAT_EQ(r.shape.rect.bottom, 100.0f + ring);
        EXPECT_FLOAT_EQ(r.shape.radiusX, ring + 4.0f);
    }
    // The page illustrations' faint shadows: opacity 0.07 keeps alpha 2 at most.
    EXPECT_EQ(SoftShadowRing(1, 0, 0, 1, 1, 15, 0.07f).color, 0x020D1F40u);
    EXPECT_EQ(SoftShadowRing(10, 0, 0, 1, 1, 15, 0.07f).color, 0x000D1F40u);
}

TEST_F(CanvasTest, SoftShadowBlendsItsRingsOverTheBackground) {
    Start(200, 160);
    canvas_.SoftShadow(50, 50, 100, 60, 20, 1.0f);
    canvas_.End();
    auto blend = [](double background, double ink, double alpha) { return background + (ink - background) * alpha; };
    // Column 40 lies under the outermost ring alone, column 39 under none.
    EXPECT_EQ(Rgb(frame_, 39, 80), 0xFFFFFFu);
    EXPECT_NEAR(Channel(Rgb(frame_, 40, 80), 16), blend(255, 0x0D, 9 / 255.0), 1.5);
    EXPECT_NEAR(Channel(Rgb(frame_, 40, 80), 0), blend(255, 0x40, 9 / 255.0), 1.5);
    // Inside the card every ring has been painted, faintest first.
    for (const auto& [shift, navy] : {std::pair{16, 0x0D}, {8, 0x1F}, {0, 0x40}}) {
        double expected = 255;
        for (int ring = 10; ring >= 1; --ring)
            expected = blend(expected, navy, (SoftShadowRing(ring, 0, 0, 1, 1, 20, 1.0f).color >> 24) / 255.0);
        EXPECT_NEAR(Channel(Rgb(frame_, 100, 80), shift), expected, 3.0) << shift;
    }
    for (int x = 41; x <= 49; ++x) EXPECT_LT(Channel(Rgb(frame_, x, 80), 16), Channel(Rgb(frame_, x - 1, 80), 16));
}

TEST_F(CanvasTest, BeginRefusesWhatItCannotDrawOn) {
    Canvas canvas;
    EXPECT_FALSE(canvas.Begin(nullptr, RECT{0, 0, 10, 10}, 1.0f));
    FrameBitmap none;
    EXPECT_FALSE(canvas.Begin(none, 1.0f));
    ASSERT_TRUE(frame_.Ensure(10, 10));
    EXPECT_FALSE(canvas.Begin(frame_, 0.0f));
    EXPECT_FALSE(canvas.Begin(frame_, std::nanf("")));
    EXPECT_FALSE(canvas.active());
    // Drawing outside a frame is ignored rather than crashing.
    canvas.Clear(kBlack);
    canvas.RoundRect(0, 0, 5, 5, kBlack, 1, kBlack, 1);
    canvas.SoftShadow(0, 0, 5, 5, 10, 1);
    canvas.DrawText(L"x", {0, 0, 10, 10}, TextStyle{.size = 10, .color = kBlack});
    DrawIcon(canvas, IconCheck, 0, 0, 10, kBlack);
    canvas.End();
    canvas.End();
}

TEST_F(CanvasTest, FinishedFrameHandsItsTargetToTheNextAndBeginAgainEndsTheOpenOne) {
    ReleaseDrawingResources();
    Start(20, 20, 1.0f, 0xFF112233);
    ID2D1RenderTarget* first = canvas_.target();
    first->AddRef();  // kept alive to compare identities
    ASSERT_TRUE(canvas_.Begin(frame_, 1.0f));  // ends and flushes the first frame
    EXPECT_EQ(Rgb(frame_, 15, 10), 0x112233u);
    canvas_.Clear(0xFF445566);
    EXPECT_EQ(canvas_.target(), first);
    {
        Canvas other;  // the pooled target is taken: it gets its own
        ASSERT_TRUE(other.Begin(frame_, 1.0f));
        EXPECT_NE(other.target(), first);
    }
    canvas_.End();
    EXPECT_EQ(Rgb(frame_, 5, 10), 0x445566u);
    ReleaseDrawingResources();
    ASSERT_TRUE(canvas_.Begin(frame_, 1.0f));
    EXPECT_NE(canvas_.target(), first);
    canvas_.End();
    first->Release();
}

TEST_F(CanvasTest, IconStrokeScalesWithTheIcon) {
    // A large scale keeps the pixel grid from deciding the comparison (Wine
    // strokes geometry without antialiasing).
    constexpr float kScale = 6.0f;
    Start(450, 130, kScale);
    DrawIcon(canvas_, IconChevron, 0, 0, 14, kBlack);          // default stroke 1.65
    DrawIcon(canvas_, IconChevron, 25, 0, 20, kBlack);         // 20/14 larger, stroke too
    DrawIcon(canvas_, IconChevron, 50, 0, 14, kBlack, 1.65f);  // the default given explicitly
    D2D1_MATRIX_3X2_F after{};
    canvas_.target()->GetTransform(&after);
    canvas_.End();
    EXPECT_FLOAT_EQ(after._11, kScale);  // the frame's transform is back
    EXPECT_FLOAT_EQ(after._31, 0.0f);
    const Ink small = InkIn(frame_, 0, 0, 150, 130);
    const Ink large = InkIn(frame_, 150, 0, 300, 130);
    ASSERT_GT(small.amount, 0);
    // Length and width both grow by 20/14: about (20/14)^2 = 2.04 times the
    // ink, where a stroke of unscaled width would give 1.43.
    const double ratio = static_cast<double>(large.amount) / small.amount;
    EXPECT_GT(ratio, 1.85) << small.amount << " " << large.amount;
    EXPECT_LT(ratio, 2.25) << small.amount << " " << large.amount;
    EXPECT_EQ(InkIn(frame_, 300, 0, 450, 130).amount, small.amount);
    // The chevron sits at dx = 5.25 in its 14-unit box, 3.5 units wide.
    EXPECT_NEAR(small.left, 5.25 * kScale, 6);
    EXPECT_NEAR(small.right, 8.75 * kScale, 6);
    EXPECT_NEAR(large.left - 150, 5.25 * 20 / 14 * kScale, 8);
}

TEST_F(CanvasTest, SceneItemsUseTheirTransformThenScaleThenOffset) {
    static const SceneItem items[] = {
        {ItemRoundRect, 1, 0, 0, 1, 10, 20, 30, 10, 0, 0xFFFF0000, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 0},
        {ItemEllipse, 1, 0, 0, 1, 10, 40, 20, 20, 0, 0xFF00AA00, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 0},
        {ItemPath, 1, 0, 0, 1, 60, 0, 0, 0, 0, 0xFF0000FF, 0xFF000000, 1, L"M 0 0 L 10 0 L 10 10 L 0 10 Z", nullptr,
         0, 0, 0, 0, 0, 0},
        {ItemRoundRect, 1, 0, 0, 1, 60, 40, 10, 10, 0, kWhite, 0, 0, nullptr, nullptr, 0, 0, 0, 20, 1.0f, 0},
        // Turned a quarter: item x runs down, item y runs left.
        {ItemRoundRect, 0, 1, -1, 0, 100, 0, 20, 4, 0, 0xFFFF00FF, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 0},
        // A path that cannot be built does not stop the items after it.
        {ItemPath, 1, 0, 0, 1, 0, 0, 0, 0, 0, kBlack, kBlack, 1, L"M 0 0 L 1e39 0", nullptr, 0, 0, 0, 0, 0, 0},
        {ItemRoundRect, 1, 0, 0, 1, 120, 60, 10, 10, 0, 0xFF00FFFF, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0, 0},
    };
    Start(400, 240);
    DrawSceneItems(canvas_, items, std::size(items), 100, 50, 2.0f);
    D2D1_MATRIX_3X2_F after{};
    canvas_.target()->GetTransform(&after);
    canvas_.End();
    EXPECT_FLOAT_EQ(after._11, 1.0f);
    EXPECT_FLOAT_EQ(after._31, 0.0f);
    // The red box at (10 + 15, 20 + 5) * 2 + (100, 50); the ellipse centre (20, 50); the path square and its
    // 2-pixel outline; the white card; the turned box at x 96..100, y 0..20; the box after the broken path.
    ExpectPixels(frame_, {{150, 100, 0xFF0000}, {118, 100, 0xFFFFFF}, {140, 150, 0x00AA00}, {230, 60, 0x0000FF},
                          {220, 60, 0x000000}, {230, 140, 0xFFFFFF}, {296, 70, 0xFF00FF}, {310, 70, 0xFFFFFF},
                          {350, 180, 0x00FFFF}});
    EXPECT_LT(Channel(Rgb(frame_, 212, 140), 16), 240);  // the card's shadow, 10 units out
}

constexpr wchar_t kLongText[] =
    L"The quick brown fox jumps over the lazy dog and keeps running far beyond the edge of its box";

float LayoutFontSize(IDWriteTextLayout* layout) {
    FLOAT size = 0;
    layout->GetFontSize(0, &size, nullptr);
    return size;
}

TEST_F(CanvasTest, TooTallTextShrinksBySixPercentDownTo72PercentAndFittingTextKeepsItsSize) {
    std::vector<float> sizes;
    ComPtr<IDWriteTextLayout> layout = BuildTextLayout(kLongText, 100, 20, TextStyle{.size = 20, .color = 0}, &sizes);
    ASSERT_TRUE(layout);
    const float expected[] = {20.0f, 18.8f, 17.672f, 16.612f, 15.615f, 14.678f, 13.797f};
    ASSERT_EQ(sizes.size(), std::size(expected));
    for (size_t i = 0; i < sizes.size(); ++i) EXPECT_NEAR(sizes[i], expected[i], 0.001f) << "attempt " << i;
    EXPECT_NEAR(LayoutFontSize(layout.Get()), 13.797f, 0.001f);  // the last one is drawn anyway

    sizes.clear();
    layout = BuildTextLayout(L"Fits", 200, 40, TextStyle{.size = 20, .color = 0}, &sizes);
    ASSERT_TRUE(layout);
    EXPECT_EQ(sizes, std::vector<float>{20.0f});
    EXPECT_FLOAT_EQ(LayoutFontSize(layout.Get()), 20.0f);
    sizes.clear();  // without the fit flag nothing shrinks
    ASSERT_TRUE(BuildTextLayout(kLongText, 100, 20, TextStyle{.size = 20, .weight = TextWeight::Semibold, .fit = false}, &sizes));
    EXPECT_EQ(sizes, std::vector<float>{20.0f});
}

TEST_F(CanvasTest, UnfittedTextIsClippedToItsBox) {
    Start(200, 100);
    canvas_.DrawText(kLongText, {40, 30, 100, 24}, TextStyle{.size = 30, .color = kBlack, .fit = false});
    canvas_.End();
    const Ink box = InkIn(frame_, 39, 29, 141, 55);
    EXPECT_TRUE(box.any());
    EXPECT_EQ(InkIn(frame_, 0, 0, 200, 100).amount, box.amount);  // none outside
}

TEST_F(CanvasTest, AlignmentAndVerticalCentring) {
    Start(300, 180);
    canvas_.DrawText(L"Hi", {0, 0, 300, 60}, TextStyle{.size = 20, .color = kBlack});
    canvas_.DrawText(L"Hi", {0, 60, 300, 60}, TextStyle{.size = 20, .color = kBlack, .align = TextAlign::Centre});
    canvas_.DrawText(L"Hi", {0, 120, 300, 60}, TextStyle{.size = 20, .color = kBlack, .weight = TextWeight::Semibold, .align = TextAlign::Trailing});
    canvas_.End();
    const Ink rows[] = {InkIn(frame_, 0, 0, 300, 60), InkIn(frame_, 0, 60, 300, 120), InkIn(frame_, 0, 120, 300, 180)};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(rows[i].any()) << i;
        EXPECT_NEAR((rows[i].top + rows[i].bottom) / 2.0 - 60 * i, 30.0, 6.0) << i;
    }
    EXPECT_LT(rows[0].left, 6);
    EXPECT_NEAR((rows[1].left + rows[1].right) / 2.0, 150.0, 6.0);
    EXPECT_GT(rows[2].right, 292);
    EXPECT_GT(rows[2].amount, rows[0].amount);  // semibold carries more ink than regular
}

TEST_F(CanvasTest, OverflowIsListedOnlyWhenCollected) {
    Start(200, 100);
    canvas_.DrawText(kLongText, {0, 0, 100, 20}, TextStyle{.size = 20, .color = kBlack});
    std::vector<std::wstring> overflows;
    canvas_.CollectOverflows(&overflows);
    canvas_.DrawText(kLongText, {0, 0, 100, 20}, TextStyle{.size = 20, .color = kBlack});                  // too tall
    canvas_.DrawText(L"Fits", {0, 0, 100, 40}, TextStyle{.size = 20, .color = kBlack});                    // fits
    canvas_.DrawText(L"Widewordwithoutbreaks", {0, 40, 10, 60}, TextStyle{.size = 12, .color = kBlack, .fit = false});  // too wide
    // Trailing spaces do not count towards the width.
    const float fitsWidth = MeasureText(L"Fits", 20) - 3.0f;
    canvas_.DrawText(L"Fits                    ", {0, 60, fitsWidth, 40}, TextStyle{.size = 20, .color = kBlack, .fit = false});
    canvas_.End();
    ASSERT_EQ(overflows.size(), 2u);
    EXPECT_EQ(overflows[0], kLongText);
    EXPECT_EQ(overflows[1], L"Widewordwithoutbreaks");
}

TEST(LayoutTextTest, LongTextsAreCutWithoutSplittingASurrogatePair) {
    const std::wstring pair = L"\U0001F600";
    for (size_t before : {kMaxLayoutUnits - 1, kMaxLayoutUnits - 2}) {
        const std::wstring text = std::wstring(before, L'a') + pair + L"b";
        const size_t kept = before == kMaxLayoutUnits - 1 ? before : before + 2;  // never half of the pair
        EXPECT_EQ(LayoutText(text), std::wstring_view(text).substr(0, kept));
    }
    EXPECT_EQ(LayoutText(L"short"), L"short");
}

TEST_F(CanvasTest, LayoutCacheSharesEqualKeysAndEmptiesWhenFull) {
    ClearTextCaches();
    Start(64, 32);
    canvas_.DrawText(L"key", {0, 0, 60, 30}, TextStyle{.size = 10, .color = kBlack});
    canvas_.DrawText(L"key", {4, 2, 60, 30}, TextStyle{.size = 10, .color = 0xFF3388FF});  // colour and place: not in the key
    EXPECT_EQ(TextLayoutCacheSize(), 1u);
    canvas_.DrawText(L"key", {0, 0, 60, 30}, TextStyle{.size = 10, .color = kBlack, .weight = TextWeight::Semibold});  // weight, alignment, fit, box
    canvas_.DrawText(L"key", {0, 0, 60, 30}, TextStyle{.size = 10, .color = kBlack, .align = TextAlign::Centre});  // and size are
    canvas_.DrawText(L"key", {0, 0, 60, 30}, TextStyle{.size = 10, .color = kBlack, .fit = false});
    canvas_.DrawText(L"key", {0, 0, 61, 30}, TextStyle{.size = 10, .color = kBlack});
    canvas_.DrawText(L"key", {0, 0, 60, 31}, TextStyle{.size = 10, .color = kBlack});
    canvas_.DrawText(L"key", {0, 0, 60, 30}, TextStyle{.size = 11, .color = kBlack});
    canvas_.DrawText(L"key", {0, 0, std::nanf(""), 30}, TextStyle{.size = 10, .color = kBlack});  // no layout, no entry
    canvas_.DrawText(L"key", {0, 0, 60, -1}, TextStyle{.size = 10, .color = kBlack});
    canvas_.DrawText(L"key", {0, 0, 60, 30}, TextStyle{.size = 0, .color = kBlack});
    EXPECT_EQ(TextLayoutCacheSize(), 7u);

    ClearTextCaches();
    for (int i = 0; i < 512; ++i) canvas_.DrawText(std::to_wstring(i), {0, 0, 60, 30}, TextStyle{.size = 8, .color = kBlack});
    canvas_.DrawText(L"0", {0, 0, 60, 30}, TextStyle{.size = 8, .color = kBlack});  // a hit adds nothing
    EXPECT_EQ(TextLayoutCacheSize(), 512u);
    canvas_.DrawText(L"the 513th", {0, 0, 60, 30}, TextStyle{.size = 8, .color = kBlack});
    EXPECT_EQ(TextLayoutCacheSize(), 1u);
    canvas_.End();
}

TEST_F(CanvasTest, MeasureTextMeasuresOneLineAndCaches) {
    ClearTextCaches();
    const float width = MeasureText(L"NoSuchKeyAnywhere", 12);
    // What a single line of the key's own text needs, rounded up, plus 4.
    ComPtr<IDWriteTextLayout> layout = BuildTextLayout(L"NoSuchKeyAnywhere", 2000, 50, TextStyle{.size = 12, .fit = false});
    ASSERT_TRUE(layout);
    DWRITE_TEXT_METRICS metrics{};
    ASSERT_HRESULT_SUCCEEDED(layout->GetMetrics(&metrics));
    ASSERT_GT(metrics.width, 20.0f);
    EXPECT_FLOAT_EQ(width, std::ceil(metrics.width) + 4.0f);
    EXPECT_EQ(MeasureText(L"NoSuchKeyAnywhere", 12), width);  // served from the cache
    EXPECT_EQ(TextWidthCacheSize(), 1u);
    EXPECT_GT(MeasureText(L"NoSuchKeyAnywhere", 24), width * 1.6f);
    EXPECT_EQ(MeasureText(L"Any", 0), 0.0f);
    EXPECT_EQ(MeasureText(L"Any", std::nanf("")), 0.0f);

    ClearTextCaches();
    for (int i = 0; i < 256; ++i) MeasureText(L"w" + std::to_wstring(i), 10);
    EXPECT_EQ(TextWidthCacheSize(), 256u);
    MeasureText(L"the 257th", 10);
    EXPECT_EQ(TextWidthCacheSize(), 1u);
}

TEST(FrameBitmapTest, SizeLimitsAndReuse) {
    FrameBitmap frame;
    EXPECT_TRUE(frame.Ensure(4000, 4000));  // exactly 16,000,000 pixels
    EXPECT_EQ(frame.width(), 4000);
    EXPECT_FALSE(frame.Ensure(4001, 4000));
    EXPECT_EQ(frame.dc(), nullptr);  // nothing held after a refusal
    EXPECT_EQ(frame.pixels(), nullptr);
    EXPECT_EQ(frame.width(), 0);
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 10}, {10, 0}, {-1, 10}, {10, -5}, {65536, 65536}}) {
        EXPECT_FALSE(frame.Ensure(w, h)) << w << " x " << h;
        EXPECT_EQ(frame.bitmap(), nullptr);
    }
    // The same size keeps its bitmap and pixels.
    ASSERT_TRUE(frame.Ensure(30, 20));
    const HBITMAP first = frame.bitmap();
    frame.pixels()[0] = 0x00ABCDEF;
    ASSERT_TRUE(frame.Ensure(30, 20));
    EXPECT_EQ(frame.bitmap(), first);
    EXPECT_EQ(frame.pixels()[0], 0x00ABCDEFu);
    ASSERT_TRUE(frame.Ensure(31, 20));
    EXPECT_EQ(frame.width(), 31);
    // Top-down: row 0 of the pixels is the top row GDI sees.
    frame.pixels()[0] = 0x00112233;
    EXPECT_EQ(::GetPixel(frame.dc(), 0, 0), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(::GetCurrentObject(frame.dc(), OBJ_BITMAP), frame.bitmap());
    frame.Release();
    EXPECT_EQ(frame.dc(), nullptr);
    frame.Release();
}

TEST_F(CanvasTest, AThousandFramesLeakNoHandles) {
    auto frameOnce = [](int i) {
        FrameBitmap frame;
        Canvas canvas;
        if (!frame.Ensure(48 + (i % 2) * 16, 32) || !canvas.Begin(frame, 1.0f)) return false;
        canvas.Clear(kWhite);
        canvas.RoundRect(2, 2, 40, 20, 0xFF3388FF, 4, kBlack, 1);
        canvas.DrawText(L"frame", {0, 0, 48, 32}, TextStyle{.size = 10, .color = kBlack});
        DrawIcon(canvas, IconCheck, 30, 10, 14, kBlack);
        return true;
    };
    for (int i = 0; i < 10; ++i) ASSERT_TRUE(frameOnce(i));  // warm up caches and pools
    const DWORD gdiBefore = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD handlesBefore = 0, handlesAfter = 0;
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &handlesBefore));
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(frameOnce(i));
    const DWORD gdiAfter = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    ASSERT_TRUE(::GetProcessHandleCount(::GetCurrentProcess(), &handlesAfter));
    EXPECT_LE(handlesAfter, handlesBefore + 4);
    // Wine counts no GDI objects per process; the handle count is then the only witness.
    if (gdiBefore != 0 || gdiAfter != 0) {
        EXPECT_LE(gdiAfter, gdiBefore + 2);
    }
}

TEST_F(CanvasTest, WritesTheFrameAsAPngThatDecodesToTheSamePixels) {
    ComScope com;
    ASSERT_HRESULT_SUCCEEDED(com.result());
    Start(30, 20);
    canvas_.FillRect(0, 0, 15, 20, 0xFF3388FF);
    canvas_.End();
    lumtest::TempDir dir;
    const std::wstring path = dir / L"frame.png";
    ASSERT_TRUE(WritePng(frame_, path));
    EXPECT_EQ(lumtest::ReadFileBytes(path).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));

    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> decoded;
    ComPtr<IWICFormatConverter> converter;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_PPV_ARGS(factory.GetAddressOf())));
    ASSERT_HRESULT_SUCCEEDED(factory->CreateDecoderFromFilename(
        path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand, decoder.GetAddressOf()));
    ASSERT_HRESULT_SUCCEEDED(decoder->GetFrame(0, decoded.GetAddressOf()));
    UINT width = 0, height = 0;
    ASSERT_HRESULT_SUCCEEDED(decoded->GetSize(&width, &height));
    EXPECT_EQ(width, 30u);
    EXPECT_EQ(height, 20u);
    ASSERT_HRESULT_SUCCEEDED(factory->CreateFormatConverter(converter.GetAddressOf()));
    ASSERT_HRESULT_SUCCEEDED(converter->Initialize(decoded.Get(), GUID_WICPixelFormat32bppBGRA,
                                                   WICBitmapDitherTypeNone, nullptr, 0, WICBitmapPaletteTypeCustom));
    std::vector<uint32_t> pixels(30 * 20);
    ASSERT_HRESULT_SUCCEEDED(converter->CopyPixels(nullptr, 30 * 4, static_cast<UINT>(pixels.size() * 4),
                                                   reinterpret_cast<BYTE*>(pixels.data())));
    EXPECT_EQ(pixels[5 * 30 + 3], 0xFF3388FFu);  // opaque although the frame's alpha byte is not
    EXPECT_EQ(pixels[5 * 30 + 25], 0xFFFFFFFFu);
}

TEST_F(CanvasTest, PngWriterFailsWithoutComOrBitmapOrFolder) {
    ASSERT_TRUE(frame_.Ensure(8, 8));
    lumtest::TempDir dir;
    bool withoutCom = true;
    // A fresh thread has no COM apartment: the imaging factory cannot be made.
    std::thread([&] { withoutCom = WritePng(frame_, dir / L"nocom.png"); }).join();
    EXPECT_FALSE(withoutCom);
    ComScope com;
    FrameBitmap none;
    EXPECT_FALSE(WritePng(none, dir / L"none.png"));
    EXPECT_FALSE(WritePng(frame_, dir / L"missing\\folder\\x.png"));
    EXPECT_FALSE(WritePng(frame_, L""));
    EXPECT_TRUE(WritePng(frame_, dir / L"ok.png"));
}

}  // namespace
}  // namespace lum
