#include "MSubclass.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <unordered_map>
#include <vector>

#include "ObjectFromPtr.h"
#include "RaisedError.h"

namespace MSubclass {
namespace {

// The registry serves one thread. The program subclasses only on its
// user-interface thread (the clipboard workers' message-only windows are
// never subclassed), and a window's procedure always runs on the window's
// thread; so the first attach binds the registry to its thread, and an attach
// from another thread, or to another thread's window, is refused. Everything
// below is then touched by that thread only and needs no lock.
std::atomic<DWORD> g_thread{0};

bool OnRegistryThread() noexcept { return g_thread.load(std::memory_order_relaxed) == GetCurrentThreadId(); }

// Binds the registry to the calling thread on first use; whether `hwnd`, a
// window of this thread, may be subclassed from here.
bool MayAttachHere(HWND hwnd) noexcept {
    const DWORD self = GetCurrentThreadId();
    if (GetWindowThreadProcessId(hwnd, nullptr) != self) return false;
    DWORD bound = 0;
    return g_thread.compare_exchange_strong(bound, self) || bound == self;
}

// The message of the most recent hand-over to a client, and the previous
// procedure of that message's window. Written just before each hand-over and
// never restored, so nested dispatch leaves them on the nested message.
UINT g_currentMessage = 0;
WNDPROC g_previousProc = nullptr;

// Counts every change of any registration. A dispatch whose list of clients
// was taken at another count checks each client before its turn.
std::uint64_t g_registrationChanges = 0;

// A window property key built from decimal numbers and the letters "C", "#".
class PropertyKey {
public:
    PropertyKey& Text(const char* text) noexcept {
        const std::size_t length = std::strlen(text);
        std::memcpy(m_text + m_length, text, length);
        m_length += length;
        m_text[m_length] = '\0';
        return *this;
    }
    PropertyKey& Number(std::int32_t value) noexcept {
        m_length = static_cast<std::size_t>(std::to_chars(m_text + m_length, m_text + kCapacity, value).ptr - m_text);
        m_text[m_length] = '\0';
        return *this;
    }
    // A handle's text is that of its 32-bit value.
    PropertyKey& Handle(HWND hwnd) noexcept {
        return Number(static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(hwnd)));
    }
    PropertyKey& Message(UINT iMsg) noexcept { return Number(static_cast<std::int32_t>(iMsg)); }
    const char* c_str() const noexcept { return m_text; }

private:
    // "-2147483648#-2147483648#-2147483648" and its terminator fit easily.
    static constexpr std::size_t kCapacity = 48;
    char m_text[kCapacity + 1] = {};
    std::size_t m_length = 0;
};

PropertyKey PreviousProcKey(HWND hwnd) noexcept { return PropertyKey().Handle(hwnd); }
PropertyKey AttachCountKey(HWND hwnd) noexcept { return PropertyKey().Text("C").Handle(hwnd); }
PropertyKey ClientCountKey(HWND hwnd, UINT iMsg) noexcept {
    return PropertyKey().Handle(hwnd).Text("#").Message(iMsg).Text("C");
}
PropertyKey SlotKey(HWND hwnd, UINT iMsg, int index) noexcept {
    return PropertyKey().Handle(hwnd).Text("#").Message(iMsg).Text("#").Number(index);
}

// Property values are pointer-sized: addresses are stored whole.
LONG_PTR Read(HWND hwnd, const PropertyKey& key) noexcept {
    return reinterpret_cast<LONG_PTR>(GetPropA(hwnd, key.c_str()));
}
void Write(HWND hwnd, const PropertyKey& key, LONG_PTR value) noexcept {
    SetPropA(hwnd, key.c_str(), reinterpret_cast<HANDLE>(value));
}
void Remove(HWND hwnd, const PropertyKey& key) noexcept { RemovePropA(hwnd, key.c_str()); }

int ReadCount(HWND hwnd, const PropertyKey& key) noexcept {
    const LONG_PTR value = Read(hwnd, key);
    return value > 0 && value <= INT_MAX ? static_cast<int>(value) : 0;
}

// The 1-based slot holding `client` for this message, or 0.
int FindSlot(HWND hwnd, UINT iMsg, LONG_PTR client) noexcept {
    const int count = ReadCount(hwnd, ClientCountKey(hwnd, iMsg));
    for (int index = 1; index <= count; ++index) {
        if (Read(hwnd, SlotKey(hwnd, iMsg, index)) == client) return index;
    }
    return 0;
}

// The clients of a message as its properties hold them, in slot order.
std::vector<LONG_PTR> ReadClients(HWND hwnd, UINT iMsg) {
    std::vector<LONG_PTR> clients(static_cast<std::size_t>(ReadCount(hwnd, ClientCountKey(hwnd, iMsg))));
    for (std::size_t index = 0; index < clients.size(); ++index)
        clients[index] = Read(hwnd, SlotKey(hwnd, iMsg, static_cast<int>(index) + 1));
    return clients;
}

// A copy of the registrations in memory, so that dispatch reads memory
// instead of window properties (each property read is a round trip to the
// window server). Attach and detach edit it along with the properties.
struct WindowCopy {
    WNDPROC previous = nullptr;
    // Every message of the window is here; otherwise (after a failed edit
    // dropped the window's copy) a message missing here is read from the
    // properties when it first arrives.
    bool complete = false;
    // A complete copy holds no empty lists; another may, for messages
    // already read and found without clients.
    std::unordered_map<UINT, std::vector<LONG_PTR>> messages;
};
using DispatchCopy = std::unordered_map<HWND, WindowCopy>;

// Never destroyed: a window may still go while static objects are torn
// down at exit.
DispatchCopy& TheCopy() noexcept {
    static DispatchCopy* const copy = new DispatchCopy;
    return *copy;
}

// The window's copy, read from its properties if none is held.
WindowCopy& WindowOf(HWND hwnd) {
    DispatchCopy& copy = TheCopy();
    const auto found = copy.find(hwnd);
    if (found != copy.end()) return found->second;
    WindowCopy window;
    window.previous = reinterpret_cast<WNDPROC>(Read(hwnd, PreviousProcKey(hwnd)));
    return copy.emplace(hwnd, std::move(window)).first->second;
}

// The clients of a message, or nullptr for none.
const std::vector<LONG_PTR>* ClientsOf(WindowCopy& window, HWND hwnd, UINT iMsg) {
    const auto found = window.messages.find(iMsg);
    if (found != window.messages.end()) return &found->second;
    if (window.complete) return nullptr;
    // Kept even when empty, so the properties are asked once.
    return &window.messages.emplace(iMsg, ReadClients(hwnd, iMsg)).first->second;
}

// Whether `client` is still registered for the message, from the copy where
// it can tell.
bool StillRegistered(HWND hwnd, UINT iMsg, LONG_PTR client) noexcept {
    const DispatchCopy& copy = TheCopy();
    if (const auto window = copy.find(hwnd); window != copy.end()) {
        const auto clients = window->second.messages.find(iMsg);
        if (clients != window->second.messages.end())
            return std::find(clients->second.begin(), clients->second.end(), client) != clients->second.end();
        if (window->second.complete) return false;
    }
    return FindSlot(hwnd, iMsg, client) != 0;
}

// What attach and detach need of the record: the window's attach count and
// the clients of one message. Read from the copy when it holds the whole
// window (the shared procedure still installed shows that the handle was not
// reused since), otherwise from the properties. Valid until the
// registrations change.
class RecordOfMessage {
public:
    RecordOfMessage(HWND hwnd, UINT iMsg) noexcept : m_hwnd(hwnd), m_msg(iMsg) {
        const DispatchCopy& copy = TheCopy();
        const auto window = copy.find(hwnd);
        if (window != copy.end() && window->second.complete &&
            GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SharedWindowProc)) {
            static const std::vector<LONG_PTR> none;
            m_copied = &none;
            for (const auto& [message, clients] : window->second.messages) {
                attachCount += static_cast<int>(clients.size());
                if (message == iMsg) m_copied = &clients;
            }
            clientCount = static_cast<int>(m_copied->size());
            return;
        }
        attachCount = ReadCount(hwnd, AttachCountKey(hwnd));
        clientCount = ReadCount(hwnd, ClientCountKey(hwnd, iMsg));
    }

    // The client in a 1-based slot.
    LONG_PTR Client(int index) const noexcept {
        if (m_copied) return (*m_copied)[static_cast<std::size_t>(index) - 1];
        return Read(m_hwnd, SlotKey(m_hwnd, m_msg, index));
    }
    // The 1-based slot holding `client`, or 0.
    int Find(LONG_PTR client) const noexcept {
        for (int index = 1; index <= clientCount; ++index) {
            if (Client(index) == client) return index;
        }
        return 0;
    }

    int attachCount = 0;
    int clientCount = 0;

private:
    HWND m_hwnd;
    UINT m_msg;
    const std::vector<LONG_PTR>* m_copied = nullptr;
};

LRESULT CallPrevious(WNDPROC previous, HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // Without a recorded procedure the window still gets the default answers.
    if (!previous) return DefWindowProcA(hwnd, iMsg, wParam, lParam);
    return CallWindowProcA(previous, hwnd, iMsg, wParam, lParam);
}

[[noreturn]] void Raise(std::uint32_t code, const char* description) {
    throw RaisedError::OfObject(code, description);
}

}  // namespace

void AttachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) {
    if (!IsWindow(hwnd)) Raise(kErrInvalidWindow, "Invalid window");
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != GetCurrentProcessId()) Raise(kErrExternalWindow, "Can't modify external window");
    if (!MayAttachHere(hwnd)) Raise(kErrCantSubclass, "Can't subclass window");

    const LONG_PTR client = ObjPtr(&iwp);
    const RecordOfMessage record(hwnd, iMsg);
    // Known before anything is written, so a refused attach leaves the
    // window's attach count as it was.
    const bool alreadyRegistered = record.Find(client) != 0;

    const int attachCount = record.attachCount;
    LONG_PTR previous = 0;
    if (attachCount == 0) {
        previous = SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SharedWindowProc));
        if (previous == 0) Raise(kErrCantSubclass, "Can't subclass window");
        if (alreadyRegistered) {
            // Only stale properties can get here; leave the window as it was.
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, previous);
            Raise(kErrAlreadyHandled, "Message already handled by another class");
        }
        Write(hwnd, PreviousProcKey(hwnd), previous);
        Write(hwnd, AttachCountKey(hwnd), 1);
    } else {
        if (alreadyRegistered) Raise(kErrAlreadyHandled, "Message already handled by another class");
        Write(hwnd, AttachCountKey(hwnd), attachCount + 1);
    }

    const PropertyKey countKey = ClientCountKey(hwnd, iMsg);
    const int clientCount = record.clientCount;
    Write(hwnd, countKey, clientCount + 1);
    Write(hwnd, SlotKey(hwnd, iMsg, clientCount + 1), client);

    ++g_registrationChanges;
    DispatchCopy& copy = TheCopy();
    try {
        if (attachCount == 0) {
            // A new record: whatever the copy held for this handle is gone.
            WindowCopy& window = copy[hwnd];
            window = WindowCopy{reinterpret_cast<WNDPROC>(previous), true, {}};
            window.messages[iMsg].push_back(client);
        } else if (const auto found = copy.find(hwnd); found != copy.end()) {
            WindowCopy& window = found->second;
            // A message this copy has not read yet is read when it arrives.
            const auto clients = window.messages.find(iMsg);
            if (clients != window.messages.end()) {
                clients->second.push_back(client);
            } else if (window.complete) {
                window.messages[iMsg].push_back(client);
            }
        }
    } catch (...) {
        copy.erase(hwnd);  // read again from the properties
    }
}

void DetachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) noexcept {
    // Another thread's attach was refused: it has nothing to detach.
    if (!OnRegistryThread()) return;
    const LONG_PTR client = ObjPtr(&iwp);
    const RecordOfMessage record(hwnd, iMsg);
    const int slot = record.Find(client);
    if (slot == 0) return;  // not registered: nothing to undo

    const int attachCount = record.attachCount;
    if (attachCount <= 1) {
        // The window's last registration: put its own procedure back.
        const LONG_PTR previous = Read(hwnd, PreviousProcKey(hwnd));
        if (previous != 0) SetWindowLongPtrA(hwnd, GWLP_WNDPROC, previous);
        Remove(hwnd, PreviousProcKey(hwnd));
        Remove(hwnd, AttachCountKey(hwnd));
    } else {
        Write(hwnd, AttachCountKey(hwnd), attachCount - 1);
    }

    // Close the gap, keeping the order of the others.
    const PropertyKey countKey = ClientCountKey(hwnd, iMsg);
    const int clientCount = record.clientCount;
    for (int index = slot; index < clientCount; ++index) {
        Write(hwnd, SlotKey(hwnd, iMsg, index), record.Client(index + 1));
    }
    Remove(hwnd, SlotKey(hwnd, iMsg, clientCount));
    // A count of 0 is removed rather than stored: every key goes with the
    // last registration, and with it the global atom of its name.
    if (clientCount > 1) {
        Write(hwnd, countKey, clientCount - 1);
    } else {
        Remove(hwnd, countKey);
    }

    ++g_registrationChanges;
    DispatchCopy& copy = TheCopy();
    const auto window = copy.find(hwnd);
    if (window == copy.end()) return;
    if (attachCount <= 1) {
        copy.erase(window);
        return;
    }
    const auto clients = window->second.messages.find(iMsg);
    if (clients == window->second.messages.end()) return;
    std::vector<LONG_PTR>& list = clients->second;
    if (const auto at = std::find(list.begin(), list.end(), client); at != list.end()) list.erase(at);
    if (list.empty()) window->second.messages.erase(clients);
}

UINT CurrentMessage() noexcept { return g_currentMessage; }

LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    if (!g_previousProc) return 0;
    return CallWindowProcA(g_previousProc, hwnd, iMsg, wParam, lParam);
}

namespace {

LRESULT Dispatch(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    // The previous procedure and the clients registered when the message
    // arrived, in slot order, taken from the copy. A client may change the
    // registrations while it runs, so the list is copied out.
    WNDPROC previous = nullptr;
    LONG_PTR fewClients[8];
    std::vector<LONG_PTR> manyClients;
    const LONG_PTR* clients = fewClients;
    int count = 0;
    const std::uint64_t changesAtEntry = g_registrationChanges;
    try {
        WindowCopy& window = WindowOf(hwnd);
        previous = window.previous;
        if (const std::vector<LONG_PTR>* list = ClientsOf(window, hwnd, iMsg)) {
            count = static_cast<int>(list->size());
            if (list->size() <= std::size(fewClients)) {
                std::copy(list->begin(), list->end(), fewClients);
            } else {
                manyClients = *list;
                clients = manyClients.data();
            }
        }
    } catch (...) {
        // No memory for the copy: the message goes to the window's procedure.
        return CallPrevious(reinterpret_cast<WNDPROC>(Read(hwnd, PreviousProcKey(hwnd))), hwnd, iMsg, wParam,
                            lParam);
    }
    if (count < 1) return CallPrevious(previous, hwnd, iMsg, wParam, lParam);

    // The registry calls the previous procedure at most once per message.
    bool previousCalled = false;
    LRESULT previousResult = 0;
    const auto callPrevious = [&]() noexcept {
        if (!previousCalled) {
            previousResult = CallPrevious(previous, hwnd, iMsg, wParam, lParam);
            previousCalled = true;
        }
        return previousResult;
    };

    // Clients detached before their turn are skipped; the others still get
    // the message.
    LRESULT result = 0;
    bool answered = false;
    for (int i = 0; i < count; ++i) {
        const LONG_PTR address = clients[i];
        if (address == 0) {
            // An empty slot answers as the window itself would.
            result = callPrevious();
            answered = true;
            continue;
        }
        if (g_registrationChanges != changesAtEntry &&
            !StillRegistered(hwnd, iMsg, address))
            continue;
        try {
            // Counted for the length of its turn: its owner may let go meanwhile.
            const std::shared_ptr<ISubclass> client = ObjectFromPtr<ISubclass>(address);
            if (!client) continue;  // already being destroyed
            g_currentMessage = iMsg;
            g_previousProc = previous;
            if (i == 0) {
                if (client->MsgResponse() == mhCallPreviousBefore && !previousCalled) callPrevious();
            }
            result = client->WindowProc(hwnd, iMsg, wParam, lParam);
            answered = true;
            if (i == count - 1) {
                if (client->MsgResponse() == mhCallPreviousAfter && !previousCalled) result = callPrevious();
            }
        } catch (...) {
            // A client that fails leaves the message to the window's own procedure.
            result = callPrevious();
            answered = true;
        }
    }
    if (!answered) result = callPrevious();
    return result;
}

}  // namespace

LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const LRESULT result = Dispatch(hwnd, iMsg, wParam, lParam);
    // The window's last message: its properties go with it, and so does its
    // copy, whatever registrations its clients left behind.
    if (iMsg == WM_NCDESTROY) TheCopy().erase(hwnd);
    return result;
}

CopiedRecord DispatchCopyOf(HWND hwnd) noexcept {
    CopiedRecord record;
    const DispatchCopy& copy = TheCopy();
    const auto window = copy.find(hwnd);
    if (window == copy.end()) return record;
    try {
        record.held = true;
        record.previous = window->second.previous;
        for (const auto& [message, clients] : window->second.messages) {
            if (!clients.empty()) record.clients.emplace(message, clients);
        }
    } catch (...) {
        record = {};
    }
    return record;
}

}  // namespace MSubclass
