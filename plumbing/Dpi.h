#pragma once

#include <windows.h>

// Display scale of a window. Measures in this program are written for 96 DPI
// (100%) and scaled to the DPI of the window they are used in.
namespace Dpi {

inline constexpr int kBase = 96;

// The DPI of the window's monitor for a per-monitor aware program; on
// Windows 7, which has one DPI for all monitors, the system's.
int OfWindow(HWND hwnd) noexcept;

// A 96-DPI measure at the given DPI, rounded to the nearest pixel (halves away
// from zero), so that 96 gives every measure back unchanged.
constexpr int Scale(int px96, int dpi) noexcept {
    const long long n = static_cast<long long>(px96) * dpi;
    return static_cast<int>(n >= 0 ? (n + kBase / 2) / kBase : -((-n + kBase / 2) / kBase));
}

}  // namespace Dpi
