#pragma once

#include <windows.h>

// Locks a global memory block (GlobalLock) for the guard's lifetime, so that
// every successful lock is matched by its GlobalUnlock on every exit.
class GlobalLockGuard {
public:
    explicit GlobalLockGuard(HGLOBAL memory) noexcept : m_memory(memory), m_data(memory ? GlobalLock(memory) : nullptr) {}
    GlobalLockGuard(const GlobalLockGuard&) = delete;
    GlobalLockGuard& operator=(const GlobalLockGuard&) = delete;
    ~GlobalLockGuard() {
        if (m_data) GlobalUnlock(m_memory);
    }

    // The block's first byte; null when it could not be locked.
    void* get() const noexcept { return m_data; }
    // The block's size in bytes (which may exceed what was asked for).
    SIZE_T size() const noexcept { return m_data ? GlobalSize(m_memory) : 0; }
    explicit operator bool() const noexcept { return m_data != nullptr; }

private:
    HGLOBAL m_memory;
    void* m_data;
};
