#pragma once

#include "platform/Input.h"

#include <glm/vec3.hpp>

// The player: eye, view angles and vectors, walking and look speeds, head bob
// and look sway, and the values the HUD shows. Movement only proposes a
// horizontal displacement; the character controller decides where the eye
// ends up.
class Camera {
public:
    // Pitch limit for both mouse and pad (not pi/2: the look never reaches the pole).
    static constexpr float pitchLimit = 1.57f;
    // Stick travel ignored around the centre, as a fraction of full deflection.
    static constexpr float stickDeadZone = 0.25f;
    static constexpr float stickRescale = 1.3333334f;  // maps 0.25..1 back onto 0..1

    static constexpr float crouchEyeHeight = 0.6f;
    static constexpr float standEyeHeight = 1.2f;
    static constexpr float crouchSpeed = 1.0f;
    static constexpr float standSpeed = 1.5f;
    // CONFIG.txt's walking speeds scale the crouch and stand speeds: at these
    // defaults the player walks exactly at the two speeds above.
    static constexpr float defaultWalkSpeed = 1.0f;
    static constexpr float defaultPadSpeed = 5.0f;

    // Recomputes direction, right and up from the two angles.
    void updateVectors();
    // Mouse offset from the window centre in pixels (left and up positive).
    void mouseLook(float dx, float dy);
    // W, S, A, D; returns the horizontal displacement (x, 0, z).
    glm::dvec3 keyboardMove(bool forward, bool backward, bool left, bool right, float dt);
    // Sticks and the A button of pad 0; returns the horizontal displacement (x, 0, z).
    glm::dvec3 gamepadControl(float dt, const GamepadState& pad);
    // The crouch or stand values: eye height, both walking speeds (scaled by
    // the settings), crouching.
    void setCrouch(bool crouched);
    // Head bob from the clock t (seconds) and the decay of the look sway.
    void headBob(float t);

    // Stick axis to -1..1 with the dead zone removed.
    static float stickValue(std::int16_t axis);

    bool moving = false;      // the player asked to move this frame
    bool crouching = false;   // crouch values in force
    float lookDeltaX = 0.0f;  // last look input: mouse pixels or stick value
    float lookDeltaY = 0.0f;
    glm::vec3 position {0.0f};  // eye, world units
    float horizontalAngle = 0.0f;  // yaw, radians
    float verticalAngle = 0.0f;    // pitch, radians
    glm::vec3 direction {0.0f};
    glm::vec3 right {0.0f};
    glm::vec3 up {0.0f};
    float bobOffset = 0.0f;
    float swayX = 0.0f;  // look sway along right, -0.01..0.01
    float swayY = 0.0f;  // look sway along up, -0.01..0.01
    float walkSpeed = 0.0f;     // keyboard, units per second
    float mouseSpeed = 0.0f;    // radians per pixel
    float padSpeed = 0.0f;      // stick at full deflection, units per second
    float padLookSpeed = 0.0f;  // stick at full deflection, radians per second
    bool invertY = false;       // the mouse pushed down looks up
    bool invertPadY = false;    // the right stick pushed down looks up
    bool bob = true;            // the head bobs while walking
    float walkSpeedSetting = defaultWalkSpeed;  // CONFIG.txt's walk speed
    float padSpeedSetting = defaultPadSpeed;    // CONFIG.txt's game pad walk speed
    float lightIntensity = 0.0f;  // shader uniform "I"
    bool playing = false;         // a game is running
    float energy = 100.0f;        // light energy 0..100
    float fear = 0.0f;            // 0..100
    float pickups = 0.0f;         // collected and not yet used
    glm::vec3 startPosition {0.0f};  // where every game starts
    // The view every game starts with (CONFIG.txt's angles): a game after a
    // lost one looks the way the first did, not the way the player fell.
    float startHorizontalAngle = 0.0f;
    float startVerticalAngle = 0.0f;
};
