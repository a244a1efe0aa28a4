#pragma once

#include <windows.h>

#include <cstdint>

#include "StdPicture.h"
#include "UniqueHandle.h"

// An off-screen drawing surface: a memory DC with a bitmap in the display's
// format selected into it. The surface only grows: asking for a size not
// larger than the current one in a dimension keeps the bitmap and what was
// drawn on it; growing makes a new, empty bitmap. Nothing here raises: when a
// bitmap cannot be made the object has no surface (hdc 0, sizes 0).
class cMemDC {
public:
    cMemDC() = default;
    cMemDC(const cMemDC&) = delete;
    cMemDC& operator=(const cMemDC&) = delete;
    ~cMemDC();

    // Sizes the surface to at least the picture's bitmap and copies the bitmap
    // to (0, 0). A picture without a bitmap changes and copies nothing.
    void CreateFromPicture(const StdPicture& sPic);

    // The memory DC, 0 while there is no surface.
    HDC hdc() const noexcept { return m_hDC.get(); }

    std::int32_t Width() const noexcept { return m_lWidth; }
    void Width(std::int32_t lW);  // grows only
    std::int32_t Height() const noexcept { return m_lHeight; }
    void Height(std::int32_t lH);  // grows only

private:
    void pCreate(std::int32_t w, std::int32_t h);
    void pDestroy() noexcept;

    UniqueDC m_hDC;
    HGDIOBJ m_hBmpOld = nullptr;  // selected into m_hDC before m_hBmp
    UniqueBitmap m_hBmp;
    std::int32_t m_lWidth = 0;
    std::int32_t m_lHeight = 0;
};
