// The function keys act once on release, cycle their qualities, and only the
// texture keys re-filter; re-filtering reaches every texture with an image.
#include "app/DebugToggles.h"
#include "scene/Material.h"
#include "scene/Texture.h"

#include <gtest/gtest.h>

namespace {

Controls with(int key, bool pressed, bool held) {
    Controls c;
    c.pressed[static_cast<std::size_t>(key)] = pressed;
    c.held[static_cast<std::size_t>(key)] = held;
    return c;
}

TEST(DebugToggles, ActOnReleaseCycleAndRefilterOnlyForTextures) {
    bool fps = false, wire = false, culling = true, transparency = false;
    int sampling = 1, mipmap = 2, refilters = 0;
    const DebugSwitches switches{fps, wire, sampling, mipmap, culling, transparency};
    DebugKeyLatches latches;
    const auto release = [&](int key) {
        pollDebugToggles(with(key, true, true), latches, switches, [&] { ++refilters; });
        pollDebugToggles(with(key, true, true), latches, switches, [&] { ++refilters; });
        pollDebugToggles(with(key, false, false), latches, switches, [&] { ++refilters; });
    };
    release(Key::F2);
    release(Key::F3);
    release(Key::F8);
    release(Key::F9);
    EXPECT_TRUE(fps && wire && !culling && transparency);
    EXPECT_EQ(refilters, 0);
    const int mipmaps[] = {0, 1, 2, 0};
    for (const int want : mipmaps) {
        release(Key::F5);
        EXPECT_EQ(mipmap, want);
    }
    release(Key::F4);
    EXPECT_EQ(sampling, 0);
    release(Key::F4);
    EXPECT_EQ(sampling, 1);
    EXPECT_EQ(refilters, 6);
}

TEST(DebugToggles, RefilteringTakesEveryTextureWithAnImageOncePerUser) {
    Texture image, normals, none;
    image.id = 7;
    normals.id = 8;
    Material a{{}, {}, {}, 1.0f, &image, &normals};
    Material b{{}, {}, {}, 1.0f, &image, &none};
    const std::vector<const Material*> materials{&a, nullptr, &b};
    EXPECT_EQ(filterableTextures(materials), (std::vector<Texture*>{&image, &normals, &image}));
}

}  // namespace
