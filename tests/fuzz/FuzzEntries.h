#pragma once

#include <cstddef>
#include <cstdint>

// One input through one of the game's readers. Shared by the libFuzzer
// targets and by the regression test that replays the corpus and every
// crash ever found, so both run exactly the same code.
namespace murk::fuzz {

// CONFIG.txt text through the config reader; the settings must come out in
// range where the reader promises it. The same bytes as the player's
// settings file: what is kept of them must read back the same.
void config(const std::uint8_t* data, std::size_t size);

// SCENE.txt text through the scene-file reader; the six lists stay parallel.
void scene(const std::uint8_t* data, std::size_t size);

// A model file of any format Assimp reads, through the game's own importer:
// its worker process survives what crashes Assimp, so that whatever fails
// in this process is the game's. Every index must point at a vertex, and
// the tangents computed here again must match those that came back.
// A first line naming an extension ("ply") gives the file's name, and the
// rest is the file; otherwise the first byte picks the extension.
void model(const std::uint8_t* data, std::size_t size);

}  // namespace murk::fuzz
