#include "render/FrameCatchUp.h"

#include "app/Device.h"
#include "database/Database.h"
#include "database/ObjectType.h"
#include "render/FrameRenderer.h"
#include "textures/TextureTarget.h"

#include <algorithm>
#include <set>
#include <vector>

namespace {

// The render targets that a target's picture shows: what its load asked for by name, followed
// through visuals, models and textures, up to the targets met (their own visuals draw elsewhere).
std::vector<int> targetsShownBy(Database& objects, const std::vector<TextureTarget*>& targets, int index) {
    std::vector<int> shown;
    std::set<const Object*> seen;
    std::vector<Object*> open = objects.referencesOf(targets[index]);
    while (!open.empty()) {
        Object* object = open.back();
        open.pop_back();
        if (!seen.insert(object).second) continue;
        if (object->castTo(TypeTextureTarget) != nullptr) {
            const auto at = std::find(targets.begin(), targets.end(), object->castTo(TypeTextureTarget));
            if (at != targets.end()) shown.push_back(static_cast<int>(at - targets.begin()));
            continue;
        }
        for (Object* next : objects.referencesOf(object)) open.push_back(next);
    }
    return shown;
}

// For each render target, in the order they are drawn, whether catching up must draw it.
std::vector<bool> targetsToDraw(Database& objects) {
    const std::vector<TextureTarget*>& targets = TextureTarget::registry();
    std::vector<std::vector<int>> shows(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) shows[i] = targetsShownBy(objects, targets, static_cast<int>(i));
    // Targets are drawn in order at the start of a frame: one shows the last picture of any target
    // not drawn before it (itself included).
    std::vector<bool> draw(targets.size(), false);
    for (std::size_t i = 0; i < targets.size(); ++i)
        for (int j : shows[i])
            if (j >= static_cast<int>(i)) draw[std::size_t(j)] = true;
    // A target drawn for its last picture draws right only if what it shows is right too.
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            if (!draw[i]) continue;
            for (int j : shows[i]) {
                if (!draw[std::size_t(j)]) grew = true;
                draw[std::size_t(j)] = true;
            }
        }
    }
    return draw;
}

}  // namespace

bool FrameCatchUp::run(FrameRenderer& renderer, int frames, int fps, std::string* error,
                       const volatile std::sig_atomic_t* stop, int* ended) {
    if (ended != nullptr) *ended = -1;
    if (frames <= 0) return true;
    if (!device) {
        *error = "Cannot bring the production up to its first frame without a device";
        return false;
    }
    const std::vector<bool> draw = targetsToDraw(renderer.objects());
    const std::vector<TextureTarget*>& targets = TextureTarget::registry();
    for (std::size_t i = 0; i < targets.size(); ++i) targets[i]->keepDrawing(draw[i]);
    device->SkipDrawing(TRUE);
    // Time and step exactly as the render itself computes them, so that every step lands the same.
    const float delta = 1.0f / static_cast<float>(fps);
    bool complete = true;
    for (int n = 0; n < frames && complete; ++n) {
        const bool drew = renderer.render(static_cast<float>(double(n) / fps), delta);
        if (!drew && ended != nullptr && *ended < 0) *ended = n;
        complete = stop == nullptr || *stop == 0;
    }
    device->SkipDrawing(FALSE);
    for (TextureTarget* target : targets) target->keepDrawing(false);
    if (!complete) *error = "interrupted; nothing was written";
    return complete;
}
