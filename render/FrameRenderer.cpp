#include "render/FrameRenderer.h"

#include <algorithm>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "app/GameContext.h"
#include "render/GpuTimer.h"
#include "render/Hud.h"
#include "render/Light.h"
#include "render/LightReach.h"
#include "render/PostProcess.h"
#include "render/ShaderProgram.h"
#include "render/ShadowMap.h"
#include "scene/Material.h"
#include "scene/SceneObject.h"
#include "scene/Texture.h"

namespace {

// Unit of each texture, fixed for the whole game.
constexpr GLint diffuseUnit = 3;
constexpr GLint normalUnit = 4;
constexpr GLint flashlightShadowUnit = 5;
constexpr GLint lampShadowUnit = 6;

enum class ProgramKind { Rim, Default, Energy, Other };

// The renderer knows a program by its vertex shader's path.
ProgramKind programKind(const ShaderProgram& program) {
    if (program.vertexPath == "Shader/rim.vert") return ProgramKind::Rim;
    if (program.vertexPath == "Shader/default.vert") return ProgramKind::Default;
    if (program.vertexPath == "Shader/energy.vert") return ProgramKind::Energy;
    return ProgramKind::Other;
}

bool present(const Texture* texture) {
    return texture != nullptr && texture->id != Texture::noImage;
}

void bindTexture(GLint unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_2D, texture);
}

GLint named(const ShaderProgram& program, const char* name) {
    return glGetUniformLocation(program.program, name);
}

void setMatrix(GLint location, const glm::mat4& m) {
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(m));
}

void setVector(GLint location, const glm::vec3& v) {
    glUniform3fv(location, 1, glm::value_ptr(v));
}

void setLight(const ShaderProgram& program, const Light& light, const char* location, const char* spotDir,
              const char* cutOff, const char* intensity) {
    setVector(named(program, location), light.position);
    setVector(named(program, spotDir), light.direction);
    glUniform1f(named(program, cutOff), light.cutOff);
    glUniform1f(named(program, intensity), light.intensity);
}

bool translucent(const murk::SceneObject& object) {
    return object.material != nullptr && object.material->opacity != 1.0f;
}

// Whether the opaque loop will draw object i with the default program:
// those get the depth pass first.
bool takesDepthFirst(GameContext& context, std::size_t i) {
    const murk::SceneObject& object = *context.sceneObjects[i];
    if (programKind(*object.shader) != ProgramKind::Default) return false;
    if (translucent(object) && context.transparency) return false;
    return !(context.frustum.enabled && i > neverCulledUpTo && !context.frustum.isVisible(object));
}

class FramePass {
public:
    FramePass(GameContext& gameContext, const FrameMatrices& frameMatrices, GLuint plain)
        : context(gameContext), table(gameContext.uniformTable), m(frameMatrices), plainTexture(plain) {}

    // Binds the object's program and sets the uniforms its kind takes.
    // Objects of other programs draw with whatever is current.
    void prepare(std::size_t i, float opacity) {
        murk::SceneObject& object = *context.sceneObjects[i];
        switch (programKind(*object.shader)) {
        case ProgramKind::Rim: rimUniforms(i, object); break;
        case ProgramKind::Default: defaultUniforms(i, object, opacity); break;
        case ProgramKind::Energy:
        case ProgramKind::Other: break;
        }
    }

    void draw(std::size_t i) {
        murk::SceneObject& object = *context.sceneObjects[i];
        object.draw();
        DrawCounts& counts = context.drawCounts;
        counts.objects += 1;
        counts.faces += static_cast<unsigned>(std::max(object.indexCount, 0) / 3);
        counts.vertices += static_cast<unsigned>(std::max(object.vertexCount, 0));
    }

    void pickupUniforms(std::size_t i) {
        murk::SceneObject& object = *context.sceneObjects[i];
        object.shader->use();
        setMatrix(table.modelMatrix[i], object.modelMatrix);
        setMatrix(table.mvpMatrix[i], m.projection * m.view * object.modelMatrix);
        setVector(table.lightLocation[i], flashlightPosition());
        glUniform1f(table.opacity[i], 1.0f);
        glUniform1i(table.wireframe[i], context.wireframe ? 1 : 0);
    }

    void energyUniforms(std::size_t i) {
        murk::SceneObject& object = *context.sceneObjects[i];
        const ShaderProgram& program = *object.shader;
        program.use();
        setMatrix(named(program, "modelMatrix"), object.modelMatrix);
        setMatrix(named(program, "mvpMatrix"), m.projection * m.view * object.modelMatrix);
        setVector(named(program, "lightLocation"), flashlightPosition());
        glUniform1f(named(program, "opacity"), 0.1f);
        glUniform1i(named(program, "wireframe"), context.wireframe ? 1 : 0);
    }

private:
    static WorldBox boxOf(const murk::SceneObject& object) {
        return worldBox(glm::vec3(object.minX, object.minY, object.minZ), glm::vec3(object.maxX, object.maxY, object.maxZ),
                        object.modelMatrix);
    }

    // The object's own program, or a variant without the lights that
    // cannot reach it.
    const ShaderProgram& defaultProgramFor(const murk::SceneObject& object) const {
        if (variants.withoutLights == nullptr) return *object.shader;
        const WorldBox box = boxOf(object);
        const bool flashlight = shining[0] && coneReaches(cones[0], level, box);
        const bool lamp = shining[1] && coneReaches(cones[1], level, box);
        if (flashlight && lamp) return *object.shader;
        if (flashlight) return *variants.withoutLamp;
        if (lamp) return *variants.withoutFlashlight;
        return *variants.withoutLights;
    }

    glm::vec3 flashlightPosition() const {
        return context.lights.empty() ? context.camera.position : context.lights[0]->position;
    }

    void diffuse(std::size_t i, const murk::SceneObject& object) {
        const Texture* texture = object.material != nullptr ? object.material->diffuseTexture : nullptr;
        bindTexture(diffuseUnit, present(texture) ? texture->id : plainTexture);
        glUniform1i(table.diffuseTexture[i], diffuseUnit);
    }

    void rimUniforms(std::size_t i, murk::SceneObject& object) {
        const ShaderProgram& program = *object.shader;
        program.use();
        diffuse(i, object);
        const glm::mat4& model = object.modelMatrix;
        setVector(table.cameraLocation[i], context.camera.position);
        setMatrix(table.modelMatrix[i], model);
        setMatrix(table.normalMatrix[i], glm::transpose(glm::inverse(model)));
        setMatrix(table.mvpMatrix[i], m.projection * m.view * model);
        glUniform1f(table.I[i], context.camera.lightIntensity);
        glUniform1f(named(program, "ambient"), context.settings.ambient);
        glUniform1i(table.wireframe[i], context.wireframe ? 1 : 0);
    }

public:
    // Lets objects a light cannot reach use "default" without that light.
    void leaveOutUnreachedLights(const DefaultVariants& programs) {
        if (context.lights.size() < 2) return;
        variants = programs;
        for (std::size_t i = 1; i < context.sceneObjects.size(); ++i) {
            level.add(boxOf(*context.sceneObjects[i]));
        }
        for (std::size_t l = 0; l < 2; ++l) {
            const Light& light = *context.lights[l];
            cones[l] = LightCone{light.position, -light.direction, light.cutOff};
            shining[l] = light.intensity > 0.0f;
        }
    }

private:
    void defaultUniforms(std::size_t i, murk::SceneObject& object, float opacity) {
        const ShaderProgram& program = defaultProgramFor(object);
        program.use();
        // Locations in the table are the object's own program's.
        const bool own = &program == object.shader;
        const auto at = [&](const std::vector<GLint>& column, const char* name) {
            return own ? column[i] : named(program, name);
        };
        const GLint diffuseLocation = at(table.diffuseTexture, "diffuseTexture");
        const Texture* texture = object.material != nullptr ? object.material->diffuseTexture : nullptr;
        bindTexture(diffuseUnit, present(texture) ? texture->id : plainTexture);
        glUniform1i(diffuseLocation, diffuseUnit);
        const Texture* normalMap = object.material != nullptr ? object.material->normalTexture : nullptr;
        if (present(normalMap)) {
            bindTexture(normalUnit, normalMap->id);
            glUniform1i(at(table.normalTexture, "normalTexture"), normalUnit);
        }
        glUniform1i(named(program, "nmType"), present(normalMap) ? static_cast<GLint>(normalMap->id) : -1);

        const glm::mat4& model = object.modelMatrix;
        setMatrix(named(program, "shadowTexMatrix_0"), m.flashlightShadow * model);
        setMatrix(named(program, "shadowTexMatrix_1"), m.bias * m.lightProjection * m.lampView * model);
        if (context.lights.size() >= 2) {
            bindTexture(flashlightShadowUnit, context.lights[0]->shadowMap->getMomentsTexture());
            glUniform1i(named(program, "shadowMap_0"), flashlightShadowUnit);
            bindTexture(lampShadowUnit, context.lights[1]->shadowMap->getMomentsTexture());
            glUniform1i(named(program, "shadowMap_1"), lampShadowUnit);
            setLight(program, *context.lights[0], "lightLocation_0", "spotDir_0", "spotCutOff_0", "I_0");
            setLight(program, *context.lights[1], "lightLocation_1", "spotDir_1", "spotCutOff_1", "I_1");
        }
        setVector(at(table.cameraLocation, "cameraLocation"), context.camera.position);
        setMatrix(at(table.modelMatrix, "modelMatrix"), model);
        setMatrix(at(table.normalMatrix, "normalMatrix"), glm::transpose(glm::inverse(model)));
        setMatrix(at(table.mvpMatrix, "mvpMatrix"), m.projection * m.view * model);
        setMatrix(named(program, "mvMatrix"), m.view * model);
        glUniform1f(at(table.shininess, "shininess"), 0.5f);
        glUniform1f(at(table.ambientFactor, "ambientFactor"), context.settings.ambient);
        glUniform1f(at(table.opacity, "opacity"), opacity);
        glUniform1i(at(table.wireframe, "wireframe"), context.wireframe ? 1 : 0);
        glUniform1f(at(table.damage, "damage"), object.getDamage());
    }

    GameContext& context;
    const UniformTable& table;
    const FrameMatrices& m;
    GLuint plainTexture;
    DefaultVariants variants;
    WorldBox level;
    LightCone cones[2];
    bool shining[2] = {false, false};
};

// Objects that are not drawn now but after everything opaque, in scene order.
std::vector<std::size_t> opaqueLoop(GameContext& context, FramePass& pass, const FrameLayout& layout,
                                    const FrameMatrices& m, bool depthFirst) {
    std::vector<std::size_t> deferred;
    for (std::size_t i = layout.opaqueBegin; i < layout.opaqueEnd; ++i) {
        murk::SceneObject& object = *context.sceneObjects[i];
        // The last object of the loop is drawn from both sides.
        const bool twoSided = i + 1 == layout.opaqueEnd;
        if (twoSided) glDisable(GL_CULL_FACE);
        const bool culled = context.frustum.enabled && i > neverCulledUpTo && !context.frustum.isVisible(object);
        if (!culled) {
            if (translucent(object) && context.transparency) {
                deferred.push_back(i);
            } else {
                if (i == 1) object.modelMatrix = heldLightMatrix(context.camera, m.view);
                // After the depth pass, surfaces tied at the front depth all
                // pass; the stencil keeps the first, as the plain test would.
                if (depthFirst && takesDepthFirst(context, i)) {
                    glEnable(GL_STENCIL_TEST);
                } else {
                    glDisable(GL_STENCIL_TEST);
                }
                pass.prepare(i, 1.0f);
                pass.draw(i);
            }
        }
        if (twoSided) glEnable(GL_CULL_FACE);
    }
    glDisable(GL_STENCIL_TEST);
    return deferred;
}

// Lays down the depth of the opaque objects the default program lights, so
// the scene pass lights each pixel once instead of once per covering
// surface (a software rasteriser runs the whole lighting for every fragment
// that passes the depth test). The held light (object 1) is placed during
// the loop and skipped. Not in wireframe mode, where lines must show.
bool depthPass(GameContext& context, const FrameLayout& layout, const FrameMatrices& m, const ShaderProgram* program) {
    if (program == nullptr || context.wireframe) return false;
    program->use();
    const GLint mvp = named(*program, "mvpMatrix");
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (std::size_t i = std::max<std::size_t>(layout.opaqueBegin, 2); i < layout.opaqueEnd; ++i) {
        if (!takesDepthFirst(context, i)) continue;
        const bool twoSided = i + 1 == layout.opaqueEnd;
        if (twoSided) glDisable(GL_CULL_FACE);
        murk::SceneObject& object = *context.sceneObjects[i];
        setMatrix(mvp, m.projection * m.view * object.modelMatrix);
        object.draw();
        if (twoSided) glEnable(GL_CULL_FACE);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The lit pass meets the same depths again, and marks each pixel it lights.
    glDepthFunc(GL_LEQUAL);
    glStencilFunc(GL_EQUAL, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
    return true;
}

void pickupLoop(GameContext& context, FramePass& pass, const FrameLayout& layout, const FrameMatrices& m) {
    for (std::size_t i = layout.pickupBegin; i < layout.pickupEnd; ++i) {
        const int k = static_cast<int>(i - layout.pickupBegin);
        const std::vector<int>& collected = context.collectedPickups;
        const auto at = std::find(collected.begin(), collected.end(), k);
        if (at != collected.end()) {
            context.sceneObjects[i]->modelMatrix =
                collectedPickupMatrix(context.camera, m.view, static_cast<std::size_t>(at - collected.begin()),
                                      context.swingA, context.swingB, context.swingC);
        }
        pass.pickupUniforms(i);
        pass.draw(i);
    }
}

void transparentPass(GameContext& context, FramePass& pass, const std::vector<std::size_t>& deferred) {
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    for (const std::size_t i : deferred) {
        murk::SceneObject& object = *context.sceneObjects[i];
        // The index rule of the opaque loop does not apply here.
        if (!context.frustum.isVisible(object) && context.frustum.enabled) continue;
        if (programKind(*object.shader) == ProgramKind::Energy) {
            pass.energyUniforms(i);
        } else {
            pass.prepare(i, object.material->opacity);
        }
        pass.draw(i);
    }
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
}

// Both lights' shadow maps, depth and blur timed apart. Wireframe mode
// leaves line mode on between frames; the maps must still be filled.
void shadowPasses(GameContext& context, bool regions) {
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    for (std::size_t l = 0; l < context.lights.size(); ++l) {
        const Light& light = *context.lights[l];
        // Only the part of the map the cone can read is drawn and blurred:
        // the rest would never be looked at.
        const MapRegion region = regions ? shadowReadRegion(light.cutOff, light.shadowMap->width, light.shadowMap->height)
                                         : MapRegion{0, 0, light.shadowMap->width, light.shadowMap->height};
        glEnable(GL_SCISSOR_TEST);
        glScissor(region.x, region.y, region.width, region.height);
        {
            GpuScope scope(context.gpuTimer, l == 0 ? GpuPass::Shadow0 : GpuPass::Shadow1);
            renderShadowDepth(light, l == 0 ? context.camera.up : context.lampUp, context.sceneObjects);
        }
        {
            GpuScope scope(context.gpuTimer, GpuPass::Blurs);
            light.shadowMap->blur();
        }
        glDisable(GL_SCISSOR_TEST);
    }
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
}

// The camera-relative frame of the held light and the carried pick-ups.
glm::mat4 carriedMatrix(const Camera& camera, const glm::mat4& view, float lift) {
    glm::mat4 x = glm::translate(view, -0.2f * glm::normalize(camera.direction));
    x = glm::translate(x, glm::normalize(camera.up) * (lift - camera.bobOffset / 300.0f + camera.swayY));
    x = glm::translate(x, glm::normalize(camera.right) * (camera.swayX - 0.15f));
    return glm::inverse(x);
}

}  // namespace

FrameLayout frameLayout(std::size_t objectCount) {
    FrameLayout layout;
    if (objectCount < 5) {
        layout.opaqueEnd = std::max<std::size_t>(objectCount, 1);
        return layout;
    }
    layout.opaqueEnd = objectCount - 3;
    layout.pickupBegin = objectCount - 3;
    layout.pickupEnd = objectCount;
    return layout;
}

FrameMatrices frameMatrices(const GameContext& context) {
    const Camera& camera = context.camera;
    FrameMatrices m;
    m.view = glm::lookAt(camera.position, camera.position + camera.direction, camera.up);
    m.projection = projection::camera(context.fieldOfView, context.settings.width, context.settings.height);
    m.bias = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)), glm::vec3(0.5f));
    m.lightProjection = projection::spotLight();
    if (!context.lights.empty()) m.flashlightView = lightView(*context.lights[0], camera.up);
    if (context.lights.size() >= 2) m.lampView = lightView(*context.lights[1], context.lampUp);
    m.flashlightShadow = m.bias * m.lightProjection * m.flashlightView;
    return m;
}

glm::mat4 heldLightMatrix(const Camera& camera, const glm::mat4& view) {
    glm::mat4 model = carriedMatrix(camera, view, 0.12f);
    model = glm::scale(model, glm::vec3(0.03f));
    return glm::rotate(model, 3.14f, glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 collectedPickupMatrix(const Camera& camera, const glm::mat4& view, std::size_t listPosition,
                                float swingA, float swingB, float swingC) {
    glm::mat4 model = carriedMatrix(camera, view, 0.06f);
    glm::vec3 offset(0.05f * swingA, 0.01f * swingB, 0.05f * swingC);
    if (listPosition == 1) offset = -offset;
    if (listPosition == 2) offset = glm::vec3(-offset.x, -offset.y, offset.z);
    model = glm::translate(model, offset);
    return glm::scale(model, glm::vec3(0.02f));
}

void renderFrame(GameContext& context, GLuint plainTexture, const FrameShortcuts& shortcuts) {
    context.drawCounts = DrawCounts{};
    GpuTimer* timer = context.gpuTimer;

    shadowPasses(context, shortcuts.shadowRegions);

    const FrameMatrices m = frameMatrices(context);
    {
        GpuScope scope(timer, GpuPass::Scene);
        glBindFramebuffer(GL_FRAMEBUFFER, context.postProcess->sceneFramebuffer);
        glViewport(0, 0, context.settings.width, context.settings.height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        const FrameLayout layout = frameLayout(context.sceneObjects.size());
        FramePass pass(context, m, plainTexture);
        if (shortcuts.defaultVariants.withoutLights != nullptr) pass.leaveOutUnreachedLights(shortcuts.defaultVariants);
        const bool depthFirst = depthPass(context, layout, m, shortcuts.depthProgram);
        const std::vector<std::size_t> deferred = opaqueLoop(context, pass, layout, m, depthFirst);
        if (depthFirst) glDepthFunc(GL_LESS);
        pickupLoop(context, pass, layout, m);
        if (context.transparency) transparentPass(context, pass, deferred);
        // The full-screen passes must fill the window whatever the scene used.
        if (context.wireframe) glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    {
        GpuScope scope(timer, GpuPass::Bloom);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        context.postProcess->run();
    }
    GpuScope scope(timer, GpuPass::PresentHud);
    presentFrame(context);
}
