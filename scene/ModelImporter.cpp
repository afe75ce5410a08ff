#include "scene/ModelImporter.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <new>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <assimp/DefaultIOSystem.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include "scene/CookedFile.h"
#include "scene/MeshMessage.h"
#include "scene/ModelConversion.h"

namespace {

// Every file the import opens (a material library in another folder too),
// so a kept answer can be checked against all of them.
class RecordingIoSystem : public Assimp::DefaultIOSystem {
public:
    explicit RecordingIoSystem(std::vector<std::string>& opened) : files(opened) {}
    Assimp::IOStream* Open(const char* file, const char* mode) override {
        Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
        if (stream != nullptr && std::find(files.begin(), files.end(), file) == files.end()) files.emplace_back(file);
        return stream;
    }

private:
    std::vector<std::string>& files;
};

}  // namespace

bool importModel(const std::string& modelFile, std::vector<MeshData>& meshes, std::string& error,
                 std::vector<std::string>* opened) {
    std::vector<std::string> files;
    try {
        // A fresh importer for every file: Assimp's readers keep state from
        // one file to the next (the OpenGEX reader crashed on its second).
        Assimp::Importer importer;
        importer.SetIOHandler(new RecordingIoSystem(files));  // the importer owns it
        const aiScene* scene = importer.ReadFile(modelFile, modelImportFlags);
        if (scene == nullptr) {
            error = importer.GetErrorString();
            if (error.empty()) error = "no scene";
            return false;
        }
        meshes = convertScene(*scene);
        if (opened != nullptr) *opened = std::move(files);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

namespace {

using Clock = std::chrono::steady_clock;

// The worker's exit status when an allocation failed: no exception, no
// unwinding through a reader that has just hit its limit.
constexpr int outOfMemoryStatus = 3;

// A request is the file name and the memory limits; the answer is in
// scene/MeshMessage.h.

// Messages between the processes are a length and the bytes, over Unix
// sockets: a write to a peer that is gone fails instead of raising SIGPIPE.
bool sendMessage(int socket, const std::string& message) {
    std::string bytes;
    put(bytes, std::uint64_t{message.size()});
    bytes += message;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(socket, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

enum class Received { message, closed, late };

// Grows the message as bytes arrive rather than trusting the length: a
// sender that broke mid-way cannot make this process allocate much.
Received receiveMessage(int socket, std::string& message, Clock::time_point deadline) {
    std::uint64_t size = 0;
    std::string bytes;
    char chunk[65536];
    while (bytes.size() < sizeof size || bytes.size() - sizeof size < size) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return Received::late;
        pollfd wait{socket, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(std::min<long long>(left, 1000)));
        if (ready < 0 && errno != EINTR) return Received::closed;
        if (ready <= 0) continue;
        const std::size_t want = bytes.size() < sizeof size
                                     ? sizeof size - bytes.size()
                                     : static_cast<std::size_t>(std::min<std::uint64_t>(
                                           sizeof chunk, size - (bytes.size() - sizeof size)));
        const ssize_t n = recv(socket, chunk, want, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Received::closed;
        bytes.append(chunk, static_cast<std::size_t>(n));
        if (bytes.size() == sizeof size) std::memcpy(&size, bytes.data(), sizeof size);
    }
    message = bytes.substr(sizeof size);
    return Received::message;
}

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// Address space this process has already: the limit comes on top (a
// sanitizer's shadow memory alone is terabytes).
std::uint64_t addressSpaceBytes() {
    char text[64] = {};
    const int file = open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    if (file < 0) return 0;
    const ssize_t n = ::read(file, text, sizeof text - 1);
    close(file);
    return n > 0 ? std::strtoull(text, nullptr, 10) * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) : 0;
}

[[noreturn]] void outOfMemory() { _exit(outOfMemoryStatus); }

// The worker: for each request (a file name and its memory limits) the
// answer, until the game closes its socket or sends nothing for a while. It
// ends with _exit: the program it runs in never reached main.
[[noreturn]] void serve(int socket, pid_t parent, double idleSeconds) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // it must not outlive the game
    if (getppid() != parent) _exit(1);
    rlimit limit{};
    setrlimit(RLIMIT_CORE, &limit);  // a crash must not dump the game's memory
    getrlimit(RLIMIT_AS, &limit);
    const rlim_t hardLimit = limit.rlim_max;
    std::set_new_handler(outOfMemory);

    std::string request;
    while (receiveMessage(socket, request, after(idleSeconds)) == Received::message) {
        std::string modelFile;
        std::uint64_t floorBytes = 0;
        std::uint64_t perFileByte = 0;
        MessageReader in{request.data(), request.data() + request.size()};
        in.get(modelFile);
        in.get(floorBytes);
        in.get(perFileByte);
        if (!in.ok) break;
        std::error_code noSize;
        const std::uintmax_t fileBytes = std::filesystem::file_size(modelFile, noSize);
        limit.rlim_cur = std::min<rlim_t>(
            hardLimit, addressSpaceBytes() + std::max<std::uint64_t>(floorBytes, noSize ? 0 : perFileByte * fileBytes));
        setrlimit(RLIMIT_AS, &limit);

        std::vector<MeshData> meshes;
        std::vector<std::string> opened;
        std::string error;
        const bool ok = importModel(modelFile, meshes, error, &opened);
        if (!sendMessage(socket, ok ? meshAnswer(opened, meshes) : failureAnswer(error))) break;
    }
    _exit(0);
}

// The worker is this same program started again, told so by this variable
// ("socket parent idle-seconds"). A fresh process shares no threads, locks
// or memory with the game: a fork of the game, GL driver threads and all,
// may only call async-signal-safe functions, and Assimp calls anything.
// Starting the program anew costs about 15 ms.
constexpr char workerVariable[] = "MURK_MODEL_IMPORT_WORKER";

// The game itself set the variable: `socket` is one end of a socket pair
// that the parent made (the peer's credentials are the maker's), and the
// parent runs this very program. A player's or a script's variable passes
// neither test.
bool setByTheGame(int socket, pid_t parent) {
    struct stat info{};
    ucred peer{};
    socklen_t size = sizeof peer;
    if (socket < 0 || parent <= 1 || getppid() != parent || fstat(socket, &info) != 0 || !S_ISSOCK(info.st_mode) ||
        getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 || peer.pid != parent) {
        return false;
    }
    struct stat own{};
    struct stat parents{};
    const std::string parentExe = "/proc/" + std::to_string(parent) + "/exe";
    return stat("/proc/self/exe", &own) == 0 && stat(parentExe.c_str(), &parents) == 0 &&
           own.st_dev == parents.st_dev && own.st_ino == parents.st_ino;
}

// Runs before main in the started copy, which then never reaches main.
const bool startedAsWorker = [] {
    const char* request = std::getenv(workerVariable);
    if (request == nullptr) return false;
    int socket = -1;
    int parent = -1;
    double idleSeconds = 0.0;
    char extra = 0;
    if (std::sscanf(request, "%d %d %lf %c", &socket, &parent, &idleSeconds, &extra) == 3 &&
        setByTheGame(socket, parent)) {
        serve(socket, parent, idleSeconds);
    }
    // Before main, where the console is not set up yet: standard error, unbuffered.
    std::fprintf(stderr, "%s is set, but not by this game for its import worker: ignored\n", workerVariable);
    unsetenv(workerVariable);
    return false;
}();

std::string secondsText(double seconds) {
    std::ostringstream text;
    text << seconds;
    return text.str();
}

}  // namespace

ModelImporter::~ModelImporter() { stopWorker(); }

bool ModelImporter::startWorker() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    // The worker's end must stay open across exec: a copy without close-on-exec.
    const int workerEnd = fcntl(ends[1], F_DUPFD, 3);
    close(ends[1]);
    std::vector<std::string> variables;
    const std::string prefix = std::string(workerVariable) + "=";
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::strncmp(*variable, prefix.c_str(), prefix.size()) != 0) variables.emplace_back(*variable);
    }
    variables.push_back(prefix + std::to_string(workerEnd) + " " + std::to_string(getpid()) + " " +
                        std::to_string(workerIdleSeconds));
    std::vector<char*> environment;
    for (std::string& variable : variables) environment.push_back(variable.data());
    environment.push_back(nullptr);
    char name[] = "murk-model-import";
    char* arguments[] = {name, nullptr};
    pid_t pid = -1;
    const int failed = workerEnd < 0 ? errno
                                     : posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, arguments,
                                                   environment.data());
    if (workerEnd >= 0) close(workerEnd);
    if (failed != 0) {
        close(ends[0]);
        errno = failed;
        return false;
    }
    workerPid = pid;
    workerSocket = ends[0];
    // A worker that ends idle is reaped at once, not left a zombie until
    // the game ends. The wait only looks until the lock is held, so the pid
    // stays the worker's while stopWorker may still kill it.
    workerEnded = false;
    reaper = std::thread([this, pid] {
        siginfo_t info{};
        while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
        }
        const std::lock_guard<std::mutex> lock(reaping);
        while (waitpid(pid, &workerStatus, 0) < 0 && errno == EINTR) {
        }
        workerEnded = true;
    });
    return true;
}

int ModelImporter::stopWorker() {
    if (workerPid < 0) return 0;
    close(workerSocket);
    {
        const std::lock_guard<std::mutex> lock(reaping);
        if (!workerEnded) kill(workerPid, SIGKILL);
    }
    reaper.join();
    workerPid = -1;
    workerSocket = -1;
    return workerStatus;
}

bool ModelImporter::read(const std::string& modelFile, std::vector<MeshData>& meshes,
                         std::string& error) {
    const Clock::time_point start = Clock::now();
    // Kept meshes skip the worker: starting it and importing cost most of the level's load.
    CookedKey key;
    const bool keep = !cookedFolder.empty() && cookedKey(modelFile, buildName(), key);
    const std::string name = std::filesystem::path(modelFile).filename().string() + ".meshes";
    const std::string kept = keep ? (std::filesystem::path(cookedFolder) / name).string() : std::string();
    std::string entry;
    std::string damage;
    std::string reply;
    if (keep && readCookedFile(kept, key, entry, &damage) && sourcesUnchanged(entry, reply, damage)) {
        if (parseAnswer(reply, meshes, damage) && !meshes.empty()) {
            seconds += std::chrono::duration<double>(Clock::now() - start).count();
            return true;
        }
        if (damage.empty()) damage = "no meshes";
        meshes.clear();
    }
    if (!damage.empty()) std::cout << cookedDamageLine(kept, damage, modelFile) << '\n';
    reply.clear();

    std::string request;
    put(request, modelFile);
    put(request, std::uint64_t{memoryFloorBytes});
    put(request, std::uint64_t{memoryPerFileByte});

    for (int attempt = 0; attempt < 2 && reply.empty(); ++attempt) {
        if (workerPid < 0 && !startWorker()) {
            reply = failureAnswer(std::string("no process for the import: ") + std::strerror(errno));
            break;
        }
        Received received = Received::closed;
        if (sendMessage(workerSocket, request)) {
            received = receiveMessage(workerSocket, reply, after(timeLimitSeconds));
        }
        if (received == Received::message) break;
        const int status = stopWorker();
        if (received == Received::late) {
            reply = failureAnswer("import took longer than " + secondsText(timeLimitSeconds) + " s");
        } else if (WIFSIGNALED(status)) {
            reply = failureAnswer("import crashed (signal " + std::to_string(WTERMSIG(status)) + ")");
        } else if (WEXITSTATUS(status) == outOfMemoryStatus) {
            reply = failureAnswer("import ran out of memory");
        } else if (WEXITSTATUS(status) != 0 || attempt > 0) {
            reply = failureAnswer("import ended without an answer (exit status " + std::to_string(WEXITSTATUS(status)) + ")");
        }
        // Otherwise it had ended, idle, before the request came: ask a new one.
    }
    std::vector<std::string> opened;
    const bool ok = parseAnswer(reply, meshes, error, &opened);
    if (ok && keep && !meshes.empty()) writeCookedFile(kept, key, withSources(opened, reply));
    seconds += std::chrono::duration<double>(Clock::now() - start).count();
    return ok;
}
