#include "GSubclass.h"

#include "MSubclass.h"

void GSubclass::AttachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) const {
    MSubclass::AttachMessage(iwp, hwnd, iMsg);
}

void GSubclass::DetachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) const noexcept {
    MSubclass::DetachMessage(iwp, hwnd, iMsg);
}

UINT GSubclass::CurrentMessage() const noexcept { return MSubclass::CurrentMessage(); }

LRESULT GSubclass::CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) const noexcept {
    return MSubclass::CallOldWindowProc(hwnd, iMsg, wParam, lParam);
}
