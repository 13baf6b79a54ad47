// Vector scenes: the product logo and the page illustrations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "draw/canvas.h"

namespace lum {

enum SceneKind : int32_t { ItemRoundRect = 0, ItemEllipse = 1, ItemText = 2, ItemPath = 3 };

struct SceneItem {
    int32_t kind;
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

// Draws every item of a scene, its origin at (x, y), its units times scale.
void DrawScene(Canvas& canvas, Scene scene, float x, float y, float scale);

// Draws count items in array order the way DrawScene draws a scene.
void DrawSceneItems(Canvas& canvas, const SceneItem* items, size_t count, float x, float y, float scale);

// Draws a text item of a scene in item space (the page scenes map the item's
// own text to a language key and a box).
void DrawSceneText(Canvas& canvas, const SceneItem& item);

}  // namespace lum
