#pragma once

#include <windows.h>

// The Desktop Window Manager's calls the frame and the first show need,
// loaded from dwmapi.dll at run time, so that a system without it (or Wine,
// whose calls do nothing) still runs. Windows 7 keeps a window's attributes
// while composition is off.
namespace Dwm {

// DWMWINDOWATTRIBUTE values and their settings (dwmapi.h; the corner
// preference is Windows 11's and older headers lack it).
constexpr DWORD kNcRenderingPolicy = 2;   // DWMWA_NCRENDERING_POLICY
constexpr DWORD kCornerPreference = 33;   // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kCloak = 13;              // DWMWA_CLOAK (Windows 8 and later)
constexpr DWORD kCloaked = 14;            // DWMWA_CLOAKED: why the window is cloaked, 0 when not
constexpr int kPolicyUseWindowStyle = 0;  // DWMNCRP_USEWINDOWSTYLE
constexpr int kPolicyDisabled = 1;        // DWMNCRP_DISABLED
constexpr int kCornerDefault = 0;         // DWMWCP_DEFAULT
constexpr int kCornerSquare = 1;          // DWMWCP_DONOTROUND

// The functions the calls go through; null answers as a system without DWM.
struct Api {
    HRESULT(WINAPI* setWindowAttribute)(HWND, DWORD, LPCVOID, DWORD) = nullptr;
    HRESULT(WINAPI* getWindowAttribute)(HWND, DWORD, PVOID, DWORD) = nullptr;
};

// Sets an int-valued attribute of a window; E_NOTIMPL without DWM. Windows
// older than the attribute answer E_INVALIDARG, which callers may ignore.
HRESULT SetWindowAttribute(HWND hwnd, DWORD attribute, int value) noexcept;
// Reads an int-valued attribute of a window into `value`; E_NOTIMPL without DWM.
HRESULT GetWindowAttribute(HWND hwnd, DWORD attribute, int& value) noexcept;
// Routes the calls through `api` (tests record it); the system's again after
// UseSystem.
void Replace(const Api& api) noexcept;
void UseSystem() noexcept;

}  // namespace Dwm
