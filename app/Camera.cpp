#include "app/Camera.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>

void Camera::updateVectors() {
    const double h = horizontalAngle;
    const double v = verticalAngle;
    direction = glm::vec3(static_cast<float>(std::sin(h) * std::cos(v)), static_cast<float>(std::sin(v)),
                          static_cast<float>(std::cos(h) * std::cos(v)));
    // 1.57, the same constant as the pitch limit, not pi/2.
    right = glm::vec3(static_cast<float>(std::sin(h - 1.57)), 0.0f, static_cast<float>(std::cos(h - 1.57)));
    up = glm::cross(right, direction);
}

void Camera::mouseLook(float dx, float dy) {
    horizontalAngle += mouseSpeed * dx;
    verticalAngle = std::clamp(verticalAngle + mouseSpeed * (invertY ? -dy : dy), -pitchLimit, pitchLimit);
    lookDeltaX = dx;
    lookDeltaY = dy;
    updateVectors();
}

glm::dvec3 Camera::keyboardMove(bool forward, bool backward, bool left, bool rightKey, float dt) {
    moving = forward || backward || left || rightKey;
    const float oldX = position.x;
    const float oldZ = position.z;
    const float step = walkSpeed * dt;
    if (forward) position += direction * step;
    if (backward) position -= direction * step;
    if (left) position -= right * step;
    if (rightKey) position += right * step;
    updateVectors();
    return {static_cast<double>(position.x) - oldX, 0.0, static_cast<double>(position.z) - oldZ};
}

float Camera::stickValue(std::int16_t axis) {
    const float a = std::max(static_cast<float>(axis) / 32767.0f, -1.0f);
    const float magnitude = std::fabs(a);
    const float live = magnitude < stickDeadZone ? 0.0f : std::copysign(magnitude - stickDeadZone, a);
    return live * stickRescale;
}

glm::dvec3 Camera::gamepadControl(float dt, const GamepadState& pad) {
    const float oldX = position.x;
    const float oldZ = position.z;

    const float lx = stickValue(pad.sThumbLX);
    const float ly = stickValue(pad.sThumbLY);
    const float rx = stickValue(pad.sThumbRX);
    const float ry = stickValue(pad.sThumbRY);

    moving = lx != 0.0f || ly != 0.0f;
    position += direction * (ly * padSpeed * dt);
    position += right * (lx * padSpeed * dt);

    horizontalAngle -= padLookSpeed * rx * dt;
    // Clamped like the mouse: past the pole the view turns upside down and
    // forward on the stick walks backwards.
    verticalAngle = std::clamp(verticalAngle + padLookSpeed * (invertPadY ? -ry : ry) * dt, -pitchLimit, pitchLimit);
    lookDeltaX = rx;
    lookDeltaY = ry;

    setCrouch(pad.wButtons == Pad::A);  // A alone; A with anything else stands

    updateVectors();
    return {static_cast<double>(position.x) - oldX, 0.0, static_cast<double>(position.z) - oldZ};
}

void Camera::setCrouch(bool crouched) {
    position.y = crouched ? crouchEyeHeight : standEyeHeight;
    const float speed = crouched ? crouchSpeed : standSpeed;
    walkSpeed = speed * (walkSpeedSetting / defaultWalkSpeed);
    padSpeed = speed * (padSpeedSetting / defaultPadSpeed);
    crouching = crouched;
}

namespace {

// Sway shrinks by the square of twice itself per frame without look input,
// so it slows as it nears rest; look input pushes it.
float swayStep(float sway, float lookDelta) {
    if (lookDelta == 0.0f) {
        const float d = (2.0f * sway) * (2.0f * sway);
        if (sway >= d) sway -= d;
        if (sway <= -d) sway += d;
    } else {
        sway += lookDelta / 1000.0f;
    }
    return sway;
}

}  // namespace

void Camera::headBob(float t) {
    if (!bob) {
        bobOffset = 0.0f;
    } else if (moving) {
        bobOffset = crouching ? std::sin(2.0f * t) * 0.25f : std::sin(6.0f * t) * 0.5f;
    } else {
        if (bobOffset >= 0.05f) bobOffset -= 0.05f;
        if (bobOffset <= -0.05f) bobOffset += 0.05f;
    }
    swayX = std::clamp(swayStep(swayX, lookDeltaX), -0.01f, 0.01f);
    swayY = std::clamp(swayStep(swayY, lookDeltaY), -0.01f, 0.01f);
}
