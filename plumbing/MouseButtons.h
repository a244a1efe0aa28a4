#pragma once

// The pointer's primary button as the user has set it up. GetAsyncKeyState
// reads the physical buttons, and a left-handed user (SM_SWAPBUTTON) presses
// with the physical right one.
namespace MouseButtons {

// VK_RBUTTON when the buttons are swapped, VK_LBUTTON otherwise.
int PrimaryKey() noexcept;
// Whether the primary button is down now (the high bit; the low bit means
// nothing dependable).
bool PrimaryDown() noexcept;

}  // namespace MouseButtons
