#version 330 core

// The held flashlight: barely lit from the front, its silhouette picked out
// by a cold rim whose strength follows the light's charge ("I"), so the
// player can read the energy off the lamp in hand as well as off the HUD.
// Built with GLOW, it is the hanging lamp's shade, glowing on its own.
in vec3 worldPosition;
in vec3 worldNormal;
in vec2 texCoord;

uniform sampler2D diffuseTexture;
uniform vec3 cameraLocation;
uniform float I;
uniform float ambient;
uniform int wireframe;

out vec4 fragColor;

void main() {
    vec3 base = texture(diffuseTexture, texCoord).rgb;
    vec3 n = worldNormal;
    if (dot(n, n) < 1e-8) {
        n = cross(dFdx(worldPosition), dFdy(worldPosition));
    }
    n = normalize(n);
    vec3 v = normalize(cameraLocation - worldPosition);
    float facing = abs(dot(n, v));
    float rim = pow(1.0 - facing, 3.0);

    vec3 colour = base * (0.06 + 0.5 * ambient);
#ifdef GLOW
    // The lamp's shade: lit from within by its own bulb, warm and brightest
    // on the inside (facing down) and at the rim, whatever the torch does.
    float inside = clamp(-n.y, 0.0, 1.0);
    colour += vec3(1.0, 0.72, 0.42) * (0.35 + 0.55 * inside + 0.3 * rim) + base * 0.15;
#else
    colour += vec3(0.55, 0.65, 0.8) * rim * (0.12 + 0.4 * clamp(I, 0.0, 1.0));
#endif
    if (wireframe == 1) {
        colour += vec3(0.05, 0.3, 0.1);
    }
    fragColor = vec4(colour, 1.0);
}
