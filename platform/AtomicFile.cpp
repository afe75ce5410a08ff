#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// The folder part of a path, "." for a bare name; the temporary must sit in
// the target's own folder, or the rename could cross file systems.
std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What the process would give a file it made with open(..., 0666): mkstemp
// makes 0600, which would hide a screenshot or a settings file from the
// player's other programs for no reason.
mode_t ordinaryMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

}  // namespace

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::fail(const char* step) {
    if (!failed_) error_ = std::string(step) + " " + (temporary_.empty() ? target_ : temporary_) + ": " + std::strerror(errno);
    failed_ = true;
}

void AtomicFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool AtomicFile::open() {
    discard();
    failed_ = false;
    error_.clear();
    // A hidden name beside the target; mkostemp opens it with O_EXCL, so a
    // name that exists in any form (a planted link too) is never reused.
    std::string pattern = folderOf(target_) + "/." + nameOf(target_) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        fail("cannot create a temporary file for");
        return false;
    }
    temporary_ = name.data();
    if (::fchmod(fd_, ordinaryMode()) != 0) fail("cannot set the mode of");
    return !failed_;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (fd_ < 0) {
        if (!failed_) error_ = "not open: " + target_;
        failed_ = true;
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    while (size > 0 && !failed_) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            fail("cannot write");
            break;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return !failed_;
}

bool AtomicFile::commit() {
    if (fd_ < 0 && !failed_) {
        error_ = "not open: " + target_;
        failed_ = true;
    }
    if (!failed_ && ::fsync(fd_) != 0) fail("cannot sync");
    if (fd_ >= 0 && ::close(fd_) != 0) fail("cannot close");
    fd_ = -1;
    if (!failed_ && ::rename(temporary_.c_str(), target_.c_str()) != 0) fail("cannot rename into place");
    if (failed_) {
        discard();
        return false;
    }
    temporary_.clear();
    // The rename itself is made durable by syncing the folder; a failure
    // here loses nothing that was there before, so it is not reported.
    const int folder = ::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
    AtomicFile file(path);
    const bool ok = file.open() && file.write(bytes) && file.commit();
    if (!ok && error) *error = file.error();
    return ok;
}

bool claimNewFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool isRegularFile(const std::string& path) {
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TextHead readTextHead(const std::string& path, std::size_t limit, std::string& text) {
    text.clear();
    // Checked before opening: a FIFO would keep the game waiting for a writer.
    if (!isRegularFile(path)) return TextHead::Unreadable;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return TextHead::Unreadable;
    text.assign(limit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) {
        text.clear();
        return TextHead::Unreadable;
    }
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() <= limit) return TextHead::Whole;
    text.resize(limit);
    text.erase(text.find_last_of('\n') + 1);  // the cut line goes too
    return TextHead::Cut;
}
