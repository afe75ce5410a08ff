#pragma once

#include <string>

#include "scene/CookedImage.h"

// A cache entry of any bytes under a CookedKey, such as a model's imported
// meshes. Reads and writes as readCookedImage and writeCookedImage do.
bool readCookedFile(const std::string& path, const CookedKey& key, std::string& bytes);
bool writeCookedFile(const std::string& path, const CookedKey& key, const std::string& bytes);

// The key of a model file: its size, and a stamp of every file in its folder
// (its materials and their libraries lie beside it), for `maker`.
bool modelKey(const std::string& modelFile, const std::string& maker, CookedKey& key);

// Which build of this program is running: its own size and modification
// time, so a changed import or conversion makes new entries.
std::string buildName();
