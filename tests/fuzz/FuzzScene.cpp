// libFuzzer entry for the scene reader (see FuzzEntries.h).
#include "tests/fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    murk::fuzz::scene(data, size);
    return 0;
}
