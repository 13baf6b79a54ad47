// Drawing a vector scene: every item with its own transform, in array order.
#include "draw/path_geometry.h"
#include "draw/scenes.h"

namespace lum {

void DrawScene(Canvas& canvas, Scene scene, float x, float y, float scale, const SceneTextPainter* texts) {
    if (scene < 0 || scene >= kSceneCount) return;
    const SceneTable table = GetScene(scene);
    DrawSceneItems(canvas, table.items, table.count, x, y, scale, texts);
}

void DrawSceneItems(Canvas& canvas, const SceneItem* items, size_t count, float x, float y, float scale,
                    const SceneTextPainter* texts) {
    ID2D1RenderTarget* target = canvas.target();
    if (!items || !canvas.active() || !target) return;

    D2D1_MATRIX_3X2_F outer{};
    target->GetTransform(&outer);
    const D2D1::Matrix3x2F placement = D2D1::Matrix3x2F::Scale(scale, scale) *
                                       D2D1::Matrix3x2F::Translation(x, y) *
                                       *D2D1::Matrix3x2F::ReinterpretBaseType(&outer);
    for (size_t i = 0; i < count; ++i) {
        const SceneItem& item = items[i];
        target->SetTransform(D2D1::Matrix3x2F(item.m11, item.m12, item.m21, item.m22, item.dx, item.dy) * placement);
        if (item.shadowOpacity > 0.0f) {
            canvas.SoftShadow(item.shadowX, item.shadowY, item.width, item.height, item.shadowSpread,
                              item.shadowOpacity);
        }
        switch (item.kind) {
            case ItemRoundRect:
                canvas.RoundRect(0.0f, 0.0f, item.width, item.height, item.fill, item.radius, item.stroke,
                                 item.strokeWidth);
                break;
            case ItemEllipse:
                canvas.Ellipse(item.width / 2.0f, item.height / 2.0f, item.width / 2.0f, item.height / 2.0f,
                               item.fill, item.stroke, item.strokeWidth);
                break;
            case ItemPath: {
                ID2D1PathGeometry* geometry = GetPathGeometry(item.path);
                if (!geometry) break;  // the rest of the scene is still drawn
                if (item.fill != 0) {
                    canvas.SetColor(item.fill);
                    target->FillGeometry(geometry, canvas.brush(), nullptr);
                }
                if (item.stroke != 0) {
                    canvas.SetColor(item.stroke);
                    target->DrawGeometry(geometry, canvas.brush(), item.strokeWidth,
                                         item.roundCaps ? RoundCapStrokeStyle() : nullptr);
                }
                break;
            }
            case ItemText:
                if (texts) texts->DrawSceneText(canvas, item);
                break;
            default:
                break;  // unknown kinds draw nothing
        }
    }
    target->SetTransform(outer);
}

}  // namespace lum
