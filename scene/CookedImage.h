#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An image as the driver holds it after the upload: every mipmap level,
// tightly packed, in the byte order it was uploaded in. Kept in a file beside
// the data (or in the player's cache) so later starts skip the decoding and
// the driver's mipmap pass. An entry belongs to one source, known by the
// size and a hash of its bytes, and to one GL renderer and version;
// anything else is a miss, and an entry that does not read back whole and
// as written is damage.
struct CookedImage {
    struct Level {
        int width = 0;
        int height = 0;
        std::vector<unsigned char> pixels;
    };
    int channels = 0;  // 1 to 4
    std::vector<Level> levels;
};

// What a cache entry is checked against: the source's size and a hash of its
// bytes (of a file, or of pixels made in memory) and the GL driver.
struct CookedKey {
    std::uintmax_t sourceSize = 0;
    std::uint64_t sourceHash = 0;
    std::string driver;  // GL renderer and version
};

// The key of `source` for `driver`; false when the file cannot be read.
bool cookedKey(const std::string& source, const std::string& driver, CookedKey& key);
// The key of pixels made at start-up, such as a font's glyphs.
CookedKey cookedKey(const std::vector<unsigned char>& pixels, const std::string& driver);

// The entry for a source file with `channels` bytes a pixel.
std::string cookedPath(const std::string& folder, const std::string& source, int channels);

// False on any mismatch or damage; `image` is then left empty and `damage`
// (when given) says what was damaged, empty for a plain miss. Levels larger
// than `largest` (when above 0: the GL's texture size limit) are damage too.
bool readCookedImage(const std::string& path, const CookedKey& key, CookedImage& image, int largest = 0,
                     std::string* damage = nullptr);

// Written as writeCookedFile writes. False when the folder cannot be made or written.
bool writeCookedImage(const std::string& path, const CookedKey& key, const CookedImage& image);
