#include "pages/illustrations.h"

#include <algorithm>

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

StillPatch* IllustrationCache::LeadOf(Scene scene, size_t count, int width, int height, float scale) {
    for (const std::unique_ptr<Lead>& lead : leads_) {
        if (lead->scene == scene && lead->scale == scale) return &lead->patch;
    }
    auto lead = std::make_unique<Lead>();
    lead->scene = scene;
    lead->scale = scale;
    const SceneTable table = GetScene(scene);
    lead->patch.Redraw(width, height, scale, kPageBackground,
                       [&](Canvas& canvas) { DrawSceneItems(canvas, table.items, count, 0, 0, 1); });
    if (leads_.size() >= kLimit) leads_.clear();
    MakeRoom(lead->patch.PixelCount());
    leads_.push_back(std::move(lead));
    return &leads_.back()->patch;
}

void IllustrationCache::Prepare(const ScreenModel& model, int width, int height, float scale) {
    const std::optional<Scene> scene = PageIllustration(model);
    if (!scene) return;
    Key key = KeyOf(*scene, model, scale);
    if (Find(key)) return;
    const SceneTable table = GetScene(*scene);
    size_t lead = 0;
    while (lead < table.count && table.items[lead].kind != ItemText) ++lead;
    StillPatch* shapes = lead > 0 ? LeadOf(*scene, lead, width, height, scale) : nullptr;
    auto entry = std::make_unique<Entry>();
    entry->key = std::move(key);
    const SceneTexts texts(model);
    // An illustration that cannot be kept stays in the cache too, unkept, so
    // that later frames draw it without trying again.
    entry->patch.Redraw(width, height, scale, kPageBackground, [&](Canvas& canvas) {
        if (!shapes || !shapes->Compose(canvas)) DrawSceneItems(canvas, table.items, lead, 0, 0, 1);
        DrawSceneItems(canvas, table.items + lead, table.count - lead, 0, 0, 1, &texts);
    });
    if (entries_.size() >= kLimit) entries_.clear();
    MakeRoom(entry->patch.PixelCount());
    entries_.push_back(std::move(entry));
}

void IllustrationCache::MakeRoom(size_t pixels) {
    size_t kept = pixels;
    for (const std::unique_ptr<Entry>& entry : entries_) kept += entry->patch.PixelCount();
    for (const std::unique_ptr<Lead>& lead : leads_) kept += lead->patch.PixelCount();
    if (kept <= kPixelLimit) return;
    entries_.clear();
    leads_.clear();
}

bool IllustrationCache::Compose(Canvas& canvas, Scene scene, const ScreenModel& model) {
    Entry* entry = Find(KeyOf(scene, model, canvas.scale()));
    return entry && entry->patch.Compose(canvas);
}

void IllustrationCache::ReleaseTargetBitmaps() {
    for (const std::unique_ptr<Entry>& entry : entries_) entry->patch.ReleaseTargetBitmap();
    for (const std::unique_ptr<Lead>& lead : leads_) lead->patch.ReleaseTargetBitmap();
}

bool IllustrationCache::HoldsTargetBitmaps() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const auto& e) { return e->patch.HoldsTargetBitmap(); }) ||
           std::any_of(leads_.begin(), leads_.end(), [](const auto& l) { return l->patch.HoldsTargetBitmap(); });
}

void DrawIllustration(Canvas& canvas, const PageFrame& frame) {
    const std::optional<Scene> scene = PageIllustration(frame.model);
    if (!scene || (frame.illustrations && frame.illustrations->Compose(canvas, *scene, frame.model))) return;
    const SceneTexts texts(frame.model);
    DrawScene(canvas, *scene, 0, 0, 1, &texts);
}

}  // namespace lum
