#pragma once

#include <unknwn.h>

#include <utility>

// Owns one reference to a COM object. A call that creates an object writes
// it through put(), so the object is owned from the moment it exists.
template <typename T>
class ComRef {
public:
    ComRef() noexcept = default;
    // Takes over a reference the caller holds.
    explicit ComRef(T* object) noexcept : m_object(object) {}
    ComRef(ComRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }

    T* get() const noexcept { return m_object; }
    T* operator->() const noexcept { return m_object; }
    explicit operator bool() const noexcept { return m_object != nullptr; }
    void reset() noexcept {
        if (T* object = std::exchange(m_object, nullptr)) object->Release();
    }

    // The out-parameter of a call that hands out a new reference; whatever
    // was held is released first.
    T** put() noexcept {
        reset();
        return &m_object;
    }
    // The same, for calls that take an interface id and a void**.
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* m_object = nullptr;
};
