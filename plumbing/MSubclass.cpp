#include "MSubclass.h"

#include <charconv>
#include <climits>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "ObjectFromPtr.h"
#include "RaisedError.h"

namespace MSubclass {
namespace {

// The message of the most recent hand-over to a client, and the previous
// procedure of that message's window. Written just before each hand-over and
// never restored, so nested dispatch leaves them on the nested message.
UINT g_currentMessage = 0;
WNDPROC g_previousProc = nullptr;

// Counts every change of any registration. A dispatch that sees it unchanged
// knows its copy of the client list is still exact.
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

    const LONG_PTR client = ObjPtr(&iwp);
    // Known before anything is written, so a refused attach leaves the
    // window's attach count as it was.
    const bool alreadyRegistered = FindSlot(hwnd, iMsg, client) != 0;

    const int attachCount = ReadCount(hwnd, AttachCountKey(hwnd));
    if (attachCount == 0) {
        const LONG_PTR previous =
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SharedWindowProc));
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
    const int clientCount = ReadCount(hwnd, countKey);
    Write(hwnd, countKey, clientCount + 1);
    Write(hwnd, SlotKey(hwnd, iMsg, clientCount + 1), client);
    ++g_registrationChanges;
}

void DetachMessage(ISubclass& iwp, HWND hwnd, UINT iMsg) noexcept {
    const int slot = FindSlot(hwnd, iMsg, ObjPtr(&iwp));
    if (slot == 0) return;  // not registered: nothing to undo
    ++g_registrationChanges;

    const int attachCount = ReadCount(hwnd, AttachCountKey(hwnd));
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
    const int clientCount = ReadCount(hwnd, countKey);
    for (int index = slot; index < clientCount; ++index) {
        Write(hwnd, SlotKey(hwnd, iMsg, index), Read(hwnd, SlotKey(hwnd, iMsg, index + 1)));
    }
    Remove(hwnd, SlotKey(hwnd, iMsg, clientCount));
    // A count of 0 is removed rather than stored: every key goes with the
    // last registration, and with it the global atom of its name.
    if (clientCount > 1) {
        Write(hwnd, countKey, clientCount - 1);
    } else {
        Remove(hwnd, countKey);
    }
}

UINT CurrentMessage() noexcept { return g_currentMessage; }

LRESULT CallOldWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    if (!g_previousProc) return 0;
    return CallWindowProcA(g_previousProc, hwnd, iMsg, wParam, lParam);
}

LRESULT CALLBACK SharedWindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) noexcept {
    const WNDPROC previous = reinterpret_cast<WNDPROC>(Read(hwnd, PreviousProcKey(hwnd)));
    const int count = ReadCount(hwnd, ClientCountKey(hwnd, iMsg));
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

    // The clients registered when the message arrived, in slot order. A client
    // may detach itself or others while it runs; those detached before their
    // turn are skipped, and the others still get the message.
    LONG_PTR fewClients[8];
    std::vector<LONG_PTR> manyClients;
    LONG_PTR* clients = fewClients;
    try {
        if (count > static_cast<int>(std::size(fewClients))) {
            manyClients.resize(static_cast<std::size_t>(count));
            clients = manyClients.data();
        }
    } catch (...) {
        return callPrevious();
    }
    for (int index = 1; index <= count; ++index) clients[index - 1] = Read(hwnd, SlotKey(hwnd, iMsg, index));
    const std::uint64_t changesAtEntry = g_registrationChanges;

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
        if (g_registrationChanges != changesAtEntry && FindSlot(hwnd, iMsg, address) == 0) continue;
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

}  // namespace MSubclass
