#pragma once

#include <cstddef>
#include <string>

// Files the player could lose (settings, recordings, reports, screenshots,
// cache entries) are never written in place. The bytes go to a temporary
// beside the target, made with exclusive creation so that nothing planted
// under its name (a symbolic link, another game's half-written file) is
// followed or shared; it is synced and renamed over the target only when
// every byte is down. A failed write removes the temporary and leaves the
// old file whole.
class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();  // an uncommitted temporary is removed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False when the temporary could not be made; error() says why.
    bool open();
    // Appends bytes; a failure is kept and reported by commit().
    bool write(const void* data, std::size_t size);
    bool write(const std::string& bytes) { return write(bytes.data(), bytes.size()); }
    // Syncs, closes and renames into place. False (with error()) when any
    // step or any earlier write failed: the temporary is gone, the target as it was.
    bool commit();

    const std::string& target() const { return target_; }
    const std::string& error() const { return error_; }

private:
    void fail(const char* step);
    void discard();

    std::string target_;
    std::string temporary_;
    std::string error_;
    int fd_ = -1;
    bool failed_ = false;
};

// The whole of `bytes` into `path` as above. On failure `error` (when given)
// names the step and the system's reason.
bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error = nullptr);

// Makes `path` as a new empty file, refusing one that exists in any form (a
// dangling symbolic link included). Used to claim a fresh name, such as the
// next screenshot's, before writing it atomically.
bool claimNewFile(const std::string& path);

// True when `path` names a regular file (links followed): not a folder, a
// FIFO or a device, any of which can hang a reader or feed it without end.
bool isRegularFile(const std::string& path);

// How much of a text file the game read (readTextHead).
enum class TextHead { Whole, Cut, Unreadable };

// Reads at most `limit` bytes of the regular file `path` into `text`. A
// longer file is cut after the last whole line within the limit, so a
// damaged or hostile file costs bounded memory and never half a line.
// Unreadable: not a regular file, or a read error.
TextHead readTextHead(const std::string& path, std::size_t limit, std::string& text);
