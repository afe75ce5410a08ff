#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// The object lines of "SCENE.txt" as six parallel lists, in file order over
// the three sections ("//PLAYER OBJECTS", "//ENEMY OBJECTS",
// "//SCENE OBJECTS", each closed by "//END").
struct SceneLines {
    std::vector<std::string> modelFiles;
    std::vector<std::string> shaderNames;
    std::vector<std::string> physicsShapes;
    std::vector<float> densities;
    std::vector<bool> dynamics;
    std::vector<std::string> normalMaps;

    std::size_t size() const { return modelFiles.size(); }
};

// One object line split into its six fields. The separator is a comma plus
// exactly one more character; the sixth field is the rest of the line.
// False when the line has fewer than five separators.
struct SceneLine {
    std::string modelFile;
    std::string shaderName;
    std::string physicsShape;
    float density = 0.0f;
    bool dynamic = false;
    std::string normalMap;
};
bool splitSceneLine(const std::string& line, SceneLine& into);

// Reads the sections from `in`. Markers are compared whole and exactly.
// A missing marker or "//END" ends the reading at the end of the input; a
// line that does not split is skipped. Both are reported on `console`.
SceneLines readSceneLines(std::istream& in, std::ostream& console);

// Reads the file at `path`; when it cannot be opened, prints
// "Scene-File kann nicht gelesen werden." and returns no lines.
SceneLines readSceneFile(const std::string& path, std::ostream& console);
