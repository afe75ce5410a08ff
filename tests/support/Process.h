#pragma once

#include <string>
#include <vector>

namespace murk::test {

struct ProcessResult {
    int exitStatus = -1;  // 0..255, or -1 when killed or not started
    bool timedOut = false;
    std::string output;   // standard output and standard error together
};

// Runs a program in a working directory with standard input from /dev/null,
// killing it after timeoutSeconds. Extra environment entries are "NAME=value".
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         int timeoutSeconds, const std::vector<std::string>& extraEnv = {});

}  // namespace murk::test
