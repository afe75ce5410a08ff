#version 330 core

// Moments for variance shadow mapping: depth and depth squared.
// Depth is linear, the distance along the light's axis divided by the far
// plane (20), so 0..1 and evenly precise; a receiver gets the same value as
// (shadowTexMatrix * p).w / 20.
const float farPlane = 20.0;

in float lightDistance;
out vec4 fragColor;

void main() {
    float depth = lightDistance / farPlane;
    // The surface's own depth slope within the texel widens the variance,
    // which keeps sloped receivers from shadowing themselves.
    float dx = dFdx(depth);
    float dy = dFdy(depth);
    float moment2 = depth * depth + 0.25 * (dx * dx + dy * dy);
    fragColor = vec4(depth, moment2, 0.0, 1.0);
}
