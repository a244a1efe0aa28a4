#include "mDeclares.h"

#include <algorithm>
#include <vector>

#include "cNCCalcSize.h"
#include "plumbing/ObjectFromPtr.h"
#include "plumbing/ScopeGuard.h"
#include "plumbing/UniqueHandle.h"

namespace mDeclares {

namespace {

UniqueHook m_hKeyHook;
UniqueHook m_hMsgHook;
LONG_PTR m_lPtrTracker = 0;  // weak reference to the IMenuFilter that installed m_hMsgHook
std::vector<LONG_PTR> m_lPtrFrames;  // weak references, in order of registration

// Whether a key is down as of the keystroke being read: the thread's key
// state follows the messages it has read, while the asynchronous state
// follows the device (and a display may reset it while messages wait).
// Only the high bit means "down".
bool IsDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

// Keys that Alt+key must never take from the system: Alt+Ctrl chords,
// Alt+F1..F12, Alt+Escape and Alt+Delete; and the modifier keys themselves,
// which are part of a chord, never its key.
bool IsReservedKey(WPARAM vKey) {
    switch (vKey) {
        case VK_ESCAPE: case VK_DELETE:
        case VK_SHIFT: case VK_CONTROL: case VK_LWIN: case VK_RWIN:
        case VK_LSHIFT: case VK_RSHIFT: case VK_LCONTROL: case VK_RCONTROL:
            return true;
        default:
            return vKey >= VK_F1 && vKey <= VK_F12;
    }
}

}  // namespace

void AttachKeyboardHook(cNCCalcSize& frame) {
    if (!m_hKeyHook) m_hKeyHook.reset(SetWindowsHookExA(WH_KEYBOARD, KeyboardProc, nullptr, GetCurrentThreadId()));
    if (FindFrame(frame) > 0) return;
    // A hook installed for a frame that could not be registered goes again.
    ScopeGuard unhook([]() noexcept {
        if (m_lPtrFrames.empty()) m_hKeyHook.reset();
    });
    m_lPtrFrames.push_back(ObjPtr(&frame));
    unhook.release();
}

void DetachKeyboardHook(cNCCalcSize& frame) noexcept {
    if (const int i = FindFrame(frame); i > 0) m_lPtrFrames.erase(m_lPtrFrames.begin() + (i - 1));
    if (m_lPtrFrames.empty()) m_hKeyHook.reset();
}

int FindFrame(const cNCCalcSize& frame) noexcept {
    const auto found = std::find(m_lPtrFrames.begin(), m_lPtrFrames.end(), ObjPtr(&frame));
    return found == m_lPtrFrames.end() ? 0 : static_cast<int>(found - m_lPtrFrames.begin()) + 1;
}

bool GetActiveFrame(std::shared_ptr<cNCCalcSize>& frame) {
    // A copy: a controller may detach while we ask it.
    const std::vector<LONG_PTR> frames = m_lPtrFrames;
    for (LONG_PTR ptr : frames) {
        if (ptr == 0) continue;
        if (auto candidate = ObjectFromPtr<cNCCalcSize>(ptr); candidate && candidate->WindowActive()) {
            frame = std::move(candidate);
            return true;
        }
    }
    return false;
}

LRESULT CALLBACK KeyboardProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        const bool altHeld = (lParam & (1 << 29)) != 0;
        const bool goingDown = (lParam & (1u << 31)) == 0;
        std::shared_ptr<cNCCalcSize> frame;
        if (nCode == HC_ACTION && m_hKeyHook && altHeld && wParam > 0 && wParam != VK_MENU && goingDown &&
            !IsDown(VK_CONTROL) && !IsReservedKey(wParam) && GetActiveFrame(frame)) {
            if (frame->ForwardAltKey(static_cast<int>(wParam)) != 0) return 1;
        }
    } catch (...) {
        // A failing skin must not take keyboard input down with it: the key goes on.
    }
    return CallNextHookEx(m_hKeyHook.get(), nCode, wParam, lParam);
}

HHOOK KeyboardHook() noexcept { return m_hKeyHook.get(); }

void AttachMsgHook(IMenuFilter& tracker) {
    DetachMsgHook();
    m_lPtrTracker = ObjPtr(&tracker);
    m_hMsgHook.reset(SetWindowsHookExA(WH_MSGFILTER, MsgFilterProc, nullptr, GetCurrentThreadId()));
}

void DetachMsgHook() noexcept { m_hMsgHook.reset(); }

LRESULT CALLBACK MsgFilterProc(int nCode, WPARAM wParam, LPARAM lParam) noexcept {
    try {
        if (nCode == MSGF_MENU && m_lPtrTracker != 0 && lParam != 0) {
            const MSG msg = *reinterpret_cast<const MSG*>(lParam);
            if (const auto tracker = ObjectFromPtr<IMenuFilter>(m_lPtrTracker); tracker && tracker->MenuFilterMessage(msg))
                return 1;
        }
    } catch (...) {
        // A failing tracker must not break the popup loop: the message goes on.
    }
    return CallNextHookEx(m_hMsgHook.get(), nCode, wParam, lParam);
}

HHOOK MsgHook() noexcept { return m_hMsgHook.get(); }

}  // namespace mDeclares
