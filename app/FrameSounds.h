#pragma once

#include <glm/vec3.hpp>

#include <vector>

class SoundManager;

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

// One call a playing frame makes on the sound manager.
struct SoundCall {
    enum class Kind { Play, Play3D, Pause, Place };
    Kind kind = Kind::Play;
    int id = 0;
    float volume = 1.0f;
    float minDistance = 0.0f;  // Play3D
    float maxDistance = 0.0f;
    glm::vec3 position{0.0f};  // Place: where the sound is, heard from the listener
};

// The sounds of one playing frame, after the physics step, in the order
// they are made. Playing resumes a paused channel, so a one-shot is heard
// once however often its box is entered, and the music and loops simply
// keep running.
std::vector<SoundCall> frameSounds(const SoundIds& ids, const Listener& listener);

// Makes the calls on the game's sound manager.
void playSounds(SoundManager& sounds, const std::vector<SoundCall>& calls, const Listener& listener);

// One unit behind the eye: where the enemy noises follow the player.
glm::vec3 behindListener(const Listener& listener);
