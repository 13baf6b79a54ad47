// Path-data parsing, seen both as the calls the parser makes and as the
// geometry Direct2D builds from them; the icon table's paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "draw/path_geometry.h"

namespace lum {
namespace {

// A geometry sink that writes down what it is told as a compact picture:
// "B(0,0) L(10,0) O" (b for a hollow begin, C for a Bezier, Z closed, O open).
class RecordingSink final : public ID2D1GeometrySink {
public:
    std::string text;
    size_t events = 0;

    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    void STDMETHODCALLTYPE SetFillMode(D2D1_FILL_MODE) override {}
    void STDMETHODCALLTYPE SetSegmentFlags(D2D1_PATH_SEGMENT) override {}
    void STDMETHODCALLTYPE BeginFigure(D2D1_POINT_2F p, D2D1_FIGURE_BEGIN begin) override {
        Add(begin == D2D1_FIGURE_BEGIN_FILLED ? "B" : "b", {p.x, p.y});
    }
    void STDMETHODCALLTYPE AddLines(const D2D1_POINT_2F* points, UINT32 count) override {
        for (UINT32 i = 0; i < count; ++i) AddLine(points[i]);
    }
    void STDMETHODCALLTYPE AddBeziers(const D2D1_BEZIER_SEGMENT* beziers, UINT32 count) override {
        for (UINT32 i = 0; i < count; ++i) AddBezier(&beziers[i]);
    }
    void STDMETHODCALLTYPE EndFigure(D2D1_FIGURE_END end) override {
        Add(end == D2D1_FIGURE_END_CLOSED ? "Z" : "O", {});
    }
    HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }
    void STDMETHODCALLTYPE AddLine(D2D1_POINT_2F p) override { Add("L", {p.x, p.y}); }
    void STDMETHODCALLTYPE AddBezier(const D2D1_BEZIER_SEGMENT* b) override {
        Add("C", {b->point1.x, b->point1.y, b->point2.x, b->point2.y, b->point3.x, b->point3.y});
    }
    void STDMETHODCALLTYPE AddQuadraticBezier(const D2D1_QUADRATIC_BEZIER_SEGMENT*) override {}
    void STDMETHODCALLTYPE AddQuadraticBeziers(const D2D1_QUADRATIC_BEZIER_SEGMENT*, UINT32) override {}
    void STDMETHODCALLTYPE AddArc(const D2D1_ARC_SEGMENT*) override {}

private:
    void Add(const char* kind, std::initializer_list<float> values) {
        ++events;
        if (!text.empty()) text += ' ';
        text += kind;
        if (values.size() == 0) return;
        char separator = '(';
        for (float v : values) {
            char number[32];
            snprintf(number, sizeof number, "%c%g", separator, v);
            text += number;
            separator = ',';
        }
        text += ')';
    }
};

std::string Parse(const wchar_t* text) {
    RecordingSink sink;
    ParsePathData(text, &sink);
    return sink.text;
}

UINT32 Figures(ID2D1PathGeometry* geometry) {
    UINT32 figures = 99;
    EXPECT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
    return figures;
}

class PathGeometryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureFactories()); }
};

// What the parser calls, and how many figures and segments Direct2D then holds.
TEST_F(PathGeometryTest, ParsedAndBuiltGeometry) {
    struct Row {
        const wchar_t* text;
        const char* calls;
        UINT32 figures;
        int segments;  // -1: not checked
    };
    const Row rows[] = {
        {L"M 0 0 L 10 0", "B(0,0) L(10,0) O", 1, 1},
        {L"M 1 2 3 4 5 6", "B(1,2) L(3,4) L(5,6) O", 1, 2},  // pairs after "M" continue as lines
        {L"M 12 3 L 22 21 L 2 21 L 12 3 Z M 12 9 L 12 14", "B(12,3) L(22,21) L(2,21) L(12,3) Z B(12,9) L(12,14) O", 2,
         -1},
        {L"m 0 0 l 10 10 l 5 5 c 1 2 3 4 5 6", "", 0, -1},  // lower-case commands are ignored
        {L"", "", 0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.calls);
        EXPECT_EQ(Parse(row.text), row.calls);
        ID2D1PathGeometry* geometry = GetPathGeometry(row.text);
        ASSERT_NE(geometry, nullptr);
        EXPECT_EQ(Figures(geometry), row.figures);
        if (row.segments >= 0) {
            UINT32 segments = 0;
            ASSERT_HRESULT_SUCCEEDED(geometry->GetSegmentCount(&segments));
            EXPECT_EQ(segments, static_cast<UINT32>(row.segments));
        }
    }
    EXPECT_EQ(GetPathGeometry(nullptr), nullptr);

    D2D1_RECT_F bounds{};
    ASSERT_HRESULT_SUCCEEDED(GetPathGeometry(L"M 0 0 L 10 0")->GetBounds(nullptr, &bounds));
    EXPECT_FLOAT_EQ(bounds.left, 0.0f);
    EXPECT_FLOAT_EQ(bounds.right, 10.0f);
    EXPECT_FLOAT_EQ(bounds.top, 0.0f);
    EXPECT_FLOAT_EQ(bounds.bottom, 0.0f);
    // A cubic's bounds are the curve's peak, not its control points.
    ASSERT_HRESULT_SUCCEEDED(GetPathGeometry(L"M 0 0 C 0 10 10 10 10 0")->GetBounds(nullptr, &bounds));
    EXPECT_NEAR(bounds.bottom, 7.5f, 0.05f);
}

TEST_F(PathGeometryTest, ParserReadsCommandsAndNumbers) {
    const std::pair<const wchar_t*, const char*> rows[] = {
        {L"M0,0L1,1,2,2", "B(0,0) L(1,1) L(2,2) O"},
        {L"M 0 0 L 1 0 M 5 5 L 6 6 z L 7 7", "B(0,0) L(1,0) O B(5,5) L(6,6) Z L(7,7)"},
        {L"Z 3 4 M 1 1 L 2 2 Z Z 9", "B(1,1) L(2,2) Z"},  // "Z" with no open figure ends nothing
        {L"M 0 0 C 1 2 3 4 5 6 7 8 9 10 11 12", "B(0,0) C(1,2,3,4,5,6) C(7,8,9,10,11,12) O"},
        // Unsupported letters skip up to the next letter, even one right after them.
        {L"M 0 0 H 10 V 20 L 5 5", "B(0,0) L(5,5) O"},
        {L"A 1 2 3 4 5 M 1 1 Q 7 L 2 2", "B(1,1) L(2,2) O"},
        {L"M 0 0 hL 3 3", "B(0,0) L(3,3) O"},
        // Exponents and signs are read whole.
        {L"M 1e1 -0.19998 L +2.5E-1 .5", "B(10,-0.19998) L(0.25,0.5) O"},
        {L"M 1-2 L 3.5.5", "B(1,-2) L(3.5,0.5) O"},
        // A missing number reads as 0; the "#" is skipped in place of x.
        {L"M 5", "B(5,0) O"},
        {L"M 1 2 L # 4", "B(1,2) L(0,4) O"},
        {L"M 1 2 C 3", "B(1,2) C(3,0,0,0,0,0) O"},
        {L"M", "B(0,0) O"},
        {L" ,\t\r\n", ""},
    };
    for (const auto& [text, calls] : rows) EXPECT_EQ(Parse(text), calls) << calls;
}

TEST_F(PathGeometryTest, StrokedClosedFigureGetsItsClosingLineAndOpenOneDoesNot) {
    ID2D1PathGeometry* geometry = GetPathGeometry(L"M 2 2 L 18 2 L 18 18 Z M 2 30 L 18 30 L 18 46");
    ASSERT_NE(geometry, nullptr);
    FrameBitmap frame;
    ASSERT_TRUE(frame.Ensure(24, 50));
    {
        Canvas canvas;
        ASSERT_TRUE(canvas.Begin(frame, 1.0f));
        canvas.Clear(0xFFFFFFFF);
        canvas.SetColor(0xFF000000);
        canvas.target()->DrawGeometry(geometry, canvas.brush(), 2.0f, nullptr);
    }
    EXPECT_EQ(frame.PixelAt(10, 10) & 0xFFFFFF, 0x000000u);  // closing diagonal
    EXPECT_EQ(frame.PixelAt(10, 38) & 0xFFFFFF, 0xFFFFFFu);  // open: no diagonal
    EXPECT_EQ(frame.PixelAt(10, 30) & 0xFFFFFF, 0x000000u);  // its first side is there
}

TEST_F(PathGeometryTest, GarbageNeverStopsTheParser) {
    static const wchar_t kAlphabet[] = L"MLCZzmlcHVAQS0123456789.-+eE ,\t#\u4e2d";
    std::mt19937 random(1234);
    std::uniform_int_distribution<size_t> pick(0, std::size(kAlphabet) - 2);
    std::uniform_int_distribution<size_t> length(0, 80);
    size_t built = 0;
    for (int i = 0; i < 4000; ++i) {
        std::wstring text;
        for (size_t k = length(random); k > 0; --k) text += kAlphabet[pick(random)];
        RecordingSink sink;
        ParsePathData(text.c_str(), &sink);
        // At most two events per character ("M" ends one figure and begins
        // the next), plus the end of the last figure.
        EXPECT_LE(sink.events, 2 * text.size() + 1) << sink.text;
        // Direct2D may refuse some of them but must not fail otherwise.
        if (i % 4 == 0 && GetPathGeometry(text.c_str())) ++built;
    }
    EXPECT_GT(built, 0u);
    GetPathGeometry(L"M 0 0 L 1e38 1e38 L -1e38 5 C 3e38 -3e38 1 1 0 0 Z");
    GetPathGeometry(L"L 1 2 C 3 4 5 6 7 8");  // segments before any figure
}

TEST_F(PathGeometryTest, NumbersBeyondTheFloatRangeRefuseThePath) {
    RecordingSink sink;
    EXPECT_FALSE(ParsePathData(L"M 0 0 L 1e39 0", &sink));
    EXPECT_TRUE(ParsePathData(L"M 0 0 L 3e38 0", &sink));
    const size_t entries = PathGeometryCacheSize();
    EXPECT_EQ(GetPathGeometry(L"M 0 0 L 1e39 0"), nullptr);
    EXPECT_EQ(GetPathGeometry(L"M -1e400 0 L 1 1"), nullptr);
    EXPECT_EQ(PathGeometryCacheSize(), entries);  // nothing cached on failure
}

TEST_F(PathGeometryTest, SameTextReusesTheCachedGeometry) {
    const std::wstring first = L"M 0 0 L 3 7 L 9 1 Z";
    const std::wstring copy = first;  // equal text at another address
    ID2D1PathGeometry* a = GetPathGeometry(first.c_str());
    const size_t entries = PathGeometryCacheSize();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetPathGeometry(copy.c_str()), a);
    EXPECT_EQ(PathGeometryCacheSize(), entries);
    EXPECT_NE(GetPathGeometry(L"M 0 0 L 3 7 L 9 1 Z "), a);  // the exact text is the key
    EXPECT_EQ(PathGeometryCacheSize(), entries + 1);
}

TEST_F(PathGeometryTest, EveryIconBuildsInsideItsDesignBox) {
    for (int i = 0; i < kIconCount; ++i) {
        SCOPED_TRACE(i);
        const IconRecord* icon = GetIconRecord(static_cast<Icon>(i));
        ASSERT_NE(icon, nullptr);
        ID2D1PathGeometry* geometry = GetPathGeometry(icon->path);
        ASSERT_NE(geometry, nullptr);
        EXPECT_GE(Figures(geometry), 1u);
        const D2D1::Matrix3x2F placement(icon->m11, icon->m12, icon->m21, icon->m22, icon->dx, icon->dy);
        D2D1_RECT_F bounds{};
        ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(&placement, &bounds));
        EXPECT_GE(bounds.left, -0.01f);
        EXPECT_GE(bounds.top, -0.01f);
        EXPECT_LE(bounds.right, icon->viewWidth + 0.01f);
        EXPECT_LE(bounds.bottom, icon->viewHeight + 0.01f);
    }
    EXPECT_EQ(GetIconRecord(kIconCount), nullptr);
    EXPECT_EQ(GetIconRecord(static_cast<Icon>(-1)), nullptr);
}

}  // namespace
}  // namespace lum
