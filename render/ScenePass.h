#pragma once

// The scene pass: the level's objects lit by the flashlight and the lamp
// into the scene's target, after its depth was laid down. Each object is lit
// by "default" with only the lights that can reach it, and only inside the
// screen rectangles their cones can cover.
#include <memory>
#include <vector>

#include <GL/glew.h>
#include <glm/mat4x4.hpp>

#include "render/FrameView.h"
#include "render/LightReach.h"
#include "render/ScreenBounds.h"
#include "scene/SceneObject.h"

struct DrawCounts;
class Light;
class ShaderProgram;
struct UniformTable;

// The frame's matrices.
struct FrameMatrices {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::mat4 bias{1.0f};  // clip space -1..1 to texture space 0..1
    glm::mat4 lightProjection{1.0f};
    glm::mat4 flashlightShadow{1.0f};  // bias * lightProjection * flashlight's view
    glm::mat4 lampShadow{1.0f};
};

FrameMatrices frameMatrices(const FrameView& view, const Light& flashlight, const Light& lamp);

// Where each light falls this frame (ScenePass::lightUse).
struct LightUse {
    WorldBox lit[2];                  // the lit parts of objects drawn by screen area
    bool always[2] = {false, false};  // some other drawn object takes the light
};

// "default" compiled without the flashlight, without the lamp, without both,
// and without both and the highlight roll-off, for an ambient too dim to
// reach it. Needs a current GL context.
struct LightingVariants {
    LightingVariants();
    ~LightingVariants();
    LightingVariants(const LightingVariants&) = delete;
    LightingVariants& operator=(const LightingVariants&) = delete;
    std::unique_ptr<ShaderProgram> withoutFlashlight, withoutLamp, withoutLights, withoutLightsDim;
};

// A unit cube from (0, 0, 0) to (1, 1, 1), positions only, for `program`:
// boxes drawn against the scene's depth.
class UnitCube : public murk::SceneObject {
public:
    explicit UnitCube(ShaderProgram* program);
};

// One query per object, asking whether its box shows against the depth pass.
struct ObjectQueries {
    explicit ObjectQueries(ShaderProgram* depthProgram) : cube(depthProgram), program(depthProgram) {}
    ~ObjectQueries();
    ObjectQueries(const ObjectQueries&) = delete;
    ObjectQueries& operator=(const ObjectQueries&) = delete;
    // At least `count` queries.
    void reserve(std::size_t count);

    UnitCube cube;
    ShaderProgram* program;
    std::vector<GLuint> queries;
};

// What the renderer lends the scene pass for a frame.
struct SceneInputs {
    const Light* lights[2] = {nullptr, nullptr};  // flashlight, lamp, with their shadow maps
    const LightingVariants* variants = nullptr;
    const UniformTable* table = nullptr;
    GLuint plainTexture = 0;  // grey, for objects without a diffuse texture
    ObjectQueries* queries = nullptr;  // null: every object in view is lit
};

// Lays down the depth of the opaque objects "default" lights, and sets the
// stencil so the lit pass lights each pixel once.
void depthPass(const FrameView& view, const FrameMatrices& m, const ShaderProgram& program);

// One frame's scene pass over the view's objects.
class ScenePass {
public:
    ScenePass(const FrameView& view, const FrameMatrices& m, const SceneInputs& inputs, DrawCounts& counts);
    ~ScenePass();
    ScenePass(const ScenePass&) = delete;
    ScenePass& operator=(const ScenePass&) = delete;

    // Lets objects a light cannot reach use "default" without that light.
    void leaveOutUnreachedLights();
    // Which drawn "default" objects each light may fall on.
    LightUse lightUse(bool byScreenArea) const;
    // Draws into the bound target: opaque objects in scene order (after the
    // depth pass when depthFirst, split by the lights' screen areas when
    // byScreenArea), the pick-ups, then the translucent ones when the view
    // asks for transparency.
    void draw(bool depthFirst, bool byScreenArea);
    // Where the bloom's bright pass can find anything above its threshold.
    PixelRect brightArea() const;

private:
    class Objects;
    std::unique_ptr<Objects> work;
    const FrameView& view;
    ObjectQueries* queries;
};
