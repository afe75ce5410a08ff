#pragma once

#include <cstddef>
#include <vector>

#include <GL/glew.h>

class ShaderProgram;
namespace murk {
class SceneObject;
}

// Uniform locations of every scene object's program, looked up once after
// loading: column = uniform name, row = the object's index in sceneObjects.
// A cell is -1 where the program lacks the uniform.
struct UniformTable {
    std::vector<GLint> diffuseTexture;
    std::vector<GLint> normalTexture;
    std::vector<GLint> cameraLocation;
    std::vector<GLint> modelMatrix;
    std::vector<GLint> normalMatrix;
    std::vector<GLint> mvpMatrix;
    std::vector<GLint> lightLocation;
    std::vector<GLint> lightIntensity;  // "I"
    std::vector<GLint> shininess;
    std::vector<GLint> ambientFactor;
    std::vector<GLint> opacity;
    std::vector<GLint> wireframe;
    std::vector<GLint> damage;  // set as the shaders ask; nothing in the game damages objects

    // Appends one row with the locations of `program`.
    void appendRow(const ShaderProgram& program);
    std::size_t rows() const { return damage.size(); }
};

// One row per object, in list order.
UniformTable buildUniformTable(const std::vector<murk::SceneObject*>& sceneObjects);
