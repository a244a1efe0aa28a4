#pragma once

#include <windows.h>

namespace WindowPlacement {

// The rectangle, in screen coordinates, of a top-level window of `style`
// whose client area is clientWidth x clientHeight, centred on the primary
// monitor's work area (its top-left corner kept inside the work area when the
// window is larger).
RECT CentredOnWorkArea(int clientWidth, int clientHeight, DWORD style) noexcept;

}  // namespace WindowPlacement
