#pragma once

// Small GL calls the renderer's files share: binding a texture to a unit,
// finding and setting a program's uniforms.
#include <GL/glew.h>
#include <glm/mat4x4.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/vec3.hpp>

#include "scene/ShaderProgram.h"
#include "scene/Texture.h"

namespace gl {

inline bool hasImage(const Texture* texture) { return texture != nullptr && texture->id != Texture::noImage; }

inline GLuint imageOf(const Texture* texture) { return hasImage(texture) ? texture->id : 0; }

inline void bindTexture(GLint unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
}

inline GLint named(const ShaderProgram& program, const char* name) {
    return glGetUniformLocation(program.program, name);
}

inline void setMatrix(GLint location, const glm::mat4& m) { glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(m)); }

inline void setVector(GLint location, const glm::vec3& v) { glUniform3fv(location, 1, glm::value_ptr(v)); }

}  // namespace gl
