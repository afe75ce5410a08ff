#pragma once

#include <cstdint>
#include <vector>

#include <GL/glew.h>
#include <glm/mat4x4.hpp>

class ShaderProgram;
struct Material;

namespace murk {

// One drawable mesh: CPU arrays (kept after upload for the statistics), one
// static GL buffer per attribute and a vertex array whose attribute
// locations come from the object's program by name. The program and the
// material are not owned.
class SceneObject {
public:
    SceneObject(const glm::mat4& modelMatrix, ShaderProgram* shader, Material* material);
    virtual ~SceneObject();
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // Uploads the arrays (vertexCount and indexCount set first) and builds
    // the vertex array. An attribute the program lacks is uploaded but not
    // connected.
    virtual void setupBuffers();
    // Once per frame. Scene objects do not animate; kept inline and not
    // virtual so the frame's call over every object costs nothing.
    void update(double) {}
    // Binds the vertex array and draws indexCount indices with whatever
    // program, uniforms and textures are current.
    virtual void draw();

    float getDamage() const { return damage; }

    glm::mat4 modelMatrix;
    int vertexCount = 0;
    int indexCount = 0;
    ShaderProgram* shader = nullptr;
    Material* material = nullptr;
    std::vector<float> positions;  // 3 per vertex
    std::vector<float> normals;    // 3 per vertex, may be empty
    std::vector<float> uvs;        // 2 per vertex, may be empty
    std::vector<float> tangents;   // 4 per vertex (xyz, handedness), may be empty
    std::vector<std::uint32_t> indices;
    float minX = 1000.0f;
    float maxX = -1000.0f;
    float minY = 1000.0f;
    float maxY = -1000.0f;
    float minZ = 1000.0f;
    float maxZ = -1000.0f;
    float damage = 0.0f;
    GLuint vertexArray = 0;
    GLuint positionBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint uvBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint tangentBuffer = 0;
};

// Full-viewport square (-1..1 in x and y, uv 0..1), ready to draw once built.
class QuadObject : public SceneObject {
public:
    QuadObject(const glm::mat4& modelMatrix, ShaderProgram* shader, Material* material);
};

}  // namespace murk
