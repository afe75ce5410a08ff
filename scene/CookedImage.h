#pragma once

#include <cstdint>
#include <string>
#include <vector>

// An image as the driver holds it after the upload: every mipmap level,
// tightly packed, in the byte order it was uploaded in. Kept in a file beside
// the data (or in the player's cache) so later starts skip the decoding and
// the driver's mipmap pass. An entry belongs to one source file, known by its
// size and modification time, and to one GL renderer and version; anything
// else, or a file that does not read back whole, is a miss.
struct CookedImage {
    struct Level {
        int width = 0;
        int height = 0;
        std::vector<unsigned char> pixels;
    };
    int channels = 0;  // 1 to 4
    std::vector<Level> levels;
};

// What a cache entry is checked against: the source's size and stamp (its
// modification time, or a hash of pixels made in memory) and the GL driver.
struct CookedKey {
    std::uintmax_t sourceSize = 0;
    std::int64_t sourceTime = 0;
    std::string driver;  // GL renderer and version
};

// The key of `source` for `driver`; false when the file cannot be stat'ed.
bool cookedKey(const std::string& source, const std::string& driver, CookedKey& key);
// The key of pixels made at start-up, such as a font's glyphs.
CookedKey cookedKey(const std::vector<unsigned char>& pixels, const std::string& driver);

// The entry for a source file with `channels` bytes a pixel.
std::string cookedPath(const std::string& folder, const std::string& source, int channels);

// False on any mismatch, short read or damage; `image` is then left empty.
bool readCookedImage(const std::string& path, const CookedKey& key, CookedImage& image);

// Writes to a temporary name and renames it into place, so a reader never
// sees half an entry. False when the folder cannot be made or written.
bool writeCookedImage(const std::string& path, const CookedKey& key, const CookedImage& image);
