#include "app/DebugToggles.h"

#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"

void FrameRateCounter::count(double dt) {
    if (frameTime <= 1.0) {
        frameTime += dt;
        frameCount += 1;
    } else {
        framesPerSecond = frameCount;
        frameTime = dt;
        frameCount = 1;  // this frame's time opens the next window, so it counts there
    }
}

int FrameRateCounter::frameMilliseconds() const {
    return framesPerSecond == 0 ? 0 : 1000 / framesPerSecond;
}

void pollDebugToggles(const Controls& controls, DebugKeyLatches& keys, const DebugSwitches& switches,
                      const std::function<void()>& refilter) {
    auto& latch = keys.latches;
    if (latch[0].poll(controls, Key::F2)) {
        switches.showFps = !switches.showFps;
    }
    if (latch[1].poll(controls, Key::F3)) {
        switches.wireframe = !switches.wireframe;
    }
    if (latch[2].poll(controls, Key::F4)) {
        switches.samplingQuality = (switches.samplingQuality + 1) % 2;
        if (refilter) refilter();
    }
    if (latch[3].poll(controls, Key::F5)) {
        switches.mipmapQuality = (switches.mipmapQuality + 1) % 3;
        if (refilter) refilter();
    }
    if (latch[4].poll(controls, Key::F8)) {
        switches.frustumCulling = !switches.frustumCulling;
    }
    if (latch[5].poll(controls, Key::F9)) {
        switches.transparency = !switches.transparency;
    }
}

std::string textureQualityText(int samplingQuality, int mipmapQuality) {
    std::string text = "TSQ: ";
    text += samplingQuality == 0 ? "nearest" : "bilinear";
    text += "; MMQ: ";
    text += mipmapQuality == 0 ? "off" : mipmapQuality == 1 ? "nearest" : "linear";
    return text;
}

namespace {

void addIfImage(Texture* texture, std::vector<Texture*>& out) {
    if (texture != nullptr && texture->id != Texture::noImage) {
        out.push_back(texture);
    }
}

}  // namespace

std::vector<Texture*> filterableTextures(const std::vector<const Material*>& materials) {
    std::vector<Texture*> textures;
    for (const Material* material : materials) {
        if (material == nullptr) continue;
        addIfImage(material->diffuseTexture, textures);
        addIfImage(material->normalTexture, textures);
    }
    return textures;
}

std::vector<Texture*> filterableTextures(const std::vector<murk::SceneObject*>& objects) {
    std::vector<const Material*> materials;
    materials.reserve(objects.size());
    for (const murk::SceneObject* object : objects) {
        materials.push_back(object != nullptr ? object->material : nullptr);
    }
    return filterableTextures(materials);
}

void applyTextureFilters(const std::vector<murk::SceneObject*>& objects, int mipmapQuality,
                         int samplingQuality) {
    for (Texture* texture : filterableTextures(objects)) {
        texture->setFilter(mipmapQuality, samplingQuality);
    }
}
