#pragma once

#include <windows.h>

// Puts a top-level window on the screen for the first time with its frame,
// its client area and every child already painted: the first frame the user
// sees is the finished window, not a frame over empty boxes that the
// controls then fill one by one.
namespace FirstShow {

// ShowWindow(hwnd, showCommand), with the window kept out of sight until all
// of it has painted: cloaked where the Desktop Window Manager cloaks
// (Windows 8 and later), layered and transparent elsewhere. For a window
// that is neither cloaked nor layered, and ends so.
void Show(HWND hwnd, int showCommand) noexcept;

}  // namespace FirstShow
