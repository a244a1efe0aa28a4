#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <vector>

#include "ISubclass.h"

// The subclassing registry: any number of clients register, per window and
// per message number, for the messages they want; one shared window procedure
// is installed on every window with at least one registration and hands each
// registered message to its clients in registration order.
//
// All registrations live in properties of the subclassed window itself:
//   "<hwnd>"              the window's previous window procedure
//   "C<hwnd>"             the window's attach count (successful attaches)
//   "<hwnd>#<msg>C"       the number of clients of message <msg>
//   "<hwnd>#<msg>#<i>"    the client in slot i (1-based, dense, in order of
//                         registration), as a weak reference
// <hwnd> and <msg> are the signed 32-bit decimal texts of the handle and the
// message number. Clients are held without a count: a client detaches every
// message it attached before it goes.
//
// The properties are the public record, written on every change. Dispatch
// reads a copy of them kept in memory instead, because every property read
// is a round trip to the window server.
//
// The registry serves one thread, the one that first attaches (the program's
// user-interface thread): it subclasses that thread's windows only, and is
// called on that thread only.
namespace MSubclass {

// Codes of the errors AttachMessage raises (see RaisedError::OfObject).
constexpr std::uint32_t kErrCantSubclass = 13081;      // "Can't subclass window"
constexpr std::uint32_t kErrAlreadyHandled = 13082;    // "Message already handled by another class"
constexpr std::uint32_t kErrInvalidWindow = 13083;     // "Invalid window"
constexpr std::uint32_t kErrExternalWindow = 13084;    // "Can't modify external window"

// Start subclassing for a particular message. Checks, in this order, that
// `hwnd` is a window, that it belongs to this process, that it belongs to the
// calling thread and that thread to the registry (else "Can't subclass
// window"), that the shared procedure could be installed (first attach only)
// and that `iwp` is not already registered for this message; the failing
// check raises its error and changes nothing.
void AttachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg);

// Stop subclassing for a particular message. The window's last registration
// reinstalls its previous procedure. Detaching a registration that does not
// exist, or from a thread other than the registry's, changes nothing.
void DetachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) noexcept;

// Returns the message currently being worked on. Only valid in the
// MsgResponse and WindowProc items of your implemented interface.
UINT CurrentMessage() noexcept;

// Calls the window procedure for this handle which was installed before you
// added the subclass. It is the procedure recorded at the most recent
// hand-over to a client, so after a nested dispatch it is the nested
// message's window's.
LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept;

// The window procedure installed on subclassed windows.
LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept;

// What the dispatch copy holds for one window, for checks against the
// properties: nothing (held false) until a client attaches to the window.
struct CopiedRecord {
    bool held = false;
    WNDPROC previous = nullptr;
    std::map<UINT, std::vector<LONG_PTR>> clients;  // messages with clients only
};
CopiedRecord DispatchCopyOf(HWND hwnd) noexcept;

}  // namespace MSubclass
