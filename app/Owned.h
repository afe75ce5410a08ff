#pragma once

#include <memory>
#include <utility>

// A sole owner that learns how to free its object when the object is made.
// The game context can then own subsystems it only forward-declares, and a
// test that never creates them need not link their code.
template <class T>
struct OwnedDeleter {
    void (*destroy)(T*) = nullptr;
    void operator()(T* object) const { destroy(object); }
};

template <class T>
using Owned = std::unique_ptr<T, OwnedDeleter<T>>;

// Like std::make_unique, for Owned.
template <class T, class... Args>
Owned<T> makeOwned(Args&&... args) {
    return Owned<T>(new T(std::forward<Args>(args)...), OwnedDeleter<T> {[](T* object) { delete object; }});
}
