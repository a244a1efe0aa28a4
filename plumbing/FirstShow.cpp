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
    // A layered window is not visible until its attributes are set
    // (SetLayeredWindowAttributes); at alpha 0 it is visible to the program,
    // which paints it, and transparent on the screen. Wine shows the alpha
    // where a compositing manager runs.
    SetLayered(hwnd, true);
    ShowWindow(hwnd, showCommand);
    SetLayeredWindowAttributes(hwnd, 0, 0, LWA_ALPHA);
    PaintPending(hwnd);
    // Wine copies what was painted to the display only as the thread waits:
    // a wait that returns at once, so that the window turns opaque complete.
    MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, 0);
    // Opaque, with everything painted; then a window like any other again,
    // repainting (where the system asks for it) the same pixels.
    SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
    SetLayered(hwnd, false);
}

}  // namespace FirstShow
