#include "Dwm.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace Dwm {

namespace {

std::optional<Api> g_replacement;

// The library from the system folder by its full path, so that no copy lying
// next to the program is loaded instead.
const Api& System() noexcept {
    static const Api api = [] {
        Api loaded;
        constexpr wchar_t kName[] = L"\\dwmapi.dll";
        wchar_t path[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(path, MAX_PATH);
        if (length == 0 || length + std::size(kName) > MAX_PATH) return loaded;
        std::copy(std::begin(kName), std::end(kName), path + length);
        const HMODULE dll = LoadLibraryW(path);
        if (!dll) return loaded;
        // FARPROC to the real signature, through a void pointer as the
        // compiler wants for function pointer casts.
        loaded.setWindowAttribute = reinterpret_cast<decltype(loaded.setWindowAttribute)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "DwmSetWindowAttribute")));
        loaded.getWindowAttribute = reinterpret_cast<decltype(loaded.getWindowAttribute)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "DwmGetWindowAttribute")));
        return loaded;
    }();
    return api;
}

const Api& Current() noexcept { return g_replacement ? *g_replacement : System(); }

}  // namespace

HRESULT SetWindowAttribute(HWND hwnd, DWORD attribute, int value) noexcept {
    const Api& api = Current();
    return api.setWindowAttribute ? api.setWindowAttribute(hwnd, attribute, &value, sizeof value) : E_NOTIMPL;
}

HRESULT GetWindowAttribute(HWND hwnd, DWORD attribute, int& value) noexcept {
    const Api& api = Current();
    return api.getWindowAttribute ? api.getWindowAttribute(hwnd, attribute, &value, sizeof value) : E_NOTIMPL;
}

void Replace(const Api& api) noexcept { g_replacement = api; }
void UseSystem() noexcept { g_replacement.reset(); }

}  // namespace Dwm
