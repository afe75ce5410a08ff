#include "tests/render_lighting/LightingTestSupport.h"

#include "scene/SceneObject.h"

namespace murk::test {

murk::SceneObject* makeRectangle(ShaderProgram* program, float x0, float y0, float x1, float y1,
                                 const glm::mat4& model) {
    auto* object = new murk::SceneObject(model, program, nullptr);
    object->positions = {x0, y0, 0.0f, x1, y0, 0.0f, x1, y1, 0.0f, x0, y1, 0.0f};
    object->normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    object->uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    object->tangents = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
    object->indices = {0, 1, 2, 2, 3, 0};
    object->vertexCount = 4;
    object->indexCount = 6;
    object->setupBuffers();
    return object;
}

std::vector<float> readFloatTexture(GLuint texture, GLenum format, int width, int height) {
    const int channels = format == GL_RG ? 2 : (format == GL_RGBA ? 4 : 1);
    std::vector<float> pixels(static_cast<std::size_t>(width * height * channels));
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_FLOAT, pixels.data());
    return pixels;
}

std::vector<std::uint8_t> readByteTexture(GLuint texture, int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 4));
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

}  // namespace murk::test
