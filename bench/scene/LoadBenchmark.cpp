// Loads a generated level of 100 meshes (10 model files of 10 grids each,
// 10 diffuse textures and 10 normal maps of 512x512) and prints the time
// spent importing models, compiling programs, decoding images and uploading.
// Usage: scene_load_benchmark [shader directory [shader name]]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <glm/vec3.hpp>

#include "scene/ShaderProgram.h"
#include "scene/ModelLoader.h"
#include "scene/SceneObject.h"
#include "scene/World.h"
#include "bench/scene/BenchFiles.h"
#include "tests/support/GlContext.h"

namespace {

// One model file of ten 20x20-cell grids, each with its own material.
void writeModel(int model) {
    std::string obj = "mtllib level" + std::to_string(model) + ".mtl\n";
    std::string mtl;
    const int cells = 20;
    int base = 1;
    for (int g = 0; g < 10; ++g) {
        const std::string name = "m" + std::to_string(model) + "_" + std::to_string(g);
        mtl += "newmtl " + name + "\nmap_Kd tex" + std::to_string((model + g) % 10) + ".jpg\n";
        obj += "o " + name + "\nusemtl " + name + "\n";
        for (int y = 0; y <= cells; ++y) {
            for (int x = 0; x <= cells; ++x) {
                obj += "v " + std::to_string(model * 3 + x * 0.1) + " " +
                       std::to_string(g * 2.5 + y * 0.1) + " " +
                       std::to_string(0.05 * ((x * y) % 7)) + "\n";
                obj += "vt " + std::to_string(x / 4.0) + " " + std::to_string(y / 4.0) + "\n";
            }
        }
        for (int y = 0; y < cells; ++y) {
            for (int x = 0; x < cells; ++x) {
                const int a = base + y * (cells + 1) + x;
                const int b = a + 1;
                const int c = a + cells + 2;
                const int d = a + cells + 1;
                obj += "f " + std::to_string(a) + "/" + std::to_string(a) + " " +
                       std::to_string(b) + "/" + std::to_string(b) + " " + std::to_string(c) +
                       "/" + std::to_string(c) + " " + std::to_string(d) + "/" +
                       std::to_string(d) + "\n";
            }
        }
        base += (cells + 1) * (cells + 1);
    }
    murk::test::writeText("level" + std::to_string(model) + ".obj", obj);
    murk::test::writeText("level" + std::to_string(model) + ".mtl", mtl);
}

std::uint32_t noise(int x, int y) {
    const auto h = static_cast<std::uint32_t>(x * 73856093 ^ y * 19349663);
    return (h * 2654435761u) | 0xffu;
}

}  // namespace

int main(int argc, char** argv) {
    murk::test::GlContext gl(64, 64);
    if (!gl.ok()) {
        std::fprintf(stderr, "no GL context\n");
        return 1;
    }
    murk::test::TempWorkDir dir;
    std::string shaderName = "mesh";
    if (argc > 1) {
        std::filesystem::remove_all("Shader");
        std::filesystem::copy(argv[1], "Shader", std::filesystem::copy_options::recursive);
        shaderName = argc > 2 ? argv[2] : "default";
    }
    for (int i = 0; i < 10; ++i) {
        murk::test::writeImage("Assets/Textures/tex" + std::to_string(i) + ".jpg", FIF_JPEG, 512,
                               512, 24, noise);
        murk::test::writeImage("Assets/Textures/normal" + std::to_string(i) + ".png", FIF_PNG,
                               512, 512, 24, noise);
        writeModel(i);
    }

    World world(glm::vec3(0.0f, 1.8f, 0.0f));
    std::vector<murk::SceneObject*> objects;
    {
        ModelLoader loader(world, objects);
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i) {
            loader.loadModel("level" + std::to_string(i) + ".obj", shaderName, i < 5 ? "box" : "mesh",
                             1.0f, false, "normal" + std::to_string(i) + ".png");
        }
        glFinish();
        const double total =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("meshes loaded:        %zu\n", objects.size());
        std::printf("model import:         %.3f s\n", loader.importer.seconds);
        std::printf("program compile+link: %.3f s (%zu programs)\n", loader.programSeconds,
                     objects.size());
        std::printf("image decode+upload:  %.3f s (20 images of 512x512)\n",
                     loader.textureSeconds);
        std::printf("buffer upload:        %.3f s\n", loader.uploadSeconds);
        std::printf("total (with physics): %.3f s\n", total);

        // Drivers such as llvmpipe generate the shader code on first use,
        // so the first draw of each program belongs to its cost too.
        const auto drawStart = std::chrono::steady_clock::now();
        for (murk::SceneObject* object : objects) {
            object->shader->use();
            object->draw();
        }
        glFinish();
        std::printf("first draw of each:   %.3f s\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - drawStart)
                        .count());
        for (murk::SceneObject* object : objects) {
            delete object;
        }
    }
    world.releaseTextures();
    return 0;
}
