#include "app/FrameSounds.h"

#include <glm/geometric.hpp>

#include "app/SoundSink.h"
#include "app/TriggerBoxes.h"

namespace {

constexpr float musicVolume = 0.3f;
constexpr float footstepsVolume = 0.1f;
constexpr float tvMinDistance = 0.1f;
constexpr float enemyMinDistance = 100.0f;
constexpr float maxDistance = 10000.0f;

void place(SoundSink& sounds, int id, const glm::vec3& at, const Listener& listener) {
    sounds.update3D(id, at, listener.position, glm::vec3(0.0f), listener.direction, listener.up);
}

void playInside(SoundSink& sounds, int id, const TriggerBox& box, const glm::vec3& eye) {
    if (box.contains(eye)) {
        sounds.play(id, 1.0f);
    }
}

}  // namespace

glm::vec3 behindListener(const Listener& listener) {
    return listener.position - glm::normalize(listener.direction);
}

void playFrameSounds(SoundSink& sounds, const SoundIds& ids, const Listener& listener) {
    const glm::vec3& eye = listener.position;

    sounds.play(ids.ambienceMusic, musicVolume);

    place(sounds, ids.staticTvSound, staticTvPosition, listener);
    sounds.play3D(ids.staticTvSound, tvMinDistance, maxDistance, 1.0f);

    playInside(sounds, ids.voiceHelloSomebody, boxes::voice1, eye);
    playInside(sounds, ids.voiceSomebodyHelp, boxes::voice2, eye);
    playInside(sounds, ids.voiceWhatWasThat, boxes::voice3, eye);
    playInside(sounds, ids.voiceWhereAmI, boxes::voice4, eye);

    // The opening line: unpaused every frame, heard once at the first game.
    sounds.play(ids.voiceWhereWhereAmI, 1.0f);

    // Nothing ever starts the breath; it is placed all the same.
    place(sounds, ids.enemyBreath, behindListener(listener), listener);
    place(sounds, ids.enemyDistorted, behindListener(listener), listener);
    if (boxes::enemy1.contains(eye)) {
        sounds.play3D(ids.enemyDistorted, enemyMinDistance, maxDistance, 1.0f);
    }
    place(sounds, ids.enemyRawr, behindListener(listener), listener);
    if (boxes::enemy2.contains(eye)) {
        sounds.play3D(ids.enemyRawr, enemyMinDistance, maxDistance, 1.0f);
    }

    if (listener.moving) {
        sounds.play(ids.footstepsSound, footstepsVolume);
    } else {
        sounds.pause(ids.footstepsSound);
    }
}
