#pragma once

#include <windows.h>

#include <string>

#include "SharedObject.h"

// What a screen reader is told about one element of a window part drawn by
// the program itself (the skin's title bar, its menu bar).
struct AccessibleElement {
    std::wstring name, keyboardShortcut, defaultAction;
    long role = 0;   // ROLE_SYSTEM_*
    long state = 0;  // STATE_SYSTEM_*
    RECT screen{};   // where it is, in screen coordinates
};

// A window part with simple child elements, numbered from 1 (0 is the part
// itself), as cAccessible presents it to screen readers. Held by weak
// reference: a part may go while a reader still holds its object.
class IAccessibleSource : public virtual SharedObject {
public:
    // The window the part belongs to.
    virtual HWND AccessibleWindow() = 0;
    virtual int AccessibleChildCount() = 0;
    // Describes `child` now; false when there is no such child.
    virtual bool DescribeElement(int child, AccessibleElement& element) = 0;
    // Does what a click on `child` does, without waiting for what follows
    // (a reader's call must not stay inside a menu loop); false when it cannot.
    virtual bool DoDefaultAction(int child) = 0;
};
