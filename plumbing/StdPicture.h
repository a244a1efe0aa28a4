#pragma once

#include <windows.h>

#include <memory>

#include "UniqueHandle.h"

// A bitmap held for others to read: it hands out its handle and never
// changes or frees it while it lives.
class StdPicture {
public:
    explicit StdPicture(UniqueBitmap bitmap) noexcept : m_bitmap(std::move(bitmap)) {}

    // The bitmap resource `id` of `module`, kept at its stored depth (24 or
    // 8 bits with its palette); an empty picture when there is none.
    static std::shared_ptr<StdPicture> FromResource(HINSTANCE module, int id);
    // The PNG stored as RCDATA resource `id` of `module`, decoded by the
    // system's imaging component (WIC) into a 24-bit DIB section; an empty
    // picture when there is none or it cannot be decoded.
    static std::shared_ptr<StdPicture> FromPngResource(HINSTANCE module, int id);

    HBITMAP Handle() const noexcept { return m_bitmap.get(); }

private:
    UniqueBitmap m_bitmap;
};
