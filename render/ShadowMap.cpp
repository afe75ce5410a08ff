// A light's shadow map: the casters' depth moments, then their blur.
#include "render/ShadowMap.h"

#include "render/RenderTexture.h"
#include "scene/ShaderProgram.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"

ShadowMap::ShadowMap(int width_, int height_, GLenum internalFormat_, GLenum format_, GLenum type_,
                     int slot_, const std::string& depthProgramName,
                     const std::string& blurProgramName, const ShadowMap* sharing)
    : width(width_),
      height(height_),
      internalFormat(internalFormat_),
      format(format_),
      type(type_),
      slot(slot_ + 1),
      ownsShared(sharing == nullptr || sharing->width != width_ || sharing->height != height_ ||
                 sharing->internalFormat != internalFormat_) {
    const GLint colourFormat = static_cast<GLint>(internalFormat);
    if (ownsShared) {
        depthProgram = new ShaderProgram("Shader/" + depthProgramName + ".vert",
                                         "Shader/" + depthProgramName + ".frag");
        blurProgram = new ShaderProgram("Shader/" + blurProgramName + ".vert",
                                        "Shader/" + blurProgramName + ".frag");
        depthTexture = murk::createRenderTexture(GL_TEXTURE1, GL_DEPTH_COMPONENT32F, width, height,
                                                 GL_DEPTH_COMPONENT, GL_FLOAT);
        glGenFramebuffers(1, &blurFramebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, blurFramebuffer);
        blurTexture = murk::createRenderTexture(GL_TEXTURE2, colourFormat, width, height, format, type);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, blurTexture, 0);
    } else {
        depthProgram = sharing->depthProgram;
        blurProgram = sharing->blurProgram;
        depthTexture = sharing->depthTexture;
        blurFramebuffer = sharing->blurFramebuffer;
        blurTexture = sharing->blurTexture;
    }

    glGenFramebuffers(1, &shadowFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, shadowFramebuffer);
    momentsTexture =
        murk::createRenderTexture(GL_TEXTURE0, colourFormat, width, height, format, type);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, momentsTexture, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    blurMaterial = new Material();
    blurQuad = new murk::QuadObject(glm::mat4(1.0f), blurProgram, blurMaterial);
}

ShadowMap::~ShadowMap() {
    delete blurQuad;
    delete blurMaterial;
    glDeleteFramebuffers(1, &shadowFramebuffer);
    glDeleteTextures(1, &momentsTexture);
    if (!ownsShared) return;
    glDeleteFramebuffers(1, &blurFramebuffer);
    glDeleteTextures(1, &blurTexture);
    glDeleteTextures(1, &depthTexture);
    delete blurProgram;
    delete depthProgram;
}

void ShadowMap::blur() {
    blurVertical();
    blurHorizontal();
}

void ShadowMap::blurVertical() {
    blurProgram->use();
    blurPass(blurFramebuffer, momentsTexture, 2, glm::vec2(0.0f, 1.0f / static_cast<float>(height)));
}

void ShadowMap::blurHorizontal() {
    blurProgram->use();
    blurPass(shadowFramebuffer, blurTexture, 0, glm::vec2(1.0f / static_cast<float>(width), 0.0f));
}

void ShadowMap::blurPass(GLuint target, GLuint source, GLenum unit, glm::vec2 scale) {
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, width, height);
    // The quad covers every texel, so nothing is cleared, and it needs no
    // depth test: a software rasteriser would otherwise read and write the
    // map's depth buffer for every texel.
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    glDisable(GL_DEPTH_TEST);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, source);
    const GLuint program = blurProgram->program;
    glUniform2f(glGetUniformLocation(program, "scale"), scale.x, scale.y);
    glUniform1i(glGetUniformLocation(program, "shadowMap"), static_cast<GLint>(unit));
    blurQuad->draw();
    if (depthTest) glEnable(GL_DEPTH_TEST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
