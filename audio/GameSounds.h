#pragma once

// The game's twelve sounds: path relative to the working directory,
// positional, looping. Their position in this table is their sound id.
struct SoundFile {
    const char* path;
    bool is3D;
    bool loop;
};

inline constexpr SoundFile gameSounds[12] = {
    {"Assets/Music/Dream Ambience.mp3", false, true},
    {"Assets/Sounds/footsteps_concrete_01.ogg", false, true},
    {"Assets/Sounds/static tv.mp3", true, true},
    {"Assets/Sounds/tavi_hello somebody up there.wav", false, false},
    {"Assets/Sounds/tavi_somebody help.wav", false, false},
    {"Assets/Sounds/tavi_two what was that.wav", false, false},
    {"Assets/Sounds/tavi_what was that.wav", false, false},
    {"Assets/Sounds/tavi_where am i.wav", false, false},
    {"Assets/Sounds/tavi_where where am i.wav", false, false},
    {"Assets/Sounds/enemy_breath.wav", true, false},
    {"Assets/Sounds/enemy_distorted.wav", true, false},
    {"Assets/Sounds/enemy_rawr.wav", true, false},
};
