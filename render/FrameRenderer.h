#pragma once

#include <cstddef>

#include <GL/glew.h>
#include <glm/mat4x4.hpp>

class Camera;
class ShaderProgram;
struct GameContext;

// Which scene objects each loop of the frame covers. Object 0 is never
// drawn, object 1 is the light held in front of the camera and the last
// three are the pick-ups. A level with fewer than five objects has no
// pick-ups: its objects from 1 on are all drawn in the opaque loop.
struct FrameLayout {
    std::size_t opaqueBegin = 1;  // [opaqueBegin, opaqueEnd)
    std::size_t opaqueEnd = 1;
    std::size_t pickupBegin = 0;  // [pickupBegin, pickupEnd)
    std::size_t pickupEnd = 0;
};
FrameLayout frameLayout(std::size_t objectCount);

// Objects up to this index are never culled (the first ones are close to
// the player and cheap).
constexpr std::size_t neverCulledUpTo = 4;

// The frame's matrices.
struct FrameMatrices {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::mat4 bias{1.0f};             // clip space -1..1 to texture space 0..1
    glm::mat4 lightProjection{1.0f};  // both spot lights
    glm::mat4 flashlightView{1.0f};
    glm::mat4 lampView{1.0f};
    glm::mat4 flashlightShadow{1.0f};  // bias * lightProjection * flashlightView
};
FrameMatrices frameMatrices(const GameContext& context);

// The flashlight model held 0.2 in front of the eye, below and to the right,
// turned with the camera and following the head bob and sway.
glm::mat4 heldLightMatrix(const Camera& camera, const glm::mat4& view);

// A collected pick-up carried beside the held light; listPosition is its
// place in the collected list (0..2), swing the lamp's three swing values.
glm::mat4 collectedPickupMatrix(const Camera& camera, const glm::mat4& view, std::size_t listPosition,
                                float swingA, float swingB, float swingC);

// "default" compiled without a light's terms (WITHOUT_FLASHLIGHT,
// WITHOUT_LAMP or both).
struct DefaultVariants {
    const ShaderProgram* withoutFlashlight = nullptr;
    const ShaderProgram* withoutLamp = nullptr;
    const ShaderProgram* withoutLights = nullptr;
};

// Work the renderer can leave out without changing the picture.
struct FrameShortcuts {
    // Lays down the opaque scene's depth first ("depth"), so each pixel is
    // lit once instead of once per covering surface.
    const ShaderProgram* depthProgram = nullptr;
    // Draws and blurs only the part of each shadow map its cone can read.
    bool shadowRegions = true;
    // Objects a light is off for, or whose box its cone cannot reach, are
    // drawn without that light's terms (all three set, or none).
    DefaultVariants defaultVariants;
};

// One whole frame: both shadow maps, the scene into the bloom chain's
// target, the bloom chain, then the screen or the scene with the HUD on the
// window. Fills the context's drawing counts. plainTexture stands in for
// missing diffuse textures.
void renderFrame(GameContext& context, GLuint plainTexture, const FrameShortcuts& shortcuts = {});
