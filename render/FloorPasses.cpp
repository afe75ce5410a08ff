// Full-screen passes that only read and write pixels: the floor under a frame.
#include "render/FloorPasses.h"

#include <glm/mat4x4.hpp>

#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"

FloorPasses::FloorPasses(int frameWidth, int frameHeight)
    : width(frameWidth), height(frameHeight),
      // The screen program without the brightness curve: one texture read and
      // one write per pixel, nothing else.
      program(std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN")),
      material(std::make_unique<Material>()),
      quad(std::make_unique<murk::QuadObject>(glm::mat4(1.0f), program.get(), material.get())) {
    glGenTextures(2, textures);
    glGenFramebuffers(2, framebuffers);
    for (int i = 0; i < 2; ++i) {
        glBindTexture(GL_TEXTURE_2D, textures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[i]);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures[i], 0);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
}

FloorPasses::~FloorPasses() {
    glDeleteFramebuffers(2, framebuffers);
    glDeleteTextures(2, textures);
}

void FloorPasses::draw() {
    program->use();
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, width, height);
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(glGetUniformLocation(program->program, "quadTexture"), 0);
    for (int pass = 0; pass < passCount; ++pass) {
        const bool last = pass + 1 == passCount;
        glBindFramebuffer(GL_FRAMEBUFFER, last ? 0 : framebuffers[pass % 2]);
        glBindTexture(GL_TEXTURE_2D, textures[(pass + 1) % 2]);
        quad->draw();
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glEnable(GL_DEPTH_TEST);
}
