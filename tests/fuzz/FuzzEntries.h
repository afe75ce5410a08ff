#pragma once

#include <cstddef>
#include <cstdint>

// One input through one of the game's readers. Shared by the libFuzzer
// targets and by the regression test that replays the corpus and every
// crash ever found, so both run exactly the same code.
namespace murk::fuzz {

// CONFIG.txt text through the config reader; the settings must come out in
// range where the reader promises it.
void config(const std::uint8_t* data, std::size_t size);

// SCENE.txt text through the scene-file reader; the six lists stay parallel.
void scene(const std::uint8_t* data, std::size_t size);

// OBJ text through Assimp with the game's import flags, then the game's
// conversion to plain mesh data; every index must point at a vertex.
void model(const std::uint8_t* data, std::size_t size);

}  // namespace murk::fuzz
