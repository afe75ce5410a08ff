#version 330 core

// The HUD over the finished frame: "hud.png" with the two meters filled in.
// The layer spans the window and is drawn without blending, so every
// fragment that is not HUD is discarded and the scene stays visible. Black
// in hud.png (every channel below 0.03) counts as empty.
//
// The meters fill their troughs in hud.png from the left (tools/make-screens.sh
// draws the troughs, frames and labels), in window fractions from the
// bottom-left corner:
//   LIGHT (energy)  u 0.0625..0.2625, v 0.111111..0.127778
//   FEAR  (fear)    u 0.0625..0.2625, v 0.066667..0.083333
uniform sampler2D hudTexture;
uniform float fear;    // 0..1
uniform float energy;  // 0..1

in vec2 texCoord;
out vec4 fragColor;

const vec4 energyTrough = vec4(0.0625, 0.111111, 0.2625, 0.127778);  // u0, v0, u1, v1
const vec4 fearTrough = vec4(0.0625, 0.066667, 0.2625, 0.083333);

bool inside(vec4 box) {
    return texCoord.x >= box.x && texCoord.x <= box.z && texCoord.y >= box.y && texCoord.y <= box.w;
}

// The filled part of a trough, darker at its start and brighter towards the
// leading edge, with a faint lit top. Alpha 0 where the trough stays empty.
vec4 meter(vec4 box, float level, vec3 dim, vec3 bright) {
    float along = (texCoord.x - box.x) / (box.z - box.x);
    float filled = clamp(level, 0.0, 1.0);
    if (filled <= 0.0 || along > filled) {
        return vec4(0.0);
    }
    float across = (texCoord.y - box.y) / (box.w - box.y);
    vec3 colour = mix(dim, bright, along / filled);
    return vec4(colour * (0.85 + 0.15 * across), 1.0);
}

void main() {
    vec4 fill = vec4(0.0);
    if (inside(energyTrough)) {
        fill = meter(energyTrough, energy, vec3(0.35, 0.3, 0.15), vec3(0.8, 0.74, 0.48));
    } else if (inside(fearTrough)) {
        fill = meter(fearTrough, fear, vec3(0.35, 0.03, 0.02), vec3(0.8, 0.1, 0.05));
    }
    if (fill.a > 0.0) {
        fragColor = vec4(fill.rgb, 1.0);
        return;
    }
    vec3 image = texture(hudTexture, texCoord).rgb;
    if (max(image.r, max(image.g, image.b)) < 0.03) {
        discard;
    }
    fragColor = vec4(image, 1.0);
}
