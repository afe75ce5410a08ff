#include <sstream>

#include <gtest/gtest.h>

#include "scene/SceneFile.h"

namespace {

SceneLines read(const std::string& text, std::string* console = nullptr) {
    std::istringstream in(text);
    std::ostringstream out;
    SceneLines lines = readSceneLines(in, out);
    if (console != nullptr) {
        *console = out.str();
    }
    return lines;
}

const char* const emptySections =
    "//PLAYER OBJECTS\n//END\n//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n//END\n";

}  // namespace

TEST(SceneFileSplit, SixFieldsWithTheSixthTakingTheRest) {
    SceneLine line;
    ASSERT_TRUE(splitSceneLine("Assets/Models/room.obj, default, mesh, 2.5, TRUE, bricks_n.png, extra", line));
    EXPECT_EQ(line.modelFile, "Assets/Models/room.obj");
    EXPECT_EQ(line.shaderName, "default");
    EXPECT_EQ(line.physicsShape, "mesh");
    EXPECT_FLOAT_EQ(line.density, 2.5f);
    EXPECT_TRUE(line.dynamic);
    EXPECT_EQ(line.normalMap, "bricks_n.png, extra");
}

TEST(SceneFileSplit, EmptySixthFieldAndInnerSpacesKept) {
    SceneLine line;
    ASSERT_TRUE(splitSceneLine("my model.obj, rim, none, 0, FALSE, ", line));
    EXPECT_EQ(line.modelFile, "my model.obj");
    EXPECT_EQ(line.normalMap, "");
    // Ending right after the fifth comma: the skipped character is missing.
    ASSERT_TRUE(splitSceneLine("a.obj, default, box, 1, TRUE,", line));
    EXPECT_EQ(line.normalMap, "");
    EXPECT_TRUE(line.dynamic);
}

TEST(SceneFileSplit, OnlyUpperCaseTrueIsDynamic) {
    SceneLine line;
    for (const char* word : {"true", "True", "TRUE ", " TRUE", "yes"}) {
        ASSERT_TRUE(splitSceneLine(std::string("a.obj, default, box, 1, ") + word + ", ", line));
        EXPECT_FALSE(line.dynamic) << word;
    }
}

TEST(SceneFileSplit, DensityReadLikeAtof) {
    SceneLine line;
    ASSERT_TRUE(splitSceneLine("a.obj, default, box, abc, TRUE, ", line));
    EXPECT_EQ(line.density, 0.0f);
    ASSERT_TRUE(splitSceneLine("a.obj, default, box,   7.25kg, TRUE, ", line));
    EXPECT_FLOAT_EQ(line.density, 7.25f);
}

TEST(SceneFileSplit, CommaWithoutSpaceLosesTheNextCharacter) {
    SceneLine line;
    ASSERT_TRUE(splitSceneLine("model.obj,default,box,1,TRUE,nm.png", line));
    EXPECT_EQ(line.modelFile, "model.obj");
    EXPECT_EQ(line.shaderName, "efault");
    EXPECT_EQ(line.physicsShape, "ox");
    EXPECT_EQ(line.density, 0.0f);  // the field is empty
    EXPECT_FALSE(line.dynamic);      // "RUE"
    EXPECT_EQ(line.normalMap, "m.png");
    EXPECT_FALSE(splitSceneLine("a.obj,b,c,d", line));
    EXPECT_FALSE(splitSceneLine("", line));
}

TEST(SceneFileRead, SectionsInFileOrderAndOtherTextIgnored) {
    const SceneLines lines = read(
        "Murkhaven level\n"
        "//END\n"  // before any marker: just text
        "a.obj, x, y\n"
        "//PLAYER OBJECTS\r\n"
        "p0.obj, default, none, 0, FALSE, \r\n"
        "p1.obj, rim, none, 0, FALSE, \n"
        "//END\n"
        "remarks between sections, with, five, commas, in, them\n"
        "\n"
        "//ENEMY OBJECTS\n"
        "e.obj, default, box, 3, TRUE, e_n.png\n"
        "//END\n"
        "//SCENE OBJECTS\n"
        "s.obj, energy, mesh, 0, FALSE, \n"
        "//END\n"
        "after.obj, default, none, 0, FALSE, \n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines.modelFiles, (std::vector<std::string>{"p0.obj", "p1.obj", "e.obj", "s.obj"}));
    EXPECT_EQ(lines.shaderNames, (std::vector<std::string>{"default", "rim", "default", "energy"}));
    EXPECT_EQ(lines.physicsShapes, (std::vector<std::string>{"none", "none", "box", "mesh"}));
    EXPECT_EQ(lines.dynamics, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(lines.normalMaps, (std::vector<std::string>{"", "", "e_n.png", ""}));
    EXPECT_FLOAT_EQ(lines.densities[2], 3.0f);
}

TEST(SceneFileRead, MarkersMustMatchWholeLines) {
    // A lower-case marker opens nothing, "//END " closes nothing.
    std::string console;
    const SceneLines lines = read(
        "//player objects\n"
        "lower.obj, default, none, 0, FALSE, \n"
        "//PLAYER OBJECTS\n"
        "p.obj, default, none, 0, FALSE, \n"
        "//END \n"
        "//ENEMY OBJECTS \n"
        "//END\n"
        "//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n//END\n",
        &console);
    // "//END " has no commas, so it is a malformed line inside the section;
    // "//ENEMY OBJECTS " likewise; the plain "//END" closes the player section.
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.modelFiles[0], "p.obj");
    EXPECT_NE(console.find("line 5 "), std::string::npos) << console;
    EXPECT_NE(console.find("line 6 "), std::string::npos) << console;
}

TEST(SceneFileRead, MalformedLinesAreSkippedWithTheirNumber) {
    std::string console;
    const SceneLines lines = read(
        "//PLAYER OBJECTS\n"
        "a.obj, default, none, 0, FALSE, \n"
        "\n"
        "b.obj, default, none, 0\n"
        "c.obj, default, none, 0, FALSE, \n"
        "//END\n//ENEMY OBJECTS\n//END\n//SCENE OBJECTS\n//END\n",
        &console);
    EXPECT_EQ(lines.modelFiles, (std::vector<std::string>{"a.obj", "c.obj"}));
    EXPECT_NE(console.find("line 3 "), std::string::npos) << console;
    EXPECT_NE(console.find("line 4 "), std::string::npos) << console;
}

TEST(SceneFileRead, MissingMarkerOrEndStopsAtEndOfFile) {
    std::string console;
    SceneLines lines = read("//PLAYER OBJECTS\na.obj, default, none, 0, FALSE, \n//END\n", &console);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_NE(console.find("//ENEMY OBJECTS"), std::string::npos) << console;

    lines = read("//PLAYER OBJECTS\n//END\n//ENEMY OBJECTS\ne.obj, default, none, 0, FALSE, \n", &console);
    EXPECT_EQ(lines.size(), 1u);  // what was read is kept
    EXPECT_NE(console.find("//END"), std::string::npos) << console;

    lines = read("", &console);
    EXPECT_EQ(lines.size(), 0u);
    EXPECT_NE(console.find("//PLAYER OBJECTS"), std::string::npos) << console;

    lines = read(emptySections, &console);
    EXPECT_EQ(lines.size(), 0u);
    EXPECT_EQ(console, "");
}

TEST(SceneFileRead, MovingALineBetweenSectionsOnlyChangesTheOrder) {
    const SceneLines inEnemy = read(
        "//PLAYER OBJECTS\n//END\n//ENEMY OBJECTS\nx.obj, rim, box, 1, TRUE, n.png\n//END\n"
        "//SCENE OBJECTS\n//END\n");
    const SceneLines inScene = read(
        "//PLAYER OBJECTS\n//END\n//ENEMY OBJECTS\n//END\n"
        "//SCENE OBJECTS\nx.obj, rim, box, 1, TRUE, n.png\n//END\n");
    EXPECT_EQ(inEnemy.modelFiles, inScene.modelFiles);
    EXPECT_EQ(inEnemy.shaderNames, inScene.shaderNames);
    EXPECT_EQ(inEnemy.physicsShapes, inScene.physicsShapes);
    EXPECT_EQ(inEnemy.densities, inScene.densities);
    EXPECT_EQ(inEnemy.dynamics, inScene.dynamics);
    EXPECT_EQ(inEnemy.normalMaps, inScene.normalMaps);
}

TEST(SceneFileRead, MissingFileReportsAndReadsNothing) {
    std::ostringstream console;
    const SceneLines lines = readSceneFile("/nonexistent/SCENE.txt", console);
    EXPECT_EQ(lines.size(), 0u);
    EXPECT_EQ(console.str(), "Scene-File kann nicht gelesen werden.\n");
}
