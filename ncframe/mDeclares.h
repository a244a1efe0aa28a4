#pragma once

#include <windows.h>

#include <memory>

class cNCCalcSize;

// Thread hooks of the user-interface thread.
//
// The keyboard hook offers a key pressed with Alt held to the active framed
// window's skin (through its frame controller), so the skin's menu bar can
// open the item whose mnemonic it is. It is installed while at least one
// frame controller is registered; controllers are held by weak reference and
// unregister themselves in their Detach.
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

}  // namespace mDeclares
