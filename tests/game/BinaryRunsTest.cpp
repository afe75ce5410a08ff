// The real game in a scratch copy of data/ with one damaged file: it says
// what is wrong and plays three frames and quits (status 0), or stops with
// its message (status 255). Never a crash, a sanitizer report, a GL error
// or a hang.
#include "tests/support/GlContext.h"
#include "tests/support/Process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(BinaryRuns, OneDamagedFileEach) {
    ASSERT_TRUE(murk::test::ensureDisplay());
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>(i * 7919 % 251);
    const std::string played = "recorded 3 frames to run.mdemo\n";
    // A model that is not there, and a moving body of no defined mass.
    const std::string scene = "//PLAYER OBJECTS\nAssets/Models/gone.obj, rim, none, 0, FALSE, \n//END\n"
                              "//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n"
                              "Assets/Models/curtain.obj, default, box, nan, TRUE, \n//END\n";
    struct Row { const char* file; std::string bytes; int status; std::vector<std::string> says; };
    const Row rows[] = {
        {"CONFIG.txt", "\nwidth = 160\nheight = 120\nwindowed = TRUE\nrate = 60\nambient = nan\n\n\nshadow = 0\n", 0,
         {"shadow map size 0 clamped to 16 (what the GL allows)\n",
          "ambient light nan in CONFIG.txt is not a finite number; using 0.2\n", played}},
        {"SCENE.txt", garbage, 0,
         {"SCENE.txt: no \"//PLAYER OBJECTS\" before the end of the file\n",
          "SCENE.txt: level incomplete, 0 scene objects (at least 5 needed); no pick-ups\n", played}},
        {"SCENE.txt", scene, 0, {"Model-File kann nicht gelesen werden: Assets/Models/gone.obj (", played}},
        {"Shader/default.frag", garbage, 255, {"compile fehler\n"}},
        {"Assets/Sounds/enemy_rawr.wav", garbage, 0,
         {"sound not loaded: Assets/Sounds/enemy_rawr.wav (not a sound file libsndfile can read)\n", played}},
        {"Assets/Textures/Start.jpg", garbage, 0, {"cannot read image: Assets/Textures/Start.jpg\n", played}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        char pattern[] = "/tmp/murk-run-XXXXXX";
        const fs::path dir = mkdtemp(pattern);
        fs::copy(MURK_DATA_DIR, dir, fs::copy_options::recursive);
        std::ofstream(dir / row.file, std::ios::binary | std::ios::trunc) << row.bytes;
        const auto run = murk::test::runProcess({std::string(MURK_BINARY_DIR) + "/app/murkhaven", "--record",
                                                 "run.mdemo", "--frames", "3", "--width", "160", "--height", "120"},
                                                dir.string(), 60);
        fs::remove_all(dir);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.exitStatus, row.status) << run.output;
        for (const std::string& line : row.says) EXPECT_NE(run.output.find(line), std::string::npos) << run.output;
        for (const char* fault : {"Sanitizer", "runtime error", "GL: "}) {
            EXPECT_EQ(run.output.find(fault), std::string::npos) << run.output;
        }
    }
}

}  // namespace
