#pragma once

#include <windows.h>

#include <memory>

#include "StdPicture.h"

// A picture box that only holds a picture for others: its window stays
// hidden and is never drawn on.
class PictureBox {
public:
    HWND hwnd() const noexcept { return m_hwnd; }
    void Bind(HWND hwnd) noexcept { m_hwnd = hwnd; }

    const std::shared_ptr<StdPicture>& Picture() const noexcept { return m_picture; }
    void Picture(std::shared_ptr<StdPicture> picture) noexcept { m_picture = std::move(picture); }

private:
    HWND m_hwnd = nullptr;
    std::shared_ptr<StdPicture> m_picture;
};
