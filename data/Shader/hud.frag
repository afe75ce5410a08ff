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
// Drawn on black parts of hud.png, only while there is something to show:
// one orb per held pick-up right of LIGHT, the use key after them while the
// game asks for it, and the brightness bar under FEAR.
uniform sampler2D hudTexture;
uniform float fear;    // 0..1
uniform float energy;  // 0..1
uniform float pickups;          // held, 0..3
uniform float pickupFlash;      // 1 as E uses one, fading to 0
uniform int useKey;             // 1: "E" in the slot after the last orb
uniform float brightness;       // 0.5..2.5
uniform float brightnessShown;  // seconds the bar is still shown

in vec2 texCoord;
out vec4 fragColor;

const vec4 energyTrough = vec4(0.0625, 0.111111, 0.2625, 0.127778);  // u0, v0, u1, v1
const vec4 fearTrough = vec4(0.0625, 0.066667, 0.2625, 0.083333);
const vec4 brightnessTrough = vec4(0.0625, 0.0375, 0.2625, 0.044444);
// The orbs in pixels of the 1280x720 layout, from the bottom left.
const vec2 layoutSize = vec2(1280.0, 720.0);
const vec2 firstOrb = vec2(356.0, 86.5);
const float orbSpacing = 18.0;
const float orbRadius = 6.0;

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

// A held pick-up: a pale disc, brightest at its centre.
vec4 orb() {
    vec2 pixel = texCoord * layoutSize;
    float slot = floor((pixel.x - firstOrb.x) / orbSpacing + 0.5);
    if (slot < 0.0 || slot >= pickups) {
        return vec4(0.0);
    }
    float distance = length(pixel - firstOrb - vec2(slot * orbSpacing, 0.0)) / orbRadius;
    if (distance > 1.0) {
        return vec4(0.0);
    }
    return vec4(mix(vec3(1.0, 0.95, 0.7), vec3(0.6, 0.5, 0.25), distance * distance), 1.0);
}

// The key that uses a pick-up: a pale "E" on a dark key cap, in the slot
// after the held orbs. Pixels of the 1280x720 layout from the slot's centre.
vec4 useKeyCap() {
    vec2 p = texCoord * layoutSize - firstOrb - vec2(pickups * orbSpacing, 0.0);
    float outside = length(max(abs(p) - vec2(5.0), vec2(0.0)));
    if (outside > 2.0) {
        return vec4(0.0);
    }
    if (outside > 1.0) {
        return vec4(0.55, 0.52, 0.45, 1.0);  // the cap's edge, as the troughs are framed
    }
    bool stem = p.x >= -4.0 && p.x < -2.0 && abs(p.y) <= 5.0;
    bool arms = p.x >= -4.0 && p.x <= 4.0 && abs(p.y) >= 3.0 && abs(p.y) <= 5.0;
    bool middle = p.x >= -4.0 && p.x <= 2.5 && abs(p.y) <= 1.0;
    if (stem || arms || middle) {
        return vec4(1.0, 0.95, 0.7, 1.0);
    }
    return vec4(0.14, 0.12, 0.09, 1.0);
}

// The brightness from 0.5 to 2.5 with a notch where the picture is as made.
vec4 brightnessBar() {
    float along = (texCoord.x - brightnessTrough.x) / (brightnessTrough.z - brightnessTrough.x);
    if (abs(along - 0.25) < 0.006) {
        return vec4(0.9, 0.9, 0.85, 1.0);
    }
    vec4 fill = meter(brightnessTrough, (brightness - 0.5) / 2.0, vec3(0.3), vec3(0.85, 0.85, 0.8));
    return fill.a > 0.0 ? fill : vec4(0.09, 0.08, 0.06, 1.0);
}

void main() {
    vec4 fill = vec4(0.0);
    if (inside(energyTrough)) {
        fill = meter(energyTrough, energy, vec3(0.35, 0.3, 0.15), vec3(0.8, 0.74, 0.48));
        if (fill.a > 0.0) {
            fill.rgb = mix(fill.rgb, vec3(1.0, 0.98, 0.9), pickupFlash);
        }
    } else if (pickups > 0.0 && texCoord.x > energyTrough.z && texCoord.y > energyTrough.y - 0.01 &&
               texCoord.y < energyTrough.w + 0.01) {
        fill = orb();
        if (fill.a == 0.0 && useKey != 0) {
            fill = useKeyCap();
        }
    } else if (brightnessShown > 0.0 && inside(brightnessTrough)) {
        fill = brightnessBar();
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
