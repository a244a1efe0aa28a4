#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "CTimer.h"

// The registry behind CTimer: it owns the system timers (made without a
// window, so every tick comes to TimerProc with the timer's id) and routes
// each tick to the timer running under that id. 100 slots, numbered from 1,
// each empty or holding a counted reference to a running timer.
namespace MTimer {

constexpr int kSlots = 100;

// Creates the system timer for `timer` at its Interval and registers it in
// the lowest empty slot. False when the system timer could not be made (the
// timer is then stopped: id 0, Interval 0). Raises the timer's error 13651
// when every slot is taken; the system timer just made is killed again and
// the timer's id is 0.
bool TimerCreate(CTimer& timer);

// Kills the system timer whose id is `timer`'s and empties its slot. False
// when no slot holds that id. Matches by id, not by object; the timer's own
// TimerID is left as it was.
bool TimerDestroy(CTimer& timer) noexcept;

// The system's callback for every tick: raises ThatTime on the timer running
// under `id`. Ticks for ids no longer registered are ignored.
void CALLBACK TimerProc(HWND hwnd, UINT uMsg, UINT_PTR id, DWORD dwTime) noexcept;

// For inspection: the slot (1..100) holding `timer`, or 0; the number of
// filled slots; the highest slot number ever filled (never lowered).
int SlotOf(const CTimer& timer) noexcept;
int RunningCount() noexcept;
std::int16_t HighWaterMark() noexcept;

}  // namespace MTimer
