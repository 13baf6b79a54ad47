// The path-data parser and the process-wide geometry cache.
#include "draw/path_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "base/failure_log.h"
#include "draw/canvas.h"
#include "draw/icons.h"

namespace lum {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L' ' || c == L',' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Reads a decimal number at p: a sign, digits with a decimal point among or
// before them, an exponent ("e" or "E", a sign, digits). False, p unmoved,
// where none starts. A number whose digits make an integer below 2^53 and
// whose exponent is at most 22 either way comes out correctly rounded, as
// the C library reads it (one exact integer and one exact power of ten,
// divided or multiplied once); longer ones may be a last digit's worth off.
bool ReadDecimal(const wchar_t*& p, double& value) {
    const wchar_t* s = p;
    const bool negative = *s == L'-';
    if (*s == L'+' || *s == L'-') ++s;
    constexpr uint64_t kKept = 1000000000000000000u;  // digits beyond 19 only scale
    uint64_t digits = 0;
    int exponent = 0;
    bool any = false;
    for (; IsDigit(*s); ++s, any = true) {
        if (digits < kKept) {
            digits = digits * 10 + static_cast<unsigned>(*s - L'0');
        } else {
            ++exponent;
        }
    }
    if (*s == L'.') {
        for (++s; IsDigit(*s); ++s, any = true) {
            if (digits >= kKept) continue;
            digits = digits * 10 + static_cast<unsigned>(*s - L'0');
            --exponent;
        }
    }
    if (!any) return false;
    if (*s == L'e' || *s == L'E') {
        const wchar_t* e = s + 1;
        const bool below = *e == L'-';
        if (*e == L'+' || *e == L'-') ++e;
        if (IsDigit(*e)) {
            int power = 0;
            for (; IsDigit(*e); ++e) power = std::min(power * 10 + (*e - L'0'), 100000);
            exponent += below ? -power : power;
            s = e;
        }
    }
    double tens = 1.0;  // exact up to 10^22
    for (int i = std::min(std::abs(exponent), 22); i > 0; --i) tens *= 10.0;
    double number = static_cast<double>(digits);
    number = exponent < 0 ? number / tens : number * tens;
    for (int rest = std::abs(exponent) - 22; rest > 0 && number != 0.0 && std::isfinite(number); rest -= 22) {
        number = exponent < 0 ? number / 1e22 : number * 1e22;
    }
    value = negative ? -number : number;
    p = s;
    return true;
}

// Commands are ASCII letters; anything else is data or noise.
bool IsCommandLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

class PathCursor {
public:
    explicit PathCursor(const wchar_t* text) : p_(text) {}

    bool AtEnd() const { return *p_ == L'\0'; }
    wchar_t Peek() const { return *p_; }
    void Advance() {
        if (*p_) ++p_;
    }
    void SkipSeparators() {
        while (IsSeparator(*p_)) ++p_;
    }
    // A decimal number (see ReadDecimal); 0, and one character skipped
    // unless at the end, where there is none.
    float ReadNumber() {
        SkipSeparators();
        if (AtEnd()) return 0.0f;
        double value = 0.0;
        if (!ReadDecimal(p_, value)) {
            ++p_;
            return 0.0f;
        }
        const float number = static_cast<float>(value);
        if (!std::isfinite(number)) finite_ = false;
        return number;
    }
    // False once a number overflowed a float (or read as infinity or NaN).
    bool AllFinite() const { return finite_; }
    D2D1_POINT_2F ReadPoint() {
        const float x = ReadNumber();
        const float y = ReadNumber();
        return D2D1::Point2F(x, y);
    }

private:
    const wchar_t* p_;
    bool finite_ = true;
};

using GeometryMap = std::map<std::wstring, ComPtr<ID2D1PathGeometry>>;
GeometryMap& GeometryCache() {
    static GeometryMap& cache = *new GeometryMap;  // never destroyed at exit; see SharedFactories
    return cache;
}

}  // namespace

void DeletePathGeometryCacheAtUnload() {
    GeometryCache().clear();
    delete &GeometryCache();
}

bool ParsePathData(const wchar_t* pathData, ID2D1GeometrySink* sink) {
    if (!pathData || !sink) return true;
    PathCursor cursor(pathData);
    wchar_t command = 0;  // none
    bool figureOpen = false;
    for (;;) {
        cursor.SkipSeparators();
        if (cursor.AtEnd()) break;
        if (IsCommandLetter(cursor.Peek())) {
            command = cursor.Peek();
            cursor.Advance();
        }
        switch (command) {
            case L'M': {
                if (figureOpen) sink->EndFigure(D2D1_FIGURE_END_OPEN);
                sink->BeginFigure(cursor.ReadPoint(), D2D1_FIGURE_BEGIN_FILLED);
                figureOpen = true;
                command = L'L';  // further pairs continue as lines
                break;
            }
            case L'L':
                sink->AddLine(cursor.ReadPoint());
                break;
            case L'C': {
                const D2D1_POINT_2F c1 = cursor.ReadPoint();
                const D2D1_POINT_2F c2 = cursor.ReadPoint();
                const D2D1_POINT_2F end = cursor.ReadPoint();
                sink->AddBezier(D2D1::BezierSegment(c1, c2, end));
                break;
            }
            case L'Z':
            case L'z':
                if (figureOpen) {
                    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
                    figureOpen = false;
                }
                command = 0;
                break;
            default:
                // No command, or one this format does not support: skip
                // whatever follows one character at a time until a letter.
                if (!IsCommandLetter(cursor.Peek())) cursor.Advance();
                break;
        }
    }
    if (figureOpen) sink->EndFigure(D2D1_FIGURE_END_OPEN);
    return cursor.AllFinite();
}

ID2D1PathGeometry* GetPathGeometry(const wchar_t* pathData) {
    if (!pathData) return nullptr;
    auto& cache = GeometryCache();
    std::wstring key(pathData);
    if (const auto found = cache.find(key); found != cache.end()) return found->second.Get();
    if (!EnsureFactories()) return nullptr;

    ComPtr<ID2D1PathGeometry> geometry;
    CountPathGeometry();
    if (!Succeeded(D2DFactory()->CreatePathGeometry(geometry.GetAddressOf()), "ID2D1Factory::CreatePathGeometry")) {
        return nullptr;
    }
    ComPtr<ID2D1GeometrySink> sink;
    if (!Succeeded(geometry->Open(sink.GetAddressOf()), "ID2D1PathGeometry::Open")) return nullptr;
    sink->SetFillMode(D2D1_FILL_MODE_WINDING);
    // A coordinate beyond the float range has no place in a drawing, and
    // some Direct2D implementations never finish filling such a figure:
    // the path is refused before the sink is closed.
    if (!ParsePathData(pathData, sink.Get())) return nullptr;
    if (!Succeeded(sink->Close(), "ID2D1GeometrySink::Close")) return nullptr;

    ID2D1PathGeometry* result = geometry.Get();
    cache.emplace(std::move(key), std::move(geometry));
    return result;
}

size_t PathGeometryCacheSize() { return GeometryCache().size(); }

}  // namespace lum
