#include "scene/SceneFile.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <istream>
#include <ostream>

namespace {

const char* const sectionMarkers[] = {"//PLAYER OBJECTS", "//ENEMY OBJECTS", "//SCENE OBJECTS"};
const char* const sectionEnd = "//END";

// One line without its line feed and a carriage return before it, so a file
// saved with Windows line ends reads the same.
bool nextLine(std::istream& in, std::string& line, int& lineNumber) {
    if (!std::getline(in, line)) {
        return false;
    }
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

}  // namespace

bool splitSceneLine(const std::string& line, SceneLine& into) {
    std::string fields[5];
    std::string rest = line;
    for (std::string& field : fields) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string::npos) {
            return false;
        }
        field = rest.substr(0, comma);
        // The character after the comma is skipped whatever it is.
        rest = comma + 2 <= rest.size() ? rest.substr(comma + 2) : std::string();
    }
    into.modelFile = fields[0];
    into.shaderName = fields[1];
    into.physicsShape = fields[2];
    into.density = static_cast<float>(std::atof(fields[3].c_str()));
    into.dynamic = fields[4] == "TRUE";
    into.normalMap = rest;
    return true;
}

SceneLines readSceneLines(std::istream& in, std::ostream& console) {
    SceneLines lists;
    std::string line;
    int lineNumber = 0;
    for (const char* marker : sectionMarkers) {
        bool opened = false;
        while (nextLine(in, line, lineNumber)) {
            if (line == marker) {
                opened = true;
                break;
            }
        }
        if (!opened) {
            console << "SCENE.txt: no \"" << marker << "\" before the end of the file" << std::endl;
            return lists;
        }
        bool closed = false;
        while (nextLine(in, line, lineNumber)) {
            if (line == sectionEnd) {
                closed = true;
                break;
            }
            SceneLine fields;
            if (!splitSceneLine(line, fields)) {
                console << "SCENE.txt: line " << lineNumber
                        << " has fewer than six fields, skipped" << std::endl;
                continue;
            }
            if (!std::isfinite(fields.density)) {
                // A body of endless mass would fill the physics step with NaNs.
                console << "SCENE.txt: line " << lineNumber << ": density " << fields.density
                        << " is not a finite number; using 0" << std::endl;
                fields.density = 0.0f;
            }
            lists.modelFiles.push_back(fields.modelFile);
            lists.shaderNames.push_back(fields.shaderName);
            lists.physicsShapes.push_back(fields.physicsShape);
            lists.densities.push_back(fields.density);
            lists.dynamics.push_back(fields.dynamic);
            lists.normalMaps.push_back(fields.normalMap);
        }
        if (!closed) {
            console << "SCENE.txt: no \"" << sectionEnd << "\" after \"" << marker
                    << "\" before the end of the file" << std::endl;
            return lists;
        }
    }
    return lists;
}

SceneLines readSceneFile(const std::string& path, std::ostream& console) {
    std::ifstream in(path);
    if (!in) {
        console << "Scene-File kann nicht gelesen werden." << std::endl;
        return {};
    }
    return readSceneLines(in, console);
}
