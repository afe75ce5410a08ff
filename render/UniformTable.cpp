// Draws nothing: each scene object's uniform locations, looked up once.
#include "render/UniformTable.h"

#include "scene/ShaderProgram.h"
#include "scene/SceneObject.h"

void UniformTable::appendRow(const ShaderProgram& shader) {
    const GLuint p = shader.program;
    diffuseTexture.push_back(glGetUniformLocation(p, "diffuseTexture"));
    normalTexture.push_back(glGetUniformLocation(p, "normalTexture"));
    cameraLocation.push_back(glGetUniformLocation(p, "cameraLocation"));
    modelMatrix.push_back(glGetUniformLocation(p, "modelMatrix"));
    normalMatrix.push_back(glGetUniformLocation(p, "normalMatrix"));
    mvpMatrix.push_back(glGetUniformLocation(p, "mvpMatrix"));
    lightLocation.push_back(glGetUniformLocation(p, "lightLocation"));
    lightIntensity.push_back(glGetUniformLocation(p, "I"));
    shininess.push_back(glGetUniformLocation(p, "shininess"));
    ambientFactor.push_back(glGetUniformLocation(p, "ambientFactor"));
    opacity.push_back(glGetUniformLocation(p, "opacity"));
    wireframe.push_back(glGetUniformLocation(p, "wireframe"));
    damage.push_back(glGetUniformLocation(p, "damage"));
}

UniformTable buildUniformTable(const std::vector<murk::SceneObject*>& sceneObjects) {
    UniformTable table;
    for (const murk::SceneObject* object : sceneObjects) {
        table.appendRow(*object->shader);
    }
    return table;
}
