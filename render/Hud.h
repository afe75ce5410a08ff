#pragma once

#include <string>
#include <vector>

#include <glm/vec4.hpp>

struct FrameView;

// The part of the window the HUD can draw on, as (u0, v0, u1, v1) of the
// full-window layer: the texels of the HUD image that are not black (rows
// from the bottom, as GL stores them, 3 bytes each) with a texel to spare for
// filtering, joined with the meters' troughs. The HUD program discards
// everything else, so drawing only this part gives the same picture.
// (0, 0, 1, 1) when there is no image.
glm::vec4 hudArea(const std::vector<unsigned char>& rgb, int width, int height);

// The values the HUD program gets: both meters as 0..1, and whether its
// own "E" cap shows beside the held orbs.
struct HudValues {
    float fear = 0.0f;
    float energy = 0.0f;
    int useKey = 0;
};
HudValues hudValues(const FrameView& view);

// Where the name of a use key other than E goes: in the slot after the held
// orbs, in window pixels from the top left, and the letters' height.
struct UseKeyLabel {
    std::string name;  // empty: nothing to write (not shown, or the HUD's E cap)
    float left = 0.0f;
    float top = 0.0f;
    float size = 0.0f;
};
UseKeyLabel useKeyLabel(const FrameView& view, int width, int height);
