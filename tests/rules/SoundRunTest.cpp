#include <gtest/gtest.h>

#include <sndfile.h>

#include "app/FrameSounds.h"
#include "app/SoundSink.h"
#include "audio/SoundManager.h"
#include "../audio/TestSounds.h"

namespace {

// The real sound manager on its in-memory device: a voice line entered twice,
// with a restart between, is heard once.
TEST(SoundRun, VoiceLineHeardOncePerRunAcrossRestart) {
    const auto dir = murk::test::soundDir("rules-voice");
    murk::test::ToneSpec tone;
    tone.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    tone.frames = 4410;  // 0.1 s
    ASSERT_TRUE(murk::test::writeTone(dir / "voice.wav", tone));
    ASSERT_TRUE(murk::test::writeTone(dir / "loop.wav", tone));

    SoundManager manager(SoundManager::Output::Loopback);
    SoundIds ids;
    // Every sound loaded in the game's order; only two have files here.
    const auto missing = (dir / "missing.wav").string();
    ids.ambienceMusic = manager.load((dir / "loop.wav").string(), false, true);
    ids.footstepsSound = manager.load(missing, false, true);
    ids.staticTvSound = manager.load(missing, true, true);
    ids.voiceHelloSomebody = manager.load((dir / "voice.wav").string(), false, false);
    for (int* id : {&ids.voiceSomebodyHelp, &ids.voiceTwoWhatWasThat, &ids.voiceWhatWasThat,
                    &ids.voiceWhereAmI, &ids.voiceWhereWhereAmI}) {
        *id = manager.load(missing, false, false);
    }
    for (int* id : {&ids.enemyBreath, &ids.enemyDistorted, &ids.enemyRawr}) {
        *id = manager.load(missing, true, false);
    }
    ASSERT_EQ(manager.soundCount(), 12);

    SoundManagerSink sink(manager);
    Listener inBox;
    inBox.position = glm::vec3(-5.75f, 1.2f, 3.3f);  // voice 1
    const double dt = 1.0 / 60.0;

    playFrameSounds(sink, ids, inBox);
    manager.update(dt);
    EXPECT_TRUE(manager.isPlaying(ids.voiceHelloSomebody));
    EXPECT_TRUE(manager.isPlaying(ids.ambienceMusic));

    // Lost and back on the title screen for a while: muted, still running.
    for (int i = 0; i < 30; ++i) {
        manager.setMuteAll(true);
        manager.update(dt);
    }
    EXPECT_TRUE(manager.hasExpired(ids.voiceHelloSomebody));

    // A new game walks into the same box.
    manager.setMuteAll(false);
    playFrameSounds(sink, ids, inBox);
    manager.update(dt);
    EXPECT_FALSE(manager.isPlaying(ids.voiceHelloSomebody));
    EXPECT_TRUE(manager.isPlaying(ids.ambienceMusic));
}

}  // namespace
