#include "Dpi.h"

#include <cmath>
#include <cstring>

#include "UniqueHandle.h"

namespace Dpi {

namespace {

// A function of a system DLL that older Windows versions lack, or null.
template <typename Fn>
Fn SystemFunction(HMODULE dll, const char* name) noexcept {
    FARPROC proc = dll ? GetProcAddress(dll, name) : nullptr;
    Fn fn = nullptr;
    static_assert(sizeof fn == sizeof proc);
    std::memcpy(&fn, &proc, sizeof fn);  // function pointer types differ; copy the address
    return fn;
}

HMODULE User32() noexcept { return GetModuleHandleW(L"user32.dll"); }

}  // namespace

int System() noexcept {
    // The screen DC's resolution is the system DPI on every version. Not kept:
    // a thread of another DPI awareness may be told another one.
    const WindowDC screen = WindowDC::Client(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBase;
}

int OfWindow(HWND hwnd) noexcept {
    if (!hwnd) return System();
    // Windows 10 1607 and later.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    // Windows 8.1 and 10 before 1607: the effective DPI of the window's monitor
    // (0 is MDT_EFFECTIVE_DPI). The library is loaded only when it is needed,
    // not at start-up where the window's own DPI answers, and stays loaded.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = SystemFunction<GetDpiForMonitorFn>(
        LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
    UINT dpiX = 0, dpiY = 0;
    const HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, 0, &dpiX, &dpiY)) && dpiY)
        return static_cast<int>(dpiY);
    // Windows 7: one DPI for the whole system.
    return System();
}

int FromPoints(double points, int dpi) noexcept {
    // lround rounds halves away from zero, as Rescale does.
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

int Metric(int index, int dpi) noexcept {
    // GetSystemMetrics answers for the system's DPI only (its documentation
    // sends per-monitor aware callers to GetSystemMetricsForDpi).
    using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
    static const auto forDpi = SystemFunction<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi");
    if (dpi <= 0) return GetSystemMetrics(index);
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return Rescale(GetSystemMetrics(index), dpi, System());
}

}  // namespace Dpi
