#include "scene/CookedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/AtomicFile.h"
#include "scene/MeshMessage.h"

namespace fs = std::filesystem;

namespace {

// The last byte is the layout's version: an entry of an older layout is
// another key's, not damage.
constexpr char magic[8] = {'m', 'u', 'r', 'k', 'k', 'e', 'p', '2'};
constexpr std::size_t longestDriverName = 4096;
constexpr std::uint64_t mostSources = 256;

struct Head {
    char magic[8];
    std::uint64_t sourceSize;
    std::uint64_t sourceHash;
    std::uint64_t driverLength;
};

struct Tail {
    std::uint64_t length;
    std::uint64_t hash;
};

struct Descriptor {
    int fd;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

// Exactly `size` bytes, or false.
bool readExactly(int fd, void* into, std::size_t size) {
    char* at = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t n = ::read(fd, at, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::uint64_t mixWord(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15u;
    return hash ^ (hash >> 29);
}

}  // namespace

std::uint64_t hashBytes(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint64_t hash = 0xCBF29CE484222325u ^ size;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + i, 8);
        hash = mixWord(hash, word);
    }
    std::uint64_t last = 0;
    if (size > i) std::memcpy(&last, bytes + i, size - i);
    return mixWord(mixWord(hash, last), size);
}

bool hashFile(const std::string& path, std::uintmax_t& size, std::uint64_t& hash) {
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info{};
    if (file.fd < 0 || ::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
    // Read in blocks and hashed as one run of bytes: a block's hash feeds the next.
    // A block no larger than the file: most sources are a few kilobytes.
    std::string block(std::min<std::size_t>(std::size_t{1} << 20, static_cast<std::size_t>(info.st_size) + 1), '\0');
    std::uint64_t running = 0;
    std::uintmax_t total = 0;
    for (;;) {
        const ssize_t n = ::read(file.fd, block.data(), block.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        running = mixWord(running, hashBytes(block.data(), static_cast<std::size_t>(n)));
        total += static_cast<std::uintmax_t>(n);
    }
    size = total;
    hash = running;
    return true;
}

bool readCookedFile(const std::string& path, const CookedKey& key, std::string& bytes, std::string* damage) {
    bytes.clear();
    std::string ignored;
    std::string& why = damage != nullptr ? *damage : ignored;
    why.clear();
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info{};
    if (file.fd < 0) return false;
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        why = "not a regular file";
        return false;
    }
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    Head head{};
    if (!readExactly(file.fd, &head, sizeof head)) {
        why = "cut short";
        return false;
    }
    if (std::memcmp(head.magic, magic, sizeof magic - 1) != 0) {
        why = "not a cache entry";
        return false;
    }
    if (head.magic[sizeof magic - 1] != magic[sizeof magic - 1]) return false;  // an older layout
    if (head.driverLength > longestDriverName) {
        why = "a driver name of " + std::to_string(head.driverLength) + " bytes";
        return false;
    }
    std::string driver(head.driverLength, '\0');
    Tail tail{};
    if (!readExactly(file.fd, driver.data(), driver.size()) || !readExactly(file.fd, &tail, sizeof tail)) {
        why = "cut short";
        return false;
    }
    if (head.sourceSize != key.sourceSize || head.sourceHash != key.sourceHash || driver != key.driver) return false;
    // Compared before reading: a damaged length, or a file grown by a
    // sparse tail of a gigabyte, is never read or allocated.
    const std::uint64_t headBytes = sizeof head + driver.size() + sizeof tail;
    if (fileSize < headBytes || tail.length != fileSize - headBytes) {
        why = "holds " + std::to_string(fileSize < headBytes ? 0 : fileSize - headBytes) + " bytes where it says " +
              std::to_string(tail.length);
        return false;
    }
    std::string payload(static_cast<std::size_t>(tail.length), '\0');
    if (!readExactly(file.fd, payload.data(), payload.size())) {
        why = "cut short";
        return false;
    }
    if (hashBytes(payload.data(), payload.size()) != tail.hash) {
        why = "its contents do not match their checksum";
        return false;
    }
    bytes = std::move(payload);
    return true;
}

bool writeCookedFile(const std::string& path, const CookedKey& key, const std::string& bytes) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    const std::string driver = key.driver.substr(0, longestDriverName);
    Head head{};
    std::memcpy(head.magic, magic, sizeof magic);
    head.sourceSize = key.sourceSize;
    head.sourceHash = key.sourceHash;
    head.driverLength = driver.size();
    const Tail tail{bytes.size(), hashBytes(bytes.data(), bytes.size())};
    // Two games starting at once each write their own temporary; the last rename wins.
    AtomicFile file(path);
    return file.open() && file.write(&head, sizeof head) && file.write(driver) && file.write(&tail, sizeof tail) &&
           file.write(bytes) && file.commit();
}

std::string cookedDamageLine(const std::string& path, const std::string& damage, const std::string& source) {
    return "cache entry " + path + " cannot be used (" + damage + "); made again from " + source;
}

std::string withSources(const std::vector<std::string>& files, const std::string& bytes) {
    std::string out;
    put(out, std::uint64_t{files.size()});
    for (const std::string& file : files) {
        std::uintmax_t size = 0;
        std::uint64_t hash = 0;
        hashFile(file, size, hash);  // one that cannot be read now is read differently next time
        put(out, file);
        put(out, std::uint64_t{size});
        put(out, hash);
    }
    return out + bytes;
}

bool sourcesUnchanged(const std::string& kept, std::string& bytes, std::string& damage) {
    damage.clear();
    MessageReader in{kept.data(), kept.data() + kept.size()};
    std::uint64_t count = 0;
    in.get(count);
    if (!in.ok || count > mostSources) {
        damage = "a list of " + std::to_string(count) + " source files";
        return false;
    }
    bool same = true;
    for (std::uint64_t i = 0; in.ok && i < count; ++i) {
        std::string file;
        std::uint64_t size = 0;
        std::uint64_t hash = 0;
        in.get(file);
        in.get(size);
        in.get(hash);
        std::uintmax_t nowSize = 0;
        std::uint64_t nowHash = 0;
        if (in.ok && same) same = hashFile(file, nowSize, nowHash) && nowSize == size && nowHash == hash;
    }
    if (!in.ok) {
        damage = "its list of source files is cut short";
        return false;
    }
    if (!same) return false;
    bytes.assign(in.at, in.end);
    return true;
}

std::string buildName() {
    // The binary is not hashed: it is large, and a new build is a new file.
    static const std::string name = [] {
        struct stat own{};
        if (::stat("/proc/self/exe", &own) != 0) return std::string();
        return "build " + std::to_string(own.st_size) + " " + std::to_string(own.st_mtim.tv_sec) + "." +
               std::to_string(own.st_mtim.tv_nsec) + " " + std::to_string(own.st_ino);
    }();
    return name;
}
