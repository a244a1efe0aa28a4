#include "WindowPlacement.h"

#include <algorithm>

namespace WindowPlacement {

RECT CentredOnWorkArea(int clientWidth, int clientHeight, DWORD style) noexcept {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const LONG width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const LONG x = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const LONG y = work.top + std::max(0L, (work.bottom - work.top - height) / 2);
    return {x, y, x + width, y + height};
}

}  // namespace WindowPlacement
