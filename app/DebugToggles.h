#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/KeyLatch.h"

class Texture;
struct Material;
namespace murk {
class SceneObject;
}

// Frames counted over windows of about one second.
struct FrameRateCounter {
    int frameCount = 0;
    double frameTime = 0.0;
    int framesPerSecond = 0;  // 0 until the first window has closed

    // Once per playing frame. The frame that closes a window opens the next
    // one with its time and is counted there.
    void count(double dt);
    // Integer part of 1000 / framesPerSecond, 0 while there is no rate yet.
    int frameMilliseconds() const;
};

// The settings the function keys switch, wherever they live.
struct DebugSwitches {
    bool& showFps;
    bool& wireframe;
    int& samplingQuality;  // 0 nearest, 1 bilinear
    int& mipmapQuality;    // 0 off, 1 nearest, 2 linear
    bool& frustumCulling;
    bool& transparency;
};

// One latch per function key, in polling order F2, F3, F4, F5, F8, F9.
struct DebugKeyLatches {
    std::array<KeyLatch, 6> latches{};
};

// Polls the six keys in order; each acts on its release. refilter runs after
// a texture quality changed.
void pollDebugToggles(const Controls& controls, DebugKeyLatches& keys, const DebugSwitches& switches,
                      const std::function<void()>& refilter);

// "TSQ: " + sampling name + "; MMQ: " + mipmap name.
std::string textureQualityText(int samplingQuality, int mipmapQuality);

// The textures of every object that re-filtering touches, in object order,
// diffuse before normal map. Textures without an image are skipped; a shared
// texture comes once per object that uses it.
std::vector<Texture*> filterableTextures(const std::vector<murk::SceneObject*>& objects);
std::vector<Texture*> filterableTextures(const std::vector<const Material*>& materials);

// Applies the two qualities to every texture of the scene (needs GL).
void applyTextureFilters(const std::vector<murk::SceneObject*>& objects, int mipmapQuality,
                         int samplingQuality);
