#include "Dwm.h"

#include <optional>
#include <string>

namespace Dwm {

namespace {

std::optional<Api> g_replacement;

// The library from the system folder by its full path, so that no copy lying
// next to the program is loaded instead.
const Api& System() noexcept {
    static const Api api = [] {
        Api loaded;
        wchar_t folder[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH - 12) return loaded;
        const HMODULE dll = LoadLibraryW((std::wstring(folder, length) + L"\\dwmapi.dll").c_str());
        if (!dll) return loaded;
        // FARPROC to the real signature, through a void pointer as the
        // compiler wants for function pointer casts.
        loaded.setWindowAttribute = reinterpret_cast<decltype(loaded.setWindowAttribute)>(
            reinterpret_cast<void*>(GetProcAddress(dll, "DwmSetWindowAttribute")));
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

void Replace(const Api& api) noexcept { g_replacement = api; }
void UseSystem() noexcept { g_replacement.reset(); }

}  // namespace Dwm
