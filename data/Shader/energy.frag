#version 330 core

// A glowing orb of stored light: a pale core fading to a bright halo at the
// silhouette. It glows without any light on it so the player can find it in
// the dark, but stays well below the flashlight's cone. The flashlight sits
// beside the eye, so its location serves as the viewer.
in vec3 worldPosition;
in vec3 worldNormal;

uniform vec3 lightLocation;
uniform float opacity;
uniform int wireframe;

out vec4 fragColor;

void main() {
    vec3 n = worldNormal;
    if (dot(n, n) < 1e-8) {
        n = cross(dFdx(worldPosition), dFdy(worldPosition));
    }
    n = normalize(n);
    vec3 v = normalize(lightLocation - worldPosition);
    float facing = clamp(abs(dot(n, v)), 0.0, 1.0);
    float halo = pow(1.0 - facing, 2.0);
    float core = pow(facing, 4.0);

    vec3 colour = vec3(0.14, 0.34, 0.5) + vec3(0.16, 0.26, 0.26) * core + vec3(0.22, 0.36, 0.42) * halo;
    if (wireframe == 1) {
        colour += vec3(0.05, 0.3, 0.1);
    }
    // Translucent orbs are denser at the rim, as a glowing shell would be.
    float alpha = clamp(opacity + (1.0 - opacity) * 0.6 * halo, 0.0, 1.0);
    fragColor = vec4(colour, alpha);
}
