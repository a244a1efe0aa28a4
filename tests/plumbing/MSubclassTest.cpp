// The subclassing registry on real windows: dispatch, registrations kept in
// window properties, errors, and registrations changing during dispatch.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ExpectRaised.h"
#include "plumbing/GSubclass.h"
#include "plumbing/MSubclass.h"
#include "plumbing/ObjectFromPtr.h"

namespace {

constexpr UINT kMsg = WM_APP + 1;
constexpr UINT kOtherMsg = WM_APP + 2;
constexpr LRESULT kOwnResult = 5000;
constexpr LRESULT kOtherOwnResult = 6000;

// Everything that handled a message, in order: window procedures and clients.
std::vector<std::string> g_log;

// The windows' own procedures. kMsg answers a fixed value; kOtherMsg answers
// from its arguments, so a changed argument shows in the result.
LRESULT CALLBACK OwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kMsg) {
        g_log.push_back("own");
        return kOwnResult;
    }
    if (msg == kOtherMsg) {
        g_log.push_back("own " + std::to_string(wParam) + " " + std::to_string(lParam));
        return static_cast<LRESULT>(wParam) * 3 + lParam;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
LRESULT CALLBACK OtherOwnProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg >= WM_APP) {
        g_log.push_back("other own");
        return kOtherOwnResult;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND MakeWindow(const char* className, WNDPROC proc) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);  // fails harmlessly once registered
    return CreateWindowExA(0, className, "registry test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

// A client that logs its calls, answers a fixed mode and result, and detaches
// what it attached when it goes, as the program's clients do.
class Client : public ISubclass {
public:
    Client(std::string name, EMsgHandling response = mhConsume, LRESULT result = 0)
        : m_name(std::move(name)), m_response(response), m_result(result) {}
    ~Client() override {
        g_log.push_back(m_name + " gone");
        for (const auto& [hwnd, msg] : m_attached) MSubclass::DetachMessage(*this, hwnd, msg);
    }

    void Attach(HWND hwnd, UINT msg) {
        MSubclass::AttachMessage(*this, hwnd, msg);
        m_attached.emplace_back(hwnd, msg);
    }
    void Detach(HWND hwnd, UINT msg) {
        MSubclass::DetachMessage(*this, hwnd, msg);
        std::erase(m_attached, std::pair(hwnd, msg));
    }

    EMsgHandling MsgResponse() override {
        if (logResponses) g_log.push_back(m_name + "?");
        return m_response;
    }
    void MsgResponse(EMsgHandling) override {}
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override {
        g_log.push_back(m_name);
        lastArguments = {wParam, lParam};
        if (onMessage) onMessage(hwnd, msg);
        return m_result;
    }

    bool logResponses = false;
    std::pair<WPARAM, LPARAM> lastArguments;
    std::function<void(HWND, UINT)> onMessage;

private:
    std::string m_name;
    EMsgHandling m_response;
    LRESULT m_result;
    std::vector<std::pair<HWND, UINT>> m_attached;
};

std::shared_ptr<Client> MakeClient(std::string name, EMsgHandling response = mhConsume, LRESULT result = 0) {
    return std::make_shared<Client>(std::move(name), response, result);
}

// Property keys written here independently of the registry's own code.
std::string Text(HWND hwnd) { return std::to_string(static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(hwnd))); }
LONG_PTR Prop(HWND hwnd, const std::string& key) { return reinterpret_cast<LONG_PTR>(GetPropA(hwnd, key.c_str())); }
LONG_PTR ClientCount(HWND hwnd, UINT msg) { return Prop(hwnd, Text(hwnd) + "#" + std::to_string(msg) + "C"); }
LONG_PTR Slot(HWND hwnd, UINT msg, int index) {
    return Prop(hwnd, Text(hwnd) + "#" + std::to_string(msg) + "#" + std::to_string(index));
}
LONG_PTR AttachCount(HWND hwnd) { return Prop(hwnd, std::string("C").append(Text(hwnd))); }
LONG_PTR Address(const std::shared_ptr<Client>& client) { return ObjPtr<ISubclass>(client.get()); }

std::vector<std::string> PropertyNames(HWND hwnd) {
    std::vector<std::string> names;
    EnumPropsExA(
        hwnd,
        [](HWND, LPSTR name, HANDLE, ULONG_PTR data) -> BOOL {
            auto* out = reinterpret_cast<std::vector<std::string>*>(data);
            out->push_back(IS_INTRESOURCE(name) ? "#atom" : name);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&names));
    return names;
}

LONG_PTR WindowProcOf(HWND hwnd) { return GetWindowLongPtrA(hwnd, GWLP_WNDPROC); }
LONG_PTR SharedProc() { return reinterpret_cast<LONG_PTR>(&MSubclass::SharedWindowProc); }

using Log = std::vector<std::string>;

class RegistryTest : public testing::Test {
protected:
    void SetUp() override {
        g_log.clear();
        hwnd = MakeWindow("TorvaneRegistryTest", OwnProc);
        ASSERT_NE(hwnd, nullptr);
        ownProc = WindowProcOf(hwnd);
        ownProperties = PropertyNames(hwnd);  // the system may keep some of its own
    }
    void TearDown() override {
        c1.reset();
        c2.reset();
        c3.reset();
        EXPECT_EQ(WindowProcOf(hwnd), ownProc) << "a registration was left behind";
        EXPECT_EQ(PropertyNames(hwnd), ownProperties);
        DestroyWindow(hwnd);
    }
    LRESULT Send(UINT msg = kMsg, WPARAM wParam = 0, LPARAM lParam = 0) {
        g_log.clear();
        return SendMessageA(hwnd, msg, wParam, lParam);
    }

    HWND hwnd = nullptr;
    LONG_PTR ownProc = 0;
    std::vector<std::string> ownProperties;
    std::shared_ptr<Client> c1, c2, c3;
};

}  // namespace

TEST_F(RegistryTest, MessageWithoutClientReachesTheWindowUnchanged) {
    const LRESULT before = Send(kOtherMsg, 0x1234, -5);
    EXPECT_EQ(g_log, Log({"own 4660 -5"}));

    c1 = MakeClient("c1", mhConsume, 1);
    c1->Attach(hwnd, kMsg);
    ASSERT_EQ(WindowProcOf(hwnd), SharedProc());
    EXPECT_EQ(Send(kOtherMsg, 0x1234, -5), before);
    EXPECT_EQ(g_log, Log({"own 4660 -5"}));
}

TEST_F(RegistryTest, OneClientInEachMode) {
    struct Case {
        EMsgHandling response;
        Log log;
        LRESULT result;
    };
    const Case cases[] = {
        {mhConsume, {"c1"}, 7},
        {mhCallPreviousBefore, {"own", "c1"}, 7},
        {mhCallPreviousAfter, {"c1", "own"}, kOwnResult},
        {static_cast<EMsgHandling>(3), {"c1"}, 7},  // anything else consumes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.response));
        c1 = MakeClient("c1", c.response, 7);
        c1->Attach(hwnd, kMsg);
        EXPECT_EQ(Send(kMsg, 11, 22), c.result);
        EXPECT_EQ(g_log, c.log);
        EXPECT_EQ(c1->lastArguments, std::pair(WPARAM{11}, LPARAM{22}));
        c1.reset();
    }
}

TEST_F(RegistryTest, FirstClientDecidesBeforeLastDecidesAfterPreviousAtMostOnce) {
    struct Case {
        EMsgHandling first, last;
        Log log;
        LRESULT result;
    };
    const Case cases[] = {
        {mhConsume, mhConsume, {"c1", "c2"}, 2},
        {mhCallPreviousBefore, mhConsume, {"own", "c1", "c2"}, 2},
        {mhConsume, mhCallPreviousAfter, {"c1", "c2", "own"}, kOwnResult},
        {mhCallPreviousAfter, mhCallPreviousBefore, {"c1", "c2"}, 2},  // neither is asked at its place
        {mhCallPreviousBefore, mhCallPreviousAfter, {"own", "c1", "c2"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + "," + std::to_string(c.last));
        c1 = MakeClient("c1", c.first, 1);
        c2 = MakeClient("c2", c.last, 2);
        c1->Attach(hwnd, kMsg);
        c2->Attach(hwnd, kMsg);
        EXPECT_EQ(Send(), c.result);
        EXPECT_EQ(g_log, c.log);
        c1.reset();
        c2.reset();
    }
}

TEST_F(RegistryTest, PropertyKeysAndValuesAsStored) {
    constexpr UINT kNcPaint = 133;
    c1 = MakeClient("c1");
    c2 = MakeClient("c2");
    c1->Attach(hwnd, kNcPaint);
    c2->Attach(hwnd, kNcPaint);
    c1->Attach(hwnd, kMsg);

    const std::string h = Text(hwnd);
    EXPECT_EQ(Prop(hwnd, h), ownProc);
    EXPECT_EQ(Prop(hwnd, std::string("C").append(h)), 3);
    EXPECT_EQ(Prop(hwnd, h + "#133C"), 2);
    EXPECT_EQ(Prop(hwnd, h + "#133#1"), Address(c1));
    EXPECT_EQ(Prop(hwnd, h + "#133#2"), Address(c2));
    EXPECT_EQ(Prop(hwnd, h + "#32769C"), 1);
    EXPECT_EQ(Prop(hwnd, h + "#32769#1"), Address(c1));
    EXPECT_EQ(PropertyNames(hwnd).size(), ownProperties.size() + 7);
}

TEST_F(RegistryTest, AttachingTheSameClientTwiceFailsAndKeepsOneRegistration) {
    c1 = MakeClient("c1");
    c1->Attach(hwnd, kMsg);
    ExpectRaised([&] { MSubclass::AttachMessage(*c1, hwnd, kMsg); }, 0x80040000u + 13082,
                 "Message already handled by another class");
    EXPECT_EQ(AttachCount(hwnd), 1);
    EXPECT_EQ(ClientCount(hwnd, kMsg), 1);
    Send();
    EXPECT_EQ(g_log, Log({"c1"}));
    // One detach is enough to restore the window (checked on tear-down).
}

TEST_F(RegistryTest, AttachingToWhatIsNotAWindowOfThisProcessFails) {
    c1 = MakeClient("c1");
    const HWND gone = MakeWindow("TorvaneRegistryTest", OwnProc);
    DestroyWindow(gone);
    ExpectRaised([&] { MSubclass::AttachMessage(*c1, gone, kMsg); }, 0x80040000u + 13083, "Invalid window");
    ExpectRaised([&] { MSubclass::AttachMessage(*c1, nullptr, kMsg); }, 0x80040000u + 13083, "Invalid window");

    // The desktop window belongs to another process.
    const HWND desktop = GetDesktopWindow();
    DWORD process = 0;
    GetWindowThreadProcessId(desktop, &process);
    ASSERT_NE(process, GetCurrentProcessId());
    const LONG_PTR desktopProc = WindowProcOf(desktop);
    ExpectRaised([&] { MSubclass::AttachMessage(*c1, desktop, kMsg); }, 0x80040000u + 13084,
                 "Can't modify external window");
    EXPECT_EQ(AttachCount(desktop), 0);
    EXPECT_EQ(ClientCount(desktop, kMsg), 0);
    EXPECT_EQ(WindowProcOf(desktop), desktopProc);
}

TEST_F(RegistryTest, LastDetachReinstallsTheWindowsOwnProcedure) {
    c1 = MakeClient("c1", mhConsume, 1);
    c2 = MakeClient("c2", mhConsume, 2);
    c1->Attach(hwnd, kMsg);
    c2->Attach(hwnd, kMsg);
    c1->Attach(hwnd, kOtherMsg);
    ASSERT_EQ(AttachCount(hwnd), 3);

    c1->Detach(hwnd, kMsg);
    c2->Detach(hwnd, kMsg);
    EXPECT_EQ(WindowProcOf(hwnd), SharedProc());
    EXPECT_EQ(AttachCount(hwnd), 1);
    EXPECT_EQ(Send(), kOwnResult);
    EXPECT_EQ(g_log, Log({"own"}));

    c1->Detach(hwnd, kOtherMsg);
    EXPECT_EQ(WindowProcOf(hwnd), ownProc);
    EXPECT_EQ(Prop(hwnd, Text(hwnd)), 0);
    EXPECT_EQ(AttachCount(hwnd), 0);
    EXPECT_EQ(PropertyNames(hwnd), ownProperties);
    EXPECT_EQ(Send(kOtherMsg, 1, 2), 5);
    EXPECT_EQ(g_log, Log({"own 1 2"}));
}

TEST_F(RegistryTest, DetachingTheMiddleOfThreeKeepsTheOrderAndUnknownDetachesChangeNothing) {
    c1 = MakeClient("c1");
    c2 = MakeClient("c2");
    c3 = MakeClient("c3");
    for (const auto& client : {c1, c2, c3}) client->Attach(hwnd, kMsg);
    c2->Detach(hwnd, kMsg);
    EXPECT_EQ(ClientCount(hwnd, kMsg), 2);
    EXPECT_EQ(Slot(hwnd, kMsg, 1), Address(c1));
    EXPECT_EQ(Slot(hwnd, kMsg, 2), Address(c3));
    EXPECT_EQ(Slot(hwnd, kMsg, 3), 0);

    // Registrations that do not exist: neither the counts nor the slots move.
    MSubclass::DetachMessage(*c2, hwnd, kMsg);
    MSubclass::DetachMessage(*c1, hwnd, kOtherMsg);
    EXPECT_EQ(AttachCount(hwnd), 2);
    EXPECT_EQ(ClientCount(hwnd, kMsg), 2);
    EXPECT_EQ(Slot(hwnd, kMsg, 1), Address(c1));
    EXPECT_EQ(Slot(hwnd, kMsg, 2), Address(c3));
    EXPECT_EQ(PropertyNames(hwnd).size(), ownProperties.size() + 5);
    Send();
    EXPECT_EQ(g_log, Log({"c1", "c3"}));
}

TEST_F(RegistryTest, ClientDetachingItselfDuringDispatch) {
    c1 = MakeClient("c1");
    c2 = MakeClient("c2");
    c3 = MakeClient("c3", mhCallPreviousAfter);
    for (const auto& client : {c1, c2, c3}) client->Attach(hwnd, kMsg);
    c1->onMessage = [&](HWND h, UINT msg) { c1->Detach(h, msg); };

    // The clients still registered all get the message, the window's own
    // procedure once.
    EXPECT_EQ(Send(), kOwnResult);
    EXPECT_EQ(g_log, Log({"c1", "c2", "c3", "own"}));
    EXPECT_EQ(ClientCount(hwnd, kMsg), 2);
    Send();
    EXPECT_EQ(g_log, Log({"c2", "c3", "own"}));
}

TEST_F(RegistryTest, ClientDetachingAndReleasingAnotherDuringDispatch) {
    c1 = MakeClient("c1", mhConsume, 1);
    c2 = MakeClient("c2", mhConsume, 2);
    c3 = MakeClient("c3", mhConsume, 3);
    for (const auto& client : {c1, c2, c3}) client->Attach(hwnd, kMsg);
    // c2 goes for good before its turn: it must not be called.
    c1->onMessage = [&](HWND, UINT) { c2.reset(); };
    EXPECT_EQ(Send(), 3);
    EXPECT_EQ(g_log, Log({"c1", "c2 gone", "c3"}));

    // The last client gone before its turn: the result is the last answer given.
    c1->onMessage = [&](HWND, UINT) { c3.reset(); };
    EXPECT_EQ(Send(), 1);
    EXPECT_EQ(g_log, Log({"c1", "c3 gone"}));
}

TEST_F(RegistryTest, ClientOutlivesItsOwnersLastReferenceUntilItsCallEnds) {
    c1 = MakeClient("c1", mhCallPreviousAfter, 1);
    c1->logResponses = true;
    c1->Attach(hwnd, kMsg);
    c1->onMessage = [&](HWND, UINT) { c1.reset(); };
    EXPECT_EQ(Send(), kOwnResult);
    // Asked before and after its call, then the window's procedure, then it goes.
    EXPECT_EQ(g_log, Log({"c1?", "c1", "c1?", "own", "c1 gone"}));
    EXPECT_EQ(WindowProcOf(hwnd), ownProc);
}

TEST_F(RegistryTest, NestedDispatchLeavesCurrentMessageAndOldProcedureOnTheNestedMessage) {
    const HWND other = MakeWindow("TorvaneRegistryTestOther", OtherOwnProc);
    ASSERT_NE(other, nullptr);
    c1 = MakeClient("c1");
    c2 = MakeClient("c2");
    c1->Attach(hwnd, kMsg);
    c2->Attach(other, kOtherMsg);

    std::vector<UINT> seen;
    c2->onMessage = [&](HWND, UINT) { seen.push_back(MSubclass::CurrentMessage()); };
    c1->onMessage = [&](HWND h, UINT msg) {
        seen.push_back(MSubclass::CurrentMessage());
        EXPECT_EQ(MSubclass::CallOldWindowProc(h, msg, 0, 0), kOwnResult);
        SendMessageA(other, kOtherMsg, 0, 0);
        seen.push_back(MSubclass::CurrentMessage());
        // Now the nested message's window's procedure, whatever handle is given.
        EXPECT_EQ(MSubclass::CallOldWindowProc(h, msg, 0, 0), kOtherOwnResult);
    };
    Send();
    EXPECT_EQ(seen, std::vector<UINT>({kMsg, kOtherMsg, kOtherMsg}));
    EXPECT_EQ(g_log, Log({"c1", "own", "c2", "other own"}));
    c2.reset();
    DestroyWindow(other);
}

TEST_F(RegistryTest, AFailingClientLeavesTheMessageToTheWindow) {
    c1 = MakeClient("c1", mhConsume, 1);
    c1->Attach(hwnd, kMsg);
    c1->onMessage = [](HWND, UINT) { throw RaisedError(5, "test", "client failed"); };
    EXPECT_EQ(Send(), kOwnResult);
    EXPECT_EQ(g_log, Log({"c1", "own"}));

    // The clients after it still run; the window's procedure is asked once.
    c2 = MakeClient("c2", mhCallPreviousAfter, 2);
    c2->Attach(hwnd, kMsg);
    EXPECT_EQ(Send(), 2);
    EXPECT_EQ(g_log, Log({"c1", "own", "c2"}));
}

TEST_F(RegistryTest, GSubclassForwardsToTheRegistry) {
    c1 = MakeClient("c1", mhConsume, 9);
    UINT current = 0;
    c1->onMessage = [&](HWND, UINT) { current = gSubclass.CurrentMessage(); };
    gSubclass.AttachMessage(*c1, hwnd, kOtherMsg);
    EXPECT_EQ(Send(kOtherMsg), 9);
    EXPECT_EQ(current, kOtherMsg);
    EXPECT_EQ(gSubclass.CallOldWindowProc(hwnd, kOtherMsg, 2, 1), 7);
    ExpectRaised([&] { gSubclass.AttachMessage(*c1, nullptr, kOtherMsg); }, 0x80040000u + 13083, "Invalid window");
    gSubclass.DetachMessage(*c1, hwnd, kOtherMsg);
}

// The shared procedure is installed with the ANSI call; a Unicode window's
// text still comes through whole (converted through the ANSI code page).
TEST_F(RegistryTest, UnicodeWindowKeepsItsText) {
    const HWND wide = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, nullptr,
                                      nullptr, nullptr);
    ASSERT_NE(wide, nullptr);
    ASSERT_TRUE(IsWindowUnicode(wide));
    c1 = MakeClient("c1", mhCallPreviousAfter);
    c1->Attach(wide, WM_SETTEXT);
    const std::wstring title = L"链接转换 Torvane";
    SetWindowTextW(wide, title.c_str());
    EXPECT_EQ(g_log, Log({"c1"}));
    wchar_t text[64] = {};
    GetWindowTextW(wide, text, 64);
    EXPECT_EQ(text, title);

    c1->Detach(wide, WM_SETTEXT);
    SetWindowTextW(wide, L"下载");
    GetWindowTextW(wide, text, 64);
    EXPECT_STREQ(text, L"下载");
    DestroyWindow(wide);
}

namespace {

// The record as the window's properties hold it, in the form of the dispatch copy.
MSubclass::CopiedRecord RecordInProperties(HWND hwnd) {
    MSubclass::CopiedRecord record;
    const std::string h = Text(hwnd);
    record.previous = reinterpret_cast<WNDPROC>(Prop(hwnd, h));
    record.held = record.previous != nullptr;
    for (const std::string& name : PropertyNames(hwnd)) {
        const std::string prefix = h + "#";
        if (name.rfind(prefix, 0) != 0 || name.back() != 'C') continue;  // client counts only
        const auto msg = static_cast<UINT>(std::stoul(name.substr(prefix.size())));
        for (int index = 1; index <= Prop(hwnd, name); ++index) record.clients[msg].push_back(Slot(hwnd, msg, index));
    }
    return record;
}

// The dispatch copy holds what the properties hold.
void ExpectCopyMatchesProperties(HWND hwnd) {
    const MSubclass::CopiedRecord copy = MSubclass::DispatchCopyOf(hwnd);
    MSubclass::CopiedRecord properties = RecordInProperties(hwnd);
    LONG_PTR registrations = 0;
    for (const auto& [msg, clients] : properties.clients) registrations += static_cast<LONG_PTR>(clients.size());
    EXPECT_EQ(AttachCount(hwnd), registrations);
    EXPECT_EQ(copy.held, properties.held);
    EXPECT_EQ(copy.clients, properties.clients);
    EXPECT_EQ(copy.previous, properties.previous);
}

}  // namespace

TEST_F(RegistryTest, DispatchCopyFollowsThePropertiesThroughEveryChange) {
    ExpectCopyMatchesProperties(hwnd);
    c1 = MakeClient("c1", mhConsume, 1);
    c2 = MakeClient("c2", mhConsume, 2);
    c3 = MakeClient("c3", mhConsume, 3);
    const auto step = [&](const char* what, const std::function<void()>& change) {
        SCOPED_TRACE(what);
        change();
        ExpectCopyMatchesProperties(hwnd);
    };
    step("first attach", [&] { c1->Attach(hwnd, kMsg); });
    step("second client", [&] { c2->Attach(hwnd, kMsg); });
    step("second message", [&] { c1->Attach(hwnd, kOtherMsg); });
    step("refused attach", [&] { EXPECT_ANY_THROW(MSubclass::AttachMessage(*c2, hwnd, kMsg)); });
    step("third client", [&] { c3->Attach(hwnd, kMsg); });
    step("middle detach", [&] { c2->Detach(hwnd, kMsg); });
    step("unknown detach", [&] { MSubclass::DetachMessage(*c2, hwnd, kOtherMsg); });
    step("detaches during dispatch", [&] {
        c2->Attach(hwnd, kMsg);
        c1->onMessage = [&](HWND h, UINT msg) {
            c1->Detach(h, msg);
            c3->Detach(h, msg);
        };
        EXPECT_EQ(Send(), 2);
        EXPECT_EQ(g_log, Log({"c1", "c2"}));
    });
    step("last reference dropped during dispatch", [&] {
        c2->onMessage = [&](HWND, UINT) { c2.reset(); };
        Send();
    });
    step("last detach", [&] { c1->Detach(hwnd, kOtherMsg); });
    EXPECT_FALSE(MSubclass::DispatchCopyOf(hwnd).held);
    step("attach again", [&] { c3->Attach(hwnd, kOtherMsg); });
    EXPECT_EQ(Send(kOtherMsg), 3);

    // A window destroyed with registrations left takes its copy with it.
    const HWND other = MakeWindow("TorvaneRegistryTestOther", OtherOwnProc);
    c3->Attach(other, kMsg);
    EXPECT_TRUE(MSubclass::DispatchCopyOf(other).held);
    DestroyWindow(other);
    EXPECT_FALSE(MSubclass::DispatchCopyOf(other).held);
}

// The registry serves the thread that first attached, and that thread's
// windows: another thread can neither attach nor detach, and no thread
// subclasses another thread's window (its messages would be dispatched there).
TEST_F(RegistryTest, TheRegistryServesOneThreadAndItsWindows) {
    c1 = MakeClient("c1", mhConsume, 1);
    c2 = MakeClient("c2", mhConsume, 2);
    c1->Attach(hwnd, kMsg);
    const auto refused = [&](HWND window) {
        ExpectRaised([&] { MSubclass::AttachMessage(*c2, window, kMsg); }, 0x80040000u + 13081,
                     "Can't subclass window");
    };

    HWND foreign = nullptr;
    LONG_PTR foreignProc = 0;
    const HANDLE made = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    const HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread other([&] {
        foreign = MakeWindow("TorvaneRegistryTestOther", OtherOwnProc);
        foreignProc = WindowProcOf(foreign);
        refused(foreign);
        refused(hwnd);
        MSubclass::DetachMessage(*c1, hwnd, kMsg);
        SetEvent(made);
        WaitForSingleObject(done, 30000);
        DestroyWindow(foreign);
    });
    // Pumping: the other thread's calls may need this thread's window.
    while (MsgWaitForMultipleObjects(1, &made, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    refused(foreign);
    EXPECT_EQ(WindowProcOf(foreign), foreignProc);
    EXPECT_EQ(AttachCount(foreign), 0);
    EXPECT_EQ(Send(), 1);
    EXPECT_EQ(g_log, Log({"c1"}));
    ExpectCopyMatchesProperties(hwnd);

    SetEvent(done);
    other.join();
    CloseHandle(made);
    CloseHandle(done);
}
