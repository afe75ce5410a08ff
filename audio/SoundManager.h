#pragma once

#include <glm/vec3.hpp>

#include <memory>
#include <string>
#include <vector>

// Loads every sound of the game once and keeps one paused channel per sound.
// The game plays a sound by unpausing its channel, stops it by pausing it and
// silences everything by muting; it never starts a new channel during play.
// Ids are handed out 0, 1, 2... in load order.
//
// Asked for (tests), the mix goes to a loopback device that `update` renders
// into memory. Without a sound card nothing is mixed at all: `update` counts
// each playing channel's time itself, so one-shots still run out and the
// game just plays silently.
class SoundManager {
public:
    enum class Output {
        Device,   // the default output; Silent when none opens
        Loopback, // render the mix in memory only (tests)
        Silent,   // nothing mixed: channels only keep their time
    };

    static constexpr int maxChannels = 100;

    explicit SoundManager(Output output = Output::Device);
    ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Decodes the whole file now. A file that is missing or cannot be decoded
    // still gets its id; that sound then stays silent and calls on it do nothing.
    int load(const std::string& path, bool is3D, bool loop);

    // Sets the volume (clamped to 0..1) and unpauses. A channel already playing
    // keeps its place; a one-shot that has ended stays ended.
    void play(int id, float volume);
    // As play, and sets the distances over which a 3-D sound fades: full volume
    // up to minDistance, then minDistance / distance, no quieter beyond maxDistance.
    void play3D(int id, float minDistance, float maxDistance, float volume);
    void pause(int id);
    // The player's volume for this sound (clamped to 0..1): every play's
    // volume is multiplied by it. 1, the start, plays the volume as given.
    void setVolumeScale(int id, float scale);
    // Muting silences without pausing: muted channels keep advancing.
    void setMuteAll(bool mute);
    // Holds every playing channel where it is (the game's pause), and starts
    // those again where they were held.
    void pauseAll(bool paused);
    // Places a 3-D sound and the listener (velocity, forward and up as given).
    void update3D(int id, glm::vec3 soundPosition, glm::vec3 listenerPosition,
                  glm::vec3 listenerVelocity, glm::vec3 listenerForward, glm::vec3 listenerUp);
    // Once per frame: dt seconds pass for every playing channel (rendered into
    // memory on the loopback device).
    void update(double dt);

    // --- Inspection, for tests and diagnostics ---
    int soundCount() const;
    bool usesLoopback() const;
    int sampleRate() const;           // frames per second of the mix
    bool isPlaying(int id) const;
    bool hasExpired(int id) const;    // a one-shot that has played to its end
    bool isSilent(int id) const;      // missing or undecodable file
    int frameCount(int id) const;     // decoded length in frames, 0 when silent
    int channelCount(int id) const;   // channels of the decoded buffer (3-D: 1)
    double playbackOffset(int id) const; // seconds into the sound

    // Loopback only: renders `frames` frames of the stereo mix, interleaved
    // left/right floats, advancing every channel as update does.
    // Returns an empty vector on a real device.
    std::vector<float> renderMix(int frames);

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
