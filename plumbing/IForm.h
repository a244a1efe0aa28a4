#pragma once

#include <windows.h>

// What the skin needs of a window object: its handle, and a way to have it
// repaint itself whole.
class IForm {
public:
    virtual ~IForm() = default;
    virtual HWND hwnd() const = 0;
    virtual void Refresh() = 0;
};
