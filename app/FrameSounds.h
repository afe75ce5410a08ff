#pragma once

#include <glm/vec3.hpp>

class SoundSink;

// Ids of the game's sounds; the set-up loads them in this order, so the
// defaults are the ids it hands out.
struct SoundIds {
    int ambienceMusic = 0;
    int footstepsSound = 1;
    int staticTvSound = 2;
    int voiceHelloSomebody = 3;
    int voiceSomebodyHelp = 4;
    int voiceTwoWhatWasThat = 5;
    int voiceWhatWasThat = 6;
    int voiceWhereAmI = 7;
    int voiceWhereWhereAmI = 8;
    int enemyBreath = 9;
    int enemyDistorted = 10;
    int enemyRawr = 11;
};

// Where the player stands and looks; the listener of every 3-D call.
struct Listener {
    glm::vec3 position{0.0f};
    glm::vec3 direction{0.0f, 0.0f, 1.0f};
    glm::vec3 up{0.0f, 1.0f, 0.0f};
    bool moving = false;
};

// The television's hiss in the level.
inline constexpr glm::vec3 staticTvPosition{2.25f, 1.2f, -1.94f};

// The sounds of one playing frame, after the physics step. Playing resumes a
// paused channel, so a one-shot is heard once however often its box is
// entered, and the music and loops simply keep running.
void playFrameSounds(SoundSink& sounds, const SoundIds& ids, const Listener& listener);

// One unit behind the eye: where the enemy noises follow the player.
glm::vec3 behindListener(const Listener& listener);
