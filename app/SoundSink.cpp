#include "app/SoundSink.h"

#include "audio/SoundManager.h"

void SoundManagerSink::play(int id, float volume) {
    sounds.play(id, volume);
}

void SoundManagerSink::play3D(int id, float minDistance, float maxDistance, float volume) {
    sounds.play3D(id, minDistance, maxDistance, volume);
}

void SoundManagerSink::pause(int id) {
    sounds.pause(id);
}

void SoundManagerSink::update3D(int id, glm::vec3 soundPosition, glm::vec3 listenerPosition,
                                glm::vec3 listenerVelocity, glm::vec3 listenerForward,
                                glm::vec3 listenerUp) {
    sounds.update3D(id, soundPosition, listenerPosition, listenerVelocity, listenerForward,
                    listenerUp);
}
