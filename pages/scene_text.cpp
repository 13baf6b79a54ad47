// Scene text items. The illustrations are designed around their Chinese
// copy, so each text item carries its Chinese design text; here it becomes a
// language key, and the box is adjusted where translations need more room or
// a different size.
#include "pages/scene_text.h"

#include <cwchar>


namespace lum {
namespace {

struct SceneTextRule {
    const wchar_t* designText;
    const wchar_t* key;
};

// "谢谢" and "已完成清理" are tested first, then the design texts of the page
// illustrations in the order the illustrations use them.
constexpr SceneTextRule kSceneTextRules[] = {
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

const wchar_t* KeyOf(const wchar_t* itemText) {
    if (itemText == nullptr) return nullptr;
    for (const SceneTextRule& rule : kSceneTextRules) {
        if (std::wcscmp(rule.designText, itemText) == 0) return rule.key;
    }
    return nullptr;
}

bool Is(const wchar_t* key, const wchar_t* name) { return key != nullptr && std::wcscmp(key, name) == 0; }

}  // namespace

std::wstring ResolveSceneText(const wchar_t* itemText) {
    if (itemText == nullptr) return {};
    const wchar_t* key = KeyOf(itemText);
    return key != nullptr ? std::wstring(key) : std::wstring(itemText);
}

SceneTextBox SceneTextLayout(const SceneItem& item, bool cjk) {
    SceneTextBox box;
    box.width = item.width;
    box.height = item.height;
    box.fontSize = item.fontSize;
    const wchar_t* key = KeyOf(item.text);
    if (Is(key, L"Project")) {
        box.width = 140.0f;
    } else if (Is(key, L"Document")) {
        box.width = 165.0f;
    } else if (Is(key, L"Content") || Is(key, L"Elements")) {
        box.width = 145.0f;
    } else if (Is(key, L"Detect")) {
        // The tag is tiny; only the ideographic scripts keep the design size.
        if (!cjk) box.fontSize = 8.0f;
    } else if (Is(key, L"SmartSelect")) {
        box.width = 160.0f;
        box.height = 17.0f;
    } else if (Is(key, L"CaptureNote")) {
        box.width = 168.0f;
        box.height = cjk ? 21.0f : 24.0f;
        box.fontSize = cjk ? 14.0f : 11.0f;
    } else if (Is(key, L"Ready")) {
        box.width = 140.0f;
        box.height = 25.0f;
    } else if (Is(key, L"Inspiration")) {
        box.x = 0.0f;
        box.width = 155.0f;
        box.height = 24.0f;
    } else if (Is(key, L"CleanupNote")) {
        box.x = (item.width - 160.0f) / 2.0f;
        box.width = 160.0f;
        box.height = item.height;
        box.align = TextAlign::Centre;
    }
    return box;
}

void SceneTexts::DrawSceneText(Canvas& canvas, const SceneItem& item) const {
    const std::wstring key = ResolveSceneText(item.text);
    if (key.empty()) return;
    const SceneTextBox box = SceneTextLayout(item, IsCjkLanguage(model_.language));
    canvas.DrawText(model_.Text(key), {box.x, 0.0f, box.width, box.height},
                    TextStyle{.size = box.fontSize, .color = item.fill, .align = box.align});
}

}  // namespace lum
