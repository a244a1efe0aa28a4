#pragma once

#include <windows.h>

#include <memory>

#include "plumbing/SharedObject.h"

class cNCCalcSize;

// Whoever runs a popup loop and wants to see its messages first (the menu
// bar's popup tracker). Held by weak reference.
class IMenuFilter : public virtual SharedObject {
public:
    // One key or pointer message of the popup loop; true swallows it.
    virtual bool MenuFilterMessage(const MSG& msg) = 0;
};

// Thread hooks of the user-interface thread.
//
// The keyboard hook offers a key pressed with Alt held to the active framed
// window's skin (through its frame controller), so the skin's menu bar can
// open the item whose mnemonic it is. It is installed while at least one
// frame controller is registered; controllers are held by weak reference and
// unregister themselves in their Detach.
//
// The message-filter hook exists only while a popup tracker runs one popup
// (TrackPopupMenuEx) and hands the popup loop's messages to that tracker.
namespace mDeclares {

void AttachKeyboardHook(cNCCalcSize& frame);
void DetachKeyboardHook(cNCCalcSize& frame) noexcept;
// 1-based position of the controller in the list, 0 when absent.
int FindFrame(const cNCCalcSize& frame) noexcept;
// The first registered controller whose window is drawn active.
bool GetActiveFrame(std::shared_ptr<cNCCalcSize>& frame);
LRESULT CALLBACK KeyboardProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;

// The installed keyboard hook, 0 when none (for tests and diagnostics).
HHOOK KeyboardHook() noexcept;

// Installs the message-filter hook for `tracker` (replacing any installed one).
void AttachMsgHook(IMenuFilter& tracker);
// Removes it; the tracker's weak reference is kept.
void DetachMsgHook() noexcept;
LRESULT CALLBACK MsgFilterProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept;
// The installed message-filter hook, 0 when none.
HHOOK MsgHook() noexcept;

}  // namespace mDeclares
