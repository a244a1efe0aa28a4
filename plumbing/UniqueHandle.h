#pragma once

#include <windows.h>

#include <utility>

// Move-only owners of GDI and USER handles and of hooks.

// Owns a handle and frees it with `Free` (DeleteObject, DeleteDC, DestroyMenu...).
template <typename Handle, auto Free>
class UniqueHandle {
public:
    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : m_handle(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }
    Handle release() noexcept { return std::exchange(m_handle, nullptr); }
    void reset(Handle handle = nullptr) noexcept {
        if (m_handle) Free(m_handle);
        m_handle = handle;
    }

private:
    Handle m_handle = nullptr;
};

inline void DeleteGdiObject(HGDIOBJ object) noexcept { DeleteObject(object); }
inline void DeleteMemoryDC(HDC dc) noexcept { DeleteDC(dc); }
inline void Unhook(HHOOK hook) noexcept { UnhookWindowsHookEx(hook); }

using UniqueBitmap = UniqueHandle<HBITMAP, DeleteGdiObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteGdiObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteGdiObject>;
using UniqueDC = UniqueHandle<HDC, DeleteMemoryDC>;
using UniqueHook = UniqueHandle<HHOOK, Unhook>;

// Selects an object into a DC for the guard's lifetime and puts the previous
// one back when it goes.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (m_previous) SelectObject(m_dc, m_previous);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

    // False when nothing was selected (no object, or the DC refused it).
    explicit operator bool() const noexcept { return m_previous != nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// A window's DC (GetWindowDC or GetDC), released with its window.
class WindowDC {
public:
    static WindowDC Whole(HWND hwnd) noexcept { return WindowDC(hwnd, GetWindowDC(hwnd)); }
    static WindowDC Client(HWND hwnd) noexcept { return WindowDC(hwnd, GetDC(hwnd)); }

    WindowDC(WindowDC&& other) noexcept
        : m_hwnd(std::exchange(other.m_hwnd, nullptr)), m_dc(std::exchange(other.m_dc, nullptr)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    WindowDC& operator=(WindowDC&&) = delete;
    ~WindowDC() {
        if (m_dc) ReleaseDC(m_hwnd, m_dc);
    }

    HDC get() const noexcept { return m_dc; }
    explicit operator bool() const noexcept { return m_dc != nullptr; }

private:
    WindowDC(HWND hwnd, HDC dc) noexcept : m_hwnd(hwnd), m_dc(dc) {}
    HWND m_hwnd;
    HDC m_dc;
};
