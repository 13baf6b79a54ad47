// The seven vector scenes: the product logo and the page illustrations.
//
// Every scene is a constant array of SceneItems drawn in order (later items on
// top). Coordinates are in the 720 x 480 frame: the page illustrations are
// drawn at (0, 0) with scale 1 and keep to the right half of the frame, clear
// of the page text on the left, the title band and the footer. The logo is
// drawn at several fixed scales and keeps its 87-unit plate at (4.125, 4.125).
//
// Each illustration stands on a "grid card": a pale blue card tilted by about
// seven degrees, with a fine grid, the screen a capture is taken from. The
// white cards in front of it stay upright.
#include "draw/scenes.h"
#include "draw/palette.h"

#include <array>
#include <iterator>

namespace lum {
namespace {

// Colours of the illustrations beyond the shared palette.
constexpr Argb kAccentSoft = 0x593388FF;
constexpr Argb kGridCard = 0xFFE6EEFC;
constexpr Argb kGridLine = 0xFFCDDCF3;
constexpr Argb kCardBorder = 0xFFE2E7EE;
constexpr Argb kHairline = 0xFFEEF1F5;
constexpr Argb kPlaceholder = 0xFFE9EDF2;
constexpr Argb kPlaceholderLight = 0xFFF1F3F6;
constexpr Argb kBlueTint = 0xFFD3E3FB;
constexpr Argb kBlueMid = 0xFF9DC3FF;
constexpr Argb kDotRed = 0xFFF4A79D;
constexpr Argb kDotAmber = 0xFFF5D08A;
constexpr Argb kDotGreen = 0xFFA6D9AE;

// The grid cards' tilt: a rotation of about -7 degrees.
constexpr float kTiltCos = 0.99255f;
constexpr float kTiltSin = 0.12187f;
// The welcome grid's cell size, in the card's own units.
constexpr float kGridStep = 17.866f;

// An item-to-scene transform. At() moves the origin inside the placement's
// own (possibly tilted) space, so the parts of a tilted card are written in
// the card's coordinates.
struct Place {
    float m11, m12, m21, m22, dx, dy;
    constexpr Place At(float u, float v) const {
        return {m11, m12, m21, m22, dx + u * m11 + v * m21, dy + u * m12 + v * m22};
    }
};

constexpr Place Upright(float x, float y) { return {1.0f, 0.0f, 0.0f, 1.0f, x, y}; }
constexpr Place Tilted(float x, float y) { return {kTiltCos, -kTiltSin, kTiltSin, kTiltCos, x, y}; }
// A small rotation the other way, for notes laid on top of the cards.
constexpr Place TiltedBack(float x, float y) { return {0.99756f, 0.06976f, -0.06976f, 0.99756f, x, y}; }
// Mirrors a shape drawn in a box of the given size, so one path serves the
// four corners of a frame.
constexpr Place Mirrored(Place p, bool across, bool down, float w, float h) {
    const float sx = across ? -1.0f : 1.0f;
    const float sy = down ? -1.0f : 1.0f;
    const Place origin = p.At(across ? w : 0.0f, down ? h : 0.0f);
    return {origin.m11 * sx, origin.m12 * sx, origin.m21 * sy, origin.m22 * sy, origin.dx, origin.dy};
}

constexpr SceneItem Item(SceneKind kind, Place p) {
    SceneItem item{};
    item.kind = kind;
    item.m11 = p.m11;
    item.m12 = p.m12;
    item.m21 = p.m21;
    item.m22 = p.m22;
    item.dx = p.dx;
    item.dy = p.dy;
    item.path = L"";
    item.text = L"";
    return item;
}

constexpr SceneItem Box(Place p, float w, float h, float radius, Argb fill, Argb stroke = 0, float strokeWidth = 0.0f) {
    SceneItem item = Item(ItemRoundRect, p);
    item.width = w;
    item.height = h;
    item.radius = radius;
    item.fill = fill;
    item.stroke = stroke;
    item.strokeWidth = strokeWidth;
    return item;
}

constexpr SceneItem Oval(Place p, float w, float h, Argb fill, Argb stroke = 0, float strokeWidth = 0.0f) {
    SceneItem item = Item(ItemEllipse, p);
    item.width = w;
    item.height = h;
    item.fill = fill;
    item.stroke = stroke;
    item.strokeWidth = strokeWidth;
    return item;
}

constexpr SceneItem Shape(Place p, const wchar_t* path, Argb fill, Argb stroke = 0, float strokeWidth = 0.0f,
                          bool roundCaps = false) {
    SceneItem item = Item(ItemPath, p);
    item.path = path;
    item.fill = fill;
    item.stroke = stroke;
    item.strokeWidth = strokeWidth;
    item.roundCaps = roundCaps ? 1 : 0;
    return item;
}

// A stroked line shape with round caps.
constexpr SceneItem Line(Place p, const wchar_t* path, Argb color, float width) {
    return Shape(p, path, 0, color, width, true);
}

// A text item: the design text picks the language key and may override the
// box (see pages/scene_text.cpp); w and h are the default box.
constexpr SceneItem Label(Place p, const wchar_t* designText, float w, float h, float fontSize, Argb color) {
    SceneItem item = Item(ItemText, p);
    item.text = designText;
    item.width = w;
    item.height = h;
    item.fontSize = fontSize;
    item.fill = color;
    return item;
}

constexpr SceneItem Shadowed(SceneItem item, float x, float y, float spread, float opacity) {
    item.shadowX = x;
    item.shadowY = y;
    item.shadowSpread = spread;
    item.shadowOpacity = opacity;
    return item;
}

// Grid lines of a tilted card: a vertical line at u, a horizontal one at v.
constexpr SceneItem GridColumn(Place card, float u, const wchar_t* path) {
    return Shape(card.At(u, 0.0f), path, 0, kGridLine, 0.6f);
}
constexpr SceneItem GridRow(Place card, float v, const wchar_t* path) {
    return Shape(card.At(0.0f, v), path, 0, kGridLine, 0.6f);
}

// Joins item lists, so scenes that share a backdrop keep one copy of it.
template <size_t A, size_t B>
constexpr std::array<SceneItem, A + B> Join(const std::array<SceneItem, A>& a, const std::array<SceneItem, B>& b) {
    std::array<SceneItem, A + B> joined{};
    for (size_t i = 0; i < A; ++i) joined[i] = a[i];
    for (size_t i = 0; i < B; ++i) joined[A + i] = b[i];
    return joined;
}
template <size_t A, size_t B, size_t... Rest>
constexpr auto Join(const std::array<SceneItem, A>& a, const std::array<SceneItem, B>& b,
                    const std::array<SceneItem, Rest>&... rest) {
    return Join(Join(a, b), rest...);
}
template <typename... Items>
constexpr std::array<SceneItem, sizeof...(Items)> List(const Items&... items) {
    return {items...};
}

// ---------------------------------------------------------------------------
// Shared shapes.

// One corner of a capture frame (the top-left one; the others are mirrored):
// two arms with round ends meeting in a rounded corner.
constexpr const wchar_t* kLogoCorner =
    L"M 18 35 L 18 29 C 18 22.925 22.925 18 29 18 L 35 18 C 37.761 18 40 20.239 40 23 "
    L"C 40 25.761 37.761 28 35 28 L 29 28 C 28.448 28 28 28.448 28 29 L 28 35 "
    L"C 28 37.761 25.761 40 23 40 C 20.239 40 18 37.761 18 35 Z";

// A mouse pointer, tip at (0, 0).
constexpr const wchar_t* kPointer =
    L"M 0 0 L 0 16.2 L 4.1 12.4 L 6.9 18.8 L 9.7 17.6 L 6.9 11.3 L 12.4 11.3 Z";

// A folder (16 x 13) and a page with a folded corner (13 x 16), filled.
constexpr const wchar_t* kFolderGlyph =
    L"M 0 2 C 0 0.9 0.9 0 2 0 L 5.5 0 L 7.5 2 L 14 2 C 15.1 2 16 2.9 16 4 L 16 11 "
    L"C 16 12.1 15.1 13 14 13 L 2 13 C 0.9 13 0 12.1 0 11 Z";
constexpr const wchar_t* kPageGlyph =
    L"M 2 0 L 8.5 0 L 13 4.5 L 13 14 C 13 15.1 12.1 16 11 16 L 2 16 C 0.9 16 0 15.1 0 14 L 0 2 "
    L"C 0 0.9 0.9 0 2 0 Z";

// A four-pointed sparkle in a 16 x 16 box.
constexpr const wchar_t* kSparkle =
    L"M 8 0 C 8.6 4.6 11.4 7.4 16 8 C 11.4 8.6 8.6 11.4 8 16 C 7.4 11.4 4.6 8.6 0 8 "
    L"C 4.6 7.4 7.4 4.6 8 0 Z";

// The same sparkle in 10 x 10 and 8 x 8 boxes.
constexpr const wchar_t* kSparkleSmall =
    L"M 5 0 C 5.4 2.9 7.1 4.6 10 5 C 7.1 5.4 5.4 7.1 5 10 C 4.6 7.1 2.9 5.4 0 5 C 2.9 4.6 4.6 2.9 5 0 Z";
constexpr const wchar_t* kSparkleTiny =
    L"M 4 0 C 4.3 2.3 5.7 3.7 8 4 C 5.7 4.3 4.3 5.7 4 8 C 3.7 5.7 2.3 4.3 0 4 C 2.3 3.7 3.7 2.3 4 0 Z";

// A larger folder (24 x 20), filled.
constexpr const wchar_t* kFolderLarge =
    L"M 0 3 C 0 1.3 1.3 0 3 0 L 8.6 0 L 11.6 3 L 21 3 C 22.7 3 24 4.3 24 6 L 24 17 C 24 18.7 22.7 20 21 20 "
    L"L 3 20 C 1.3 20 0 18.7 0 17 Z";

// The welcome note's badge mark (12 x 12): a small capture frame, stroked.
constexpr const wchar_t* kNoteMark =
    L"M 0 4 L 0 1.5 C 0 0.7 0.7 0 1.5 0 L 4 0 M 8 0 L 10.5 0 C 11.3 0 12 0.7 12 1.5 L 12 4 "
    L"M 12 8 L 12 10.5 C 12 11.3 11.3 12 10.5 12 L 8 12 M 4 12 L 1.5 12 C 0.7 12 0 11.3 0 10.5 L 0 8";

// A check mark (13 x 10) for white-on-blue badges, stroked.
constexpr const wchar_t* kCheck = L"M 0 5 L 4.5 9.5 L 13 0.5";

// The four corners of a capture frame as one stroked outline around the
// complete illustration's screenshot (a 204 x 116 box).
constexpr const wchar_t* kShotFrame =
    L"M 0 14 L 0 4 C 0 1.8 1.8 0 4 0 L 14 0 M 190 0 L 200 0 C 202.2 0 204 1.8 204 4 L 204 14 "
    L"M 204 102 L 204 112 C 204 114.2 202.2 116 200 116 L 190 116 M 14 116 L 4 116 "
    L"C 1.8 116 0 114.2 0 112 L 0 102";

// The farewell emblem in a 48 x 48 box: the capture frame's corners around a
// heart, stroked with round caps.
constexpr const wchar_t* kEmblem =
    L"M 2 14 L 2 8 C 2 4.7 4.7 2 8 2 L 14 2 M 34 2 L 40 2 C 43.3 2 46 4.7 46 8 L 46 14 "
    L"M 46 34 L 46 40 C 46 43.3 43.3 46 40 46 L 34 46 M 14 46 L 8 46 C 4.7 46 2 43.3 2 40 L 2 34 "
    L"M 24 34.5 C 24 34.5 12.5 28 12.5 20.2 C 12.5 16.5 15.3 13.6 18.7 13.6 C 21 13.6 23 14.9 24 16.8 "
    L"C 25 14.9 27 13.6 29.3 13.6 C 32.7 13.6 35.5 16.5 35.5 20.2 C 35.5 28 24 34.5 24 34.5 Z";

// A speech bubble 88 x 32 with its tail at the bottom left.
constexpr const wchar_t* kBubble =
    L"M 10 0 L 78 0 C 83.523 0 88 4.477 88 10 L 88 22 C 88 27.523 83.523 32 78 32 L 26 32 "
    L"L 14 40 L 16 32 L 10 32 C 4.477 32 0 27.523 0 22 L 0 10 C 0 4.477 4.477 0 10 0 Z";

// Small tool glyphs of the floating capture toolbar (14 x 14 boxes), stroked.
constexpr const wchar_t* kToolCrop = L"M 3.5 0 L 3.5 10.5 L 14 10.5 M 0 3.5 L 10.5 3.5 L 10.5 14";
constexpr const wchar_t* kToolPen = L"M 1 13 L 1.8 9.6 L 10 1.4 L 12.6 4 L 4.4 12.2 Z M 8.2 3.2 L 10.8 5.8";
constexpr const wchar_t* kToolText = L"M 1.5 2.5 L 1.5 1 L 12.5 1 L 12.5 2.5 M 7 1 L 7 13 M 4.5 13 L 9.5 13";
constexpr const wchar_t* kToolCopy =
    L"M 4.5 4.5 L 13 4.5 L 13 13 L 4.5 13 Z M 9.5 1 L 1 1 L 1 9.5";

// Landscape of a captured picture (192 x 72 box): two hills.
constexpr const wchar_t* kHillBack =
    L"M 0 72 L 0 44 C 28.24 22 54.59 18 86.59 36 C 111.06 50 141.18 30 192 26 L 192 72 Z";
constexpr const wchar_t* kHillFront =
    L"M 0 72 L 0 58 C 39.53 42 73.41 44 111.06 56 C 141.18 66 167.53 54 192 50 L 192 72 Z";

// The app tile's white mark (26 x 26), stroked: the four corners of a frame.
constexpr const wchar_t* kTileMark =
    L"M 1 8 L 1 4.5 C 1 2.6 2.6 1 4.5 1 L 8 1 M 18 1 L 21.5 1 C 23.4 1 25 2.6 25 4.5 L 25 8 "
    L"M 25 18 L 25 21.5 C 25 23.4 23.4 25 21.5 25 L 18 25 M 8 25 L 4.5 25 C 2.6 25 1 23.4 1 21.5 L 1 18";

// The place a leaving card stood (168 x 126), outlined with short strokes: the
// shared stroke style has no dashes, so the dashes are drawn one by one.
constexpr const wchar_t* kGhostOutline =
    L"M 12 0 L 30 0 M 44 0 L 62 0 M 76 0 L 94 0 M 108 0 L 126 0 M 140 0 L 156 0 "
    L"M 168 12 L 168 30 M 168 44 L 168 62 M 168 76 L 168 94 M 168 106 L 168 114 "
    L"M 156 126 L 140 126 M 126 126 L 108 126 M 94 126 L 76 126 M 62 126 L 44 126 M 30 126 L 12 126 "
    L"M 0 114 L 0 96 M 0 82 L 0 64 M 0 50 L 0 32 M 0 18 L 0 12";

constexpr const wchar_t* kWelcomeColumn = L"M 0 0 L 0 221";
constexpr const wchar_t* kWelcomeRow = L"M 0 0 L 215 0";

// ---------------------------------------------------------------------------
// SceneLogo: a white plate with a capture frame of four rounded corners, the
// top-left and bottom-right solid, the other two translucent.

constexpr float kLogoPlate = 87.0f;
constexpr Place kLogoOrigin = Upright(4.125f, 4.125f);

constexpr SceneItem kLogo[] = {
    Box(kLogoOrigin, kLogoPlate, kLogoPlate, 22.125f, kWhite, 0xFFDCE4EF, 1.5f),
    Shape(Mirrored(kLogoOrigin, false, false, kLogoPlate, kLogoPlate), kLogoCorner, kAccent),
    Shape(Mirrored(kLogoOrigin, true, false, kLogoPlate, kLogoPlate), kLogoCorner, kAccentSoft),
    Shape(Mirrored(kLogoOrigin, false, true, kLogoPlate, kLogoPlate), kLogoCorner, kAccentSoft),
    Shape(Mirrored(kLogoOrigin, true, true, kLogoPlate, kLogoPlate), kLogoCorner, kAccent),
};

// ---------------------------------------------------------------------------
// SceneWelcome: the grid card, a file window, a smart selection snapped to a
// block of the window with its handles, its tag and the pointer dragging it,
// and a note that names the feature.

constexpr Place kWelcomeCard = Tilted(416.0f, 108.0f);
// The grid is centred on the card: 12 columns and 13 rows one cell apart.
constexpr float kWelcomeColumn0 = (215.0f - 11.0f * kGridStep) / 2.0f;
constexpr float kWelcomeRow0 = (221.0f - 12.0f * kGridStep) / 2.0f;
constexpr float kWindowX = 458.0f, kWindowY = 116.0f;
constexpr float kSelX = 478.0f, kSelY = 216.0f, kSelW = 181.0f, kSelH = 112.0f;
constexpr Place kWelcomeNote = TiltedBack(392.0f, 326.0f);

constexpr SceneItem kWelcome[] = {
    // 0-25: the grid card.
    Shadowed(Box(kWelcomeCard, 215.0f, 221.0f, 3.0f, kGridCard), 0.0f, 7.0f, 15.0f, 0.07f),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 0 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 1 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 2 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 3 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 4 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 5 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 6 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 7 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 8 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 9 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 10 * kGridStep, kWelcomeColumn),
    GridColumn(kWelcomeCard, kWelcomeColumn0 + 11 * kGridStep, kWelcomeColumn),
    GridRow(kWelcomeCard, kWelcomeRow0 + 0 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 1 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 2 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 3 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 4 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 5 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 6 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 7 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 8 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 9 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 10 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 11 * kGridStep, kWelcomeRow),
    GridRow(kWelcomeCard, kWelcomeRow0 + 12 * kGridStep, kWelcomeRow),
    // 26-38: the file window with its title bar and two file rows.
    Shadowed(Box(Upright(kWindowX, kWindowY), 226.0f, 226.0f, 8.0f, kWhite, kCardBorder, 1.0f), 0.0f, 10.0f,
             18.0f, 0.10f),
    Oval(Upright(kWindowX + 13.0f, kWindowY + 10.0f), 7.0f, 7.0f, kDotRed),
    Oval(Upright(kWindowX + 24.0f, kWindowY + 10.0f), 7.0f, 7.0f, kDotAmber),
    Oval(Upright(kWindowX + 35.0f, kWindowY + 10.0f), 7.0f, 7.0f, kDotGreen),
    Shape(Upright(kWindowX, kWindowY + 27.0f), L"M 0 0 L 226 0", 0, kHairline, 1.0f),
    Box(Upright(kWindowX + 8.0f, kWindowY + 33.0f), 210.0f, 24.0f, 5.0f, 0xFFF3F7FE),
    Shape(Upright(kWindowX + 16.0f, kWindowY + 39.0f), kFolderGlyph, kBlueMid),
    Label(Upright(kWindowX + 40.0f, kWindowY + 35.0f), L"项目资料", 140.0f, 20.0f, 12.0f, kNavy),
    Shape(Upright(kWindowX + 17.5f, kWindowY + 63.0f), kPageGlyph, 0xFFC5D3E6),
    Label(Upright(kWindowX + 40.0f, kWindowY + 61.0f), L"工作文档", 165.0f, 20.0f, 12.0f, kNavy),
    Box(Upright(kWindowX + 146.0f, kWindowY + 9.0f), 68.0f, 10.0f, 5.0f, kPlaceholderLight),
    Box(Upright(kWindowX + 184.0f, kWindowY + 43.0f), 26.0f, 5.0f, 2.5f, kBlueTint),
    Box(Upright(kWindowX + 184.0f, kWindowY + 69.0f), 26.0f, 5.0f, 2.5f, kPlaceholder),
    // 39-50: the smart selection, its content, handles and tag.
    Box(Upright(kSelX, kSelY), kSelW, kSelH, 2.0f, kPaleBlue, kAccent, 1.5f),
    Label(Upright(kSelX + 14.0f, kSelY + 10.0f), L"需要的内容", 145.0f, 20.0f, 13.0f, kNavy),
    Label(Upright(kSelX + 14.0f, kSelY + 30.0f), L"窗口、控件、段落", 145.0f, 28.0f, 10.0f, kGrey),
    Box(Upright(kSelX + 14.0f, kSelY + 66.0f), 52.0f, 32.0f, 4.0f, kBlueTint),
    Box(Upright(kSelX + 76.0f, kSelY + 70.0f), 88.0f, 6.0f, 3.0f, kBlueTint),
    Box(Upright(kSelX + 76.0f, kSelY + 84.0f), 62.0f, 6.0f, 3.0f, kBlueTint),
    Box(Upright(kSelX - 3.5f, kSelY - 3.5f), 7.0f, 7.0f, 1.5f, kWhite, kAccent, 1.5f),
    Box(Upright(kSelX + kSelW - 3.5f, kSelY - 3.5f), 7.0f, 7.0f, 1.5f, kWhite, kAccent, 1.5f),
    Box(Upright(kSelX - 3.5f, kSelY + kSelH - 3.5f), 7.0f, 7.0f, 1.5f, kWhite, kAccent, 1.5f),
    Box(Upright(kSelX + kSelW - 3.5f, kSelY + kSelH - 3.5f), 7.0f, 7.0f, 1.5f, kWhite, kAccent, 1.5f),
    Box(Upright(kSelX + 8.0f, kSelY - 15.0f), 98.0f, 15.0f, 3.0f, kAccent),
    Label(Upright(kSelX + 14.0f, kSelY - 15.0f), L"自动识别区域", 88.0f, 15.0f, 9.0f, kWhite),
    // 51-56: the note.
    Shadowed(Box(kWelcomeNote, 212.0f, 62.0f, 8.0f, kWhite, kCardBorder, 1.0f), 0.0f, 8.0f, 14.0f, 0.10f),
    Oval(kWelcomeNote.At(12.0f, 12.0f), 22.0f, 22.0f, kAccent),
    Line(kWelcomeNote.At(17.0f, 17.0f), kNoteMark, kWhite, 1.6f),
    Shape(Upright(640.0f, 66.0f), kSparkle, kAccentSoft),
    Label(kWelcomeNote.At(42.0f, 11.0f), L"智能框选", 160.0f, 17.0f, 12.0f, kAccent),
    Label(kWelcomeNote.At(42.0f, 30.0f), L"紧贴边缘，分毫不差", 168.0f, 21.0f, 14.0f, kNavy),
    // 57: the pointer dragging the bottom-right handle.
    Shape(Upright(kSelX + kSelW + 1.0f, kSelY + kSelH + 1.0f), kPointer, kNavy, kWhite, 1.2f),
};

// ---------------------------------------------------------------------------
// SceneComplete: the grid card, a window with a freshly captured picture in
// its capture frame, a floating toolbar and a "ready" toast.

constexpr Place kCompleteCard = Tilted(404.0f, 82.0f);
constexpr float kCompleteStep = 2.0f * kGridStep;
constexpr float kShotX = 456.0f, kShotY = 128.0f;

constexpr SceneItem kComplete[] = {
    // 0-15: the grid card with a coarser grid.
    Shadowed(Box(kCompleteCard, 236.0f, 236.0f, 3.0f, kGridCard), 0.0f, 7.0f, 15.0f, 0.07f),
    GridColumn(kCompleteCard, 1 * kCompleteStep, L"M 0 0 L 0 236"),
    GridColumn(kCompleteCard, 2 * kCompleteStep, L"M 0 0 L 0 236"),
    GridColumn(kCompleteCard, 3 * kCompleteStep, L"M 0 0 L 0 236"),
    GridColumn(kCompleteCard, 4 * kCompleteStep, L"M 0 0 L 0 236"),
    GridColumn(kCompleteCard, 5 * kCompleteStep, L"M 0 0 L 0 236"),
    GridColumn(kCompleteCard, 6 * kCompleteStep, L"M 0 0 L 0 236"),
    GridColumn(kCompleteCard, 0.5f * kCompleteStep, L"M 0 0 L 0 236"),
    GridRow(kCompleteCard, 0.5f * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 1 * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 2 * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 3 * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 4 * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 5 * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 6 * kCompleteStep, L"M 0 0 L 236 0"),
    GridRow(kCompleteCard, 1.5f * kCompleteStep, L"M 0 0 L 236 0"),
    // 16-27: the window and its captured picture.
    Shadowed(Box(Upright(kShotX - 14.0f, kShotY - 36.0f), 232.0f, 206.0f, 8.0f, kWhite, kCardBorder, 1.0f), 0.0f,
             10.0f, 18.0f, 0.10f),
    Oval(Upright(kShotX - 1.0f, kShotY - 26.0f), 7.0f, 7.0f, kDotRed),
    Oval(Upright(kShotX + 10.0f, kShotY - 26.0f), 7.0f, 7.0f, kDotAmber),
    Oval(Upright(kShotX + 21.0f, kShotY - 26.0f), 7.0f, 7.0f, kDotGreen),
    Shape(Upright(kShotX - 14.0f, kShotY - 9.0f), L"M 0 0 L 232 0", 0, kHairline, 1.0f),
    Box(Upright(kShotX + 6.0f, kShotY + 6.0f), 192.0f, 104.0f, 3.0f, kGridCard),
    Oval(Upright(kShotX + 146.0f, kShotY + 22.0f), 20.0f, 20.0f, kWhite),
    Shape(Upright(kShotX + 6.0f, kShotY + 38.0f), kHillBack, kBlueMid),
    Shape(Upright(kShotX + 6.0f, kShotY + 38.0f), kHillFront, kAccent),
    Box(Upright(kShotX, kShotY + 124.0f), 118.0f, 6.0f, 3.0f, kPlaceholder),
    Box(Upright(kShotX, kShotY + 138.0f), 78.0f, 6.0f, 3.0f, kPlaceholderLight),
    Line(Upright(kShotX, kShotY), kShotFrame, kAccent, 2.0f),
    // 28-32: the toast.
    Shadowed(Box(Upright(398.0f, 300.0f), 236.0f, 66.0f, 12.0f, kWhite, kCardBorder, 1.0f), 0.0f, 10.0f, 18.0f,
             0.12f),
    Oval(Upright(413.0f, 315.0f), 36.0f, 36.0f, kAccent),
    Line(Upright(424.5f, 328.0f), kCheck, kWhite, 2.4f),
    Label(Upright(462.0f, 308.0f), L"准备就绪", 140.0f, 25.0f, 15.0f, kNavy),
    Label(Upright(462.0f, 331.0f), L"记录屏幕上的一切", 155.0f, 24.0f, 12.0f, kGrey),
    // 33-34: sparkles.
    Shape(Upright(668.0f, 70.0f), kSparkle, kAccent),
    Shape(Upright(648.0f, 60.0f), kSparkleTiny, kAccentSoft),
    // 35-39: the floating capture toolbar.
    Shadowed(Box(Upright(540.0f, 76.0f), 122.0f, 32.0f, 16.0f, kWhite, kCardBorder, 1.0f), 0.0f, 6.0f, 12.0f,
             0.10f),
    Line(Upright(554.0f, 85.0f), kToolCrop, kAccent, 1.5f),
    Line(Upright(582.0f, 85.0f), kToolPen, kGrey, 1.3f),
    Line(Upright(610.0f, 85.0f), kToolText, kGrey, 1.3f),
    Line(Upright(638.0f, 85.0f), kToolCopy, kGrey, 1.3f),
};

// ---------------------------------------------------------------------------
// SceneFarewell and SceneCleaned: the grid card, a white card with the blue
// emblem and a "thank you" bubble. Data kept: a small folder card rests
// beside it; data removed: the card says so and sparkles around the emblem.

constexpr Place kFarewellCard = Tilted(438.0f, 84.0f);
constexpr float kFarewellStep = 2.0f * kGridStep;
constexpr float kEmblemCardX = 472.0f, kEmblemCardY = 104.0f, kEmblemCardW = 180.0f, kEmblemCardH = 156.0f;
constexpr float kEmblemStroke = 3.64375f;

constexpr auto kFarewellBackdrop = List(
    Shadowed(Box(kFarewellCard, 214.0f, 196.0f, 3.0f, kGridCard), 0.0f, 7.0f, 15.0f, 0.07f),
        GridColumn(kFarewellCard, 0.5f * kFarewellStep, L"M 0 0 L 0 196"),
        GridColumn(kFarewellCard, 1.5f * kFarewellStep, L"M 0 0 L 0 196"),
        GridColumn(kFarewellCard, 2.5f * kFarewellStep, L"M 0 0 L 0 196"),
        GridColumn(kFarewellCard, 3.5f * kFarewellStep, L"M 0 0 L 0 196"),
        GridColumn(kFarewellCard, 4.5f * kFarewellStep, L"M 0 0 L 0 196"),
        GridRow(kFarewellCard, 0.5f * kFarewellStep, L"M 0 0 L 214 0"),
        GridRow(kFarewellCard, 1.5f * kFarewellStep, L"M 0 0 L 214 0"),
        GridRow(kFarewellCard, 2.5f * kFarewellStep, L"M 0 0 L 214 0"),
        GridRow(kFarewellCard, 3.5f * kFarewellStep, L"M 0 0 L 214 0"),
        GridRow(kFarewellCard, 4.5f * kFarewellStep, L"M 0 0 L 214 0"),
        Shadowed(Box(Upright(kEmblemCardX, kEmblemCardY), kEmblemCardW, kEmblemCardH, 12.0f, kWhite, kCardBorder,
                     1.0f),
                 0.0f, 10.0f, 18.0f, 0.10f),
        Oval(Upright(kEmblemCardX + 52.0f, kEmblemCardY + 20.0f), 76.0f, 76.0f, kPaleBlue),
        Line(Upright(kEmblemCardX + 66.0f, kEmblemCardY + 34.0f), kEmblem, kAccent, kEmblemStroke));

constexpr auto kThanksBubble = List(
    Shape(Upright(596.0f, 70.0f), kBubble, kAccent),
        Label(Upright(608.0f, 70.0f), L"谢谢", 72.0f, 32.0f, 12.0f, kWhite));

constexpr auto kFarewell = Join(
    kFarewellBackdrop,  // 0-13
    List(
    Box(Upright(kEmblemCardX + 44.0f, kEmblemCardY + 112.0f), 92.0f, 7.0f, 3.5f, kPlaceholder),
    Box(Upright(kEmblemCardX + 60.0f, kEmblemCardY + 127.0f), 60.0f, 7.0f, 3.5f, kPlaceholderLight)),
    kThanksBubble,  // 16-17
    List(
    // 18-21: the kept data: a small folder card.
    Shadowed(Box(Upright(412.0f, 222.0f), 96.0f, 52.0f, 10.0f, kWhite, kCardBorder, 1.0f), 0.0f, 8.0f, 14.0f, 0.10f),
    Shape(Upright(424.0f, 233.0f), kFolderLarge, kBlueMid),
    Box(Upright(456.0f, 237.0f), 40.0f, 5.0f, 2.5f, kPlaceholder),
    Box(Upright(456.0f, 248.0f), 26.0f, 5.0f, 2.5f, kPlaceholderLight),
    // 22-24: confetti.
    Shape(Upright(444.0f, 70.0f), kSparkle, kAccentSoft),
    Oval(Upright(664.0f, 150.0f), 9.0f, 9.0f, 0, kBlueMid, 1.5f),
    Box(Upright(424.0f, 178.0f), 6.0f, 6.0f, 1.5f, kBlueMid)));

constexpr auto kCleaned = Join(
    kFarewellBackdrop,  // 0-13
    List(
    Label(Upright(kEmblemCardX, kEmblemCardY + 106.0f), L"已完成清理", kEmblemCardW, 36.0f, 14.0f, kNavy)),
    kThanksBubble,  // 15-16
    List(
    // 17-19: a cleared card with a check badge where the data was.
    Shadowed(Box(Upright(412.0f, 222.0f), 96.0f, 52.0f, 10.0f, kWhite, kCardBorder, 1.0f), 0.0f, 8.0f, 14.0f, 0.10f),
    Oval(Upright(424.0f, 234.0f), 28.0f, 28.0f, kPaleBlue),
    Line(Upright(431.5f, 243.0f), kCheck, kAccent, 2.2f),
    Box(Upright(462.0f, 240.0f), 32.0f, 5.0f, 2.5f, kPlaceholderLight),
    // 21-25: sparkles around the emblem.
    Shape(Upright(kEmblemCardX + 36.0f, kEmblemCardY + 22.0f), kSparkle, kAccent),
    Shape(Upright(kEmblemCardX + 134.0f, kEmblemCardY + 70.0f), kSparkleSmall, kAccentSoft),
    Shape(Upright(444.0f, 70.0f), kSparkle, kAccentSoft),
    Oval(Upright(664.0f, 150.0f), 9.0f, 9.0f, 0, kBlueMid, 1.5f),
    Box(Upright(424.0f, 178.0f), 6.0f, 6.0f, 1.5f, kBlueMid)));


// ---------------------------------------------------------------------------
// SceneInstalling and SceneUninstalling: the grid card and the app's card:
// files fly into it while installing, out of it (fading) while uninstalling.
// Both keep above the progress band (y 300) and right of the step list.

constexpr Place kProgressCard = Tilted(458.0f, 82.0f);
constexpr float kProgressStep = 2.0f * kGridStep;
constexpr float kAppX = 478.0f, kAppY = 112.0f, kAppW = 188.0f, kAppH = 150.0f;

constexpr auto kProgressBackdrop = List(
    Shadowed(Box(kProgressCard, 200.0f, 196.0f, 3.0f, kGridCard), 0.0f, 7.0f, 15.0f, 0.07f),
        GridColumn(kProgressCard, 0.5f * kProgressStep, L"M 0 0 L 0 196"),
        GridColumn(kProgressCard, 1.5f * kProgressStep, L"M 0 0 L 0 196"),
        GridColumn(kProgressCard, 2.5f * kProgressStep, L"M 0 0 L 0 196"),
        GridColumn(kProgressCard, 3.5f * kProgressStep, L"M 0 0 L 0 196"),
        GridColumn(kProgressCard, 4.5f * kProgressStep, L"M 0 0 L 0 196"),
        GridRow(kProgressCard, 0.5f * kProgressStep, L"M 0 0 L 200 0"),
        GridRow(kProgressCard, 1.5f * kProgressStep, L"M 0 0 L 200 0"),
        GridRow(kProgressCard, 2.5f * kProgressStep, L"M 0 0 L 200 0"),
        GridRow(kProgressCard, 3.5f * kProgressStep, L"M 0 0 L 200 0"),
        GridRow(kProgressCard, 4.5f * kProgressStep, L"M 0 0 L 200 0"));

constexpr auto kInstalling = Join(
    kProgressBackdrop,  // 0-10
    List(
    // 11-18: a second card behind and the app card with its tile and name.
    Box(Upright(kAppX + 16.0f, kAppY - 12.0f), kAppW - 32.0f, 40.0f, 10.0f, 0xFFF9FBFE, kCardBorder, 1.0f),
    Shadowed(Box(Upright(kAppX, kAppY), kAppW, kAppH, 12.0f, kWhite, kCardBorder, 1.0f), 0.0f, 10.0f, 18.0f, 0.10f),
    Box(Upright(kAppX + 18.0f, kAppY + 18.0f), 44.0f, 44.0f, 11.0f, kAccent),
    Line(Upright(kAppX + 27.0f, kAppY + 27.0f), kTileMark, kWhite, 2.2f),
    Label(Upright(kAppX + 74.0f, kAppY + 19.0f), L"Lumora", 100.0f, 24.0f, 16.0f, kNavy),
    Box(Upright(kAppX + 74.0f, kAppY + 48.0f), 64.0f, 6.0f, 3.0f, kPlaceholder),
    Box(Upright(kAppX + 18.0f, kAppY + 80.0f), kAppW - 36.0f, 6.0f, 3.0f, kGridCard),
    Box(Upright(kAppX + 18.0f, kAppY + 80.0f), (kAppW - 36.0f) * 0.62f, 6.0f, 3.0f, kAccent),
    // 19-24: files flying in.
    Shadowed(Box(Upright(610.0f, 56.0f), 32.0f, 36.0f, 7.0f, kWhite, kCardBorder, 1.0f), 0.0f, 5.0f, 10.0f, 0.10f),
    Shape(Upright(619.5f, 66.0f), kPageGlyph, kBlueMid),
    Shadowed(Box(Upright(654.0f, 92.0f), 26.0f, 28.0f, 6.0f, kWhite, kCardBorder, 1.0f), 0.0f, 4.0f, 8.0f, 0.08f),
    Shape(Upright(659.0f, 99.5f), kFolderGlyph, kAccentSoft),
    Oval(Upright(596.0f, 98.0f), 5.0f, 5.0f, kAccentSoft),
    Oval(Upright(588.0f, 108.0f), 3.5f, 3.5f, kBlueTint),
    // 25-29: a finished step and the one in progress.
    Oval(Upright(kAppX + 18.0f, kAppY + 100.0f), 14.0f, 14.0f, kPaleBlue),
    Line(Upright(kAppX + 21.5f, kAppY + 104.5f), L"M 0 2.6 L 2.4 5 L 7 0.2", kAccent, 1.5f),
    Box(Upright(kAppX + 40.0f, kAppY + 104.0f), 96.0f, 6.0f, 3.0f, kPlaceholder),
    Line(Upright(kAppX + 18.0f, kAppY + 120.0f),
         L"M 7 1.5 C 10.04 1.5 12.5 3.96 12.5 7 C 12.5 10.04 10.04 12.5 7 12.5 C 3.96 12.5 1.5 10.04 1.5 7",
         kAccent, 1.6f),
    Box(Upright(kAppX + 40.0f, kAppY + 124.0f), 70.0f, 6.0f, 3.0f, kPlaceholderLight)));

constexpr auto kUninstalling = Join(
    kProgressBackdrop,  // 0-10
    List(
    // 11-18: the outline the card leaves behind, and the card fading out.
    Line(Upright(kAppX + 20.0f, kAppY + 26.0f), kGhostOutline, kBlueMid, 1.4f),
    Shadowed(Box(Upright(kAppX - 6.0f, kAppY - 8.0f), 168.0f, 126.0f, 12.0f, kWhite, kCardBorder, 1.0f), 0.0f,
             10.0f, 18.0f, 0.10f),
    Box(Upright(kAppX + 12.0f, kAppY + 10.0f), 44.0f, 44.0f, 11.0f, 0xFFB8C2CF),
    Line(Upright(kAppX + 21.0f, kAppY + 19.0f), kTileMark, kWhite, 2.2f),
    Box(Upright(kAppX + 68.0f, kAppY + 16.0f), 74.0f, 8.0f, 4.0f, kPlaceholder),
    Box(Upright(kAppX + 68.0f, kAppY + 32.0f), 50.0f, 6.0f, 3.0f, kPlaceholderLight),
    Box(Upright(kAppX + 12.0f, kAppY + 76.0f), 132.0f, 6.0f, 3.0f, kGridCard),
    Box(Upright(kAppX + 12.0f, kAppY + 76.0f), 132.0f * 0.38f, 6.0f, 3.0f, kAccent),
    // 19-25: files leaving, fainter the further they go.
    Shadowed(Box(Upright(628.0f, 146.0f), 32.0f, 36.0f, 7.0f, 0xF2FFFFFF, kCardBorder, 1.0f), 0.0f, 5.0f, 10.0f,
             0.08f),
    Shape(Upright(637.5f, 156.0f), kPageGlyph, 0xE69DC3FF),
    Box(Upright(658.0f, 198.0f), 26.0f, 28.0f, 6.0f, 0xB3FFFFFF, 0xB3E2E7EE, 1.0f),
    Shape(Upright(663.0f, 205.5f), kFolderGlyph, 0x993388FF),
    Box(Upright(674.0f, 248.0f), 18.0f, 20.0f, 4.0f, 0x73FFFFFF, 0x73E2E7EE, 1.0f),
    Oval(Upright(668.0f, 184.0f), 4.0f, 4.0f, kAccentSoft),
    Oval(Upright(686.0f, 234.0f), 3.0f, 3.0f, kBlueMid)));


static_assert(std::size(kLogo) == 5);
static_assert(std::size(kWelcome) == 58);
static_assert(std::size(kComplete) == 40);
static_assert(std::size(kFarewell) == 25);
static_assert(std::size(kCleaned) == 26);
static_assert(std::size(kInstalling) == 30);
static_assert(std::size(kUninstalling) == 26);

}  // namespace

SceneTable GetScene(Scene scene) {
    switch (scene) {
        case SceneLogo: return {kLogo, std::size(kLogo)};
        case SceneWelcome: return {kWelcome, std::size(kWelcome)};
        case SceneComplete: return {kComplete, std::size(kComplete)};
        case SceneFarewell: return {kFarewell.data(), kFarewell.size()};
        case SceneCleaned: return {kCleaned.data(), kCleaned.size()};
        case SceneInstalling: return {kInstalling.data(), kInstalling.size()};
        case SceneUninstalling: return {kUninstalling.data(), kUninstalling.size()};
        default: return {nullptr, 0};
    }
}

}  // namespace lum
