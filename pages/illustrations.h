// The page illustrations kept as pixels: each is drawn once per scale and
// language over the page background and copied into later frames, where
// nothing else is drawn under it, so a frame looks exactly as if it had been
// drawn afresh. The shapes an illustration draws before its first text are
// kept once per scale as well: another language's picture starts from them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/scenes.h"
#include "draw/still_layer.h"
#include "pages/page_frame.h"
#include "pages/screen_model.h"

namespace lum {

// The illustration the model's page shows, if it shows one.
std::optional<Scene> PageIllustration(const ScreenModel& model);

class IllustrationCache {
public:
    // What it keeps at most: the six illustrations of one language and scale
    // and their shapes, in at most 4 M pixels (16 MB) with the newest one
    // counted in. Full, it is cleared whole.
    static constexpr size_t kLimit = 6;
    static constexpr size_t kPixelLimit = 4'000'000;

    // Draws the illustration of the model's page for frames of this pixel
    // size and scale, unless it is kept already. Call it outside any frame.
    void Prepare(const ScreenModel& model, int width, int height, float scale);
    // Copies the kept illustration onto the canvas; false (nothing drawn)
    // when none is kept for the scene, the model's texts and the canvas.
    bool Compose(Canvas& canvas, Scene scene, const ScreenModel& model);
    // Forgets the copies made for the render target just used (a render
    // gives its target back when it ends); the pixels stay.
    void ReleaseTargetBitmaps();
    bool HoldsTargetBitmaps() const;
    void Release() {
        entries_.clear();
        leads_.clear();
    }

private:
    // What an illustration's pixels depend on besides the frame's size.
    struct Key {
        Scene scene = SceneLogo;
        float scale = 0.0f;
        bool cjk = false;
        std::vector<std::wstring> texts;  // of its text items, in order
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        Key key;
        StillPatch patch;
    };
    // A scene's shapes before its first text, the same in every language:
    // an illustration in another language starts from them.
    struct Lead {
        Scene scene = SceneLogo;
        float scale = 0.0f;
        StillPatch patch;
    };
    static Key KeyOf(Scene scene, const ScreenModel& model, float scale);
    Entry* Find(const Key& key);
    StillPatch* LeadOf(Scene scene, size_t count, int width, int height, float scale);
    // Clears both lists when `pixels` more would not fit.
    void MakeRoom(size_t pixels);

    std::vector<std::unique_ptr<Entry>> entries_;
    std::vector<std::unique_ptr<Lead>> leads_;
};

// Draws the illustration of the frame's page: copied from the frame's cache
// when it holds it, else drawn.
void DrawIllustration(Canvas& canvas, const PageFrame& frame);

}  // namespace lum
