// Vector scenes: the product logo and the page illustrations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "draw/canvas.h"

namespace lum {

enum SceneKind : int32_t { ItemRoundRect = 0, ItemEllipse = 1, ItemText = 2, ItemPath = 3 };

struct SceneItem {
    SceneKind kind;
    float m11, m12, m21, m22, dx, dy;  // item space -> scene space
    float width, height;
    float radius;
    Argb fill;    // text colour for texts; 0 = none
    Argb stroke;  // 0 = none
    float strokeWidth;
    const wchar_t* path;
    const wchar_t* text;  // design text identifying a text item
    float fontSize;
    float shadowX, shadowY, shadowSpread, shadowOpacity;
    uint8_t roundCaps;
};

enum Scene : int {
    SceneLogo,
    SceneWelcome,
    SceneComplete,
    SceneFarewell,
    SceneCleaned,
    SceneInstalling,
    SceneUninstalling,
    kSceneCount
};

struct SceneTable {
    const SceneItem* items;
    size_t count;
};
SceneTable GetScene(Scene scene);

// Draws the text items of a scene, in item space. The drawing layer knows no
// languages: the page layer maps an item's design text to a language key and a box.
class SceneTextPainter {
public:
    virtual void DrawSceneText(Canvas& canvas, const SceneItem& item) const = 0;

protected:
    ~SceneTextPainter() = default;
};

// Draws every item of a scene, its origin at (x, y), its units times scale.
// Text items are drawn by `texts`; without one they are left out.
void DrawScene(Canvas& canvas, Scene scene, float x, float y, float scale, const SceneTextPainter* texts = nullptr);

// Draws count items in array order the way DrawScene draws a scene.
void DrawSceneItems(Canvas& canvas, const SceneItem* items, size_t count, float x, float y, float scale,
                    const SceneTextPainter* texts = nullptr);

}  // namespace lum
