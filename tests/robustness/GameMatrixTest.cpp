// The real game against damaged data, absurd settings and a missing sound
// device: each run says what is wrong and either plays its first frame and
// ends on Escape (status 0) or stops with its fatal message (status 255).
// Never a crash, a sanitizer report or a hang.
#include "tests/robustness/BadFiles.h"
#include "tests/robustness/GameRun.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace badfiles;

const fs::path data = MURK_DATA_DIR;

// A copy of data/ with the small window; `change` damages it.
GameRun play(const std::function<void(const fs::path&)>& change, const std::vector<std::string>& env = {}) {
    Scratch scratch(true);
    writeText(scratch.path / "CONFIG.txt", smallConfig());
    change(scratch.path);
    return runGameOnce(scratch.path.string(), 240, env);
}

void expectClean(const GameRun& game) {
    EXPECT_FALSE(game.result.timedOut) << game.result.output;
    EXPECT_EQ(game.result.output.find("Sanitizer"), std::string::npos) << game.result.output;
    EXPECT_EQ(game.result.output.find("runtime error"), std::string::npos) << game.result.output;
}

void expectPlays(const GameRun& game, const std::string& line = "") {
    expectClean(game);
    EXPECT_TRUE(game.sawWindow);
    EXPECT_EQ(game.result.exitStatus, 0) << game.result.output;
    EXPECT_EQ(game.result.output.find("GL: "), std::string::npos) << game.result.output;
    if (!line.empty()) {
        EXPECT_NE(game.result.output.find(line), std::string::npos) << game.result.output;
    }
}

void expectStops(const GameRun& game, const std::string& message) {
    expectClean(game);
    EXPECT_EQ(game.result.exitStatus, 255) << game.result.output;
    EXPECT_NE(game.result.output.find(message + "\n"), std::string::npos) << game.result.output;
}

void damageFile(const fs::path& dir, const std::string& name, Damage d, const std::string& other) {
    damage(d, data / name, data / other, dir / name);
}

TEST(GameMatrix, ConfigOfRandomBytesMeansDefaults) {
    expectPlays(play([](const fs::path& dir) {
        damageFile(dir, "CONFIG.txt", Damage::Random, "SCENE.txt");
    }));
}

TEST(GameMatrix, SceneFileMissingOrRandom) {
    expectPlays(play([](const fs::path& dir) { fs::remove(dir / "SCENE.txt"); }),
                "Scene-File kann nicht gelesen werden.\n");
    expectPlays(play([](const fs::path& dir) {
                    damageFile(dir, "SCENE.txt", Damage::Random, "CONFIG.txt");
                }),
                "SCENE.txt: ");
}

TEST(GameMatrix, ModelFileRandomOrHuge) {
    for (const Damage d : {Damage::Random, Damage::Huge}) {
        SCOPED_TRACE(damageName(d));
        expectPlays(play([d](const fs::path& dir) {
                        damageFile(dir, "Assets/Models/television.obj", d, "SCENE.txt");
                    }),
                    "Model-File kann nicht gelesen werden: Assets/Models/television.obj");
    }
}

TEST(GameMatrix, TexturesNormalMapsAndScreensOfRandomBytes) {
    expectPlays(play([](const fs::path& dir) {
                    damageFile(dir, "Assets/Textures/concrete.png", Damage::Random, "SCENE.txt");
                    damageFile(dir, "Assets/Textures/concrete_n.png", Damage::WrongType,
                               "Assets/Sounds/enemy_rawr.wav");
                    damageFile(dir, "Assets/Textures/Start.jpg", Damage::Empty, "SCENE.txt");
                    fs::remove(dir / "Assets/Textures/hud.png");
                }),
                "texture not found: Assets/Textures/concrete_n.png\n");
}

TEST(GameMatrix, SoundsOfRandomBytesPlaySilently) {
    expectPlays(play([](const fs::path& dir) {
        damageFile(dir, "Assets/Music/Dream Ambience.mp3", Damage::Random, "SCENE.txt");
        damageFile(dir, "Assets/Sounds/enemy_rawr.wav", Damage::WrongType, "Assets/Textures/wood.png");
        fs::remove(dir / "Assets/Sounds/enemy_breath.wav");
    }));
}

TEST(GameMatrix, BrokenShaderIsFatal) {
    expectStops(play([](const fs::path& dir) { damageFile(dir, "Shader/default.frag", Damage::Empty, ""); }),
                "compile fehler");
    expectStops(play([](const fs::path& dir) { fs::remove(dir / "Shader/rim.vert"); }),
                "shader-file konnte nicht geöffnet werden");
}

TEST(GameMatrix, NoSoundDeviceStillPlays) {
    expectPlays(play([](const fs::path&) {}, {"ALSOFT_DRIVERS=no-such-driver"}));
}

// Absurd settings: a window that cannot be made is the fatal "No window";
// everything else is brought into range with a line saying so.
TEST(AbsurdSettings, ImpossibleWindowSizes) {
    for (const char* width : {"0", "-5"}) {
        SCOPED_TRACE(width);
        expectStops(play([width](const fs::path& dir) {
                        writeText(dir / "CONFIG.txt", smallConfig({{2, width}}));
                    }),
                    "No window");
    }
}

TEST(AbsurdSettings, HugeHeight) {
    const GameRun game = play([](const fs::path& dir) {
        writeText(dir / "CONFIG.txt", smallConfig({{3, "100000"}}));
    });
    expectClean(game);
    EXPECT_TRUE(game.result.exitStatus == 0 || game.result.exitStatus == 255) << game.result.output;
    const std::string expected = game.result.exitStatus == 255 ? "No window\n" : "window height 100000 clamped to ";
    EXPECT_NE(game.result.output.find(expected), std::string::npos) << game.result.output;
    EXPECT_EQ(game.result.output.find("GL: "), std::string::npos) << game.result.output;
}

TEST(AbsurdSettings, ShadowMapSizesAreClamped) {
    for (const char* size : {"0", "-1", "100000"}) {
        SCOPED_TRACE(size);
        expectPlays(play([size](const fs::path& dir) {
                        writeText(dir / "CONFIG.txt", smallConfig({{9, size}}));
                    }),
                    std::string("shadow map size ") + size + " clamped to ");
    }
}

TEST(AbsurdSettings, AmbientNotANumber) {
    expectPlays(play([](const fs::path& dir) { writeText(dir / "CONFIG.txt", smallConfig({{6, "nan"}})); }),
                "ambient light nan ");
}

}  // namespace
