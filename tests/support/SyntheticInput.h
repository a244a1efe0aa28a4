#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Drives the desktop as a user would: real (synthetic) pointer and key input,
// and the clipboard read and written directly.
namespace SyntheticInput {

// Dispatches this thread's pending messages for about `ms` milliseconds.
void Pump(DWORD ms);

// Input without pumping, for use inside a modal loop that pumps itself.
void Move(POINT screen);
// The primary button: the physical right one while the buttons are swapped.
void Button(bool down);
// Dispatches this thread's messages until none of the input the system has
// taken is left in its queue. Input for another thread or process is not
// waited for: wait for its effect instead.
void SettleInput();

// Input, then SettleInput.
void MoveTo(POINT screen);
void LeftDown();
void LeftUp();
// A press or release that moves the pointer to a screen point in the same
// input event. The system picks the window for the press as it takes it; a
// framed window of another process may be hiding for a moment then, while it
// answers WM_SETCURSOR for a move sent just before, and the press would go to
// the desktop. Press another process's windows with these, not after MoveTo.
void LeftDownAt(POINT screen);
void LeftUpAt(POINT screen);
// Press and release at a screen point, with LeftDownAt and LeftUpAt.
void ClickAt(POINT screen);
// One key going down or up, without pumping.
void Key(WORD virtualKey, bool up);
// Press and release of a key, with Shift held when asked.
void PressKey(WORD virtualKey, bool shift = false);

// Centre of a window, in screen coordinates.
POINT CenterOf(HWND hwnd);
// A point given in a window's client coordinates, in screen coordinates.
POINT ClientToScreenPoint(HWND hwnd, int x, int y);

// The clipboard's CF_UNICODETEXT, and the formats it holds.
std::wstring ClipboardText();
std::vector<UINT> ClipboardFormats();
void SetClipboardText(const std::wstring& text);
// Empties the clipboard and puts `bytes` of `data` on it in `format`.
void PutOnClipboard(UINT format, const void* data, size_t bytes);
void EmptyTheClipboard();

// The text of a window in any process (WM_GETTEXT).
std::wstring WindowText(HWND hwnd);

}  // namespace SyntheticInput
