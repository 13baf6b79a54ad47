// The vector scenes: their tables, their path data, how their text items map
// to language keys and boxes, and what they look like once drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/icons.h"
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

std::vector<std::wstring> TextsOf(Scene scene) {
    std::vector<std::wstring> texts;
    const SceneTable table = GetScene(scene);
    for (size_t i = 0; i < table.count; ++i) {
        if (table.items[i].kind == ItemText) texts.emplace_back(table.items[i].text);
    }
    return texts;
}

bool Contains(const std::vector<std::wstring>& texts, const wchar_t* text) {
    for (const std::wstring& t : texts) {
        if (t == text) return true;
    }
    return false;
}

// Puts the language (and its texts) in place for one test and restores
// English afterwards, so no test depends on another's language.
class LanguageScope {
public:
    explicit LanguageScope(const wchar_t* language) {
        Ui().language = language;
        Ui().texts = BuildTextMap(language);
    }
    ~LanguageScope() {
        Ui().language = L"english";
        Ui().texts = BuildTextMap(L"english");
    }
    LanguageScope(const LanguageScope&) = delete;
    LanguageScope& operator=(const LanguageScope&) = delete;
};

// ---------------------------------------------------------------------------
// Tables

TEST(SceneTables, HaveTheirItemCounts) {
    EXPECT_EQ(GetScene(SceneLogo).count, 5u);
    EXPECT_EQ(GetScene(SceneWelcome).count, 58u);
    EXPECT_EQ(GetScene(SceneComplete).count, 40u);
    EXPECT_EQ(GetScene(SceneFarewell).count, 25u);
    EXPECT_EQ(GetScene(SceneCleaned).count, 26u);
    EXPECT_EQ(GetScene(SceneInstalling).count, 30u);
    EXPECT_EQ(GetScene(SceneUninstalling).count, 26u);
    size_t total = 0;
    for (Scene scene : kAllScenes) {
        EXPECT_NE(GetScene(scene).items, nullptr);
        total += GetScene(scene).count;
    }
    EXPECT_EQ(total, 210u);
    EXPECT_EQ(GetScene(kSceneCount).items, nullptr);
    EXPECT_EQ(GetScene(kSceneCount).count, 0u);
    EXPECT_EQ(GetScene(static_cast<Scene>(-1)).count, 0u);
}

TEST(SceneTables, WelcomeGridCardIsTiltedWithAShadow) {
    const SceneItem& card = GetScene(SceneWelcome).items[0];
    EXPECT_EQ(card.kind, ItemRoundRect);
    EXPECT_FLOAT_EQ(card.m11, 0.99255f);
    EXPECT_FLOAT_EQ(card.m12, -0.12187f);
    EXPECT_FLOAT_EQ(card.m21, 0.12187f);
    EXPECT_FLOAT_EQ(card.m22, 0.99255f);
    EXPECT_FLOAT_EQ(card.dx, 416.0f);
    EXPECT_FLOAT_EQ(card.dy, 108.0f);
    EXPECT_FLOAT_EQ(card.width, 215.0f);
    EXPECT_FLOAT_EQ(card.height, 221.0f);
    EXPECT_FLOAT_EQ(card.radius, 3.0f);
    EXPECT_EQ(card.fill, 0xFFE6EEFCu);
    EXPECT_EQ(card.stroke, 0u);
    EXPECT_FLOAT_EQ(card.shadowX, 0.0f);
    EXPECT_FLOAT_EQ(card.shadowY, 7.0f);
    EXPECT_FLOAT_EQ(card.shadowSpread, 15.0f);
    EXPECT_FLOAT_EQ(card.shadowOpacity, 0.07f);
}

TEST(SceneTables, WelcomeGridColumnsAreOneCellApartAlongTheCard) {
    const SceneItem* items = GetScene(SceneWelcome).items;
    const SceneItem& card = items[0];
    for (int i = 1; i <= 12; ++i) {
        const SceneItem& line = items[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(line.kind, ItemPath);
        EXPECT_STREQ(line.path, L"M 0 0 L 0 221");
        EXPECT_EQ(line.stroke, 0xFFCDDCF3u);
        EXPECT_EQ(line.fill, 0u);
        EXPECT_FLOAT_EQ(line.strokeWidth, 0.6f);
        // Same tilt as the card; the origin moves along the card's x axis only.
        EXPECT_FLOAT_EQ(line.m11, card.m11);
        EXPECT_FLOAT_EQ(line.m12, card.m12);
        EXPECT_FLOAT_EQ(line.m21, card.m21);
        EXPECT_FLOAT_EQ(line.m22, card.m22);
        const float along = ((line.dx - card.dx) * card.m11 + (line.dy - card.dy) * card.m12) /
                            (card.m11 * card.m11 + card.m12 * card.m12);
        const float across = (line.dx - card.dx) * card.m21 + (line.dy - card.dy) * card.m22;
        EXPECT_NEAR(across, 0.0f, 1e-3f);
        EXPECT_GT(along, 0.0f);
        EXPECT_LT(along, card.width);
        if (i > 1) {
            const SceneItem& previous = items[i - 1];
            EXPECT_NEAR(line.dx - previous.dx, 17.866f * 0.99255f, 1e-3f);
            EXPECT_NEAR(line.dy - previous.dy, 17.866f * -0.12187f, 1e-3f);
        }
    }
    // Thirteen 0.6-wide rows follow the twelve columns.
    for (int i = 13; i <= 25; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(items[i].kind, ItemPath);
        EXPECT_EQ(items[i].stroke, 0xFFCDDCF3u);
        EXPECT_FLOAT_EQ(items[i].strokeWidth, 0.6f);
    }
}

TEST(SceneTables, WelcomeSelectionAndCaptureNote) {
    const SceneItem* items = GetScene(SceneWelcome).items;
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
    EXPECT_EQ(note.fill, 0xFF172B45u);

    const auto texts = TextsOf(SceneWelcome);
    for (const wchar_t* text : {L"项目资料", L"工作文档", L"需要的内容", L"窗口、控件、段落",
                                L"自动识别区域", L"智能框选", L"紧贴边缘，分毫不差"}) {
        EXPECT_TRUE(Contains(texts, text)) << lumtest::Utf8(text);
    }
}

TEST(SceneTables, LogoIsAPlateWithTwoSolidAndTwoTranslucentBlues) {
    const SceneItem* items = GetScene(SceneLogo).items;
    EXPECT_EQ(items[0].kind, ItemRoundRect);
    EXPECT_FLOAT_EQ(items[0].width, 87.0f);
    EXPECT_FLOAT_EQ(items[0].height, 87.0f);
    EXPECT_FLOAT_EQ(items[0].radius, 22.125f);
    EXPECT_FLOAT_EQ(items[0].dx, 4.125f);
    EXPECT_FLOAT_EQ(items[0].dy, 4.125f);
    EXPECT_EQ(items[0].fill, 0xFFFFFFFFu);
    int solid = 0, translucent = 0;
    for (int i = 1; i < 5; ++i) {
        if (items[i].fill == 0xFF3388FFu) ++solid;
        if (items[i].fill == 0x593388FFu) ++translucent;
    }
    EXPECT_EQ(solid, 2);
    EXPECT_EQ(translucent, 2);
}

TEST(SceneTables, PageIllustrationsCarryTheirTextsAndEmblem) {
    const auto complete = TextsOf(SceneComplete);
    EXPECT_TRUE(Contains(complete, L"准备就绪"));
    EXPECT_TRUE(Contains(complete, L"记录屏幕上的一切"));
    EXPECT_TRUE(Contains(TextsOf(SceneInstalling), L"Lumora"));
    EXPECT_TRUE(Contains(TextsOf(SceneCleaned), L"已完成清理"));
    EXPECT_FALSE(Contains(TextsOf(SceneFarewell), L"已完成清理"));

    for (Scene scene : {SceneFarewell, SceneCleaned}) {
        const SceneTable table = GetScene(scene);
        bool emblem = false;
        for (size_t i = 0; i < table.count; ++i) {
            const SceneItem& item = table.items[i];
            if (item.kind == ItemPath && item.stroke == 0xFF3388FFu && item.roundCaps &&
                std::fabs(item.strokeWidth - 3.64375f) < 1e-6f) {
                emblem = true;
            }
        }
        EXPECT_TRUE(emblem) << scene;
    }
    // The cleaned illustration is the farewell one with the cleanup note: it
    // shares the grid card and the emblem card.
    const SceneTable farewell = GetScene(SceneFarewell);
    const SceneTable cleaned = GetScene(SceneCleaned);
    EXPECT_EQ(cleaned.count, farewell.count + 1);
    for (size_t i = 0; i < 14; ++i) {
        EXPECT_EQ(cleaned.items[i].kind, farewell.items[i].kind) << i;
        EXPECT_EQ(cleaned.items[i].fill, farewell.items[i].fill) << i;
        EXPECT_FLOAT_EQ(cleaned.items[i].dx, farewell.items[i].dx) << i;
        EXPECT_FLOAT_EQ(cleaned.items[i].dy, farewell.items[i].dy) << i;
    }
}

// Every illustration keeps to the right of the page text, below the title
// band and above the footer (the progress pages also above their progress
// band, the uninstalled page above its note panel). Checked on the corners of
// every item's box, transformed into the frame.
TEST(SceneTables, IllustrationsStayInTheirArea) {
    struct Area {
        Scene scene;
        float left, top, right, bottom;
    };
    const Area areas[] = {
        {SceneWelcome, 380, 44, 700, 406},    {SceneComplete, 380, 44, 700, 406},
        {SceneFarewell, 400, 44, 700, 300},   {SceneCleaned, 400, 44, 700, 300},
        {SceneInstalling, 440, 44, 700, 300}, {SceneUninstalling, 440, 44, 700, 300},
    };
    for (const Area& area : areas) {
        const SceneTable table = GetScene(area.scene);
        for (size_t i = 0; i < table.count; ++i) {
            const SceneItem& item = table.items[i];
            if (item.kind == ItemPath) continue;  // paths have no box; their origins are checked below
            const float corners[4][2] = {{0, 0}, {item.width, 0}, {0, item.height}, {item.width, item.height}};
            for (const auto& c : corners) {
                const float x = c[0] * item.m11 + c[1] * item.m21 + item.dx;
                const float y = c[0] * item.m12 + c[1] * item.m22 + item.dy;
                EXPECT_TRUE(x >= area.left && x <= area.right && y >= area.top && y <= area.bottom)
                    << "scene " << area.scene << " item " << i << " at " << x << ", " << y;
            }
        }
        for (size_t i = 0; i < table.count; ++i) {
            const SceneItem& item = table.items[i];
            if (item.kind != ItemPath) continue;
            EXPECT_TRUE(item.dx >= area.left && item.dx <= area.right && item.dy >= area.top &&
                        item.dy <= area.bottom)
                << "scene " << area.scene << " path " << i;
        }
    }
}

// ---------------------------------------------------------------------------
// Path data

TEST(ScenePaths, EveryPathBuildsANonEmptyGeometry) {
    ASSERT_TRUE(EnsureFactories());
    for (Scene scene : kAllScenes) {
        const SceneTable table = GetScene(scene);
        for (size_t i = 0; i < table.count; ++i) {
            const SceneItem& item = table.items[i];
            SCOPED_TRACE(testing::Message() << "scene " << scene << " item " << i);
            ASSERT_NE(item.path, nullptr);
            ASSERT_NE(item.text, nullptr);
            if (item.kind != ItemPath) {
                // Only paths carry path data; every other kind's is empty on purpose.
                EXPECT_EQ(item.path[0], L'\0');
                continue;
            }
            ID2D1PathGeometry* geometry = GetPathGeometry(item.path);
            ASSERT_NE(geometry, nullptr);
            UINT32 figures = 0;
            ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
            EXPECT_GE(figures, 1u);
            UINT32 segments = 0;
            ASSERT_HRESULT_SUCCEEDED(geometry->GetSegmentCount(&segments));
            EXPECT_GE(segments, 1u);
            // A straight line has no width or no height, never neither.
            D2D1_RECT_F bounds{};
            ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(nullptr, &bounds));
            EXPECT_GT((bounds.right - bounds.left) + (bounds.bottom - bounds.top), 0.5f);
            // A filled shape has area; a stroked-only one needs a stroke to show.
            if (item.fill == 0) {
                EXPECT_NE(item.stroke, 0u);
            }
            if (item.stroke != 0) {
                EXPECT_GT(item.strokeWidth, 0.0f);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Text items

TEST(SceneText, DesignTextsResolveToTheirKeys) {
    const std::pair<const wchar_t*, const wchar_t*> rows[] = {
        {L"谢谢", L"RetainedNote"},
        {L"已完成清理", L"CleanupNote"},
        {L"项目资料", L"Project"},
        {L"工作文档", L"Document"},
        {L"需要的内容", L"Content"},
        {L"窗口、控件、段落", L"Elements"},
        {L"自动识别区域", L"Detect"},
        {L"智能框选", L"SmartSelect"},
        {L"紧贴边缘，分毫不差", L"CaptureNote"},
        {L"准备就绪", L"Ready"},
        {L"记录屏幕上的一切", L"Inspiration"},
    };
    for (const auto& [design, key] : rows) EXPECT_EQ(ResolveSceneText(design), key);
    EXPECT_EQ(ResolveSceneText(L"Lumora"), L"Lumora");
    EXPECT_EQ(ResolveSceneText(L"谢谢你"), L"谢谢你");
    EXPECT_EQ(ResolveSceneText(L""), L"");
    EXPECT_EQ(ResolveSceneText(nullptr), L"");
}

SceneItem TextItem(const wchar_t* text, float w, float h, float size) {
    SceneItem item{};
    item.kind = ItemText;
    item.m11 = item.m22 = 1.0f;
    item.path = L"";
    item.text = text;
    item.width = w;
    item.height = h;
    item.fontSize = size;
    item.fill = 0xFF172B45;
    return item;
}

TEST(SceneText, BoxOverridesFollowTheDesignText) {
    struct Expect {
        const wchar_t* text;
        bool cjk;
        float x, w, h, size;
        int align;
    };
    // Item box 200 x 30 at size 13 unless overridden.
    const Expect rows[] = {
        {L"项目资料", false, 0, 140, 30, 13, AlignLeading},
        {L"工作文档", false, 0, 165, 30, 13, AlignLeading},
        {L"需要的内容", false, 0, 145, 30, 13, AlignLeading},
        {L"窗口、控件、段落", true, 0, 145, 30, 13, AlignLeading},
        {L"自动识别区域", false, 0, 200, 30, 8, AlignLeading},
        {L"自动识别区域", true, 0, 200, 30, 13, AlignLeading},
        {L"智能框选", false, 0, 160, 17, 13, AlignLeading},
        {L"紧贴边缘，分毫不差", true, 0, 168, 21, 14, AlignLeading},
        {L"紧贴边缘，分毫不差", false, 0, 168, 24, 11, AlignLeading},
        {L"准备就绪", false, 0, 140, 25, 13, AlignLeading},
        {L"记录屏幕上的一切", false, 0, 155, 24, 13, AlignLeading},
        {L"已完成清理", false, 20, 160, 30, 13, AlignCentre},
        {L"已完成清理", true, 20, 160, 30, 13, AlignCentre},
        {L"谢谢", false, 0, 200, 30, 13, AlignLeading},
        {L"Lumora", true, 0, 200, 30, 13, AlignLeading},
    };
    for (const Expect& row : rows) {
        SCOPED_TRACE(testing::Message() << lumtest::Utf8(row.text) << " cjk " << row.cjk);
        const SceneTextBox box = SceneTextLayout(TextItem(row.text, 200, 30, 13), row.cjk);
        EXPECT_FLOAT_EQ(box.x, row.x);
        EXPECT_FLOAT_EQ(box.width, row.w);
        EXPECT_FLOAT_EQ(box.height, row.h);
        EXPECT_FLOAT_EQ(box.fontSize, row.size);
        EXPECT_EQ(box.align, row.align);
    }
    // The cleanup note is centred on whatever width its item has.
    const SceneTextBox wide = SceneTextLayout(TextItem(L"已完成清理", 180, 36, 14), false);
    EXPECT_FLOAT_EQ(wide.x, 10.0f);
    EXPECT_FLOAT_EQ(wide.height, 36.0f);
}

// ---------------------------------------------------------------------------
// Drawing

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
        canvas.End();
    }
    const SceneItem* items = GetScene(SceneWelcome).items;
    // Inside the grid card, left of the window and between grid lines: the
    // card point (4, 101) of item 0.
    const SceneItem& card = items[0];
    const float cardX = 4 * card.m11 + 101 * card.m21 + card.dx;
    const float cardY = 4 * card.m12 + 101 * card.m22 + card.dy;
    EXPECT_EQ(Rgb(frame, cardX, cardY), 0xE6EEFCu) << cardX << ", " << cardY;
    // Inside the selection, clear of its texts and placeholders.
    const SceneItem& selection = items[39];
    EXPECT_EQ(Rgb(frame, selection.dx + 172, selection.dy + 56), 0xEAF2FFu);
    // On the selection's left border.
    const uint32_t border = Rgb(frame, selection.dx, selection.dy + 56);
    EXPECT_LT((border >> 16) & 0xFFu, 0xC0u);  // red falls from the fill's 0xEA towards the accent's 0x33
    // Far from the illustration the background is untouched.
    EXPECT_EQ(Rgb(frame, 100, 300), 0xF6F2E9u);
}

// Every text item of every scene fits its box in every language (shrinking
// allowed), so no translation is clipped.
TEST(SceneDrawing, TextItemsFitTheirBoxesInEveryLanguage) {
    FrameBitmap frame;
    ASSERT_TRUE(frame.Ensure(64, 64));
    const bool dumping = LayoutDumpMode();
    LayoutDumpMode() = true;
    for (const wchar_t* language : {L"english", L"chinesesimplified", L"chinesetraditional", L"japanese", L"korean",
                                    L"french", L"german", L"spanish", L"portuguese"}) {
        LanguageScope scope(language);
        OverflowList().clear();
        Canvas canvas;
        ASSERT_TRUE(canvas.Begin(frame, 1.0f));
        for (Scene scene : kAllScenes) {
            const SceneTable table = GetScene(scene);
            for (size_t i = 0; i < table.count; ++i) {
                if (table.items[i].kind == ItemText) DrawSceneText(canvas, table.items[i]);
            }
        }
        canvas.End();
        std::wstring overflowing;
        for (const std::wstring& text : OverflowList()) overflowing += text + L" | ";
        EXPECT_TRUE(OverflowList().empty()) << lumtest::Utf8(language) << ": " << lumtest::Utf8(overflowing.c_str());
    }
    OverflowList().clear();
    LayoutDumpMode() = dumping;
}

TEST(SceneDrawing, WholeScenesInEnglishReportNoOverflow) {
    FrameBitmap frame;
    ASSERT_TRUE(frame.Ensure(720, 480));
    LanguageScope scope(L"english");
    const bool dumping = LayoutDumpMode();
    LayoutDumpMode() = true;
    OverflowList().clear();
    {
        Canvas canvas;
        ASSERT_TRUE(canvas.Begin(frame, 1.0f));
        for (Scene scene : kAllScenes) DrawScene(canvas, scene, 0, 0, 1);
        canvas.End();
    }
    EXPECT_TRUE(OverflowList().empty());
    LayoutDumpMode() = dumping;
}

TEST(SceneDrawing, CleanupNoteIsCentredOnItsItem) {
    FrameBitmap frame;
    ASSERT_TRUE(frame.Ensure(200, 40));
    LanguageScope scope(L"english");
    const SceneItem item = TextItem(L"已完成清理", 200, 40, 14);
    {
        Canvas canvas;
        ASSERT_TRUE(canvas.Begin(frame, 1.0f));
        canvas.Clear(0xFFFFFFFF);
        DrawSceneText(canvas, item);
        canvas.End();
    }
    int left = 200, right = -1;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            if ((frame.PixelAt(x, y) & 0xFF) < 160) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    ASSERT_GE(right, left) << "no text drawn";
    EXPECT_GT(right - left, 40);  // "All cleaned up" at 14, not the key
    EXPECT_NEAR((left + right) / 2.0, 100.0, 3.0);
}

// The capture note is drawn larger in the ideographic languages: the same
// text is wider when the language is Japanese (size 14) than in English (11).
int InkWidthOfCaptureNote(const wchar_t* language) {
    LanguageScope scope(language);
    Ui().texts[L"CaptureNote"] = L"HHHH";
    FrameBitmap frame;
    if (!frame.Ensure(200, 40)) return -1;
    SceneItem item = TextItem(L"紧贴边缘，分毫不差", 168, 21, 14);
    {
        Canvas canvas;
        if (!canvas.Begin(frame, 1.0f)) return -1;
        canvas.Clear(0xFFFFFFFF);
        DrawSceneText(canvas, item);
        canvas.End();
    }
    int left = 200, right = -1;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            if ((frame.PixelAt(x, y) & 0xFF) < 128) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right - left + 1;
}

TEST(SceneDrawing, CaptureNoteSizeFollowsTheLanguage) {
    const int english = InkWidthOfCaptureNote(L"english");
    const int japanese = InkWidthOfCaptureNote(L"japanese");
    ASSERT_GT(english, 10);
    // 14 / 11 = 1.27; glyph rounding keeps it well above 1.15.
    EXPECT_GT(japanese, english * 1.15) << english << " vs " << japanese;
}

}  // namespace
}  // namespace lum
