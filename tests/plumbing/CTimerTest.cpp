// Timers with real system timers, ticks delivered by a message loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "ExpectRaised.h"
#include "plumbing/CTimer.h"
#include "plumbing/MTimer.h"
#include "tests/support/WaitFor.h"

namespace {

// A timer with a tick counter.
struct Counted {
    std::shared_ptr<CTimer> timer = CTimer::Create();
    std::shared_ptr<int> ticks = std::make_shared<int>(0);
    Counted() {
        timer->OnThatTime([ticks = ticks] { ++*ticks; });
    }
};

// Dispatches messages until a fresh 20 ms timer has ticked twice: by then a
// timer that should have stopped would have ticked too.
void WaitTwoTicks() {
    Counted witness;
    witness.timer->Interval(20);
    EXPECT_TRUE(WaitUntil([&] { return *witness.ticks >= 2; }));
    witness.timer->Interval(0);
}

class TimerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(MTimer::RunningCount(), 0) << "a timer of an earlier test still runs"; }
    void TearDown() override { EXPECT_EQ(MTimer::RunningCount(), 0); }
};

}  // namespace

TEST_F(TimerTest, SameIntervalTwiceDoesNotRestart) {
    Counted t;
    t.timer->Interval(30);
    const UINT_PTR id = t.timer->TimerID();
    const int slot = MTimer::SlotOf(*t.timer);
    ASSERT_NE(id, 0u);
    ASSERT_NE(slot, 0);
    t.timer->Interval(30);
    EXPECT_EQ(t.timer->TimerID(), id);
    EXPECT_EQ(MTimer::SlotOf(*t.timer), slot);
    EXPECT_EQ(MTimer::RunningCount(), 1);
    EXPECT_TRUE(WaitUntil([&] { return *t.ticks >= 3; }));
    t.timer->Interval(0);
}

TEST_F(TimerTest, ZeroOrNegativeStopsARunningTimerAndLeavesAStoppedOneAlone) {
    Counted t;
    for (int interval : {0, -1, INT_MIN}) {
        t.timer->Interval(interval);
        EXPECT_EQ(t.timer->Interval(), 0);
        EXPECT_EQ(t.timer->TimerID(), 0u);
        EXPECT_EQ(MTimer::RunningCount(), 0);
    }

    t.timer->Interval(20);
    ASSERT_TRUE(WaitUntil([&] { return *t.ticks >= 1; }));
    t.timer->Interval(-5);
    EXPECT_EQ(t.timer->Interval(), 0);
    EXPECT_EQ(MTimer::SlotOf(*t.timer), 0);
    const int ticks = *t.ticks;
    WaitTwoTicks();
    EXPECT_EQ(*t.ticks, ticks);
}

TEST_F(TimerTest, ADifferentIntervalRestartsInsteadOfAddingATimer) {
    Counted t;
    t.timer->Interval(60000);
    t.timer->Interval(20);
    EXPECT_EQ(t.timer->Interval(), 20);
    EXPECT_EQ(MTimer::RunningCount(), 1);
    EXPECT_TRUE(WaitUntil([&] { return *t.ticks >= 2; }));
    t.timer->Interval(0);
}

TEST_F(TimerTest, LowestEmptySlotIsReusedAndTicksReachBoth) {
    Counted t1, t2, t3;
    t1.timer->Interval(20);
    t2.timer->Interval(20);
    EXPECT_EQ(MTimer::SlotOf(*t1.timer), 1);
    EXPECT_EQ(MTimer::SlotOf(*t2.timer), 2);
    const auto highWaterMark = MTimer::HighWaterMark();
    EXPECT_GE(highWaterMark, 2);

    t1.timer->Interval(0);
    const int t1Ticks = *t1.ticks;
    t3.timer->Interval(25);
    EXPECT_EQ(MTimer::SlotOf(*t3.timer), 1);
    EXPECT_EQ(MTimer::HighWaterMark(), highWaterMark);

    const int t2Start = *t2.ticks;
    EXPECT_TRUE(WaitUntil([&] { return *t2.ticks >= t2Start + 2 && *t3.ticks >= 2; }));
    EXPECT_EQ(*t1.ticks, t1Ticks);
    t2.timer->Interval(0);
    t3.timer->Interval(0);
}

TEST_F(TimerTest, The101stTimerIsRefusedAndTheFirst100KeepWorking) {
    std::vector<Counted> timers(100);
    for (Counted& t : timers) t.timer->Interval(40);
    ASSERT_EQ(MTimer::RunningCount(), 100);

    Counted extra;
    ExpectRaised([&] { extra.timer->Interval(40); }, 0x80043553u, "No more than 10 timers allowed per class");
    EXPECT_EQ(extra.timer->Interval(), 40);
    EXPECT_EQ(MTimer::SlotOf(*extra.timer), 0);
    // Its system timer was killed again: no id that could later name another timer.
    EXPECT_EQ(extra.timer->TimerID(), 0u);

    // Stopping the refused timer touches none of the others.
    extra.timer->Interval(0);
    EXPECT_EQ(MTimer::RunningCount(), 100);

    const auto allTicked = [&] {
        for (const Counted& t : timers)
            if (*t.ticks < 2) return false;
        return true;
    };
    EXPECT_TRUE(WaitUntil(allTicked, 5000));
    EXPECT_EQ(*extra.ticks, 0);
    for (Counted& t : timers) t.timer->Interval(0);
}

TEST_F(TimerTest, TickForAnIdNoLongerRegisteredDoesNothing) {
    Counted stopped, running;
    stopped.timer->Interval(20);
    running.timer->Interval(60000);
    ASSERT_TRUE(WaitUntil([&] { return *stopped.ticks >= 1; }));
    const UINT_PTR oldId = stopped.timer->TimerID();
    stopped.timer->Interval(0);
    const int ticks = *stopped.ticks;

    MTimer::TimerProc(nullptr, WM_TIMER, oldId, 0);
    WaitTwoTicks();
    EXPECT_EQ(*stopped.ticks, ticks);

    // A registered id is routed to its timer.
    MTimer::TimerProc(nullptr, WM_TIMER, running.timer->TimerID(), 0);
    EXPECT_EQ(*running.ticks, 1);
    running.timer->Interval(0);
}

TEST_F(TimerTest, RunningTimerOutlivesItsOwnerAndMayStopItselfInItsHandler) {
    std::shared_ptr<CTimer> timer = CTimer::Create();
    const std::weak_ptr<CTimer> watch = timer;
    int ticks = 0;
    CTimer* self = timer.get();
    timer->OnThatTime([&ticks, self] {
        if (++ticks == 3) self->Interval(0);  // drops the registry's, and last, reference
    });
    timer->Interval(20);
    timer.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_TRUE(WaitUntil([&] { return watch.expired(); }));
    EXPECT_EQ(ticks, 3);
}

TEST_F(TimerTest, AFailingHandlerDoesNotStopTheProgramOrTheTimer) {
    std::shared_ptr<CTimer> timer = CTimer::Create();
    int ticks = 0;
    timer->OnThatTime([&ticks] {
        ++ticks;
        throw RaisedError(1, "test", "handler failed");
    });
    timer->Interval(20);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 2; }));
    timer->Interval(0);
}
