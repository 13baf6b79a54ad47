// Text items of the vector scenes: the design text of an item names a
// language key and may override the item's box and size.
#pragma once

#include <string>

#include "draw/scenes.h"
#include "pages/screen_model.h"

namespace lum {

// The language key of a scene text item, from its own design text; a text
// without a row (the product name) is returned unchanged. Null means "".
std::wstring ResolveSceneText(const wchar_t* itemText);

// Where and how a scene text item is drawn, in item space.
struct SceneTextBox {
    float x = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    float fontSize = 0.0f;
    TextAlign align = TextAlign::Leading;
};

// The item's box with the overrides of its design text applied; cjk selects
// the box of the Chinese, Japanese and Korean texts where they differ.
SceneTextBox SceneTextLayout(const SceneItem& item, bool cjk);

// Draws the text items of the illustrations in the model's language.
class SceneTexts final : public SceneTextPainter {
public:
    explicit SceneTexts(const ScreenModel& model) : model_(model) {}
    void DrawSceneText(Canvas& canvas, const SceneItem& item) const override;

private:
    const ScreenModel& model_;
};

}  // namespace lum
