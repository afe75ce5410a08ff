// Prints the GPU time of each shadow and bloom pass (GL_TIME_ELAPSED) at the
// game's default 1280x720 with 1024 x 1024 shadow maps.
// Usage: render_lighting_timing [frames] [shadowMapSize] [shadowBlur] [bloomBlur]
// The last two are program base names (default "gaussian", "gaussian_bloom"),
// so another kernel can be timed against the game's.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <unistd.h>

#include "render/Light.h"
#include "render/PostProcess.h"
#include "scene/ShaderProgram.h"
#include "render/ShadowMap.h"
#include "scene/SceneObject.h"
#include "tests/support/GlContext.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;

const char* const kPassNames[] = {
    "flashlight depth", "flashlight blur V", "flashlight blur H", "lamp depth",
    "lamp blur V",      "lamp blur H",       "bloom threshold",   "bloom blur V",
    "bloom blur H",     "bloom mix",
};
constexpr int kPasses = 10;

// An axis-aligned rectangle in the z = 0 plane, facing +z, placed by model.
murk::SceneObject* makeRectangle(ShaderProgram* program, float x0, float y0, float x1, float y1,
                                 const glm::mat4& model) {
    auto* object = new murk::SceneObject(model, program, nullptr);
    object->positions = {x0, y0, 0.0f, x1, y0, 0.0f, x1, y1, 0.0f, x0, y1, 0.0f};
    object->normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    object->indices = {0, 1, 2, 2, 3, 0};
    object->vertexCount = 4;
    object->indexCount = 6;
    object->setupBuffers();
    return object;
}

// A floor, a back wall and a few boxes' worth of panels between the two
// lights, plus the never-cast objects 0, 1 and the three pick-ups.
std::vector<murk::SceneObject*> makeScene(ShaderProgram* program) {
    std::vector<murk::SceneObject*> scene;
    const glm::mat4 identity(1.0f);
    for (int i = 0; i < 2; ++i) {
        scene.push_back(makeRectangle(program, -1, -1, 1, 1, identity));
    }
    scene.push_back(makeRectangle(
        program, -10, -10, 10, 10,
        glm::rotate(identity, -1.5708f, glm::vec3(1.0f, 0.0f, 0.0f))));  // floor y = 0
    scene.push_back(makeRectangle(program, -10, 0, 10, 4,
                                  glm::translate(identity, glm::vec3(0.0f, 0.0f, -8.0f))));
    for (int i = 0; i < 24; ++i) {
        const float x = static_cast<float>(i % 6) - 2.5f;
        const float z = -2.0f - static_cast<float>(i / 6) * 1.2f;
        scene.push_back(makeRectangle(program, -0.3f, 0.0f, 0.3f, 0.6f + 0.1f * static_cast<float>(i % 4),
                                      glm::translate(identity, glm::vec3(x, 0.0f, z))));
    }
    for (int i = 0; i < 3; ++i) {
        scene.push_back(makeRectangle(program, -1, -1, 1, 1, identity));
    }
    return scene;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int shadowMapSize = argc > 2 ? std::max(16, std::atoi(argv[2])) : 1024;
    const std::string shadowBlur = argc > 3 ? argv[3] : "gaussian";
    const std::string bloomBlur = argc > 4 ? argv[4] : "gaussian_bloom";
    if (chdir(MURK_DATA_DIR) != 0) {
        std::perror(MURK_DATA_DIR);
        return 1;
    }
    murk::test::GlContext gl(kWidth, kHeight);
    if (!gl.ok()) {
        std::fprintf(stderr, "no GL context\n");
        return 1;
    }
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    ShaderProgram casterProgram("Shader/varianceShadowMapping.vert",
                                "Shader/varianceShadowMapping.frag");
    std::vector<murk::SceneObject*> scene = makeScene(&casterProgram);
    auto makeMap = [&] {
        return new ShadowMap(shadowMapSize, shadowMapSize, GL_RG32F, GL_RG, GL_FLOAT, 0,
                             "varianceShadowMapping", shadowBlur);
    };
    Light flashlight(glm::vec3(0.2f, 1.5f, 1.0f), glm::vec3(1.0f), glm::vec3(0.0f, 0.3f, 1.0f),
                     0.95f, makeMap(), 1.0f);
    Light lamp(glm::vec3(0.0f, 3.0f, -3.0f), glm::vec3(1.0f), glm::vec3(0.0f, 1.0f, 0.0f), 0.85f,
               makeMap(), 1.0f);
    const glm::vec3 cameraUp(0.0f, 1.0f, 0.0f);
    const glm::vec3 lampUp(1.0f, 0.0f, 0.0f);
    PostProcess bloom(kWidth, kHeight, GL_RGBA8, GL_RGB, GL_UNSIGNED_BYTE, "threshold",
                      bloomBlur, "mix");

    // A scene image with bright patches, so the threshold lets some through.
    std::vector<unsigned char> image(static_cast<std::size_t>(kWidth * kHeight * 4));
    for (std::size_t i = 0; i < image.size(); ++i) {
        const std::size_t pixel = i / 4;
        const bool bright = (pixel % kWidth) / 160 % 2 == (pixel / kWidth) / 120 % 2;
        image[i] = static_cast<unsigned char>(bright ? 240 : (pixel * 7) % 90);
    }
    glBindTexture(GL_TEXTURE_2D, bloom.getSceneTexture());
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                    image.data());

    GLuint queries[kPasses];
    glGenQueries(kPasses, queries);
    std::vector<std::vector<double>> times(kPasses);
    const auto timed = [&](int pass, auto&& work) {
        glBeginQuery(GL_TIME_ELAPSED, queries[pass]);
        work();
        glEndQuery(GL_TIME_ELAPSED);
    };
    const int warmUp = 2;
    for (int frame = 0; frame < frames + warmUp; ++frame) {
        int pass = 0;
        for (Light* light : {&flashlight, &lamp}) {
            const glm::vec3& up = light == &flashlight ? cameraUp : lampUp;
            timed(pass++, [&] { renderShadowDepth(*light, up, scene); });
            timed(pass++, [&] { light->shadowMap->blurVertical(); });
            timed(pass++, [&] { light->shadowMap->blurHorizontal(); });
        }
        const PixelRect whole{0, 0, bloom.width, bloom.height};
        timed(pass++, [&] { bloom.thresholdPass(whole); });
        timed(pass++, [&] { bloom.blurVertical(whole); });
        timed(pass++, [&] { bloom.blurHorizontal(whole); });
        timed(pass++, [&] { bloom.mixPass(whole); });
        for (int i = 0; i < kPasses; ++i) {
            GLuint64 nanoseconds = 0;
            glGetQueryObjectui64v(queries[i], GL_QUERY_RESULT, &nanoseconds);
            if (frame >= warmUp) {
                times[static_cast<std::size_t>(i)].push_back(static_cast<double>(nanoseconds) * 1e-6);
            }
        }
    }
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        std::fprintf(stderr, "GL error %u\n", error);
    }

    // The minimum shows the cost without interference from other processes.
    std::printf("%dx%d, shadow maps %dx%d, %d casters, %d frames, blurs %s/%s (ms: median, min)\n",
                kWidth, kHeight, shadowMapSize, shadowMapSize,
                static_cast<int>(scene.size()) - 5, frames, shadowBlur.c_str(), bloomBlur.c_str());
    double totals[2][2] = {{0.0, 0.0}, {0.0, 0.0}};  // shadow, bloom x median, min
    for (int i = 0; i < kPasses; ++i) {
        auto& samples = times[static_cast<std::size_t>(i)];
        std::sort(samples.begin(), samples.end());
        const double median = samples[samples.size() / 2];
        totals[i < 6 ? 0 : 1][0] += median;
        totals[i < 6 ? 0 : 1][1] += samples.front();
        std::printf("  %-18s %8.2f %8.2f\n", kPassNames[i], median, samples.front());
    }
    std::printf("  %-18s %8.2f %8.2f\n  %-18s %8.2f %8.2f\n", "shadow total", totals[0][0],
                totals[0][1], "bloom total", totals[1][0], totals[1][1]);

    glDeleteQueries(kPasses, queries);
    for (murk::SceneObject* object : scene) {
        delete object;
    }
    return 0;
}
