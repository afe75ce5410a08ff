#pragma once

#include <glm/vec3.hpp>

class SoundManager;

// The sound calls a playing frame makes. SoundManager answers them in the
// game; tests record them.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    virtual void play(int id, float volume) = 0;
    virtual void play3D(int id, float minDistance, float maxDistance, float volume) = 0;
    virtual void pause(int id) = 0;
    virtual void update3D(int id, glm::vec3 soundPosition, glm::vec3 listenerPosition,
                          glm::vec3 listenerVelocity, glm::vec3 listenerForward,
                          glm::vec3 listenerUp) = 0;
};

// Hands the frame's calls to the game's SoundManager.
class SoundManagerSink : public SoundSink {
public:
    explicit SoundManagerSink(SoundManager& manager) : sounds(manager) {}
    void play(int id, float volume) override;
    void play3D(int id, float minDistance, float maxDistance, float volume) override;
    void pause(int id) override;
    void update3D(int id, glm::vec3 soundPosition, glm::vec3 listenerPosition,
                  glm::vec3 listenerVelocity, glm::vec3 listenerForward,
                  glm::vec3 listenerUp) override;

private:
    SoundManager& sounds;
};
