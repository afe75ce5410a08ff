#include "platform/FatalError.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include <unistd.h>

namespace murk {
namespace {

[[noreturn]] void waitAndExit() {
    std::cout.flush();
    // Only a person at a console can answer a key wait; under a test runner
    // or a pipe the process must not hang.
    if (isatty(STDIN_FILENO)) {
        std::cout << "Press Enter to continue . . ." << std::endl;
        std::cin.get();
    }
    std::exit(-1);
}

}  // namespace

void fatalError(const std::string& message) {
    std::cout << message << '\n';
    waitAndExit();
}

void fatalError(const std::string& message, const std::string& secondLine) {
    std::cout << message << '\n' << secondLine << '\n';
    waitAndExit();
}

}  // namespace murk
