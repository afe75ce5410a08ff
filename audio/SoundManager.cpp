#include "audio/SoundManager.h"

#include "audio/AudioOutput.h"
#include "audio/SoundDecoder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace {

// One loaded sound and the one source that plays it. A sound whose file could
// not be decoded, or that came after the channel limit, has no source.
struct Channel {
    ALuint buffer = 0;
    ALuint source = 0;
    bool hasSource = false;
    bool is3D = false;
    bool loop = false;
    bool expired = false; // a one-shot that has played to its end
    float volume = 1.0f;
    float scale = 1.0f;  // the player's volume for it
    double played = 0.0; // seconds into the sound, counted only when nothing mixes
    // What OpenAL was last told: the game repeats the same values every
    // frame, and each call costs a lock and, on a playing source, an update.
    float sentGain = -1.0f;
    float sentReference = -1.0f;
    float sentMaximum = -1.0f;
    glm::vec3 sentPosition{0.0f};
    bool placed = false;
    // The state the manager last gave the source. Only a device's mixer
    // changes it behind our back, by ending a one-shot.
    ALint state = AL_INITIAL;
    int frames = 0;
    int channels = 0;
    int rate = 0;
};

float clampVolume(float volume)
{
    // OpenAL rejects negative gains; NaN counts as silence.
    if (!(volume > 0.0f))
        return 0.0f;
    return std::min(volume, 1.0f);
}

ALint askState(ALuint source)
{
    ALint state = AL_INITIAL;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    return state;
}

bool usableDirection(glm::vec3 v)
{
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return std::isfinite(length) && length > 1e-6f;
}

}

struct SoundManager::Impl {
    AudioOutput output;
    std::vector<Channel> channels;
    bool muted = false;
    std::vector<int> held; // ids pauseAll stopped, to start again on resume
    double pendingFrames = 0.0; // fraction of a frame carried between updates
    std::array<float, 12> sentListener{}; // position, velocity, forward, up
    bool listenerPlaced = false;

    explicit Impl(AudioOutput::Want want) : output(want) {}

    // The channel for calls that change a sound; null when the id is unknown,
    // the sound is silent, or a one-shot is known to have run out.
    Channel* playable(int id)
    {
        if (id < 0 || id >= static_cast<int>(channels.size()))
            return nullptr;
        Channel& channel = channels[static_cast<size_t>(id)];
        return channel.hasSource && !channel.expired ? &channel : nullptr;
    }

    // As playable, after asking the source whether a one-shot has ended.
    Channel* live(int id)
    {
        Channel* channel = playable(id);
        if (channel)
            latchExpiry(*channel);
        return channel && !channel->expired ? channel : nullptr;
    }

    const Channel* find(int id) const
    {
        if (id < 0 || id >= static_cast<int>(channels.size()))
            return nullptr;
        return &channels[static_cast<size_t>(id)];
    }

    // A loop changes state only when told to, and without a device nothing
    // ends a one-shot but keepTime: then the manager's own record answers.
    bool knowsState(const Channel& channel) const { return channel.loop || output.unheard(); }

    ALint sourceState(const Channel& channel) const
    {
        return knowsState(channel) ? channel.state : askState(channel.source);
    }

    // Pausing the footsteps every frame the player stands still costs nothing.
    void setState(Channel& channel, ALint state) const
    {
        if (knowsState(channel) && channel.state == state)
            return;
        if (state == AL_PLAYING)
            alSourcePlay(channel.source);
        else if (state == AL_PAUSED)
            alSourcePause(channel.source);
        else
            alSourceStop(channel.source);
        channel.state = state;
    }

    // OpenAL would restart a stopped source on the next play; the game wants
    // a one-shot heard once, so remember that it has ended.
    void latchExpiry(Channel& channel) const
    {
        if (channel.hasSource && !channel.loop && !channel.expired && sourceState(channel) == AL_STOPPED)
            channel.expired = true;
    }

    void applyGain(Channel& channel) const
    {
        const float gain = muted ? 0.0f : channel.volume * channel.scale;
        if (gain == channel.sentGain)
            return;
        alSourcef(channel.source, AL_GAIN, gain);
        channel.sentGain = gain;
    }

    void start(Channel& channel, float volume)
    {
        // The state is read once: a device mixes on its own thread, and a
        // one-shot it stops between two reads would be started again.
        const ALint state = sourceState(channel);
        if (!channel.loop && state == AL_STOPPED) {
            channel.expired = true;
            return;
        }
        channel.volume = clampVolume(volume);
        applyGain(channel);
        // alSourcePlay on a playing source rewinds it; on a paused one it resumes.
        if (state != AL_PLAYING)
            setState(channel, AL_PLAYING);
    }

    void latchAll()
    {
        for (Channel& channel : channels)
            latchExpiry(channel);
    }

    // Without a device nothing mixes, and so nothing moves the sources on:
    // count each playing channel's time here and end a one-shot where a mix
    // would have run out of it.
    void keepTime(double dt)
    {
        for (Channel& channel : channels) {
            if (!channel.hasSource || channel.expired || channel.state != AL_PLAYING)
                continue;
            channel.played += dt;
            const double length = channel.rate > 0 ? static_cast<double>(channel.frames) / channel.rate : 0.0;
            if (channel.played < length)
                continue;
            if (channel.loop) {
                channel.played = length > 0.0 ? std::fmod(channel.played, length) : 0.0;
                continue;
            }
            setState(channel, AL_STOPPED);
            channel.expired = true;
        }
    }
};

SoundManager::SoundManager(Output output)
    : impl(std::make_unique<Impl>(output == Output::Device     ? AudioOutput::Want::Device
                                  : output == Output::Loopback ? AudioOutput::Want::Loopback
                                                               : AudioOutput::Want::Silent))
{
    if (!impl->output.ready()) {
        std::printf("sound output cannot be opened; playing without sound\n");
        return;
    }
    // Distances as the game gives them: full volume up to the minimum
    // distance, then minimum / distance, held at the maximum distance.
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    alDopplerFactor(0.0f);
}

SoundManager::~SoundManager()
{
    if (!impl->output.ready())
        return;
    for (Channel& channel : impl->channels) {
        if (!channel.hasSource)
            continue;
        alSourceStop(channel.source);
        alSourcei(channel.source, AL_BUFFER, 0);
        alDeleteSources(1, &channel.source);
        alDeleteBuffers(1, &channel.buffer);
    }
}

int SoundManager::load(const std::string& path, bool is3D, bool loop)
{
    const int id = static_cast<int>(impl->channels.size());
    Channel& channel = impl->channels.emplace_back();
    channel.is3D = is3D;
    channel.loop = loop;
    if (!impl->output.ready())
        return id;
    if (id >= maxChannels) {
        std::printf("sound not loaded, all %d channels in use: %s\n", maxChannels, path.c_str());
        return id;
    }

    // OpenAL neither pans nor attenuates a stereo buffer, so positional sounds
    // are mixed down to mono here.
    DecodedSound sound;
    std::string error;
    if (!decodeSound(path, is3D, sound, error)) {
        std::printf("sound not loaded: %s (%s)\n", path.c_str(), error.c_str());
        return id;
    }

    alGetError();
    alGenBuffers(1, &channel.buffer);
    alBufferData(channel.buffer, sound.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16,
                 sound.samples.data(),
                 static_cast<ALsizei>(sound.samples.size() * sizeof(sound.samples[0])),
                 sound.sampleRate);
    alGenSources(1, &channel.source);
    if (alGetError() != AL_NO_ERROR) {
        std::printf("sound not loaded: %s (OpenAL refused it)\n", path.c_str());
        alDeleteSources(1, &channel.source);
        alDeleteBuffers(1, &channel.buffer);
        channel.source = channel.buffer = 0;
        return id;
    }
    channel.hasSource = true;
    channel.frames = sound.frameCount();
    channel.channels = sound.channels;
    channel.rate = sound.sampleRate;

    const ALuint source = channel.source;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(channel.buffer));
    alSourcei(source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    impl->applyGain(channel);
    if (is3D) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(source, AL_ROLLOFF_FACTOR, 1.0f);
    } else {
        // Always at the listener, never fading with distance.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    }
    // The source stays in its initial state, silent, until the first play.
    return id;
}

void SoundManager::play(int id, float volume)
{
    if (Channel* channel = impl->playable(id))
        impl->start(*channel, volume);
}

void SoundManager::play3D(int id, float minDistance, float maxDistance, float volume)
{
    Channel* channel = impl->playable(id);
    if (!channel)
        return;
    if (channel->is3D) {
        const float reference = std::max(minDistance, 0.0f);
        const float maximum = std::max(maxDistance, 0.0f);
        if (reference != channel->sentReference) {
            alSourcef(channel->source, AL_REFERENCE_DISTANCE, reference);
            channel->sentReference = reference;
        }
        if (maximum != channel->sentMaximum) {
            alSourcef(channel->source, AL_MAX_DISTANCE, maximum);
            channel->sentMaximum = maximum;
        }
    }
    impl->start(*channel, volume);
}

void SoundManager::pause(int id)
{
    if (Channel* channel = impl->live(id))
        impl->setState(*channel, AL_PAUSED);
}

void SoundManager::setVolumeScale(int id, float scale)
{
    if (Channel* channel = impl->playable(id)) {
        channel->scale = clampVolume(scale);
        impl->applyGain(*channel);
    }
}

void SoundManager::setMuteAll(bool mute)
{
    // Every play sets its gain by the flag, so only a change is sent on.
    if (mute == impl->muted)
        return;
    impl->muted = mute;
    for (int id = 0; id < soundCount(); ++id)
        if (Channel* channel = impl->live(id))
            impl->applyGain(*channel);
}

void SoundManager::pauseAll(bool paused)
{
    if (paused) {
        for (int id = 0; id < soundCount(); ++id) {
            if (!isPlaying(id))
                continue;
            impl->setState(impl->channels[static_cast<size_t>(id)], AL_PAUSED);
            impl->held.push_back(id);
        }
        return;
    }
    for (const int id : impl->held)
        if (Channel* channel = impl->live(id))
            impl->setState(*channel, AL_PLAYING);
    impl->held.clear();
}

void SoundManager::update3D(int id, glm::vec3 soundPosition, glm::vec3 listenerPosition,
                            glm::vec3 listenerVelocity, glm::vec3 listenerForward,
                            glm::vec3 listenerUp)
{
    if (!impl->output.ready())
        return;
    // The listener stands where the camera is; sounds and listener share one
    // frame, +y up and right-handed like OpenAL's, so nothing is converted.
    // Every sound of a frame brings the same listener; it is sent once.
    const std::array<float, 12> listener{listenerPosition.x, listenerPosition.y, listenerPosition.z,
                                         listenerVelocity.x, listenerVelocity.y, listenerVelocity.z,
                                         listenerForward.x,  listenerForward.y,  listenerForward.z,
                                         listenerUp.x,       listenerUp.y,       listenerUp.z};
    if (!impl->listenerPlaced || listener != impl->sentListener) {
        alListener3f(AL_POSITION, listenerPosition.x, listenerPosition.y, listenerPosition.z);
        alListener3f(AL_VELOCITY, listenerVelocity.x, listenerVelocity.y, listenerVelocity.z);
        if (usableDirection(listenerForward) && usableDirection(listenerUp)) {
            const ALfloat orientation[6] = {listenerForward.x, listenerForward.y, listenerForward.z,
                                            listenerUp.x, listenerUp.y, listenerUp.z};
            alListenerfv(AL_ORIENTATION, orientation);
        }
        impl->sentListener = listener;
        impl->listenerPlaced = true;
    }
    Channel* channel = impl->playable(id);
    if (!channel || !channel->is3D || (channel->placed && soundPosition == channel->sentPosition))
        return;
    alSource3f(channel->source, AL_POSITION, soundPosition.x, soundPosition.y, soundPosition.z);
    channel->sentPosition = soundPosition;
    channel->placed = true;
}

void SoundManager::update(double dt)
{
    if (!impl->output.ready())
        return;
    if (impl->output.unheard()) {
        impl->keepTime(dt > 0.0 ? std::min(dt, 10.0) : 0.0);
        return;
    }
    if (impl->output.loopback() && dt > 0.0) {
        // Nobody hears this mix; rendering it is what moves time on.
        impl->pendingFrames += std::min(dt, 10.0) * impl->output.rate();
        const int frames = static_cast<int>(impl->pendingFrames);
        impl->pendingFrames -= frames;
        impl->output.advance(frames);
    }
    impl->latchAll();
}

int SoundManager::soundCount() const
{
    return static_cast<int>(impl->channels.size());
}

bool SoundManager::usesLoopback() const
{
    return impl->output.loopback();
}

int SoundManager::sampleRate() const
{
    return impl->output.rate();
}

bool SoundManager::isPlaying(int id) const
{
    const Channel* channel = impl->find(id);
    return channel && channel->hasSource && !channel->expired
        && impl->sourceState(*channel) == AL_PLAYING;
}

bool SoundManager::hasExpired(int id) const
{
    const Channel* channel = impl->find(id);
    if (!channel || !channel->hasSource || channel->loop)
        return false;
    return channel->expired || impl->sourceState(*channel) == AL_STOPPED;
}

bool SoundManager::isSilent(int id) const
{
    const Channel* channel = impl->find(id);
    return !channel || !channel->hasSource;
}

int SoundManager::frameCount(int id) const
{
    const Channel* channel = impl->find(id);
    return channel ? channel->frames : 0;
}

int SoundManager::channelCount(int id) const
{
    const Channel* channel = impl->find(id);
    return channel ? channel->channels : 0;
}

double SoundManager::playbackOffset(int id) const
{
    const Channel* channel = impl->find(id);
    if (!channel || !channel->hasSource)
        return 0.0;
    if (impl->output.unheard())
        return channel->played;
    ALint offset = 0;
    alGetSourcei(channel->source, AL_SAMPLE_OFFSET, &offset);
    return channel->rate > 0 ? static_cast<double>(offset) / channel->rate : 0.0;
}

std::vector<float> SoundManager::renderMix(int frames)
{
    std::vector<float> mix;
    if (!impl->output.loopback())
        return mix;
    impl->output.renderInto(mix, frames);
    impl->latchAll();
    return mix;
}
