#include "Dpi.h"

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

}  // namespace

int OfWindow(HWND hwnd) noexcept {
    // Windows 10 1607 and later.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        SystemFunction<GetDpiForWindowFn>(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (getDpiForWindow && hwnd) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    // Windows 8.1 and 10 before 1607: the effective DPI of the window's monitor
    // (0 is MDT_EFFECTIVE_DPI). The library is loaded only when it is needed,
    // not at start-up where the window's own DPI answers, and stays loaded.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    if (hwnd) {
        static const auto getDpiForMonitor = SystemFunction<GetDpiForMonitorFn>(
            LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "GetDpiForMonitor");
        UINT dpiX = 0, dpiY = 0;
        const HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
        if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, 0, &dpiX, &dpiY)) && dpiY)
            return static_cast<int>(dpiY);
    }
    // Windows 7: one DPI for the whole system.
    const WindowDC screen = WindowDC::Client(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBase;
}

}  // namespace Dpi
