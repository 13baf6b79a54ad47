// The vector scenes: their telling table items, their path data, how their
// text items map to language keys and boxes, and what they look like drawn.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "draw/path_geometry.h"
#include "draw/scenes.h"
#include "host/ui_state.h"
#include "pages/scene_text.h"
#include "text/language.h"
#include "text/text_lookup.h"
#include "test_support.h"

namespace lum {
namespace {

constexpr Scene kAllScenes[] = {SceneLogo,     SceneWelcome,    SceneComplete,    SceneFarewell,
                                SceneCleaned,  SceneInstalling, SceneUninstalling};

TEST(SceneTables, TellingItems) {
    const std::pair<Scene, size_t> counts[] = {{SceneLogo, 5},     {SceneWelcome, 58},    {SceneComplete, 40},
                                               {SceneFarewell, 25}, {SceneCleaned, 26},   {SceneInstalling, 30},
                                               {SceneUninstalling, 26}};
    for (const auto& [scene, count] : counts) {
        EXPECT_EQ(GetScene(scene).count, count) << scene;
        EXPECT_NE(GetScene(scene).items, nullptr);
    }
    EXPECT_EQ(GetScene(kSceneCount).items, nullptr);
    EXPECT_EQ(GetScene(kSceneCount).count, 0u);
    EXPECT_EQ(GetScene(static_cast<Scene>(-1)).count, 0u);

    // The welcome grid card: tilted, with a faint shadow.
    const SceneItem* items = GetScene(SceneWelcome).items;
    const SceneItem& card = items[0];
    EXPECT_EQ(card.kind, ItemRoundRect);
    EXPECT_FLOAT_EQ(card.m11, 0.99255f);
    EXPECT_FLOAT_EQ(card.m12, -0.12187f);
    EXPECT_FLOAT_EQ(card.dx, 416.0f);
    EXPECT_FLOAT_EQ(card.dy, 108.0f);
    EXPECT_FLOAT_EQ(card.width, 215.0f);
    EXPECT_FLOAT_EQ(card.height, 221.0f);
    EXPECT_EQ(card.fill, 0xFFE6EEFCu);
    EXPECT_FLOAT_EQ(card.shadowSpread, 15.0f);
    EXPECT_FLOAT_EQ(card.shadowOpacity, 0.07f);

    // Its twelve grid columns share the tilt and sit one cell apart along the
    // card's x axis, never across it.
    for (int i = 1; i <= 12; ++i) {
        const SceneItem& line = items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(line.kind, ItemPath);
        EXPECT_STREQ(line.path, L"M 0 0 L 0 221");
        EXPECT_FLOAT_EQ(line.m12, card.m12);
        EXPECT_FLOAT_EQ(line.m21, card.m21);
        EXPECT_NEAR((line.dx - card.dx) * card.m21 + (line.dy - card.dy) * card.m22, 0.0f, 1e-3f);
        if (i > 1) {
            EXPECT_NEAR(line.dx - items[i - 1].dx, 17.866f * 0.99255f, 1e-3f);
            EXPECT_NEAR(line.dy - items[i - 1].dy, 17.866f * -0.12187f, 1e-3f);
        }
    }

    const SceneItem& selection = items[39];
    EXPECT_EQ(selection.kind, ItemRoundRect);
    EXPECT_FLOAT_EQ(selection.width, 181.0f);
    EXPECT_FLOAT_EQ(selection.height, 112.0f);
    EXPECT_EQ(selection.fill, 0xFFEAF2FFu);
    EXPECT_EQ(selection.stroke, 0xFF3388FFu);
    EXPECT_FLOAT_EQ(selection.strokeWidth, 1.5f);

    const SceneItem& note = items[56];
    EXPECT_EQ(note.kind, ItemText);
    EXPECT_STREQ(note.text, L"紧贴边缘，分毫不差");
    EXPECT_FLOAT_EQ(note.fontSize, 14.0f);
}

TEST(ScenePaths, EveryPathBuildsAGeometry) {
    ASSERT_TRUE(EnsureFactories());
    for (Scene scene : kAllScenes) {
        const SceneTable table = GetScene(scene);
        for (size_t i = 0; i < table.count; ++i) {
            const SceneItem& item = table.items[i];
            SCOPED_TRACE(testing::Message() << "scene " << scene << " item " << i);
            if (item.kind != ItemPath) continue;
            ID2D1PathGeometry* geometry = GetPathGeometry(item.path);
            ASSERT_NE(geometry, nullptr);
            UINT32 figures = 0;
            ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
            EXPECT_GE(figures, 1u);
            // A straight line has no width or no height, never neither.
            D2D1_RECT_F bounds{};
            ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(nullptr, &bounds));
            EXPECT_GT((bounds.right - bounds.left) + (bounds.bottom - bounds.top), 0.5f);
            // Something must show: a fill, or a stroke with a width.
            EXPECT_TRUE(item.fill != 0 || item.stroke != 0);
            EXPECT_TRUE(item.stroke == 0 || item.strokeWidth > 0.0f);
        }
    }
}

TEST(SceneText, DesignTextsResolveToTheirKeys) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"谢谢", L"RetainedNote"},         {L"已完成清理", L"CleanupNote"},
        {L"项目资料", L"Project"},          {L"工作文档", L"Document"},
        {L"需要的内容", L"Content"},        {L"窗口、控件、段落", L"Elements"},
        {L"自动识别区域", L"Detect"},       {L"智能框选", L"SmartSelect"},
        {L"紧贴边缘，分毫不差", L"CaptureNote"}, {L"准备就绪", L"Ready"},
        {L"记录屏幕上的一切", L"Inspiration"},
        // Anything else is its own key.
        {L"Lumora", L"Lumora"},             {L"谢谢你", L"谢谢你"},
        {L"", L""},                         {nullptr, L""},
    };
    for (const auto& [design, key] : rows) EXPECT_EQ(ResolveSceneText(design), key) << lumtest::Utf8(key);
}

SceneItem TextItem(const wchar_t* text, float width, float height, float fontSize) {
    return {ItemText, 1, 0, 0, 1, 0, 0, width, height, 0, 0xFF172B45, 0, 0, L"", text, fontSize, 0, 0, 0, 0, 0};
}

// The capture note is drawn larger in the ideographic languages; the
// cleanup note is centred on whatever width its item has.
TEST(SceneText, CaptureNoteBoxFollowsTheLanguageKind) {
    for (const bool cjk : {true, false}) {
        const SceneTextBox box = SceneTextLayout(TextItem(L"紧贴边缘，分毫不差", 200, 30, 13), cjk);
        EXPECT_FLOAT_EQ(box.width, 168.0f);
        EXPECT_FLOAT_EQ(box.height, cjk ? 21.0f : 24.0f);
        EXPECT_FLOAT_EQ(box.fontSize, cjk ? 14.0f : 11.0f);
    }
    const SceneTextBox cleanup = SceneTextLayout(TextItem(L"已完成清理", 180, 36, 14), false);
    EXPECT_FLOAT_EQ(cleanup.x, 10.0f);
    EXPECT_FLOAT_EQ(cleanup.width, 160.0f);
    EXPECT_EQ(cleanup.align, TextAlign::Centre);
}

// 32-bit DIB pixels are 0x00RRGGBB (alpha ignored by the target).
uint32_t Rgb(const FrameBitmap& frame, float x, float y) {
    return frame.PixelAt(static_cast<int>(x), static_cast<int>(y)) & 0xFFFFFFu;
}

TEST(SceneDrawing, WelcomeShowsTheGridCardAndTheSelection) {
    FrameBitmap frame;
    ASSERT_TRUE(frame.Ensure(720, 480));
    {
        Canvas canvas;
        ASSERT_TRUE(canvas.Begin(frame, 1.0f));
        canvas.Clear(0xFFF6F2E9);
        DrawScene(canvas, SceneWelcome, 0, 0, 1);
    }
    const SceneItem* items = GetScene(SceneWelcome).items;
    // The card point (4, 101) of item 0: left of the window, between grid lines.
    const SceneItem& card = items[0];
    const float cardX = 4 * card.m11 + 101 * card.m21 + card.dx;
    const float cardY = 4 * card.m12 + 101 * card.m22 + card.dy;
    EXPECT_EQ(Rgb(frame, cardX, cardY), 0xE6EEFCu) << cardX << ", " << cardY;
    // Inside the selection, clear of its texts, and on its left border, whose
    // red falls from the fill's 0xEA towards the accent's 0x33.
    const SceneItem& selection = items[39];
    EXPECT_EQ(Rgb(frame, selection.dx + 172, selection.dy + 56), 0xEAF2FFu);
    EXPECT_LT((Rgb(frame, selection.dx, selection.dy + 56) >> 16) & 0xFFu, 0xC0u);
    EXPECT_EQ(Rgb(frame, 100, 300), 0xF6F2E9u);  // far from the illustration
}

// Every text item of every scene fits its box in every language (shrinking
// allowed), so no translation is clipped.
TEST(SceneDrawing, TextItemsFitTheirBoxesInEveryLanguage) {
    FrameBitmap frame;
    ASSERT_TRUE(frame.Ensure(64, 64));
    for (const wchar_t* language : {L"english", L"chinesesimplified", L"chinesetraditional", L"japanese", L"korean",
                                    L"french", L"german", L"spanish", L"portuguese"}) {
        ScreenModel model;
        model.language = language;
        model.texts = BuildTextMap(language);
        const SceneTexts texts(model);
        std::vector<std::wstring> overflows;
        {
            Canvas canvas;
            canvas.CollectOverflows(&overflows);
            ASSERT_TRUE(canvas.Begin(frame, 1.0f));
            for (Scene scene : kAllScenes) {
                const SceneTable table = GetScene(scene);
                for (size_t i = 0; i < table.count; ++i) {
                    if (table.items[i].kind == ItemText) texts.DrawSceneText(canvas, table.items[i]);
                }
            }
        }
        std::wstring overflowing;
        for (const std::wstring& text : overflows) overflowing += text + L" | ";
        EXPECT_TRUE(overflows.empty()) << lumtest::Utf8(language) << ": " << lumtest::Utf8(overflowing.c_str());
    }
}

}  // namespace
}  // namespace lum
