#pragma once

#include <windows.h>

#include <memory>

#include "SharedObject.h"

// Weak references: an object's address held as an integer, without a count.
// Whoever stores one relies on the object's owner to clear it before the
// object goes.

// The weak reference to `object` (0 for none).
template <typename T>
LONG_PTR ObjPtr(const T* object) noexcept {
    return reinterpret_cast<LONG_PTR>(object);
}

// Turns a weak reference back into a counted reference for the length of one
// call. Gives nothing for 0, and nothing for an object whose last counted
// reference is already gone (it is being destroyed and must not be called).
template <typename T>
std::shared_ptr<T> ObjectFromPtr(LONG_PTR ptr) noexcept {
    if (ptr == 0) return nullptr;
    T* object = reinterpret_cast<T*>(ptr);
    std::shared_ptr<SharedObject> owner = object->weak_from_this().lock();
    if (!owner) return nullptr;
    return std::shared_ptr<T>(owner, object);
}
