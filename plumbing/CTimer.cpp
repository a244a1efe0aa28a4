#include "CTimer.h"

#include "MTimer.h"
#include "RaisedError.h"

CTimer::~CTimer() {
    // Only a timer the full registry refused can still read as running here.
    Interval(0);
}

void CTimer::Interval(std::int32_t iIntervalA) {
    // Emptying its registry slot may drop the last reference to this timer
    // (when the registry was its only holder): stay alive until done.
    const std::shared_ptr<CTimer> self = weak_from_this().lock();
    if (iIntervalA > 0) {
        if (iIntervalA == m_lInterval) return;  // a running timer is not restarted
        if (m_lInterval != 0) MTimer::TimerDestroy(*this);
        m_lInterval = iIntervalA;
        if (!MTimer::TimerCreate(*this)) ErrRaise(kErrCantCreateTimer);
    } else if (m_lInterval > 0) {
        m_lInterval = 0;
        MTimer::TimerDestroy(*this);
    }
}

void CTimer::PulseTimer() {
    // A copy: the handler may replace itself while it runs.
    if (const std::function<void()> handler = m_thatTime) handler();
}

void CTimer::ErrRaise(std::uint32_t n) const {
    const char* description = n == kErrTooManyTimers     ? "No more than 10 timers allowed per class"
                              : n == kErrCantCreateTimer ? "Can't create system timer"
                                                         : "";
    throw RaisedError::OfObject(n, description);
}
