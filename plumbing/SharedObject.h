#pragma once

#include <memory>

// Common base of the objects that others hold by weak reference (their
// address stored as an integer or window property value) and turn back into
// a counted reference with ObjectFromPtr. Interfaces derive from it
// virtually, so an object implementing several of them has one counted
// reference. Such objects must be created with std::make_shared.
class SharedObject : public std::enable_shared_from_this<SharedObject> {
public:
    virtual ~SharedObject() = default;

protected:
    SharedObject() = default;
    SharedObject(const SharedObject&) = default;
    SharedObject& operator=(const SharedObject&) = default;

    // A counted reference to `self`, the derived object this base belongs to.
    template <typename Self>
    static std::shared_ptr<Self> SharedFrom(Self* self) {
        return std::shared_ptr<Self>(self->shared_from_this(), self);
    }
};
