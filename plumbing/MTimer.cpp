#include "MTimer.h"

#include <array>
#include <utility>

#include "ScopeGuard.h"

namespace MTimer {
namespace {

struct Registry {
    std::array<std::shared_ptr<CTimer>, kSlots> slots;  // slot n is slots[n - 1]
    std::int16_t highWaterMark = 0;
};

// Never destroyed: a timer released while static objects are torn down at
// exit still finds the registry in one piece.
Registry& TheRegistry() noexcept {
    static Registry* registry = new Registry();
    return *registry;
}

}  // namespace

bool TimerCreate(CTimer& timer) {
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(timer.Interval()), TimerProc);
    timer.TimerID(id);
    if (id == 0) {
        timer.Interval(0);
        return false;
    }
    // Until the timer has its slot (the registry full, or the timer not held
    // by a counted reference), the system timer would never be dispatched: it
    // goes again, and with it the id, which the system may hand out later.
    ScopeGuard kill([&timer, id]() noexcept {
        KillTimer(nullptr, id);
        timer.TimerID(0);
    });
    Registry& registry = TheRegistry();
    for (int slot = 1; slot <= kSlots; ++slot) {
        std::shared_ptr<CTimer>& entry = registry.slots[static_cast<std::size_t>(slot - 1)];
        if (entry) continue;
        entry = timer.shared_from_this();
        kill.release();
        if (registry.highWaterMark < slot) registry.highWaterMark = static_cast<std::int16_t>(slot);
        return true;
    }
    timer.ErrRaise(CTimer::kErrTooManyTimers);
}

bool TimerDestroy(CTimer& timer) noexcept {
    Registry& registry = TheRegistry();
    for (int slot = 1; slot <= registry.highWaterMark; ++slot) {
        std::shared_ptr<CTimer>& entry = registry.slots[static_cast<std::size_t>(slot - 1)];
        if (!entry || entry->TimerID() != timer.TimerID()) continue;
        KillTimer(nullptr, entry->TimerID());
        // Released after the slot is empty: the timer's end may start or stop others.
        const std::shared_ptr<CTimer> released = std::exchange(entry, nullptr);
        return true;
    }
    return false;
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    Registry& registry = TheRegistry();
    for (int slot = 1; slot <= registry.highWaterMark; ++slot) {
        const std::shared_ptr<CTimer>& entry = registry.slots[static_cast<std::size_t>(slot - 1)];
        if (!entry || entry->TimerID() != id) continue;
        try {
            // Counted for the tick: the handler may stop the timer and empty its slot.
            const std::shared_ptr<CTimer> timer = entry;
            timer->PulseTimer();
        } catch (...) {
            // A failing handler costs its tick, not the program.
        }
        return;
    }
}

int SlotOf(const CTimer& timer) noexcept {
    const Registry& registry = TheRegistry();
    for (int slot = 1; slot <= kSlots; ++slot) {
        if (registry.slots[static_cast<std::size_t>(slot - 1)].get() == &timer) return slot;
    }
    return 0;
}

int RunningCount() noexcept {
    int count = 0;
    for (const std::shared_ptr<CTimer>& entry : TheRegistry().slots) count += entry ? 1 : 0;
    return count;
}

std::int16_t HighWaterMark() noexcept { return TheRegistry().highWaterMark; }

}  // namespace MTimer
