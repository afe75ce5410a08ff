#pragma once

#include <string>

#include <GL/glew.h>
#include <glm/vec2.hpp>

class ShaderProgram;
struct Material;

namespace murk {
class QuadObject;
}

// A spot light's variance shadow map: the moments (depth, depth squared) of
// the light's view in momentsTexture, blurred in place by a separable
// Gaussian so the scene samples soft, filterable shadows. The depth stored
// is linear: distance along the light's axis / 20 (the far plane), which a
// receiver reads as (shadowTexMatrix * p).w / 20.
class ShadowMap {
public:
    // The program names are base names: "Shader/" + name + ".vert"/".frag".
    // With `sharing`, its depth buffer, blur target and programs are used
    // instead of new ones: maps drawn and blurred one after the other need
    // only their own moments. `sharing` must outlive this map.
    ShadowMap(int width, int height, GLenum internalFormat, GLenum format, GLenum type, int slot,
              const std::string& depthProgramName, const std::string& blurProgramName,
              const ShadowMap* sharing = nullptr);
    ~ShadowMap();
    ShadowMap(const ShadowMap&) = delete;
    ShadowMap& operator=(const ShadowMap&) = delete;

    // Both blur passes: vertical into blurTexture, then horizontal back into
    // momentsTexture. Leaves framebuffer 0 bound and unit 0 active.
    void blur();
    void blurVertical();
    void blurHorizontal();

    GLuint getMomentsTexture() const { return momentsTexture; }

    ShaderProgram* depthProgram = nullptr;
    ShaderProgram* blurProgram = nullptr;
    GLuint shadowFramebuffer = 0;
    GLuint blurFramebuffer = 0;
    GLuint momentsTexture = 0;
    GLuint depthTexture = 0;
    GLuint blurTexture = 0;
    int width = 0;
    int height = 0;
    GLenum internalFormat = 0;
    GLenum format = 0;
    GLenum type = 0;
    int slot = 0;  // for information only; the units are fixed
    murk::QuadObject* blurQuad = nullptr;

private:
    void blurPass(GLuint target, GLuint source, GLenum unit, glm::vec2 scale);

    Material* blurMaterial = nullptr;  // the quad does not own its material
    bool ownsShared = true;  // the depth buffer, blur target and programs
};
