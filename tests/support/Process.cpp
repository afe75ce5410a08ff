#include "tests/support/Process.h"

#include <array>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace murk::test {

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& workDir,
                         int timeoutSeconds, const std::vector<std::string>& extraEnv) {
    ProcessResult result;
    int pipeFds[2];
    if (argv.empty() || pipe(pipeFds) != 0) return result;

    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(126);
        for (const std::string& entry : extraEnv) putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (pid < 0) {
        close(pipeFds[0]);
        return result;
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    std::array<char, 4096> buffer {};
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.timedOut = true;
            kill(-pid, SIGKILL);
            break;
        }
        pollfd fd {pipeFds[0], POLLIN, 0};
        const int ready = poll(&fd, 1, static_cast<int>(std::min<long>(left.count(), 200)));
        if (ready > 0) {
            const ssize_t n = read(pipeFds[0], buffer.data(), buffer.size());
            if (n <= 0) break;
            result.output.append(buffer.data(), static_cast<size_t>(n));
        }
    }
    close(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
    return result;
}

}  // namespace murk::test
