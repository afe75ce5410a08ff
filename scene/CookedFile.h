#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/CookedImage.h"

// A cache entry of any bytes under a CookedKey, such as a model's imported
// meshes or an image's levels. The entry holds its key, the length of its
// bytes and a hash of them: the length is compared with the file's size
// before anything is read, and the hash with the bytes after.

// False, with `damage` empty, when there is no entry or it belongs to
// another source or driver; false with `damage` saying what is wrong when
// the entry is damaged (cut short, grown, changed).
bool readCookedFile(const std::string& path, const CookedKey& key, std::string& bytes, std::string* damage = nullptr);
// Written to a temporary made beside it with exclusive creation, synced and
// renamed into place, so a reader never sees half an entry and nothing
// planted under a temporary's name is followed.
bool writeCookedFile(const std::string& path, const CookedKey& key, const std::string& bytes);

// The console line for an entry that cannot be used and is made again.
std::string cookedDamageLine(const std::string& path, const std::string& damage, const std::string& source);

// `bytes` behind the list of files they were made from, each with its size
// and hash (a model and every file its import opened).
std::string withSources(const std::vector<std::string>& files, const std::string& bytes);
// Takes the list off again: false when a listed file is gone or changed
// (`damage` empty), or when the list is damaged (`damage` says so).
bool sourcesUnchanged(const std::string& kept, std::string& bytes, std::string& damage);

// A 64-bit hash of bytes, eight at a time: cheap enough to key every source
// by its contents at each start.
std::uint64_t hashBytes(const void* data, std::size_t size);
// The size and hash of a regular file's contents; false when it cannot be read.
bool hashFile(const std::string& path, std::uintmax_t& size, std::uint64_t& hash);

// Which build of this program is running (its size, modification time and
// inode), so a changed import or conversion makes new entries.
std::string buildName();
