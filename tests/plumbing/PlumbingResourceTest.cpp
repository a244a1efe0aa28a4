// Many memory DCs, registrations and timers leave no GDI object, window,
// window property, atom or timer behind; the small owners let go.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "plumbing/CTimer.h"
#include "plumbing/ComRef.h"
#include "plumbing/GlobalLockGuard.h"
#include "plumbing/MSubclass.h"
#include "plumbing/MTimer.h"
#include "plumbing/ScopeGuard.h"
#include "plumbing/StdPicture.h"
#include "plumbing/cMemDC.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/WaitFor.h"

namespace {

class NullClient : public ISubclass {
public:
    EMsgHandling MsgResponse() override { return mhCallPreviousAfter; }
    void MsgResponse(EMsgHandling) override {}
    LRESULT WindowProc(HWND, UINT, WPARAM, LPARAM) override {
        ++calls;
        return 0;
    }
    int calls = 0;
};

int ThreadWindowCount() {
    int count = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND, LPARAM data) -> BOOL {
            ++*reinterpret_cast<int*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

int PropertyCount(HWND hwnd) {
    int count = 0;
    EnumPropsExA(
        hwnd,
        [](HWND, LPSTR, HANDLE, ULONG_PTR data) -> BOOL {
            ++*reinterpret_cast<int*>(data);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string HandleText(HWND hwnd) { return std::to_string(static_cast<int>(reinterpret_cast<INT_PTR>(hwnd))); }

// A COM object that counts its references, starting with the creator's.
class CountedUnknown : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    ULONG refs = 1;
};

}  // namespace

TEST(ResourceTest, GdiObjectCountSeesObjectsComeAndGo) {
    const unsigned long before = GdiObjectCount();
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 100; ++i) brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    EXPECT_EQ(GdiObjectCount(), before + 100);
    for (HBRUSH brush : brushes) DeleteObject(brush);
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(ResourceTest, TenThousandMemoryDCsLeaveNoGdiObject) {
    const auto picture = std::make_shared<StdPicture>(UniqueBitmap(CreateBitmap(64, 16, 1, 32, nullptr)));
    // The display driver keeps objects of its own from the first display DC on.
    DeleteDC(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    // So does the cache of window DCs from the first GetDC on.
    ReleaseDC(nullptr, GetDC(nullptr));
    const unsigned long before = GdiObjectCount();
    for (int i = 0; i < 10000; ++i) {
        cMemDC memDC;
        memDC.Width(8 + i % 32);   // a w x 0 surface
        memDC.Height(8 + i % 16);  // grows: the first bitmap must go
        if (i % 10 == 0) memDC.CreateFromPicture(*picture);
        ASSERT_NE(memDC.hdc(), nullptr);
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(ResourceTest, TenThousandRegistrationsLeaveNothingBehind) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TorvaneResourceTest";
    RegisterClassA(&wc);
    const int windowsBefore = ThreadWindowCount();
    const unsigned long gdiBefore = GdiObjectCount();

    std::vector<HWND> windows;
    for (int i = 0; i < 10; ++i) {
        windows.push_back(CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                          nullptr, wc.hInstance, nullptr));
        ASSERT_NE(windows.back(), nullptr);
    }
    const LONG_PTR ownProc = GetWindowLongPtrA(windows[0], GWLP_WNDPROC);
    const int ownProperties = PropertyCount(windows[0]);  // the system may keep some of its own
    std::vector<std::shared_ptr<NullClient>> clients;
    for (int i = 0; i < 3; ++i) clients.push_back(std::make_shared<NullClient>());

    // Rounds of 3 clients x 10 messages on every window, detached in an order
    // different from the attach order.
    int registrations = 0;
    while (registrations < 10000) {
        for (HWND hwnd : windows) {
            for (UINT msg = WM_APP; msg < WM_APP + 10; ++msg) {
                for (const auto& client : clients) MSubclass::AttachMessage(*client, hwnd, msg);
            }
            registrations += 30;
        }
        for (HWND hwnd : windows) SendMessageA(hwnd, WM_APP + 3, 0, 0);
        for (HWND hwnd : windows) {
            for (UINT msg = WM_APP + 10; msg-- > WM_APP;) {
                MSubclass::DetachMessage(*clients[1], hwnd, msg);
                MSubclass::DetachMessage(*clients[2], hwnd, msg);
                MSubclass::DetachMessage(*clients[0], hwnd, msg);
            }
        }
    }
    for (const auto& client : clients) EXPECT_EQ(client->calls, registrations / 30);

    for (HWND hwnd : windows) {
        EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), ownProc);
        EXPECT_EQ(PropertyCount(hwnd), ownProperties);
    }
    // Property names are global atoms; removed properties take theirs along.
    const std::string h = HandleText(windows[0]);
    for (const std::string& key : {h, std::string("C").append(h), h + "#32771C", h + "#32771#3"}) {
        EXPECT_EQ(GlobalFindAtomA(key.c_str()), 0) << key;
    }

    for (HWND hwnd : windows) DestroyWindow(hwnd);
    EXPECT_EQ(ThreadWindowCount(), windowsBefore);
    EXPECT_EQ(GdiObjectCount(), gdiBefore);
}

TEST(ResourceTest, StartedAndStoppedTimersLeaveNoTimerBehind) {
    ASSERT_EQ(MTimer::RunningCount(), 0);
    std::vector<std::shared_ptr<CTimer>> timers;
    for (int i = 0; i < 10; ++i) timers.push_back(CTimer::Create());
    int ticks = 0;
    for (const auto& timer : timers) timer->OnThatTime([&ticks] { ++ticks; });
    for (int round = 0; round < 1000; ++round) {
        for (const auto& timer : timers) timer->Interval(1 + round % 7);
        for (const auto& timer : timers) timer->Interval(0);
    }
    EXPECT_EQ(MTimer::RunningCount(), 0);
    // A timer started afterwards ticks twice: the stopped ones had the time to.
    const auto witness = CTimer::Create();
    int witnessTicks = 0;
    witness->OnThatTime([&witnessTicks] { ++witnessTicks; });
    witness->Interval(20);
    EXPECT_TRUE(WaitUntil([&] { return witnessTicks >= 2; }));
    witness->Interval(0);
    EXPECT_EQ(ticks, 0);
}

TEST(ResourceTest, OwnersLetGoOfComReferencesGlobalLocksAndUnreleasedUndos) {
    CountedUnknown first, second;
    {
        ComRef<IUnknown> held(&first);
        *held.put() = &second;  // a creating call's out-parameter: the held one goes first
        EXPECT_EQ(first.refs, 0u);
        const ComRef<IUnknown> moved(std::move(held));
        EXPECT_FALSE(held);
        EXPECT_EQ(second.refs, 1u);
    }
    EXPECT_EQ(second.refs, 0u);

    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(memory, nullptr);
    {
        const GlobalLockGuard locked(memory);
        ASSERT_TRUE(locked);
        EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 1u);
        EXPECT_GE(locked.size(), 16u);
    }
    EXPECT_EQ(GlobalFlags(memory) & GMEM_LOCKCOUNT, 0u);
    EXPECT_FALSE(GlobalLockGuard(nullptr));
    GlobalFree(memory);

    int undone = 0;
    {
        ScopeGuard kept([&undone]() noexcept { ++undone; });
        kept.release();
        const ScopeGuard undo([&undone]() noexcept { ++undone; });
    }
    EXPECT_EQ(undone, 1);
}
