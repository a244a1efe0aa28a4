#pragma once

#include <windows.h>

#include "ISubclass.h"

// The public face of the subclassing registry: the same four operations as
// MSubclass, forwarded unchanged (errors included). The program's own classes
// call MSubclass directly.
class GSubclass {
public:
    // Start subclassing for a particular message.
    void AttachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) const;
    // Stop subclassing for a particular message.
    void DetachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) const noexcept;
    // Returns the message currently being worked on. Only valid in the
    // MsgResponse and WindowProc items of your implemented interface.
    UINT CurrentMessage() const noexcept;
    // Calls the window procedure for this handle which was installed before
    // you added the subclass.
    LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) const noexcept;
};

// The program's one GSubclass object.
inline constexpr GSubclass gSubclass{};
