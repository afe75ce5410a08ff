#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "scene/MeshData.h"

// The post-processing asked for (the importer's real-time quality preset).
constexpr unsigned modelImportFlags = 0x79ACB;

// Reads modelFile in this process with an importer of its own and copies its
// triangle meshes out as plain data. Assimp believes the sizes in a file's
// header, aborts on its own assertions and overruns its buffers on some
// broken files, so such a file can take the calling process with it: the
// game reads through ModelImporter, whose worker calls this.
// `opened` (when given) gets every file the import opened (its material
// libraries too), each once.
bool importModel(const std::string& modelFile, std::vector<MeshData>& meshes, std::string& error,
                 std::vector<std::string>* opened = nullptr);

// The game's model import, without any GL. Files are read by importModel in
// a worker process, within a time and an address-space limit, and the
// meshes come back through a socket. A file that crashes the import, runs
// out of memory or takes too long fails with a reason, like any other
// unreadable file, and the game goes on without it. The worker starts at
// the first read and serves the files after it until it dies or idles (it
// is reaped as soon as it ends): a new process per file faulted in fresh
// memory each time, most of a second over
// the level.
class ModelImporter {
public:
    ModelImporter() = default;
    ~ModelImporter();
    ModelImporter(const ModelImporter&) = delete;
    ModelImporter& operator=(const ModelImporter&) = delete;

    // False, with the reason in error, when the file cannot be read.
    bool read(const std::string& modelFile, std::vector<MeshData>& meshes, std::string& error);

    double timeLimitSeconds = 10.0;
    // Address space one import may add: a floor, or a multiple of the file's
    // size for a large file (reading text models takes about 50 times it).
    std::size_t memoryFloorBytes = std::size_t{1} << 30;
    std::size_t memoryPerFileByte = 64;
    // The worker ends when no file comes for this long (the level is loaded)
    // rather than keep the memory of its last import for the whole game.
    double workerIdleSeconds = 2.0;

    // Where the meshes of a file read once are kept for the next start; empty:
    // nowhere. An entry holds for as long as every file the import opened
    // keeps its bytes; a damaged one is imported again with one line.
    std::string cookedFolder;

    double seconds = 0.0;  // spent reading and converting, for the load statistics

private:
    bool startWorker();
    int stopWorker();  // its wait status

    int workerPid = -1;
    int workerSocket = -1;
    std::thread reaper;  // waits for the worker's end, whenever that comes
    std::mutex reaping;
    bool workerEnded = false;
    int workerStatus = 0;
};
