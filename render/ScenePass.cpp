// The scene pass: each object of the level with its program's uniforms, lit
// by the lights that reach it inside their screen areas, after the depth pass.
#include "render/ScenePass.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "render/GlUniforms.h"
#include "render/Light.h"
#include "render/Projection.h"
#include "render/Renderer.h"
#include "render/ShadowMap.h"
#include "render/UniformTable.h"
#include "scene/Material.h"
#include "scene/ObjectRoles.h"
#include "scene/SceneObject.h"
#include "scene/ShaderProgram.h"
#include "scene/Texture.h"

namespace {

using gl::bindTexture;
using gl::hasImage;
using gl::named;
using gl::setMatrix;
using gl::setVector;

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
// Sets each object's uniforms for the scene pass and draws it.
class ScenePass::Objects {
public:
    Objects(const FrameView& frameView, const FrameMatrices& frameMatrices, const SceneInputs& sceneInputs,
            DrawCounts& drawCounts)
        : view(frameView), objects(*frameView.objects), m(frameMatrices), in(sceneInputs),
          table(*sceneInputs.table), counts(drawCounts) {}

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

    // Draws the box of each opaque object the depth pass laid down against
    // that depth, a query counting whether any of it shows: where the
    // object shows, its box's near side (grown a centimetre) is in front.
    // Not asked with the eye in or at the box, where that side is behind,
    // nor for boxes covering much of the view, which nearly always show
    // and would cost a pass over their pixels.
    void askWhichShow(ObjectQueries& q, std::vector<char>& asked) {
        asked.assign(objects.size(), 0);
        q.reserve(objects.size());
        bool drawing = false;
        const glm::mat4 viewProjection = m.projection * m.view;
        const long large = static_cast<long>(view.width) * view.height / 4;
        for (std::size_t i = objectRole::heldLight; i < objectRole::firstPickup(objects.size()); ++i) {
            if (!takesDepthFirst(view, i)) continue;
            const WorldBox box = boxOf(*objects[i]);
            const glm::vec3 low = box.min - glm::vec3(0.01f);
            const glm::vec3 high = box.max + glm::vec3(0.01f);
            if (glm::all(glm::greaterThan(view.eye, low - glm::vec3(0.1f))) &&
                glm::all(glm::lessThan(view.eye, high + glm::vec3(0.1f))))
                continue;
            const PixelRect shown = boxOnScreen(box, viewProjection, view.width, view.height);
            if (static_cast<long>(shown.width) * shown.height > large) continue;
            if (!drawing) {
                q.program->use();
                glDisable(GL_STENCIL_TEST);
                glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
                glDepthMask(GL_FALSE);
                glDisable(GL_CULL_FACE);
                drawing = true;
            }
            const glm::mat4 cube = glm::scale(glm::translate(glm::mat4(1.0f), low), high - low);
            setMatrix(named(*q.program, "mvpMatrix"), viewProjection * cube);
            glBeginQuery(GL_ANY_SAMPLES_PASSED, q.queries[i]);
            q.cube.draw();
            glEndQuery(GL_ANY_SAMPLES_PASSED);
            asked[i] = 1;
        }
        if (!drawing) return;
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glDepthMask(GL_TRUE);
        glEnable(GL_CULL_FACE);
        // The answers are read back now: a hidden object then costs no
        // uniforms or draws at all, only the wait for the boxes.
        for (std::size_t i = 0; i < asked.size(); ++i) {
            if (asked[i] == 0) continue;
            GLuint shows = 0;
            glGetQueryObjectuiv(q.queries[i], GL_QUERY_RESULT, &shows);
            asked[i] = shows != 0 ? 1 : 2;
        }
    }

    // An object left out as hidden still counts as drawn, as the window
    // title has always counted what the frustum lets through.
    void countOnly(std::size_t i) { count(*objects[i]); }

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
                    const Light& light = *in.lights[l];
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
            const Light& light = *in.lights[l];
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
        const Light& light = *in.lights[l];
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

    const Light& flashlight() const { return *in.lights[0]; }

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
        case torchLight: return *in.variants->withoutLamp;
        case lampLight: return *in.variants->withoutFlashlight;
        default: return dimAmbient() ? *in.variants->withoutLightsDim : *in.variants->withoutLights;
        }
    }

    // "default" scales the ambient by 0.3 and rolls colours off above 0.7;
    // below that the curve changes nothing (a margin for rounding).
    bool dimAmbient() const { return view.ambient * 0.3f < 0.69f; }

    void bindDiffuse(const murk::SceneObject& object, GLint location) {
        const Texture* texture = object.material != nullptr ? object.material->diffuseTexture : nullptr;
        bindTexture(diffuseUnit, hasImage(texture) ? texture->id : in.plainTexture);
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
        bindTexture(flashlightShadowUnit, in.lights[0]->shadowMap->getMomentsTexture());
        glUniform1i(named(program, "shadowMap_0"), flashlightShadowUnit);
        bindTexture(lampShadowUnit, in.lights[1]->shadowMap->getMomentsTexture());
        glUniform1i(named(program, "shadowMap_1"), lampShadowUnit);
        setLight(program, *in.lights[0], "lightLocation_0", "spotDir_0", "spotCutOff_0", "I_0");
        setLight(program, *in.lights[1], "lightLocation_1", "spotDir_1", "spotCutOff_1", "I_1");
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
    const SceneInputs& in;
    const UniformTable& table;
    DrawCounts& counts;
    bool leaveOut = false;
    WorldBox level;
    LightCone cones[2];
    bool shining[2] = {false, false};
    PixelRect bright;
};

UnitCube::UnitCube(ShaderProgram* program) : SceneObject(glm::mat4(1.0f), program, nullptr) {
    for (int corner = 0; corner < 8; ++corner)
        positions.insert(positions.end(), {float(corner & 1), float((corner >> 1) & 1), float((corner >> 2) & 1)});
    indices = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
               2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
    vertexCount = 8;
    indexCount = 36;
    SceneObject::setupBuffers();
}

ObjectQueries::~ObjectQueries() {
    if (!queries.empty()) glDeleteQueries(static_cast<GLsizei>(queries.size()), queries.data());
}

void ObjectQueries::reserve(std::size_t count) {
    const std::size_t had = queries.size();
    if (count <= had) return;
    queries.resize(count);
    glGenQueries(static_cast<GLsizei>(count - had), queries.data() + had);
}

LightingVariants::LightingVariants() {
    const auto variant = [](const char* defines) {
        return std::make_unique<ShaderProgram>("Shader/default.vert", "Shader/default.frag", "", defines);
    };
    withoutFlashlight = variant("#define WITHOUT_FLASHLIGHT");
    withoutLamp = variant("#define WITHOUT_LAMP");
    withoutLights = variant("#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP");
    withoutLightsDim = variant("#define WITHOUT_FLASHLIGHT\n#define WITHOUT_LAMP\n#define BELOW_SHOULDER");
}

LightingVariants::~LightingVariants() = default;

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

ScenePass::ScenePass(const FrameView& frameView, const FrameMatrices& m, const SceneInputs& inputs,
                     DrawCounts& counts)
    : work(std::make_unique<Objects>(frameView, m, inputs, counts)), view(frameView), queries(inputs.queries) {}

ScenePass::~ScenePass() = default;

void ScenePass::leaveOutUnreachedLights() { work->leaveOutUnreachedLights(); }

LightUse ScenePass::lightUse(bool byScreenArea) const { return work->lightUse(byScreenArea); }

// Where the bloom's bright pass can find anything above its threshold.
PixelRect ScenePass::brightArea() const {
    // Unlit surfaces stay below the threshold while the ambient term does
    // ("default" scales it by 0.3; the bright pass starts at 0.8), and
    // wireframe lines are drawn unlit everywhere.
    const bool ambientDark = view.ambient * 0.3f < 0.5f;
    if (!ambientDark || view.wireframe) return PixelRect{0, 0, view.width, view.height};
    return work->brightArea();
}

void ScenePass::draw(bool depthFirst, bool byScreenArea) {
    Objects& pass = *work;
    const std::vector<murk::SceneObject*>& objects = *view.objects;
    glViewport(0, 0, view.width, view.height);
    glPolygonMode(GL_FRONT_AND_BACK, view.wireframe ? GL_LINE : GL_FILL);
    // The lit pass meets the depth pass's depths again (the shadow passes
    // in between used their own test).
    if (depthFirst) glDepthFunc(GL_LEQUAL);

    // Which objects the depth pass hides wholly: those are left out.
    std::vector<char> asked;
    if (depthFirst && queries != nullptr) pass.askWhichShow(*queries, asked);
    const auto hidden = [&](std::size_t i) { return !asked.empty() && asked[i] == 2; };

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
                if (hidden(i)) {
                    pass.countOnly(i);
                } else if (byScreenArea && takesDepthFirst(view, i)) {
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
