#include "pages/illustrations.h"

#include "draw/palette.h"
#include "pages/scene_text.h"

namespace lum {

std::optional<Scene> PageIllustration(const ScreenModel& model) {
    switch (model.page) {
    case PageWelcome:
        return SceneWelcome;
    case PageInstalling:
        return SceneInstalling;
    case PageInstalled:
        return SceneComplete;
    case PageUninstalling:
        return SceneUninstalling;
    case PageUninstalled:
        return (model.flags & FlagRemoveData) != 0 ? SceneCleaned : SceneFarewell;
    default:
        return std::nullopt;
    }
}

IllustrationCache::Key IllustrationCache::KeyOf(Scene scene, const ScreenModel& model, float scale) {
    Key key{scene, scale, IsCjkLanguage(model.language), {}};
    const SceneTable table = GetScene(scene);
    for (size_t i = 0; i < table.count; ++i) {
        if (table.items[i].kind != ItemText) continue;
        const std::wstring textKey = ResolveSceneText(table.items[i].text);
        key.texts.push_back(textKey.empty() ? std::wstring() : model.Text(textKey));
    }
    return key;
}

IllustrationCache::Entry* IllustrationCache::Find(const Key& key) {
    for (const std::unique_ptr<Entry>& entry : entries_) {
        if (entry->key == key) return entry.get();
    }
    return nullptr;
}

void IllustrationCache::Prepare(const ScreenModel& model, int width, int height, float scale) {
    const std::optional<Scene> scene = PageIllustration(model);
    if (!scene) return;
    Key key = KeyOf(*scene, model, scale);
    if (Find(key)) return;
    if (entries_.size() >= kLimit) entries_.clear();
    auto entry = std::make_unique<Entry>();
    entry->key = std::move(key);
    const SceneTexts texts(model);
    // An illustration that cannot be kept stays in the cache too, unkept, so
    // that later frames draw it without trying again.
    entry->patch.Redraw(width, height, scale, kPageBackground,
                        [&](Canvas& canvas) { DrawScene(canvas, *scene, 0, 0, 1, &texts); });
    entries_.push_back(std::move(entry));
}

bool IllustrationCache::Compose(Canvas& canvas, Scene scene, const ScreenModel& model) {
    Entry* entry = Find(KeyOf(scene, model, canvas.scale()));
    return entry && entry->patch.Compose(canvas);
}

void IllustrationCache::ReleaseTargetBitmaps() {
    for (const std::unique_ptr<Entry>& entry : entries_) entry->patch.ReleaseTargetBitmap();
}

bool IllustrationCache::HoldsTargetBitmaps() const {
    for (const std::unique_ptr<Entry>& entry : entries_) {
        if (entry->patch.HoldsTargetBitmap()) return true;
    }
    return false;
}

void DrawIllustration(Canvas& canvas, const PageFrame& frame) {
    const std::optional<Scene> scene = PageIllustration(frame.model);
    if (!scene || (frame.illustrations && frame.illustrations->Compose(canvas, *scene, frame.model))) return;
    const SceneTexts texts(frame.model);
    DrawScene(canvas, *scene, 0, 0, 1, &texts);
}

}  // namespace lum
