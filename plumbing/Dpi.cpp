#include "Dpi.h"

#include <cstring>

#include "UniqueHandle.h"

namespace Dpi {

int OfWindow(HWND hwnd) noexcept {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        FARPROC proc = user32 ? GetProcAddress(user32, "GetDpiForWindow") : nullptr;
        GetDpiForWindowFn fn = nullptr;
        static_assert(sizeof fn == sizeof proc);
        std::memcpy(&fn, &proc, sizeof fn);  // function pointer types differ; copy the address
        return fn;
    }();
    if (getDpiForWindow && hwnd) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    const WindowDC screen = WindowDC::Client(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kBase;
}

}  // namespace Dpi
