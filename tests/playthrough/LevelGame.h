#pragma once

// A game on the real level with no window: CONFIG.txt and SCENE.txt from the
// data folder, the level's collision bodies made the way the model import
// makes them, a real PhysicsWorld, input through ScriptedInput and, when
// asked, the real rules with the frame's sounds recorded.

#include <set>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "app/FrameHooks.h"
#include "app/GameContext.h"
#include "app/SoundSink.h"
#include "physics/PhysicsWorld.h"
#include "platform/ScriptedInput.h"

// One collision body of the level as the axis-aligned box it covers.
struct SolidBox {
    glm::vec3 min{0.0f};
    glm::vec3 max{0.0f};
};

// Reads SCENE.txt in dataDir, imports every model with the game's importer
// and gives each mesh the body its line asks for, as the model loader does.
// Returns the boxes of the bodies; an empty list when nothing could be read.
std::vector<SolidBox> addLevelBodies(PhysicsWorld& physics, const std::string& dataDir,
                                     std::string& error);

// Remembers which sounds a frame started.
class SoundLog : public SoundSink {
public:
    void play(int id, float) override { started.insert(id); }
    void play3D(int id, float, float, float) override { started.insert(id); }
    void pause(int) override {}
    void update3D(int, glm::vec3, glm::vec3, glm::vec3, glm::vec3, glm::vec3) override {}

    std::set<int> started;
};

class LevelGame {
public:
    // withRules: light, meters, sounds, pick-ups, lose and win as in the game;
    // otherwise only the controls and the body (nothing can end the game).
    explicit LevelGame(bool withRules);

    // One pass of the loop's update part at the given time step.
    void frame(double dt);
    // A title frame, then Space: a new game at the start.
    void startGame(double dt);
    // Mouse movement for this frame, as a turn in radians (left and up
    // positive), rounded to whole pixels as a mouse reports them.
    void look(float yaw, float pitch);
    // Puts the capsule's feet on `floor` at (x, z) and stops any fall.
    void teleport(float x, float floor, float z);

    PhysicsWorld physics;
    GameContext context;
    ScriptedInput input;
    FrameHooks hooks;
    SoundLog sounds;
    std::vector<SolidBox> solids;
    std::string loadError;
    bool configRead = false;
};
