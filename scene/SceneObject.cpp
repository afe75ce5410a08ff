#include "scene/SceneObject.h"

#include <algorithm>

#include "scene/ShaderProgram.h"

namespace murk {
namespace {

// Uploads count floats or the whole array, whichever is smaller, so a
// count that overstates the array never reads past it.
template <typename T>
GLuint uploadBuffer(GLenum target, const std::vector<T>& data, std::size_t count) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(target, buffer);
    const std::size_t n = std::min(count, data.size());
    glBufferData(target, static_cast<GLsizeiptr>(n * sizeof(T)), n > 0 ? data.data() : nullptr,
                 GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return buffer;
}

void connect(GLuint program, const char* name, GLuint buffer, GLint components) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLint location = glGetAttribLocation(program, name);
    if (location != -1) {
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0,
                              nullptr);
    }
}

std::size_t count(int n, int perItem) {
    return n > 0 ? static_cast<std::size_t>(n) * static_cast<std::size_t>(perItem) : 0;
}

}  // namespace

SceneObject::SceneObject(const glm::mat4& matrix, ShaderProgram* program, Material* objectMaterial)
    : modelMatrix(matrix), shader(program), material(objectMaterial) {}

SceneObject::~SceneObject() {
    // Deleting name 0 is ignored, so buffers never made need no test.
    glDeleteBuffers(1, &positionBuffer);
    glDeleteBuffers(1, &normalBuffer);
    glDeleteBuffers(1, &uvBuffer);
    glDeleteBuffers(1, &tangentBuffer);
    glDeleteBuffers(1, &indexBuffer);
    glDeleteVertexArrays(1, &vertexArray);
}

void SceneObject::setupBuffers() {
    positionBuffer = uploadBuffer(GL_ARRAY_BUFFER, positions, count(vertexCount, 3));
    if (!normals.empty()) {
        normalBuffer = uploadBuffer(GL_ARRAY_BUFFER, normals, count(vertexCount, 3));
    }
    if (!uvs.empty()) {
        uvBuffer = uploadBuffer(GL_ARRAY_BUFFER, uvs, count(vertexCount, 2));
    }
    if (!tangents.empty()) {
        tangentBuffer = uploadBuffer(GL_ARRAY_BUFFER, tangents, tangents.size());
    }
    indexBuffer = uploadBuffer(GL_ELEMENT_ARRAY_BUFFER, indices, count(indexCount, 1));

    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    const GLuint program = shader != nullptr ? shader->program : 0;
    connect(program, "position", positionBuffer, 3);
    if (!normals.empty()) {
        connect(program, "normal", normalBuffer, 3);
    }
    if (!uvs.empty()) {
        connect(program, "uv", uvBuffer, 2);
    }
    if (!tangents.empty()) {
        connect(program, "tangent", tangentBuffer, 4);
    }
    // Bound while the vertex array is, so the array records it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void SceneObject::draw() {
    glBindVertexArray(vertexArray);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

QuadObject::QuadObject(const glm::mat4& matrix, ShaderProgram* program, Material* objectMaterial)
    : SceneObject(matrix, program, objectMaterial) {
    positions = {-1.0f, -1.0f, 0.0f, 1.0f, -1.0f, 0.0f, 1.0f, 1.0f, 0.0f, -1.0f, 1.0f, 0.0f};
    uvs = {0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 1.0f, 0.0f, 1.0f};
    indices = {0, 1, 2, 2, 3, 0};
    vertexCount = 4;
    indexCount = 6;
    SceneObject::setupBuffers();
}

}  // namespace murk
