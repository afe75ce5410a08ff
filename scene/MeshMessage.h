#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "scene/MeshData.h"

// The import's answer as bytes: what the worker sends back and what the
// cache keeps. Fields are in this machine's byte order: the writer and the
// reader are the same program on the same machine.

template <typename T>
void put(std::string& out, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename T>
void put(std::string& out, const std::vector<T>& values) {
    put(out, std::uint64_t{values.size()});
    out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

inline void put(std::string& out, const std::string& text) {
    put(out, std::uint64_t{text.size()});
    out.append(text);
}

// Reads fields back; one running past the end spoils the rest. A count is
// compared with the bytes left before anything is allocated for it, by
// division, so that no count near the size type's limit can wrap round.
struct MessageReader {
    const char* at;
    const char* end;
    bool ok = true;

    std::uint64_t left() const { return static_cast<std::uint64_t>(end - at); }
    template <typename T>
    void get(T& value) {
        if (!ok || sizeof value > left()) {
            ok = false;
            return;
        }
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
    }
    template <typename T>
    void get(std::vector<T>& values) {
        std::uint64_t count = 0;
        get(count);
        if (!ok || count > left() / sizeof(T)) {
            ok = false;
            return;
        }
        values.resize(count);
        if (count > 0) std::memcpy(values.data(), at, count * sizeof(T));  // fields are unaligned
        at += count * sizeof(T);
    }
    void get(std::string& text) {
        std::uint64_t size = 0;
        get(size);
        if (!ok || size > left()) {
            ok = false;
            return;
        }
        text.assign(at, size);
        at += size;
    }
};

// 'E' and the reason, or 'M', the files the import opened and the meshes.
std::string failureAnswer(const std::string& reason);
std::string meshAnswer(const std::vector<std::string>& opened, const std::vector<MeshData>& meshes);

// False with the worker's reason, or with what is wrong with the bytes.
// `opened` (when given) gets the files the import read.
bool parseAnswer(const std::string& bytes, std::vector<MeshData>& meshes, std::string& error,
                 std::vector<std::string>* opened = nullptr);

// What makes meshes unsafe to draw or collide with: array sizes that do not
// fit the vertex count, an index past the last vertex, a position or bound
// that is not finite. Empty when there is nothing.
std::string meshProblem(const std::vector<MeshData>& meshes);
