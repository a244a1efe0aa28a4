#include "MouseButtons.h"

#include <windows.h>

namespace MouseButtons {

int PrimaryKey() noexcept { return GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON; }

bool PrimaryDown() noexcept { return (GetAsyncKeyState(PrimaryKey()) & 0x8000) != 0; }

}  // namespace MouseButtons
