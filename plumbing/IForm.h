#pragma once

#include <windows.h>

#include "Dpi.h"

// What the skin needs of a window object: its handle, a way to have it
// repaint itself whole, and the DPI it is laid out for.
class IForm {
public:
    virtual ~IForm() = default;
    virtual HWND hwnd() const = 0;
    virtual void Refresh() = 0;
    // The window owns its scale: it says what it is when a skin attaches, and
    // hands each change down itself. A window that keeps no DPI of its own
    // has its monitor's.
    virtual int WindowDpi() const { return Dpi::OfWindow(hwnd()); }
};
