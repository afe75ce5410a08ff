#version 330 core

uniform sampler2D quadTexture;
// The player's gamma (F6, F7, CONFIG.txt). At 1, or left unset by a tool, the
// picture passes through untouched. PLAIN leaves the curve out altogether:
// a software rasteriser works out both sides of a branch for every pixel,
// so the curve costs as much as the copy even when it is not applied.
// OWN_TEXEL reads each pixel's own texel, for an image of the window's size:
// the same colour as filtering at the texel's centre, for a quarter of the reads.
// SCALED filters the drawn part up to the window, its reads kept within
// imageBounds (low x, low y, high x, high y) so nothing beside it bleeds in.
uniform float brightness;
#ifdef SCALED
uniform vec4 imageBounds;
#endif

in vec2 texCoord;
out vec4 fragColor;

void main() {
#if defined(SCALED)
    vec3 colour = texture(quadTexture, clamp(texCoord, imageBounds.xy, imageBounds.zw)).rgb;
#elif defined(OWN_TEXEL)
    vec3 colour = texelFetch(quadTexture, ivec2(gl_FragCoord.xy), 0).rgb;
#else
    vec3 colour = texture(quadTexture, texCoord).rgb;
#endif
#ifndef PLAIN
    if (brightness > 0.0 && brightness != 1.0) {
        colour = pow(colour, vec3(1.0 / brightness));
    }
#endif
    fragColor = vec4(colour, 1.0);
}
