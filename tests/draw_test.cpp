// The drawing layer through the pixels it leaves in a FrameBitmap: shapes, shadows, paths and text, fitting
// and overflow, the scene art's usability, and no leaks over many frames.
#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <random>
#include <span>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "draw/layout_text.h"
#include "draw/path_geometry.h"
#include "draw/scenes.h"
#include "draw/text_layout.h"
#include "pages/scene_text.h"
#include "test_support.h"
#include "text/language.h"
#include "text/text_lookup.h"

namespace lum {
namespace {

constexpr Argb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000;
constexpr wchar_t kLongText[] = L"The quick brown fox jumps over the lazy dog and keeps running far beyond its box";

class CanvasTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureFactories()); }
    void Start(int width, int height, float scale = 1.0f) {
        ASSERT_TRUE(frame_.Ensure(width, height) && canvas_.Begin(frame_, scale));
        canvas_.Clear(kWhite);
    }
    uint32_t Rgb(int x, int y) const { return frame_.PixelAt(x, y) & 0xFFFFFFu; }
    long long InkIn(int x0, int y0, int x1, int y1) const {  // the summed darkness of the region against white
        long long ink = 0;
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) ink += 765 - (Rgb(x, y) & 0xFF) - ((Rgb(x, y) >> 8) & 0xFF) - (Rgb(x, y) >> 16);
        }
        return ink;
    }
    FrameBitmap frame_;
    Canvas canvas_;
};

}  // namespace

TEST_F(CanvasTest, ShapesBlendFillStrokeAndSkipColourZero) {
    for (float t : {-1.0f, 0.0f, std::nanf("")}) EXPECT_EQ(LerpColor(0xFF112233, 0x80AABBCC, t), 0xFF112233u) << t;
    EXPECT_EQ(LerpColor(0xFF112233, 0x80AABBCC, 7.5f), 0x80AABBCCu);
    EXPECT_EQ(LerpColor(0xFF000000, 0xFFFFFFFF, 0.5f), 0xFF808080u) << "every byte, 127.5 up";
    EXPECT_EQ(LerpColor(0xFFFFFFFF, 0x00000000, 0.5f), 0x80808080u) << "127.5 from above";
    Start(200, 160);
    canvas_.RoundRect(10, 10, 80, 40, 0xFF3388FF, 6, 0xFFC34747, 2);
    canvas_.RoundRect(110, 10, 80, 40, 0, 6, 0xFFC34747, 2);  // stroke only
    canvas_.RoundRect(10, 70, 80, 40, 0xFF3388FF, 6, 0, 2);   // fill only
    canvas_.SoftShadow(120, 120, 60, 30, 20, 1.0f);
    canvas_.End();
    // The stroke straddles the edge; a shape without fill or stroke colour has none.
    for (const auto& [x, y, rgb] : {std::tuple{50, 30, 0x3388FFu}, {9, 30, 0xC34747u}, {7, 30, 0xFFFFFFu}, {150, 30, 0xFFFFFFu},
                                    {110, 30, 0xC34747u}, {10, 90, 0x3388FFu}, {9, 90, 0xFFFFFFu}, {109, 135, 0xFFFFFFu}}) {
        EXPECT_EQ(Rgb(x, y), rgb) << x << ", " << y;
    }
    // The shadow: faint at its outer edge 20 units out, darker towards the card, soft under it.
    EXPECT_LT(Rgb(110, 135) & 0xFF, 0xFFu);
    for (int x = 111; x <= 121; ++x) EXPECT_LE(Rgb(x, 135) & 0xFF, Rgb(x - 1, 135) & 0xFF) << x;
    EXPECT_GT(Rgb(150, 135) & 0xFF, 0x80u);
}

TEST_F(CanvasTest, TextShrinksToFitAndStaysInItsBox) {
    std::vector<float> sizes;
    ASSERT_TRUE(BuildTextLayout(kLongText, 100, 20, TextStyle{.size = 20, .color = 0}, &sizes));
    ASSERT_GE(sizes.size(), 2u);  // each attempt 0.94 of the one before, until one is at most 72 % of the size asked for
    for (size_t i = 1; i < sizes.size(); ++i) EXPECT_NEAR(sizes[i], sizes[i - 1] * 0.94f, 1e-3f);
    EXPECT_TRUE(sizes.back() <= 20 * 0.72f && sizes[sizes.size() - 2] > 20 * 0.72f) << sizes.back();
    sizes.clear();
    ASSERT_TRUE(BuildTextLayout(L"Fits", 200, 40, TextStyle{.size = 20, .color = 0}, &sizes));
    ASSERT_TRUE(BuildTextLayout(kLongText, 100, 20, TextStyle{.size = 20, .weight = TextWeight::Semibold, .fit = false}, &sizes));  // no fit, no shrink
    EXPECT_EQ(sizes, (std::vector<float>{20.0f, 20.0f}));
    Start(200, 100);
    canvas_.DrawText(kLongText, {40, 30, 100, 24}, TextStyle{.size = 30, .color = kBlack, .fit = false});
    canvas_.End();
    EXPECT_GT(InkIn(39, 29, 141, 55), 0);
    EXPECT_EQ(InkIn(0, 0, 200, 100), InkIn(39, 29, 141, 55)) << "nothing outside the box";
}

TEST_F(CanvasTest, OverflowIsListedOnlyWhenCollected) {
    Start(200, 100);
    canvas_.DrawText(kLongText, {0, 0, 100, 20}, TextStyle{.size = 20, .color = kBlack});
    std::vector<std::wstring> overflows;
    canvas_.CollectOverflows(&overflows);
    canvas_.DrawText(kLongText, {0, 0, 100, 20}, TextStyle{.size = 20, .color = kBlack});                  // too tall
    canvas_.DrawText(L"Fits", {0, 0, 100, 40}, TextStyle{.size = 20, .color = kBlack});                    // fits
    canvas_.DrawText(L"Widewordwithoutbreaks", {0, 40, 10, 60}, TextStyle{.size = 12, .color = kBlack, .fit = false});  // too wide
    // Trailing blanks do not count towards the width; a key without text is drawn as itself.
    canvas_.DrawText(L"Fits                    ", {0, 60, MeasureText(L"Fits", 20) - 3, 40}, TextStyle{.size = 20, .color = kBlack, .fit = false});
    EXPECT_EQ(overflows, (std::vector<std::wstring>{kLongText, L"Widewordwithoutbreaks"}));
    canvas_.End();
}

// What reaches a layout: the start of a long text, never half a surrogate pair; a text of the limit stays whole.
TEST(LayoutText, LongTextsAreCutBetweenCodePoints) {
    std::wstring emoji;
    for (int i = 0; i < 50000; ++i) emoji += L"\U0001F600";
    for (const std::wstring& text : {emoji, L"x" + emoji}) {
        const std::wstring_view shown = lum::LayoutText(text);
        EXPECT_EQ(text.compare(0, shown.size(), shown), 0);
        EXPECT_TRUE(shown.size() + 1 >= lum::kMaxLayoutUnits && shown.size() <= lum::kMaxLayoutUnits);
        EXPECT_FALSE(IS_HIGH_SURROGATE(shown.back()));
    }
    EXPECT_EQ(lum::LayoutText(emoji.substr(0, lum::kMaxLayoutUnits)).size(), lum::kMaxLayoutUnits);
}

TEST(PathData, CommandsAndNumbersAreReadAsWrittenAndTheRestIsSkipped) {
    auto expect = [](const wchar_t* text, UINT32 figures, std::array<float, 4> bounds) {
        ID2D1PathGeometry* geometry = GetPathGeometry(text);
        UINT32 count = 99;
        D2D1_RECT_F r{};
        ASSERT_TRUE(geometry && SUCCEEDED(geometry->GetFigureCount(&count)) && SUCCEEDED(geometry->GetBounds(nullptr, &r)));
        EXPECT_EQ(count, figures) << lumtest::Utf8(text);
        const float got[4] = {r.left, r.top, r.right, r.bottom};
        for (int i = 0; i < 4 && figures; ++i) EXPECT_NEAR(got[i], bounds[i], 0.05f) << lumtest::Utf8(text) << " " << i;
    };
    expect(L"M 1 2 3 4 5 6", 1, {1, 2, 5, 6});  // pairs after M continue as lines
    expect(L"M0,0L1,1,2,2 M 5 5 L 6 6", 2, {0, 0, 6, 6});
    expect(L"Z 3 4 M 1 1 L 2 2 Z Z 9", 1, {1, 1, 2, 2});  // Z with no open figure ends nothing
    expect(L"m 0 0 l 10 10 c 1 2 3 4 5 6", 0, {});          // lower-case commands are ignored
    expect(L"M 1e1 -0.19998 L +2.5E-1 .5", 1, {0.25f, -0.2f, 10, 0.5f});
    expect(L"M 1-2 L 3.5.5", 1, {1, -2, 3.5f, 0.5f});
    expect(L"M 0 0 H 10 V 20 L 5 5 A 7 L 4 2", 1, {0, 0, 5, 5});  // unsupported letters skip their numbers
    expect(L"M 1 2 L # 4", 1, {0, 2, 1, 4});                      // a missing number reads as 0
    expect(L"M 0 0 C 0 10 10 10 10 0", 1, {0, 0, 10, 7.5f});      // the curve's peak, not its control points
    EXPECT_EQ(GetPathGeometry(L"M 0 0 L 1e39 0"), nullptr) << "beyond the float range";
    // Decimals come out as the C library reads them, to the last bit of a float.
    std::mt19937 random(7);
    for (int i = 0; i < 300; ++i) {
        wchar_t number[64];
        std::swprintf(number, 64, L"%.*f", int(random() % 17), std::ldexp(double(random()), -int(random() % 48)));
        ID2D1PathGeometry* geometry = GetPathGeometry((L"M 0 0 L " + std::wstring(number) + L" 1").c_str());
        D2D1_RECT_F r{};
        ASSERT_TRUE(geometry && SUCCEEDED(geometry->GetBounds(nullptr, &r)));
        EXPECT_EQ(r.right, static_cast<float>(std::wcstod(number, nullptr))) << lumtest::Utf8(number);
    }
    const std::wstring copy = L"M 0 0 L 3 7 L 9 1 Z";
    EXPECT_EQ(GetPathGeometry(copy.c_str()), GetPathGeometry(L"M 0 0 L 3 7 L 9 1 Z")) << "cached by its text";
}

TEST(SceneArt, EveryPathBuildsAndEveryTextStandsForALanguageKey) {
    ASSERT_TRUE(EnsureFactories());
    const TextMap texts = BuildTextMap(L"english");
    for (int scene = 0; scene < kSceneCount; ++scene) {
        const SceneTable table = GetScene(static_cast<Scene>(scene));
        for (const SceneItem& item : std::span(table.items, table.count)) {
            // A design text without a key would show in Chinese in every language.
            const std::wstring key = item.kind == ItemText ? ResolveSceneText(item.text) : L"Lumora";
            EXPECT_TRUE(key == L"Lumora" || TextLookup(texts, key) != key) << lumtest::Utf8(item.text);
            EXPECT_TRUE(item.kind != ItemPath || GetPathGeometry(item.path)) << "scene " << scene;
        }
    }
}

TEST_F(CanvasTest, AThousandFramesLeakNoHandlesAndOversizedFramesAreRefused) {
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
    ::GetProcessHandleCount(::GetCurrentProcess(), &handlesBefore);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(frameOnce(i));
    ::GetProcessHandleCount(::GetCurrentProcess(), &handlesAfter);
    EXPECT_LE(handlesAfter, handlesBefore + 4);
    EXPECT_LE(::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore + 2) << "Wine counts none";
    EXPECT_FALSE(frame_.Ensure(4001, 4000) || frame_.Ensure(0, 10) || frame_.Ensure(65536, 65536)) << "at most 16,000,000";
    EXPECT_EQ(frame_.dc(), nullptr) << "nothing held after a refusal";
}

}  // namespace lum
