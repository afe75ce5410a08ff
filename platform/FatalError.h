#pragma once

#include <string>

namespace murk {

// Set-up failures the game cannot go on from: the message (and, when given,
// a second line such as a GL info log) on standard output, a key wait when
// standard input is a terminal, then exit status -1.
[[noreturn]] void fatalError(const std::string& message);
[[noreturn]] void fatalError(const std::string& message, const std::string& secondLine);

}  // namespace murk
