#pragma once

#include <cstdint>
#include <vector>

#include <GL/glew.h>
#include <glm/mat4x4.hpp>

class ShaderProgram;

namespace murk {
class SceneObject;
}

namespace murk::test {

// An axis-aligned rectangle in the z = 0 plane, facing +z, placed by model,
// with every attribute a scene mesh can have.
murk::SceneObject* makeRectangle(ShaderProgram* program, float x0, float y0, float x1, float y1,
                                 const glm::mat4& model);

// Level 0 of a texture, rows bottom-up.
std::vector<float> readFloatTexture(GLuint texture, GLenum format, int width, int height);
std::vector<std::uint8_t> readByteTexture(GLuint texture, int width, int height);  // RGBA

// The weights of the 9-tap blur at offsets 0..4: binomial coefficients of
// order 12 without the two outermost on each side.
constexpr float kBlurWeights[5] = {924.0f / 4070.0f, 792.0f / 4070.0f, 495.0f / 4070.0f,
                                   220.0f / 4070.0f, 66.0f / 4070.0f};

}  // namespace murk::test
