#version 330 core

// Two shadowed spot lights (0 the flashlight, 1 the hanging lamp) over a
// very dim ambient: outside the cones the level must stay dark, and the
// flashlight's cone is the brightest thing in it.
in vec3 worldPosition;
in vec3 worldNormal;
in vec4 worldTangent;
in vec2 texCoord;
in vec4 shadowCoord_0;
in vec4 shadowCoord_1;

uniform sampler2D diffuseTexture;
uniform sampler2D normalTexture;
uniform int nmType;  // -1: no normal map
uniform sampler2D shadowMap_0;
uniform sampler2D shadowMap_1;

uniform vec3 lightLocation_0;
uniform vec3 spotDir_0;  // points from the lit area back to the light
uniform float spotCutOff_0;
uniform float I_0;
uniform vec3 lightLocation_1;
uniform vec3 spotDir_1;
uniform float spotCutOff_1;
uniform float I_1;

uniform vec3 cameraLocation;
uniform float shininess;
uniform float ambientFactor;
uniform float opacity;
uniform int wireframe;
uniform float damage;

out vec4 fragColor;

// Must match the moments written by "varianceShadowMapping": linear depth
// along the light's axis over its far plane.
const float shadowFar = 20.0;
const float minVariance = 0.000002;
// Cuts the low end of the Chebyshev bound, where variance maps leak light
// through overlapping occluders.
const float bleedReduction = 0.35;

const vec3 flashlightColour = vec3(1.0, 0.96, 0.88);
const float flashlightStrength = 2.6;
const vec3 lampColour = vec3(1.0, 0.72, 0.42);
const float lampStrength = 1.1;
const float ambientScale = 0.3;
// Up close the torch would burn a wall to flat white. A camera stops down
// there: under nearReach the beam fades to nearFloor of its strength.
const float nearReach = 1.6;
const float nearFloor = 0.45;
// Pale paint would still reach white there: the paler the surface, the
// further out the fade starts and the lower it goes.
const float paleNearReach = 2.4;
const float paleNearFloor = 0.22;
// Above shoulder, light rolls off towards white instead of clipping, so a
// brightly lit wall keeps its texture.
const float shoulder = 0.7;

float visibility(sampler2D shadowMap, vec4 coord) {
    if (coord.w <= 0.0) {
        return 0.0;  // behind the light
    }
    vec2 at = coord.xy / coord.w;
    float depth = coord.w / shadowFar;
    // Level 0 only: the maps are filtered linearly, never mipmapped.
    vec2 moments = textureLod(shadowMap, at, 0.0).rg;
    if (depth <= moments.x) {
        return 1.0;
    }
    float variance = max(moments.y - moments.x * moments.x, minVariance);
    float d = depth - moments.x;
    float pMax = variance / (variance + d * d);
    return clamp((pMax - bleedReduction) / (1.0 - bleedReduction), 0.0, 1.0);
}

float nearRollOff(vec3 location, vec3 base) {
    float pale = smoothstep(0.45, 0.8, max(base.r, max(base.g, base.b)));
    float reach = mix(nearReach, paleNearReach, pale);
    return mix(mix(nearFloor, paleNearFloor, pale), 1.0, smoothstep(0.2, reach, distance(location, worldPosition)));
}

vec3 rollOff(vec3 c) {
    vec3 over = max(c - shoulder, 0.0);
    return min(c, shoulder) + (1.0 - shoulder) * (1.0 - exp(-over / (1.0 - shoulder)));
}

// Soft-edged cone with a brighter core; cutOff is the cosine of the half
// angle, spotDir points from the lit area back to the light.
float cone(vec3 location, vec3 spotDir, float cutOff) {
    float cosAngle = dot(normalize(location - worldPosition), normalize(spotDir));
    float edge = smoothstep(cutOff, mix(cutOff, 1.0, 0.4), cosAngle);
    float core = smoothstep(mix(cutOff, 1.0, 0.5), 1.0, cosAngle);
    return edge * (0.75 + 0.25 * core);
}

vec3 spotLight(vec3 n, vec3 base, vec3 location, float reach, float falloff, vec3 colour,
               sampler2D shadowMap, vec4 shadowCoord) {
    vec3 toLight = location - worldPosition;
    float distance = length(toLight);
    vec3 l = toLight / max(distance, 1e-4);
    float diffuse = max(dot(n, l), 0.0);
    if (reach <= 0.0 || diffuse <= 0.0) {
        return vec3(0.0);
    }
    reach *= visibility(shadowMap, shadowCoord);
    float attenuation = 1.0 / (1.0 + falloff * distance * distance);
    vec3 v = normalize(cameraLocation - worldPosition);
    vec3 h = normalize(l + v);
    float specular = shininess * pow(max(dot(n, h), 0.0), 24.0);
    return colour * reach * attenuation * (base * diffuse + vec3(specular * 0.35));
}

void main() {
    // Derivatives are taken here, outside the branches below.
    vec3 faceNormal = cross(dFdx(worldPosition), dFdy(worldPosition));
    vec2 uvDx = dFdx(texCoord);
    vec2 uvDy = dFdy(texCoord);
    vec3 base = texture(diffuseTexture, texCoord).rgb;
    vec3 colour = base * ambientFactor * ambientScale;

    // The renderer leaves a light out (WITHOUT_FLASHLIGHT, WITHOUT_LAMP) for
    // objects its cone cannot reach: the same picture for less work.
#ifdef WITHOUT_FLASHLIGHT
    float reach0 = 0.0;
#else
    float reach0 = I_0 > 0.0 ? cone(lightLocation_0, spotDir_0, spotCutOff_0) * I_0 * flashlightStrength * nearRollOff(lightLocation_0, base) : 0.0;
#endif
#ifdef WITHOUT_LAMP
    float reach1 = 0.0;
#else
    float reach1 = I_1 > 0.0 ? cone(lightLocation_1, spotDir_1, spotCutOff_1) * I_1 * lampStrength : 0.0;
#endif
    // Most of the level lies outside both cones and needs no normal or shadow.
    if (reach0 > 0.0 || reach1 > 0.0) {
        vec3 n = worldNormal;
        if (dot(n, n) < 1e-8) {
            n = faceNormal;  // a mesh without normals
        }
        n = normalize(n);
        vec3 t = worldTangent.xyz;
        if (nmType != -1 && dot(t, t) > 1e-8) {
            t = normalize(t - n * dot(n, t));
            vec3 b = cross(n, t) * (worldTangent.w < 0.0 ? -1.0 : 1.0);
            vec3 mapped = textureGrad(normalTexture, texCoord, uvDx, uvDy).rgb * 2.0 - 1.0;
            n = normalize(mat3(t, b, n) * mapped);
        }
#ifndef WITHOUT_FLASHLIGHT
        colour += spotLight(n, base, lightLocation_0, reach0, 0.09, flashlightColour, shadowMap_0, shadowCoord_0);
#endif
#ifndef WITHOUT_LAMP
        colour += spotLight(n, base, lightLocation_1, reach1, 0.12, lampColour, shadowMap_1, shadowCoord_1);
#endif
    }

#ifndef BELOW_SHOULDER
    // Left out only where the renderer knows the colour cannot reach the
    // shoulder, where the curve changes nothing.
    colour = rollOff(colour);
#endif
    colour = mix(colour, vec3(0.45, 0.0, 0.0), clamp(damage, 0.0, 1.0));
    if (wireframe == 1) {
        // Lines must show even where no light falls.
        colour += vec3(0.05, 0.3, 0.1);
    }
    fragColor = vec4(colour, opacity);
}
