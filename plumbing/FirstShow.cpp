#include "FirstShow.h"

#include "Dwm.h"

namespace FirstShow {

namespace {

// Sends the window, its frame and all its children the paint messages they
// have pending, before returning.
void PaintPending(HWND hwnd) noexcept { RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); }

// A cloaked window is shown, laid out and composed by DWM but not visible
// (DWMWA_CLOAK). Windows 7 refuses the attribute and Wine accepts it without
// cloaking anything, so the window counts as cloaked only when DWM says so.
bool Cloak(HWND hwnd) noexcept {
    if (FAILED(Dwm::SetWindowAttribute(hwnd, Dwm::kCloak, TRUE))) return false;
    int cloaked = 0;
    if (SUCCEEDED(Dwm::GetWindowAttribute(hwnd, Dwm::kCloaked, cloaked)) && cloaked) return true;
    Dwm::SetWindowAttribute(hwnd, Dwm::kCloak, FALSE);
    return false;
}

void SetLayered(HWND hwnd, bool on) noexcept {
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE, on ? style | WS_EX_LAYERED : style & ~LONG_PTR{WS_EX_LAYERED});
}

}  // namespace

void Show(HWND hwnd, int showCommand) noexcept {
    if (Cloak(hwnd)) {
        ShowWindow(hwnd, showCommand);
        PaintPending(hwnd);
        Dwm::SetWindowAttribute(hwnd, Dwm::kCloak, FALSE);
        return;
    }
    if (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) {
        // Layered by its owner, who sets how it shows.
        ShowWindow(hwnd, showCommand);
        PaintPending(hwnd);
        return;
    }
    // A layered window is not visible until its attributes are set
    // (SetLayeredWindowAttributes); Wine does not even map it. It paints
    // meanwhile, which is all Wine needs.
    SetLayered(hwnd, true);
    ShowWindow(hwnd, showCommand);
    PaintPending(hwnd);
    // Without DWM, Windows gives the window a surface of its own only now and
    // has it paint again: at alpha 0 nobody sees it.
    SetLayeredWindowAttributes(hwnd, 0, 0, LWA_ALPHA);
    PaintPending(hwnd);
    // Opaque, with everything painted; then a window like any other again,
    // repainting (where the system asks for it) the same pixels.
    SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
    SetLayered(hwnd, false);
}

}  // namespace FirstShow
