#pragma once

#include <windows.h>

// Display scale. Measures in this program are written for 96 DPI (100%) and
// scaled to the DPI of the window they are used in; every conversion between
// DPIs goes through here, so that all of them round alike.
namespace Dpi {

inline constexpr int kBase = 96;

// The system's DPI: the one DPI of every monitor on Windows 7, the DPI the
// system's metrics are given for, and a window's until it is on a monitor.
int System() noexcept;

// The DPI of the window's monitor for a per-monitor aware program; on
// Windows 7, which has one DPI for all monitors, the system's.
int OfWindow(HWND hwnd) noexcept;

// A length measured at DPI `from` as it is at DPI `to`, rounded to the
// nearest pixel, halves away from zero (as MulDiv rounds), so that `from`
// gives every length back unchanged. The program's one rounding rule.
constexpr int Rescale(int value, int to, int from) noexcept {
    if (from <= 0) return value;
    const long long n = static_cast<long long>(value) * to;
    return static_cast<int>(n >= 0 ? (n + from / 2) / from : -((-n + from / 2) / from));
}

// A 96-DPI measure at the given DPI.
constexpr int Scale(int px96, int dpi) noexcept { return Rescale(px96, dpi, kBase); }

// A size in points (1/72 inch) in pixels at `dpi`, rounded as Rescale rounds.
int FromPoints(double points, int dpi) noexcept;

// A system metric that is a size (SM_CYCAPTION, SM_CXFRAME, ...) at `dpi`:
// the system's own answer for that DPI where it gives one (Windows 10 1607
// and later), else its metric for the system's DPI rescaled.
int Metric(int index, int dpi) noexcept;

}  // namespace Dpi
