// Path-data parsing, seen both as the calls the parser makes and as the
// geometry Direct2D builds from them; the icon table's paths.
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "draw/canvas.h"
#include "draw/icons.h"
#include "draw/path_geometry.h"

namespace lum {
namespace {

// One call a geometry sink received.
struct SinkEvent {
    enum Kind { Begin, Line, Bezier, EndOpen, EndClosed } kind;
    std::vector<float> values;  // the points of the call, x then y
    bool filled = false;        // Begin only
};

// A geometry sink that writes down what it is told. Used directly with the
// parser and as the target of ID2D1PathGeometry::Stream.
class RecordingSink final : public ID2D1GeometrySink {
public:
    std::vector<SinkEvent> events;
    D2D1_FILL_MODE fillMode = D2D1_FILL_MODE_ALTERNATE;
    bool closed = false;

    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(ID2D1SimplifiedGeometrySink) ||
            iid == __uuidof(ID2D1GeometrySink)) {
            *out = static_cast<ID2D1GeometrySink*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    void STDMETHODCALLTYPE SetFillMode(D2D1_FILL_MODE mode) override { fillMode = mode; }
    void STDMETHODCALLTYPE SetSegmentFlags(D2D1_PATH_SEGMENT) override {}
    void STDMETHODCALLTYPE BeginFigure(D2D1_POINT_2F p, D2D1_FIGURE_BEGIN begin) override {
        events.push_back({SinkEvent::Begin, {p.x, p.y}, begin == D2D1_FIGURE_BEGIN_FILLED});
    }
    void STDMETHODCALLTYPE AddLines(const D2D1_POINT_2F* points, UINT32 count) override {
        for (UINT32 i = 0; i < count; ++i) AddLine(points[i]);
    }
    void STDMETHODCALLTYPE AddBeziers(const D2D1_BEZIER_SEGMENT* beziers, UINT32 count) override {
        for (UINT32 i = 0; i < count; ++i) AddBezier(&beziers[i]);
    }
    void STDMETHODCALLTYPE EndFigure(D2D1_FIGURE_END end) override {
        events.push_back({end == D2D1_FIGURE_END_CLOSED ? SinkEvent::EndClosed : SinkEvent::EndOpen, {}});
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        closed = true;
        return S_OK;
    }
    void STDMETHODCALLTYPE AddLine(D2D1_POINT_2F p) override { events.push_back({SinkEvent::Line, {p.x, p.y}}); }
    void STDMETHODCALLTYPE AddBezier(const D2D1_BEZIER_SEGMENT* b) override {
        events.push_back({SinkEvent::Bezier,
                          {b->point1.x, b->point1.y, b->point2.x, b->point2.y, b->point3.x, b->point3.y}});
    }
    void STDMETHODCALLTYPE AddQuadraticBezier(const D2D1_QUADRATIC_BEZIER_SEGMENT*) override {}
    void STDMETHODCALLTYPE AddQuadraticBeziers(const D2D1_QUADRATIC_BEZIER_SEGMENT*, UINT32) override {}
    void STDMETHODCALLTYPE AddArc(const D2D1_ARC_SEGMENT*) override {}

    // A compact picture of the events: "B(0,0) L(10,0) O" and so on.
    std::string Text() const {
        std::string out;
        for (const SinkEvent& e : events) {
            if (!out.empty()) out += ' ';
            switch (e.kind) {
                case SinkEvent::Begin: out += e.filled ? "B" : "b"; break;
                case SinkEvent::Line: out += "L"; break;
                case SinkEvent::Bezier: out += "C"; break;
                case SinkEvent::EndOpen: out += "O"; continue;
                case SinkEvent::EndClosed: out += "Z"; continue;
            }
            out += '(';
            for (size_t i = 0; i < e.values.size(); ++i) {
                if (i) out += ',';
                char number[32];
                snprintf(number, sizeof number, "%g", e.values[i]);
                out += number;
            }
            out += ')';
        }
        return out;
    }
};

std::string Parse(const wchar_t* text) {
    RecordingSink sink;
    ParsePathData(text, &sink);
    return sink.Text();
}

// What Direct2D holds for the text: figures and segments streamed back.
// Wine does not implement Stream (E_NOTIMPL); the callers then rely on the
// counts, bounds and pixels alone.
std::optional<std::string> Streamed(ID2D1PathGeometry* geometry) {
    RecordingSink sink;
    const HRESULT hr = geometry->Stream(&sink);
    if (hr == E_NOTIMPL) return std::nullopt;
    EXPECT_HRESULT_SUCCEEDED(hr);
    return sink.Text();
}

class PathGeometryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureFactories()); }
};

TEST_F(PathGeometryTest, MinusSignIsOneOpenFigureWithOneLine) {
    ID2D1PathGeometry* geometry = GetPathGeometry(L"M 0 0 L 10 0");
    ASSERT_NE(geometry, nullptr);
    UINT32 figures = 0, segments = 0;
    ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
    ASSERT_HRESULT_SUCCEEDED(geometry->GetSegmentCount(&segments));
    EXPECT_EQ(figures, 1u);
    EXPECT_EQ(segments, 1u);
    D2D1_RECT_F bounds{};
    ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(nullptr, &bounds));
    EXPECT_FLOAT_EQ(bounds.left, 0.0f);
    EXPECT_FLOAT_EQ(bounds.right, 10.0f);
    EXPECT_FLOAT_EQ(bounds.top, 0.0f);
    EXPECT_FLOAT_EQ(bounds.bottom, 0.0f);
    if (const auto streamed = Streamed(geometry)) {
        EXPECT_EQ(*streamed, "B(0,0) L(10,0) O");
    }
}

TEST_F(PathGeometryTest, PairsAfterMoveContinueAsLines) {
    EXPECT_EQ(Parse(L"M 1 2 3 4 5 6"), "B(1,2) L(3,4) L(5,6) O");
    ID2D1PathGeometry* geometry = GetPathGeometry(L"M 1 2 3 4 5 6");
    ASSERT_NE(geometry, nullptr);
    UINT32 segments = 0;
    ASSERT_HRESULT_SUCCEEDED(geometry->GetSegmentCount(&segments));
    EXPECT_EQ(segments, 2u);
    // A repeated "L" needs no letter either, and separators may be commas.
    EXPECT_EQ(Parse(L"M0,0L1,1,2,2"), "B(0,0) L(1,1) L(2,2) O");
}

TEST_F(PathGeometryTest, ClosedAndOpenFigureInOnePath) {
    const wchar_t* text = L"M 12 3 L 22 21 L 2 21 L 12 3 Z M 12 9 L 12 14";
    EXPECT_EQ(Parse(text), "B(12,3) L(22,21) L(2,21) L(12,3) Z B(12,9) L(12,14) O");
    ID2D1PathGeometry* geometry = GetPathGeometry(text);
    ASSERT_NE(geometry, nullptr);
    UINT32 figures = 0;
    ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
    EXPECT_EQ(figures, 2u);
    if (const auto streamed = Streamed(geometry)) {
        EXPECT_NE(streamed->find(") Z B(12,9)"), std::string::npos) << *streamed;
        EXPECT_EQ(streamed->substr(streamed->size() - 2), " O") << *streamed;
    }
}

TEST_F(PathGeometryTest, StrokedClosedFigureGetsItsClosingLineAndOpenOneDoesNot) {
    // Two right angles; only the first is closed, so only its diagonal
    // back to the start is stroked.
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
    EXPECT_EQ(frame.PixelAt(10, 10) & 0xFFFFFF, 0x000000u);   // closing diagonal
    EXPECT_EQ(frame.PixelAt(10, 38) & 0xFFFFFF, 0xFFFFFFu);   // open: no diagonal
    EXPECT_EQ(frame.PixelAt(10, 30) & 0xFFFFFF, 0x000000u);   // its first side is there
}

TEST_F(PathGeometryTest, MoveEndsTheOpenFigureAndLowerCaseZCloses) {
    EXPECT_EQ(Parse(L"M 0 0 L 1 0 M 5 5 L 6 6 z L 7 7"), "B(0,0) L(1,0) O B(5,5) L(6,6) Z L(7,7)");
    // "Z" without an open figure ends nothing; numbers after it are skipped.
    EXPECT_EQ(Parse(L"Z 3 4 M 1 1 L 2 2 Z Z 9"), "B(1,1) L(2,2) Z");
}

TEST_F(PathGeometryTest, CubicTakesSixNumbers) {
    EXPECT_EQ(Parse(L"M 0 0 C 1 2 3 4 5 6 7 8 9 10 11 12"), "B(0,0) C(1,2,3,4,5,6) C(7,8,9,10,11,12) O");
    ID2D1PathGeometry* geometry = GetPathGeometry(L"M 0 0 C 0 10 10 10 10 0");
    ASSERT_NE(geometry, nullptr);
    D2D1_RECT_F bounds{};
    ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(nullptr, &bounds));
    EXPECT_NEAR(bounds.bottom, 7.5f, 0.05f);  // the curve's peak, not its control points
}

TEST_F(PathGeometryTest, LowerCaseCommandsAreIgnored) {
    const wchar_t* text = L"m 0 0 l 10 10 l 5 5 c 1 2 3 4 5 6";
    EXPECT_EQ(Parse(text), "");
    ID2D1PathGeometry* geometry = GetPathGeometry(text);
    ASSERT_NE(geometry, nullptr);
    UINT32 figures = 99;
    ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
    EXPECT_EQ(figures, 0u);
}

TEST_F(PathGeometryTest, UnsupportedLettersSkipUpToTheNextLetter) {
    EXPECT_EQ(Parse(L"M 0 0 H 10 V 20 L 5 5"), "B(0,0) L(5,5) O");
    EXPECT_EQ(Parse(L"A 1 2 3 4 5 M 1 1 Q 7 L 2 2"), "B(1,1) L(2,2) O");
    // A letter straight after an ignored one is still a command.
    EXPECT_EQ(Parse(L"M 0 0 hL 3 3"), "B(0,0) L(3,3) O");
}

TEST_F(PathGeometryTest, NumbersAreReadWhole) {
    EXPECT_EQ(Parse(L"M 1e1 -0.19998 L +2.5E-1 .5"), "B(10,-0.19998) L(0.25,0.5) O");
    EXPECT_EQ(Parse(L"M 1-2 L 3.5.5"), "B(1,-2) L(3.5,0.5) O");
}

TEST_F(PathGeometryTest, MissingNumbersReadAsZero) {
    EXPECT_EQ(Parse(L"M 5"), "B(5,0) O");
    // The "#" is skipped in place of x; y then reads 4.
    EXPECT_EQ(Parse(L"M 1 2 L # 4"), "B(1,2) L(0,4) O");
    EXPECT_EQ(Parse(L"M 1 2 C 3"), "B(1,2) C(3,0,0,0,0,0) O");
    EXPECT_EQ(Parse(L"M"), "B(0,0) O");
}

TEST_F(PathGeometryTest, EmptyAndNullTexts) {
    EXPECT_EQ(Parse(L""), "");
    EXPECT_EQ(Parse(L" ,\t\r\n"), "");
    EXPECT_EQ(GetPathGeometry(nullptr), nullptr);
    ID2D1PathGeometry* empty = GetPathGeometry(L"");
    ASSERT_NE(empty, nullptr);
    UINT32 figures = 99;
    ASSERT_HRESULT_SUCCEEDED(empty->GetFigureCount(&figures));
    EXPECT_EQ(figures, 0u);
}

TEST_F(PathGeometryTest, GarbageNeverStopsTheParser) {
    static const wchar_t kAlphabet[] = L"MLCZzmlcHVAQS0123456789.-+eE ,\t#\u4e2d";
    std::mt19937 random(1234);
    std::uniform_int_distribution<size_t> pick(0, std::size(kAlphabet) - 2);
    std::uniform_int_distribution<size_t> length(0, 80);
    size_t built = 0;
    for (int i = 0; i < 4000; ++i) {
        std::wstring text;
        const size_t n = length(random);
        for (size_t k = 0; k < n; ++k) text += kAlphabet[pick(random)];
        RecordingSink sink;
        ParsePathData(text.c_str(), &sink);
        // Every character yields at most two events ("M": end one figure,
        // begin the next), plus the end of the last figure.
        EXPECT_LE(sink.events.size(), 2 * text.size() + 1) << Parse(text.c_str());
        // Some of them through Direct2D too, which may refuse them but must
        // not fail in any other way.
        if (i % 4 == 0 && GetPathGeometry(text.c_str())) ++built;
    }
    EXPECT_GT(built, 0u);
    // Texts that are not numbers where numbers are due, and huge values.
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
    ID2D1PathGeometry* b = GetPathGeometry(copy.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(PathGeometryCacheSize(), entries);
    EXPECT_NE(GetPathGeometry(L"M 0 0 L 3 7 L 9 1 Z "), a);  // the exact text is the key
    EXPECT_EQ(PathGeometryCacheSize(), entries + 1);
}

TEST_F(PathGeometryTest, EveryIconBuildsInsideItsDesignBox) {
    for (int i = 0; i < kIconCount; ++i) {
        const IconRecord* icon = GetIconRecord(static_cast<Icon>(i));
        ASSERT_NE(icon, nullptr);
        ID2D1PathGeometry* geometry = GetPathGeometry(icon->path);
        ASSERT_NE(geometry, nullptr) << "icon " << i;
        UINT32 figures = 0;
        ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
        EXPECT_GE(figures, 1u) << "icon " << i;
        const D2D1::Matrix3x2F placement(icon->m11, icon->m12, icon->m21, icon->m22, icon->dx, icon->dy);
        D2D1_RECT_F bounds{};
        ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(&placement, &bounds));
        EXPECT_GE(bounds.left, -0.01f) << "icon " << i;
        EXPECT_GE(bounds.top, -0.01f) << "icon " << i;
        EXPECT_LE(bounds.right, icon->viewWidth + 0.01f) << "icon " << i;
        EXPECT_LE(bounds.bottom, icon->viewHeight + 0.01f) << "icon " << i;
    }
    EXPECT_EQ(GetIconRecord(kIconCount), nullptr);
    EXPECT_EQ(GetIconRecord(static_cast<Icon>(-1)), nullptr);
    // Only the warning sign has round caps.
    for (int i = 0; i < kIconCount; ++i) EXPECT_EQ(GetIconRecord(static_cast<Icon>(i))->roundCaps, i == IconWarning);
}

TEST_F(PathGeometryTest, WarningIconIsAClosedTriangleAndTwoOpenStrokes) {
    ID2D1PathGeometry* geometry = GetPathGeometry(GetIconRecord(IconWarning)->path);
    ASSERT_NE(geometry, nullptr);
    UINT32 figures = 0;
    ASSERT_HRESULT_SUCCEEDED(geometry->GetFigureCount(&figures));
    EXPECT_EQ(figures, 3u);
    D2D1_RECT_F bounds{};
    ASSERT_HRESULT_SUCCEEDED(geometry->GetBounds(nullptr, &bounds));
    EXPECT_FLOAT_EQ(bounds.left, 2.0f);
    EXPECT_FLOAT_EQ(bounds.top, 3.0f);
    EXPECT_FLOAT_EQ(bounds.right, 22.0f);
    EXPECT_FLOAT_EQ(bounds.bottom, 21.0f);
}

}  // namespace
}  // namespace lum
