#pragma once

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <GL/glew.h>
#include <glm/vec3.hpp>

#include "app/GameContext.h"
#include "scene/SceneObject.h"
#include "scene/SceneSetup.h"
#include "tests/support/GlContext.h"

namespace frametest {

constexpr int width = 160;  // 16:9 like the game's window
constexpr int height = 90;

// A scratch folder under the system's temporary directory, removed at the end.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::filesystem::path path;
};

void writeFile(const std::filesystem::path& path, const std::string& text);

// Wavefront text of axis-aligned boxes, one named object each.
struct Box {
    glm::vec3 centre;
    glm::vec3 half;
};
std::string boxesObj(const std::vector<Box>& boxes);

// A window, a context with small settings and the game set up from a scene
// file, silently. The working directory must be the game's data folder.
struct TestGame {
    // setUpNow false: call setUp() after changing the context.
    explicit TestGame(const std::string& sceneFile, bool setUpNow = true, int windowWidth = width,
                      int windowHeight = height);
    void setUp();

    std::string sceneFile;
    murk::test::GlContext gl;
    GameContext context;
    SceneAssets assets;
    std::ostringstream console;
};

// A box that records how the renderer had GL set up when it drew it.
struct DrawRecord {
    std::size_t index;
    bool cullFace;
    bool blend;
    bool depthWrites;
    GLint program;
    GLint framebuffer;
};

class ProbeObject : public murk::SceneObject {
public:
    ProbeObject(std::size_t index, ShaderProgram* program, Material* material, Box box,
                std::vector<DrawRecord>& log);
    void draw() override;

    std::size_t index;
    std::vector<DrawRecord>& log;
};

// Replaces the scene of `game` with boxes drawn by the given shaders (base
// names), one per entry, and rebuilds the uniform table. The probes, their
// programs and materials live in the returned holder.
struct ProbeScene {
    std::vector<std::unique_ptr<ShaderProgram>> programs;
    std::vector<std::unique_ptr<Material>> materials;
    std::vector<std::unique_ptr<ProbeObject>> objects;
    std::vector<DrawRecord> log;
};
std::unique_ptr<ProbeScene> makeProbeScene(GameContext& context, const std::vector<std::string>& shaders,
                                           const std::vector<Box>& boxes);

// The probes' draws into the scene target (not the shadow maps), in order.
std::vector<DrawRecord> sceneDraws(const ProbeScene& scene, const GameContext& context);
std::vector<std::size_t> drawOrder(const ProbeScene& scene, const GameContext& context);
// The scene-pass draw of object `index`, or null when it was not drawn.
const DrawRecord* findDraw(const ProbeScene& scene, const GameContext& context, std::size_t index);

}  // namespace frametest
