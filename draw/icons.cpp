// The twelve line icons: each one path stroked in a square design box.
#include "draw/icons.h"

#include "draw/path_geometry.h"

namespace lum {
namespace {

constexpr IconRecord kIcons[kIconCount] = {
    // IconMinimize
    {20, 20, 1, 0, 0, 1, 5, 10, 1.65f, L"M 0 0 L 10 0", false},
    // IconClose
    {20, 20, 1, 0, 0, 1, 5.83331f, 5.83334f, 1.65f,
     L"M 0 0 L 8.333333015441895 8.333333015441895 M 8.333333015441895 0 L 0 8.333333015441895", false},
    // IconChevron (pointing right)
    {14, 14, 1, 0, 0, 1, 5.25f, 3.5f, 1.65f, L"M 0 0 L 3.5 3.5 L 0 7", false},
    // IconFolder
    {20, 20, 1, 0, 0, 1, 2.5f, 4.16669f, 1.375f,
     L"M 0 1.6666667120797294 L 0 0 L 5.833333333333334 0 L 7.5 1.6666667120797294 L 15 1.6666667120797294 "
     L"L 15 11.666666984558105 L 0 11.666666984558105 L 0 1.6666667120797294 Z",
     false},
    // IconCheck
    {14, 14, 1, 0, 0, 1, 2.91675f, 3.5f, 0.9625f,
     L"M 0 3.5000000953674313 L 2.3333334241594588 5.833333492279053 L 8.166666984558105 0", false},
    // IconGlobe
    {16, 16, 1, 0, 0, 1, 0, 0, 1.25f,
     L"M 14.25 8 C 14.25 11.45178 11.45178 14.25 8 14.25 C 4.54822 14.25 1.75 11.45178 1.75 8 "
     L"C 1.75 4.54822 4.54822 1.75 8 1.75 C 11.45178 1.75 14.25 4.54822 14.25 8 Z "
     L"M 10.5 8 C 10.5 11.45178 9.38071 14.25 8 14.25 C 6.61929 14.25 5.5 11.45178 5.5 8 "
     L"C 5.5 4.54822 6.61929 1.75 8 1.75 C 9.38071 1.75 10.5 4.54822 10.5 8 Z M 1.75 8 L 14.25 8",
     false},
    // IconShield
    {16, 16, 1, 0, 0, 1, 2.66667f, 2, 1.1f,
     L"M 2.6666667 6 L 4.6666668 8 L 8 4 M 5.3333335 0 L 0 2 L 0 6 C 0 8.6666667 5.3333335 12 5.3333335 12 "
     L"C 5.3333335 12 10.666667 8.6666667 10.666667 6 L 10.666667 2 L 5.3333335 0 Z",
     false},
    // IconTrash
    {24, 24, 1, 0, 0, 1, 0, 0, 1.65f,
     L"M 3 6 L 21 6 M 9 6 L 9 3 L 15 3 L 15 6 M 5 6 L 6 21 L 18 21 L 19 6 M 9 10 L 9 17 M 15 10 L 15 17", false},
    // IconWarning
    {24, 24, 1, 0, 0, 1, 0, 0, 1.65f, L"M 12 3 L 22 21 L 2 21 L 12 3 Z M 12 9 L 12 14 M 12 17 L 12 17.1", true},
    // IconDocument
    {16, 18, 1, 0, 0, 1, 0, 0, 1.1f,
     L"M 9.333333 3 L 4 3 L 4 15 L 12 15 L 12 5.666667 L 9.333333 3 Z M 9.333333 3 L 9.333333 6.333333 "
     L"L 12 6.333333 M 6 9 L 10 9 M 6 11.666667 L 10 11.666667",
     false},
    // IconMonitor
    {16, 18, 1, 0, 0, 1, 0, 0, 1.1f,
     L"M 3.333333 3.666687 L 12.666667 3.666687 C 13.403046 3.666687 14 4.263641 14 5.00002 L 14 11.000021 "
     L"C 14 11.7364 13.403046 12.333354 12.666667 12.333354 L 3.333333 12.333354 "
     L"C 2.596954 12.333354 2 11.7364 2 11.000021 L 2 5.00002 C 2 4.263641 2.596954 3.666687 3.333333 3.666687 Z "
     L"M 5.333374 15.000041 L 10.666708 15.000041 M 8.000041 12.333374 L 8.000041 15.000041",
     false},
    // IconRefresh
    {18, 18, 1, 0, 0, 1, 0, 0, 1.2375f,
     L"M 15.000012 7.5 C 14.482025 6.287516 13.579076 5.279413 12.430744 4.631524 "
     L"C 11.282411 3.983635 9.952641 3.732038 8.64699 3.915625 C 7.341339 4.099212 6.132515 4.70776 5.207376 5.6472 "
     L"C 4.282237 6.586639 3.692302 7.804656 3.528763 9.112969 C 3.365224 10.421282 3.637187 11.747036 4.302614 12.885296 "
     L"C 4.96804 14.023556 5.989874 14.910936 7.21016 15.410265 C 8.430446 15.909594 9.781232 15.993068 11.053711 15.64778 "
     L"C 12.326191 15.302492 13.449505 14.547672 14.250012 13.5 M 15.000012 7.5 L 15.000012 2.25 "
     L"M 15.000012 7.5 L 9.750013 7.5",
     false},
};

}  // namespace

const IconRecord* GetIconRecord(Icon icon) {
    if (icon < 0 || icon >= kIconCount) return nullptr;
    return &kIcons[icon];
}

void DrawIcon(Canvas& canvas, Icon icon, float x, float y, float size, Argb color, float strokeWidth) {
    const IconRecord* record = GetIconRecord(icon);
    ID2D1RenderTarget* target = canvas.target();
    if (!record || !canvas.active() || !target) return;

    D2D1_MATRIX_3X2_F outer{};
    target->GetTransform(&outer);
    const D2D1::Matrix3x2F placement(record->m11, record->m12, record->m21, record->m22, record->dx, record->dy);
    const D2D1::Matrix3x2F transform = placement *
                                       D2D1::Matrix3x2F::Scale(size / record->viewWidth, size / record->viewHeight) *
                                       D2D1::Matrix3x2F::Translation(x, y) *
                                       *D2D1::Matrix3x2F::ReinterpretBaseType(&outer);
    target->SetTransform(transform);
    canvas.SetColor(color);
    if (ID2D1PathGeometry* geometry = GetPathGeometry(record->path)) {
        const float width = strokeWidth == 0.0f ? record->defaultStroke : strokeWidth;
        target->DrawGeometry(geometry, canvas.brush(), width, record->roundCaps ? RoundCapStrokeStyle() : nullptr);
    }
    target->SetTransform(outer);
}

}  // namespace lum
