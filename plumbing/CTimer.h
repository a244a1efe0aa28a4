#pragma once

#include <windows.h>

#include <any>
#include <cstdint>
#include <functional>
#include <memory>

// A timer that raises ThatTime about every Interval milliseconds while it
// runs. The system timers behind it belong to MTimer, whose registry keeps a
// counted reference to every running timer: a running timer stays alive
// after its owner lets go of it, so owners stop it (Interval 0) when done.
// Create timers with CTimer::Create (the registry needs a counted reference).
class CTimer : public std::enable_shared_from_this<CTimer> {
    struct Key {
        explicit Key() = default;
    };

public:
    static std::shared_ptr<CTimer> Create() { return std::make_shared<CTimer>(Key{}); }
    explicit CTimer(Key) noexcept {}
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;
    ~CTimer();

    // Gets/sets a piece of additional data to store with the timer.
    const std::any& Item() const noexcept { return m_item; }
    void Item(std::any item) noexcept { m_item = std::move(item); }

    // Milliseconds between ticks; 0 when stopped. Setting a positive value
    // starts the timer, or restarts it when the value differs (the same value
    // leaves a running timer alone); 0 or less stops it. Raises
    // 0x80043554 "Can't create system timer" (the timer stays stopped) and
    // 0x80043553 when 100 timers already run (the interval reads as set, but
    // the timer never fires).
    std::int32_t Interval() const noexcept { return m_lInterval; }
    void Interval(std::int32_t iIntervalA);

    // Raised when the timer fires. The handler runs on the window thread
    // between messages; it may change any timer's interval, its own included.
    void OnThatTime(std::function<void()> handler) { m_thatTime = std::move(handler); }

    // Raises ThatTime once.
    void PulseTimer();

    // For MTimer: the id of the running system timer (0 when none).
    UINT_PTR TimerID() const noexcept { return m_lTimerID; }
    void TimerID(UINT_PTR id) noexcept { m_lTimerID = id; }

    // For MTimer: raises error `n` (13651 or 13652) of this class.
    [[noreturn]] void ErrRaise(std::uint32_t n) const;

    static constexpr std::uint32_t kErrTooManyTimers = 13651;
    static constexpr std::uint32_t kErrCantCreateTimer = 13652;

private:
    std::any m_item;
    std::int32_t m_lInterval = 0;
    UINT_PTR m_lTimerID = 0;
    std::function<void()> m_thatTime;
};
