#include "app/FrameSounds.h"

#include <utility>

#include <glm/geometric.hpp>

#include "app/TriggerBoxes.h"
#include "audio/SoundManager.h"

namespace {

constexpr float musicVolume = 0.3f;
constexpr float footstepsVolume = 0.1f;
constexpr float tvMinDistance = 0.1f;
constexpr float enemyMinDistance = 100.0f;
constexpr float maxDistance = 10000.0f;

using Kind = SoundCall::Kind;

SoundCall play(int id, float volume) { return {Kind::Play, id, volume, 0.0f, 0.0f, glm::vec3(0.0f)}; }

SoundCall play3D(int id, float minDistance) {
    return {Kind::Play3D, id, 1.0f, minDistance, maxDistance, glm::vec3(0.0f)};
}

SoundCall place(int id, const glm::vec3& at) { return {Kind::Place, id, 1.0f, 0.0f, 0.0f, at}; }

}  // namespace

glm::vec3 behindListener(const Listener& listener) {
    return listener.position - glm::normalize(listener.direction);
}

std::vector<SoundCall> frameSounds(const SoundIds& ids, const Listener& listener) {
    const glm::vec3& eye = listener.position;
    std::vector<SoundCall> calls;
    calls.reserve(16);
    calls.push_back(play(ids.ambienceMusic, musicVolume));

    calls.push_back(place(ids.staticTvSound, staticTvPosition));
    calls.push_back(play3D(ids.staticTvSound, tvMinDistance));

    const std::pair<int, const TriggerBox&> voices[] = {{ids.voiceHelloSomebody, boxes::voice1},
                                                        {ids.voiceSomebodyHelp, boxes::voice2},
                                                        {ids.voiceWhatWasThat, boxes::voice3},
                                                        {ids.voiceWhereAmI, boxes::voice4}};
    for (const auto& [id, box] : voices) {
        if (box.contains(eye)) calls.push_back(play(id, 1.0f));
    }

    // The opening line: unpaused every frame, heard once at the first game.
    calls.push_back(play(ids.voiceWhereWhereAmI, 1.0f));

    // Nothing ever starts the breath; it is placed all the same.
    const glm::vec3 behind = behindListener(listener);
    calls.push_back(place(ids.enemyBreath, behind));
    calls.push_back(place(ids.enemyDistorted, behind));
    if (boxes::enemy1.contains(eye)) calls.push_back(play3D(ids.enemyDistorted, enemyMinDistance));
    calls.push_back(place(ids.enemyRawr, behind));
    if (boxes::enemy2.contains(eye)) calls.push_back(play3D(ids.enemyRawr, enemyMinDistance));

    if (listener.moving) {
        calls.push_back(play(ids.footstepsSound, footstepsVolume));
    } else {
        calls.push_back({Kind::Pause, ids.footstepsSound, 1.0f, 0.0f, 0.0f, glm::vec3(0.0f)});
    }
    return calls;
}

void playSounds(SoundManager& sounds, const std::vector<SoundCall>& calls, const Listener& listener) {
    for (const SoundCall& call : calls) {
        switch (call.kind) {
        case Kind::Play: sounds.play(call.id, call.volume); break;
        case Kind::Play3D: sounds.play3D(call.id, call.minDistance, call.maxDistance, call.volume); break;
        case Kind::Pause: sounds.pause(call.id); break;
        case Kind::Place:
            sounds.update3D(call.id, call.position, listener.position, glm::vec3(0.0f), listener.direction,
                            listener.up);
            break;
        }
    }
}
