// libFuzzer entry for the model reader (see FuzzEntries.h).
#include "tests/fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    murk::fuzz::model(data, size);
    return 0;
}
