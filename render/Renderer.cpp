#include "render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <string>

#include <glm/common.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "render/GpuTimer.h"
#include "render/Hud.h"
#include "render/TextRenderer.h"
#include "render/Light.h"
#include "render/LightReach.h"
#include "render/PostProcess.h"
#include "render/Projection.h"
#include "render/ScreenBounds.h"
#include "render/ShadowMap.h"
#include "scene/Material.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"
#include "scene/Texture.h"

namespace {

// Unit of each texture, fixed for the whole game.
constexpr GLint diffuseUnit = 3;
constexpr GLint normalUnit = 4;
constexpr GLint flashlightShadowUnit = 5;
constexpr GLint lampShadowUnit = 6;
constexpr GLint hudUnit = 6;
constexpr GLint screenUnit = 7;

enum class ProgramKind { Rim, Default, Energy, Other };

// The renderer knows a program by its vertex shader's path.
ProgramKind programKind(const ShaderProgram& program) {
    if (program.vertexPath == "Shader/rim.vert") return ProgramKind::Rim;
    if (program.vertexPath == "Shader/default.vert") return ProgramKind::Default;
    if (program.vertexPath == "Shader/energy.vert") return ProgramKind::Energy;
    return ProgramKind::Other;
}

bool hasImage(const Texture* texture) {
    return texture != nullptr && texture->id != Texture::noImage;
}

GLuint imageOf(const Texture* texture) {
    return hasImage(texture) ? texture->id : 0;
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

bool culled(const FrameView& view, std::size_t i, const murk::SceneObject& object) {
    return view.frustum != nullptr && view.frustum->enabled && i > objectRole::lastNeverCulled &&
           !view.frustum->isVisible(object);
}

// Whether the opaque loop draws object i with the default program: those
// get the depth pass first.
bool takesDepthFirst(const FrameView& view, std::size_t i) {
    const murk::SceneObject& object = *(*view.objects)[i];
    if (programKind(*object.shader) != ProgramKind::Default) return false;
    if (translucent(object) && view.transparency) return false;
    return !culled(view, i, object);
}

}  // namespace

// The frame's matrices.
struct FrameMatrices {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
    glm::mat4 bias{1.0f};  // clip space -1..1 to texture space 0..1
    glm::mat4 lightProjection{1.0f};
    glm::mat4 flashlightShadow{1.0f};  // bias * lightProjection * flashlight's view
    glm::mat4 lampShadow{1.0f};
};

FrameMatrices frameMatrices(const FrameView& view, const Light& flashlight, const Light& lamp) {
    FrameMatrices m;
    m.view = glm::lookAt(view.eye, view.eye + view.direction, view.up);
    m.projection = projection::camera(view.fieldOfView, view.width, view.height);
    m.bias = glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f)), glm::vec3(0.5f));
    m.lightProjection = projection::spotLight();
    m.flashlightShadow = m.bias * m.lightProjection * lightView(flashlight, view.flashlight.up);
    m.lampShadow = m.bias * m.lightProjection * lightView(lamp, view.lamp.up);
    return m;
}

// Where each light falls this frame (ScenePass::lightUse).
struct LightUse {
    WorldBox lit[2];                // the lit parts of objects drawn by screen area
    bool always[2] = {false, false};  // some other drawn object takes the light
};

namespace {

// A full-window quad with its own program and an empty material.
struct Quad {
    std::unique_ptr<ShaderProgram> program;
    std::unique_ptr<Material> material;
};

std::unique_ptr<murk::QuadObject> makeQuad(Quad& parts, const std::string& shader) {
    parts.program = std::make_unique<ShaderProgram>("Shader/" + shader + ".vert", "Shader/" + shader + ".frag");
    parts.material = std::make_unique<Material>();
    return std::make_unique<murk::QuadObject>(glm::mat4(1.0f), parts.program.get(), parts.material.get());
}

ShadowMap* makeShadowMap(int size, int slot) {
    return new ShadowMap(size, size, GL_RG32F, GL_RG, GL_FLOAT, slot, "varianceShadowMapping", "gaussian");
}

std::unique_ptr<Texture> loadImage(const char* name, int slot, const std::string& cookedFolder) {
    auto texture = std::make_unique<Texture>();
    texture->load(name, slot, "RGB", cookedFolder);
    return texture;
}

// A 1x1 mid-grey texture for untextured surfaces.
GLuint makePlainTexture() {
    const unsigned char grey[3] = {150, 150, 150};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, grey);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

// The HUD area of an image, read back from GL.
glm::vec4 measureHudArea(GLuint image) {
    if (image == 0) return {0.0f, 0.0f, 1.0f, 1.0f};
    GLint width = 0;
    GLint height = 0;
    glBindTexture(GL_TEXTURE_2D, image);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(std::max(width, 0)) *
                                   static_cast<std::size_t>(std::max(height, 0)) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!rgb.empty()) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
    return hudArea(rgb, width, height);
}

// Confines drawing to the HUD's part of the viewport.
void scissorTo(const glm::vec4& area) {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    const auto at = [](float fraction, GLint size) {
        return static_cast<GLint>(std::floor(fraction * static_cast<float>(size)));
    };
    const GLint x0 = viewport[0] + at(area.x, viewport[2]) - 1;
    const GLint y0 = viewport[1] + at(area.y, viewport[3]) - 1;
    const GLint x1 = viewport[0] + at(area.z, viewport[2]) + 2;
    const GLint y1 = viewport[1] + at(area.w, viewport[3]) + 2;
    glEnable(GL_SCISSOR_TEST);
    glScissor(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

}  // namespace

// The programs the renderer makes for itself.
struct Renderer::Programs {
    Quad hud, screen, spare;
    // "quad" without the brightness curve, for the picture as made.
    std::unique_ptr<ShaderProgram> plainScreen;
    // plainScreen reading each pixel's own texel: for the scene's images,
    // which have the window's size, where filtering a texel centre only
    // costs time.
    std::unique_ptr<ShaderProgram> ownTexelScreen;
    // The scene's images drawn at a render scale below 1, filtered up to the
    // window, without and with the brightness curve.
    std::unique_ptr<ShaderProgram> scaledScreen, scaledCurveScreen;
    // Lays down the scene's depth before it is lit.
    std::unique_ptr<ShaderProgram> depth;
    // "default" without the flashlight, without the lamp, without both.
    std::unique_ptr<ShaderProgram> withoutFlashlight, withoutLamp, withoutLights;
    // withoutLights with the highlight roll-off left out, for an ambient too
    // dim to reach it.
    std::unique_ptr<ShaderProgram> withoutLightsDim;
};

namespace {

// A unit cube from (0, 0, 0) to (1, 1, 1), positions only, for `program`.
class UnitCube : public murk::SceneObject {
public:
    explicit UnitCube(ShaderProgram* program) : SceneObject(glm::mat4(1.0f), program, nullptr) {
        for (int corner = 0; corner < 8; ++corner)
            positions.insert(positions.end(), {float(corner & 1), float((corner >> 1) & 1), float((corner >> 2) & 1)});
        indices = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                   2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
        vertexCount = 8;
        indexCount = 36;
        SceneObject::setupBuffers();
    }
};

}  // namespace

// Whether each light's lit parts showed against the scene's depth.
struct Renderer::LitPartQueries {
    explicit LitPartQueries(ShaderProgram* program) : cube(program) { glGenQueries(2, queries); }
    ~LitPartQueries() { glDeleteQueries(2, queries); }
    LitPartQueries(const LitPartQueries&) = delete;
    LitPartQueries& operator=(const LitPartQueries&) = delete;

    UnitCube cube;
    GLuint queries[2] = {0, 0};
    bool asked[2] = {false, false};
    bool drawing = false;
};

// Sets each object's uniforms for the scene pass and draws it.
class Renderer::ScenePass {
public:
    ScenePass(const FrameView& frameView, const FrameMatrices& frameMatrices, const Renderer& owner,
              DrawCounts& drawCounts)
        : view(frameView), objects(*frameView.objects), m(frameMatrices), renderer(owner),
          table(owner.uniformTable), counts(drawCounts) {}

    const FrameMatrices& matrices() const { return m; }

    // Whatever object i shows may be bright anywhere inside its box.
    void markBright(std::size_t i) {
        bright = unite(bright, boxOnScreen(boxOf(*objects[i]), m.projection * m.view, view.width, view.height));
    }

    // The pixels that can reach the bloom's threshold: where a light falls
    // on a "default" object drawn by screen area, and the whole picture of
    // every other object.
    const PixelRect& brightArea() const { return bright; }

    // Binds the object's program and sets the uniforms its kind takes.
    // Objects of other programs draw with whatever is current.
    void prepare(std::size_t i, float opacity) {
        murk::SceneObject& object = *objects[i];
        switch (programKind(*object.shader)) {
        case ProgramKind::Rim: rimUniforms(i, object); break;
        case ProgramKind::Default: defaultUniforms(i, object, opacity, lightsReaching(object)); break;
        case ProgramKind::Energy:
        case ProgramKind::Other: break;
        }
    }

    void draw(std::size_t i) {
        murk::SceneObject& object = *objects[i];
        object.draw();
        count(object);
    }

    // Lights each pixel of an opaque "default" object with only the lights
    // whose cone covers that part of the screen: first where all its lights
    // can shine, then with one light less where only the other can, and so
    // on. The stencil of the depth pass keeps each pixel to the first draw
    // that reaches it, so the picture is the one a single draw gives.
    void drawByScreenArea(std::size_t i) {
        murk::SceneObject& object = *objects[i];
        const unsigned needed = lightsReaching(object);
        // Where each cone can fall on the object: its part nearer the apex
        // than the object's box cannot light it.
        const WorldBox box = boxOf(object);
        const PixelRect onScreen[2] = {lightOnScreen(box, 0), lightOnScreen(box, 1)};
        const PixelRect shown = boxOnScreen(box, m.projection * m.view, view.width, view.height);
        for (unsigned l = 0; l < 2; ++l)
            if ((needed & bit(l)) != 0u) bright = unite(bright, overlap(shown, onScreen[l]));
        glEnable(GL_SCISSOR_TEST);
        for (const unsigned lights : {bothLights, torchLight, lampLight, noLight}) {
            if ((lights & ~needed) != 0u) continue;
            PixelRect area{0, 0, view.width, view.height};
            bool left = true;
            for (unsigned l = 0; l < 2; ++l) {
                if ((lights & bit(l)) != 0u) {
                    area = overlap(area, onScreen[l]);
                } else if ((needed & bit(l)) != 0u && onScreen[l].width >= view.width &&
                           onScreen[l].height >= view.height) {
                    left = false;  // that light covers the whole view: no pixel is left for this draw
                }
            }
            if (!left || area.empty()) continue;
            glScissor(area.x, area.y, area.width, area.height);
            defaultUniforms(i, object, 1.0f, lights);
            object.draw();
        }
        glDisable(GL_SCISSOR_TEST);
        count(object);
    }

    void pickupUniforms(std::size_t i) {
        murk::SceneObject& object = *objects[i];
        object.shader->use();
        setMatrix(table.modelMatrix[i], object.modelMatrix);
        setMatrix(table.mvpMatrix[i], m.projection * m.view * object.modelMatrix);
        setVector(table.lightLocation[i], flashlight().position);
        glUniform1f(table.opacity[i], 1.0f);
        glUniform1i(table.wireframe[i], view.wireframe ? 1 : 0);
    }

    void energyUniforms(std::size_t i) {
        murk::SceneObject& object = *objects[i];
        const ShaderProgram& program = *object.shader;
        program.use();
        setMatrix(named(program, "modelMatrix"), object.modelMatrix);
        setMatrix(named(program, "mvpMatrix"), m.projection * m.view * object.modelMatrix);
        setVector(named(program, "lightLocation"), flashlight().position);
        glUniform1f(named(program, "opacity"), 0.1f);
        glUniform1i(named(program, "wireframe"), view.wireframe ? 1 : 0);
    }

    // Which drawn "default" objects each light may fall on. Objects drawn by
    // screen area count only where the light falls on them inside the view,
    // and give the world box of those parts; any other object the light
    // reaches needs its shadow map whatever shows.
    LightUse lightUse(bool byScreenArea) const {
        LightUse use;
        for (std::size_t i = objectRole::heldLight; i < objects.size(); ++i) {
            const murk::SceneObject& object = *objects[i];
            if (programKind(*object.shader) != ProgramKind::Default || culled(view, i, object)) continue;
            const unsigned lights = lightsReaching(object);
            const bool byArea = byScreenArea && takesDepthFirst(view, i);
            const WorldBox box = byArea ? boxOf(object) : WorldBox{};
            for (unsigned l = 0; l < 2; ++l) {
                if ((lights & bit(l)) == 0u) continue;
                if (!byArea) {
                    use.always[l] = true;
                } else if (!lightOnScreen(box, l).empty()) {
                    const Light& light = *renderer.lights[l];
                    use.lit[l].add(litPart(LightCone{light.position, -light.direction, light.cutOff}, box));
                }
            }
        }
        return use;
    }

    // Lets objects a light cannot reach use "default" without that light.
    void leaveOutUnreachedLights() {
        leaveOut = true;
        for (std::size_t i = objectRole::heldLight; i < objects.size(); ++i) level.add(boxOf(*objects[i]));
        for (std::size_t l = 0; l < 2; ++l) {
            const Light& light = *renderer.lights[l];
            cones[l] = LightCone{light.position, -light.direction, light.cutOff};
            shining[l] = light.intensity > 0.0f;
        }
    }


private:
    static constexpr unsigned noLight = 0u;
    static constexpr unsigned torchLight = 1u;
    static constexpr unsigned lampLight = 2u;
    static constexpr unsigned bothLights = 3u;
    static unsigned bit(unsigned light) { return 1u << light; }

    // Where light l can fall on a box on screen, bounded twice: by the
    // cone's own picture from the box's distance on, and by the picture of
    // the part of the box the cone passes through.
    PixelRect lightOnScreen(const WorldBox& box, unsigned l) const {
        const Light& light = *renderer.lights[l];
        const LightCone cone{light.position, -light.direction, light.cutOff};
        const float from = distanceTo(light.position, box) * std::min(light.cutOff, 1.0f) * 0.99f;
        return overlap(coneOnScreen(cone, m.view, m.projection, view.width, view.height, from),
                       boxOnScreen(litPart(cone, box), m.projection * m.view, view.width, view.height));
    }

    void count(const murk::SceneObject& object) {
        counts.objects += 1;
        counts.faces += static_cast<unsigned>(std::max(object.indexCount, 0) / 3);
        counts.vertices += static_cast<unsigned>(std::max(object.vertexCount, 0));
    }

    static WorldBox boxOf(const murk::SceneObject& object) {
        return worldBox(glm::vec3(object.minX, object.minY, object.minZ),
                        glm::vec3(object.maxX, object.maxY, object.maxZ), object.modelMatrix);
    }

    const Light& flashlight() const { return *renderer.lights[0]; }

    // The lights that may fall on the object: both, or where unreached
    // lights are left out, those that shine and whose cone reaches its box.
    unsigned lightsReaching(const murk::SceneObject& object) const {
        if (!leaveOut) return bothLights;
        const WorldBox box = boxOf(object);
        unsigned lights = noLight;
        if (shining[0] && coneReaches(cones[0], level, box)) lights |= torchLight;
        if (shining[1] && coneReaches(cones[1], level, box)) lights |= lampLight;
        return lights;
    }

    // The object's own program with both lights, or "default" compiled
    // without the others.
    const ShaderProgram& defaultProgramWith(const murk::SceneObject& object, unsigned lights) const {
        switch (lights) {
        case bothLights: return *object.shader;
        case torchLight: return *renderer.programs->withoutLamp;
        case lampLight: return *renderer.programs->withoutFlashlight;
        default: return dimAmbient() ? *renderer.programs->withoutLightsDim : *renderer.programs->withoutLights;
        }
    }

    // "default" scales the ambient by 0.3 and rolls colours off above 0.7;
    // below that the curve changes nothing (a margin for rounding).
    bool dimAmbient() const { return view.ambient * 0.3f < 0.69f; }

    void bindDiffuse(const murk::SceneObject& object, GLint location) {
        const Texture* texture = object.material != nullptr ? object.material->diffuseTexture : nullptr;
        bindTexture(diffuseUnit, hasImage(texture) ? texture->id : renderer.plainTexture);
        glUniform1i(location, diffuseUnit);
    }

    void rimUniforms(std::size_t i, murk::SceneObject& object) {
        const ShaderProgram& program = *object.shader;
        program.use();
        bindDiffuse(object, table.diffuseTexture[i]);
        const glm::mat4& model = object.modelMatrix;
        setVector(table.cameraLocation[i], view.eye);
        setMatrix(table.modelMatrix[i], model);
        setMatrix(table.normalMatrix[i], glm::transpose(glm::inverse(model)));
        setMatrix(table.mvpMatrix[i], m.projection * m.view * model);
        glUniform1f(table.lightIntensity[i], view.lightIntensity);
        glUniform1f(named(program, "ambient"), view.ambient);
        glUniform1i(table.wireframe[i], view.wireframe ? 1 : 0);
    }

    void defaultUniforms(std::size_t i, murk::SceneObject& object, float opacity, unsigned lights) {
        const ShaderProgram& program = defaultProgramWith(object, lights);
        program.use();
        // Locations in the table are the object's own program's.
        const bool own = &program == object.shader;
        const auto at = [&](const std::vector<GLint>& column, const char* name) {
            return own ? column[i] : named(program, name);
        };
        bindDiffuse(object, at(table.diffuseTexture, "diffuseTexture"));
        const Texture* normalMap = object.material != nullptr ? object.material->normalTexture : nullptr;
        if (hasImage(normalMap)) {
            bindTexture(normalUnit, normalMap->id);
            glUniform1i(at(table.normalTexture, "normalTexture"), normalUnit);
        }
        glUniform1i(named(program, "nmType"), hasImage(normalMap) ? static_cast<GLint>(normalMap->id) : -1);

        const glm::mat4& model = object.modelMatrix;
        setMatrix(named(program, "shadowTexMatrix_0"), m.flashlightShadow * model);
        setMatrix(named(program, "shadowTexMatrix_1"), m.lampShadow * model);
        bindTexture(flashlightShadowUnit, renderer.lights[0]->shadowMap->getMomentsTexture());
        glUniform1i(named(program, "shadowMap_0"), flashlightShadowUnit);
        bindTexture(lampShadowUnit, renderer.lights[1]->shadowMap->getMomentsTexture());
        glUniform1i(named(program, "shadowMap_1"), lampShadowUnit);
        setLight(program, *renderer.lights[0], "lightLocation_0", "spotDir_0", "spotCutOff_0", "I_0");
        setLight(program, *renderer.lights[1], "lightLocation_1", "spotDir_1", "spotCutOff_1", "I_1");
        setVector(at(table.cameraLocation, "cameraLocation"), view.eye);
        setMatrix(at(table.modelMatrix, "modelMatrix"), model);
        setMatrix(at(table.normalMatrix, "normalMatrix"), glm::transpose(glm::inverse(model)));
        setMatrix(at(table.mvpMatrix, "mvpMatrix"), m.projection * m.view * model);
        setMatrix(named(program, "mvMatrix"), m.view * model);
        glUniform1f(at(table.shininess, "shininess"), 0.5f);
        glUniform1f(at(table.ambientFactor, "ambientFactor"), view.ambient);
        glUniform1f(at(table.opacity, "opacity"), opacity);
        glUniform1i(at(table.wireframe, "wireframe"), view.wireframe ? 1 : 0);
        glUniform1f(at(table.damage, "damage"), object.getDamage());
    }

    const FrameView& view;
    const std::vector<murk::SceneObject*>& objects;
    const FrameMatrices& m;
    const Renderer& renderer;
    const UniformTable& table;
    DrawCounts& counts;
    bool leaveOut = false;
    WorldBox level;
    LightCone cones[2];
    bool shining[2] = {false, false};
    PixelRect bright;
};

namespace {

// Lays down the depth of the opaque objects the default program lights, so
// the scene pass lights each pixel once instead of once per covering
// surface (a software rasteriser runs the whole lighting for every fragment
// that passes the depth test). Not in wireframe mode, where lines must show.
void depthPass(const FrameView& view, const FrameMatrices& m, const ShaderProgram& program) {
    const std::vector<murk::SceneObject*>& objects = *view.objects;
    const std::size_t end = objectRole::firstPickup(objects.size());
    program.use();
    const GLint mvp = named(program, "mvpMatrix");
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (std::size_t i = objectRole::firstCaster; i < end; ++i) {
        if (!takesDepthFirst(view, i)) continue;
        const bool twoSided = objectRole::twoSided(i, objects.size());
        if (twoSided) glDisable(GL_CULL_FACE);
        setMatrix(mvp, m.projection * m.view * objects[i]->modelMatrix);
        objects[i]->draw();
        if (twoSided) glEnable(GL_CULL_FACE);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The lit pass meets the same depths again, and marks each pixel it lights.
    glDepthFunc(GL_LEQUAL);
    glStencilFunc(GL_EQUAL, 0, 0xFF);
    glStencilOp(GL_KEEP, GL_KEEP, GL_INCR);
}

}  // namespace

Renderer::Renderer(const std::vector<murk::SceneObject*>& objects, const RendererSetup& setup)
    : programs(std::make_unique<Programs>()) {
    int spareSlot = 0;
    int& slot = setup.nextTextureSlot != nullptr ? *setup.nextTextureSlot : spareSlot;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glViewport(0, 0, setup.width, setup.height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    hudImage = loadImage("hud.png", slot, setup.cookedFolder);
    ++slot;
    hudQuad = makeQuad(programs->hud, "hud");
    lights[0] = std::make_unique<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 1.0f, 0.0f), 1.0f,
                                        makeShadowMap(setup.shadowMapSize, slot), 1.0f);
    slot += 4;
    postProcess = std::make_unique<PostProcess>(setup.width, setup.height, GL_RGBA8, GL_RGB, GL_UNSIGNED_BYTE,
                                                "threshold", "gaussian_bloom", "mix");
    screenQuad = makeQuad(programs->screen, "quad");
    lights[1] = std::make_unique<Light>(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f, 1.0f, 0.0f), 1.0f,
                                        makeShadowMap(setup.shadowMapSize, slot), 1.0f);
    uniformTable = buildUniformTable(objects);
    startScreen = loadImage("Start.jpg", slot + 1, setup.cookedFolder);
    endScreen = loadImage("End.jpg", slot + 2, setup.cookedFolder);
    helpScreen = loadImage("Help.jpg", slot + 3, setup.cookedFolder);
    wonScreen = loadImage("Won.jpg", slot + 4, setup.cookedFolder);
    spareQuad = makeQuad(programs->spare, "quad");

    plainTexture = makePlainTexture();
    programs->depth = std::make_unique<ShaderProgram>("Shader/depth.vert", "Shader/depth.frag");
    programs->plainScreen = std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN");
    programs->ownTexelScreen =
        std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN\n#define OWN_TEXEL");
    programs->scaledScreen =
        std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define PLAIN\n#define SCALED");
    programs->scaledCurveScreen =
        std::make_unique<ShaderProgram>("Shader/quad.vert", "Shader/quad.frag", "", "#define SCALED");
    litPartQueries = std::make_unique<LitPartQueries>(programs->depth.get());
    const auto variant = [](const char* defines) {
        return std::make_unique<ShaderProgram>("Shader/default.vert", "Shader/default.frag", "", defines);
    };
    programs->withoutFlashlight = variant("#define WITHOUT_FLASHLIGHT");
    programs->withoutLamp = variant("#define WITHOUT_LAMP");
    programs->withoutLights = variant("#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP");
    programs->withoutLightsDim = variant("#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP\n#define BELOW_SHOULDER");
    // The pick-up orbs and the brightness bar draw where the image is black.
    const glm::vec4 extras(0.0625f, 0.034f, 0.3125f, 0.128f);
    const glm::vec4 measured = measureHudArea(imageOf(hudImage.get()));
    hudArea = glm::vec4(glm::min(glm::vec2(measured), glm::vec2(extras)),
                        glm::max(glm::vec2(measured.z, measured.w), glm::vec2(extras.z, extras.w)));
    text = std::make_unique<TextRenderer>(setup.fontFile, setup.cookedFolder);
    if (!text->ok()) std::cout << "font " << setup.fontFile << " could not be read: no subtitles" << std::endl;
}

Renderer::~Renderer() {
    glDeleteTextures(1, &plainTexture);
}

GLuint Renderer::shadowMoments(int light) const { return lights[light == 0 ? 0 : 1]->shadowMap->getMomentsTexture(); }
GLuint Renderer::sceneTexture() const { return postProcess->getSceneTexture(); }
GLuint Renderer::composedTexture() const { return postProcess->getComposedTexture(); }

void Renderer::beginFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    windowCleared = true;
}

void Renderer::draw(const FrameView& view) {
    if (!windowCleared) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    windowCleared = false;
    counts = DrawCounts{};
    const SpotLight* spots[2] = {&view.flashlight, &view.lamp};
    for (int l = 0; l < 2; ++l) {
        lights[l]->position = spots[l]->position;
        lights[l]->direction = spots[l]->direction;
        lights[l]->cutOff = spots[l]->cutOff;
        lights[l]->intensity = spots[l]->intensity;
    }
    // The eye's matrices keep the window's shape; the 3-D passes draw into
    // the scaled part of their targets, as if that were the window.
    const FrameMatrices m = frameMatrices(view, *lights[0], *lights[1]);
    const PixelRect drawn = scaledView(view.width, view.height, view.renderScale);
    FrameView scaled = view;
    scaled.width = drawn.width;
    scaled.height = drawn.height;
    postProcess->setDrawnSize(drawn.width, drawn.height);
    ScenePass pass(scaled, m, *this, counts);
    if (shortcuts.unreachedLightsLeftOut) pass.leaveOutUnreachedLights();
    const bool depthFirst = shortcuts.depthFirst && !view.wireframe;
    // Splitting a draw by screen area needs the depth pass's stencil.
    const bool byScreenArea = depthFirst && shortcuts.conesOnScreen;
    const LightUse use = pass.lightUse(byScreenArea);
    litPartQueries->asked[0] = litPartQueries->asked[1] = false;
    {
        GpuScope scope(gpuTimer, GpuPass::Scene);
        beginScene(scaled, m, depthFirst);
        if (byScreenArea) askWhetherLitPartsShow(scaled, m, use);
    }
    shadowPasses(scaled, use);
    {
        GpuScope scope(gpuTimer, GpuPass::Scene);
        scenePass(scaled, pass, depthFirst, byScreenArea);
    }
    {
        GpuScope scope(gpuTimer, GpuPass::Bloom);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        postProcess->run(shortcuts.conesOnScreen ? brightArea(scaled, pass) : drawn, shortcuts.glowTiles);
    }
    GpuScope scope(gpuTimer, GpuPass::PresentHud);
    present(view, drawn);
}

// Where the bloom's bright pass can find anything above its threshold.
PixelRect Renderer::brightArea(const FrameView& view, const ScenePass& pass) const {
    // Unlit surfaces stay below the threshold while the ambient term does
    // ("default" scales it by 0.3; the bright pass starts at 0.8), and
    // wireframe lines are drawn unlit everywhere.
    const bool ambientDark = view.ambient * 0.3f < 0.5f;
    if (!ambientDark || view.wireframe) return PixelRect{0, 0, view.width, view.height};
    return pass.brightArea();
}

// Both lights' shadow maps, depth and blur timed apart, always filled
// (wireframe only changes the scene pass). A light that lights nothing drawn
// this frame keeps last frame's map: nothing reads it.
void Renderer::shadowPasses(const FrameView& view, const LightUse& use) {
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDepthFunc(GL_LESS);  // the scene's depth pass left its own
    const glm::vec3 ups[2] = {view.flashlight.up, view.lamp.up};
    for (std::size_t l = 0; l < 2; ++l) {
        const Light& light = *lights[l];
        // Timed even when skipped, so each frame reports every pass. Where the
        // lit parts were drawn against the scene's depth, the GL skips the map
        // by itself when none of them showed.
        const bool seen = use.always[l] || !use.lit[l].empty();
        const bool asked = seen && litPartQueries->asked[l];
        if (asked) glBeginConditionalRender(litPartQueries->queries[l], GL_QUERY_WAIT);
        // Only the part of the map the cone can read is drawn and blurred:
        // the rest would never be looked at.
        const ShadowMap& map = *light.shadowMap;
        const MapRegion region = shortcuts.shadowRegions ? shadowReadRegion(light.cutOff, map.width, map.height)
                                                         : MapRegion{0, 0, map.width, map.height};
        glEnable(GL_SCISSOR_TEST);
        glScissor(region.x, region.y, region.width, region.height);
        {
            GpuScope scope(gpuTimer, l == 0 ? GpuPass::Shadow0 : GpuPass::Shadow1);
            if (seen) renderShadowDepth(light, ups[l], *view.objects);
        }
        {
            GpuScope scope(gpuTimer, GpuPass::Blurs);
            if (seen) light.shadowMap->blur();
        }
        if (asked) glEndConditionalRender();
        glDisable(GL_SCISSOR_TEST);
    }
}

// The scene's target cleared, and its depth laid down when depthFirst.
void Renderer::beginScene(const FrameView& view, const FrameMatrices& m, bool depthFirst) {
    glBindFramebuffer(GL_FRAMEBUFFER, postProcess->sceneFramebuffer);
    glViewport(0, 0, view.width, view.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    if (depthFirst) depthPass(view, m, *programs->depth);
}

// Draws the box of each light's lit parts against the scene's depth,
// counting whether any of it shows: a surface the light falls on lies in
// the box, so where it shows, the box's near side is in front of it. Not
// asked with the eye in or at the box, where that side is behind.
void Renderer::askWhetherLitPartsShow(const FrameView& view, const FrameMatrices& m, const LightUse& use) {
    LitPartQueries& q = *litPartQueries;
    for (int l = 0; l < 2; ++l) {
        if (use.always[l] || use.lit[l].empty()) continue;
        const glm::vec3 low = use.lit[l].min - glm::vec3(0.01f);
        const glm::vec3 high = use.lit[l].max + glm::vec3(0.01f);
        const glm::vec3 margin(0.1f);
        if (glm::all(glm::greaterThan(view.eye, low - margin)) && glm::all(glm::lessThan(view.eye, high + margin)))
            continue;
        if (!q.drawing) {
            programs->depth->use();
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
            glDepthMask(GL_FALSE);
            glDisable(GL_CULL_FACE);
            q.drawing = true;
        }
        const glm::mat4 box = glm::scale(glm::translate(glm::mat4(1.0f), low), high - low);
        setMatrix(named(*programs->depth, "mvpMatrix"), m.projection * m.view * box);
        glBeginQuery(GL_ANY_SAMPLES_PASSED, q.queries[l]);
        q.cube.draw();
        glEndQuery(GL_ANY_SAMPLES_PASSED);
        q.asked[l] = true;
    }
    if (q.drawing) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glEnable(GL_CULL_FACE);
        q.drawing = false;
    }
}

void Renderer::scenePass(const FrameView& view, ScenePass& pass, bool depthFirst, bool byScreenArea) {
    const std::vector<murk::SceneObject*>& objects = *view.objects;
    glBindFramebuffer(GL_FRAMEBUFFER, postProcess->sceneFramebuffer);
    glViewport(0, 0, view.width, view.height);
    glPolygonMode(GL_FRONT_AND_BACK, view.wireframe ? GL_LINE : GL_FILL);
    // The lit pass meets the depth pass's depths again (the shadow passes
    // in between used their own test).
    if (depthFirst) glDepthFunc(GL_LEQUAL);

    // Opaque objects in scene order; translucent ones wait for their pass.
    const std::size_t pickups = objectRole::firstPickup(objects.size());
    std::vector<std::size_t> deferred;
    for (std::size_t i = objectRole::heldLight; i < pickups; ++i) {
        murk::SceneObject& object = *objects[i];
        const bool twoSided = objectRole::twoSided(i, objects.size());
        if (twoSided) glDisable(GL_CULL_FACE);
        if (!culled(view, i, object)) {
            if (translucent(object) && view.transparency) {
                deferred.push_back(i);
            } else {
                // After the depth pass, surfaces tied at the front depth all
                // pass; the stencil keeps the first, as the plain test would.
                if (depthFirst && takesDepthFirst(view, i)) {
                    glEnable(GL_STENCIL_TEST);
                } else {
                    glDisable(GL_STENCIL_TEST);
                }
                if (byScreenArea && takesDepthFirst(view, i)) {
                    pass.drawByScreenArea(i);
                } else {
                    pass.markBright(i);
                    pass.prepare(i, 1.0f);
                    pass.draw(i);
                }
            }
        }
        if (twoSided) glEnable(GL_CULL_FACE);
    }
    glDisable(GL_STENCIL_TEST);
    if (depthFirst) glDepthFunc(GL_LESS);

    for (std::size_t i = pickups; i < objects.size(); ++i) {
        pass.markBright(i);
        pass.pickupUniforms(i);
        pass.draw(i);
    }

    if (view.transparency) {
        glDisable(GL_CULL_FACE);
        glDepthMask(GL_FALSE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        for (const std::size_t i : deferred) {
            murk::SceneObject& object = *objects[i];
            // Culled by the frustum whatever the object's place in the list.
            if (view.frustum != nullptr && view.frustum->enabled && !view.frustum->isVisible(object)) continue;
            pass.markBright(i);
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
    // The full-screen passes must fill the window whatever the scene used.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

GLuint Renderer::screenTexture(ScreenImage image) const {
    switch (image) {
    case ScreenImage::Composed: return postProcess->getComposedTexture();
    case ScreenImage::Scene: return postProcess->getSceneTexture();
    case ScreenImage::Start: return imageOf(startScreen.get());
    case ScreenImage::End: return imageOf(endScreen.get());
    case ScreenImage::Help: return imageOf(helpScreen.get());
    case ScreenImage::Won: return imageOf(wonScreen.get());
    }
    return 0;
}

// With the window framebuffer bound: the screen quad with the finished
// scene or a full-screen image, then the HUD while a game is in progress.
void Renderer::present(const FrameView& view, const PixelRect& drawn) {
    const bool curve = view.brightness > 0.0f && view.brightness != 1.0f;
    const ScreenImage image = chooseScreen(view.screen);
    const bool sceneImage = image == ScreenImage::Composed || image == ScreenImage::Scene;
    const bool scaledUp = sceneImage && !drawn.covers(view.width, view.height);
    const ShaderProgram& program = scaledUp     ? (curve ? *programs->scaledCurveScreen : *programs->scaledScreen)
                                   : curve      ? *screenQuad->shader
                                   : sceneImage ? *programs->ownTexelScreen
                                                : *programs->plainScreen;
    program.use();
    glViewport(0, 0, view.width, view.height);
    // The quad covers the window: a depth test would only cost time.
    glDisable(GL_DEPTH_TEST);
    bindTexture(screenUnit, screenTexture(image));
    glUniform1i(named(program, "quadTexture"), screenUnit);
    glUniform1f(named(program, "brightness"), view.brightness);
    if (scaledUp) {
        // The drawn part of the image, filtered up to the window; reads stay
        // half a texel inside it, where the rest of the target never leaks in.
        const glm::vec2 size(static_cast<float>(view.width), static_cast<float>(view.height));
        const glm::vec2 part(static_cast<float>(drawn.width), static_cast<float>(drawn.height));
        glUniform2f(named(program, "imageScale"), part.x / size.x, part.y / size.y);
        glUniform4f(named(program, "imageBounds"), 0.5f / size.x, 0.5f / size.y, (part.x - 0.5f) / size.x,
                    (part.y - 0.5f) / size.y);
    }
    screenQuad->draw();
    glEnable(GL_DEPTH_TEST);
    if (hudShown(view.screen)) drawHud(view);
    text->drawBottom(view.subtitles, view.width, view.height);
    if (view.paused) text->drawCentre("Paused", view.width, view.height);
}

void Renderer::drawHud(const FrameView& view) {
    const ShaderProgram& program = *hudQuad->shader;
    glDisable(GL_DEPTH_TEST);
    program.use();
    bindTexture(hudUnit, imageOf(hudImage.get()));
    scissorTo(hudArea);
    const HudValues values = hudValues(view.fear, view.energy);
    glUniform1i(named(program, "hudTexture"), hudUnit);
    glUniform1f(named(program, "fear"), values.fear);
    glUniform1f(named(program, "energy"), values.energy);
    glUniform1f(named(program, "pickups"), static_cast<float>(view.pickupsHeld));
    glUniform1f(named(program, "pickupFlash"), view.pickupFlash);
    glUniform1f(named(program, "brightness"), view.brightness);
    glUniform1f(named(program, "brightnessShown"), view.brightnessShown);
    hudQuad->draw();
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_TEST);
}
