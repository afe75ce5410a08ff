// Every kept fuzzing input, and every input that once crashed a reader,
// through the same entries the fuzzers use.
#include "tests/fuzz/FuzzEntries.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Entry = void (*)(const std::uint8_t*, std::size_t);

// Runs every file under corpus/<name> and regressions/<name>; returns how many.
int replay(const std::string& name, Entry entry) {
    int count = 0;
    for (const char* kind : {"corpus", "regressions"}) {
        const fs::path dir = fs::path(FUZZ_DIR) / kind / name;
        if (!fs::is_directory(dir)) continue;
        for (const fs::directory_entry& file : fs::directory_iterator(dir)) {
            if (!file.is_regular_file() || file.path().filename().string().front() == '.') continue;
            std::ifstream in(file.path(), std::ios::binary);
            const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(file.path().string());
            entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++count;
        }
    }
    return count;
}

TEST(FuzzCorpus, ConfigInputs) { EXPECT_GE(replay("config", murk::fuzz::config), 3); }
TEST(FuzzCorpus, SceneInputs) { EXPECT_GE(replay("scene", murk::fuzz::scene), 3); }
TEST(FuzzCorpus, ModelInputs) { EXPECT_GE(replay("model", murk::fuzz::model), 40); }

// The entries must hold up against nothing at all and a lone byte.
TEST(FuzzCorpus, EmptyAndTinyInputs) {
    const std::uint8_t byte = 0xff;
    for (Entry entry : {murk::fuzz::config, murk::fuzz::scene, murk::fuzz::model}) {
        entry(nullptr, 0);
        entry(&byte, 1);
    }
}

}  // namespace
