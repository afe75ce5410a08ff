#pragma once

// Which volume a sound follows besides the master one.
enum class SoundKind { Music, Effect, Voice };

// The game's twelve sounds: path relative to the working directory,
// positional, looping, kind. Their position in this table is their sound id.
struct SoundFile {
    const char* path;
    bool is3D;
    bool loop;
    SoundKind kind;
};

inline constexpr SoundFile gameSounds[12] = {
    {"Assets/Music/Dream Ambience.mp3", false, true, SoundKind::Music},
    {"Assets/Sounds/footsteps_concrete_01.ogg", false, true, SoundKind::Effect},
    {"Assets/Sounds/static tv.mp3", true, true, SoundKind::Effect},
    {"Assets/Sounds/tavi_hello somebody up there.wav", false, false, SoundKind::Voice},
    {"Assets/Sounds/tavi_somebody help.wav", false, false, SoundKind::Voice},
    {"Assets/Sounds/tavi_two what was that.wav", false, false, SoundKind::Voice},
    {"Assets/Sounds/tavi_what was that.wav", false, false, SoundKind::Voice},
    {"Assets/Sounds/tavi_where am i.wav", false, false, SoundKind::Voice},
    {"Assets/Sounds/tavi_where where am i.wav", false, false, SoundKind::Voice},
    {"Assets/Sounds/enemy_breath.wav", true, false, SoundKind::Effect},
    {"Assets/Sounds/enemy_distorted.wav", true, false, SoundKind::Effect},
    {"Assets/Sounds/enemy_rawr.wav", true, false, SoundKind::Effect},
};
