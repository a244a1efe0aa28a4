#include "Clipboard.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "GlobalLockGuard.h"

namespace {

// Opening is retried for about a second, with pauses that grow from 5 ms.
constexpr ULONGLONG kOpenPatienceMs = 1000;
constexpr DWORD kFirstPauseMs = 5, kLongestPauseMs = 200;

// Sent (not posted) to a reading thread's opener window: a sent message is
// handled even while that thread waits inside GetClipboardData for the
// owner to render its data, and only the opening thread can close it.
constexpr UINT kGiveUp = WM_APP + 0x71;
constexpr const wchar_t* kOpenerClass = L"Torvane.ClipboardOpener";

LRESULT CALLBACK OpenerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kGiveUp) {
        auto* watch = reinterpret_cast<Clipboard::Watch*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (watch && watch->open.exchange(false)) CloseClipboard();
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// The window a call opens the clipboard with: the given one when it belongs
// to this thread, otherwise a message-only window of this thread, made for
// the call and gone with it.
class Opener {
public:
    Opener(HWND window, Clipboard::Watch* watch) {
        if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
            m_hwnd = window;
            return;
        }
        static const ATOM registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = OpenerProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = kOpenerClass;
            return RegisterClassW(&wc);
        }();
        if (!registered) return;
        m_hwnd = CreateWindowExW(0, kOpenerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        m_made = m_hwnd != nullptr;
        if (m_made) SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(watch));
    }
    Opener(const Opener&) = delete;
    Opener& operator=(const Opener&) = delete;
    ~Opener() {
        if (m_made) DestroyWindow(m_hwnd);
    }
    HWND get() const { return m_hwnd; }

private:
    HWND m_hwnd = nullptr;
    bool m_made = false;
};

bool Open(HWND opener) {
    if (!opener) return false;  // never without a window: see the class comment
    const ULONGLONG start = GetTickCount64();
    for (DWORD pause = kFirstPauseMs;; pause = std::min(pause * 2, kLongestPauseMs)) {
        if (OpenClipboard(opener)) return true;
        if (GetTickCount64() - start >= kOpenPatienceMs) return false;
        Sleep(pause);
    }
}

class ClipboardCloser {
public:
    explicit ClipboardCloser(Clipboard::Watch* watch = nullptr) : m_watch(watch) {}
    ClipboardCloser(const ClipboardCloser&) = delete;
    ClipboardCloser& operator=(const ClipboardCloser&) = delete;
    ~ClipboardCloser() {
        // An abandoned read has had the clipboard closed for it already.
        if (!m_watch || m_watch->open.exchange(false)) CloseClipboard();
    }

private:
    Clipboard::Watch* m_watch;
};

// Global memory handed to the clipboard; freed here unless the clipboard took it.
class GlobalText {
public:
    explicit GlobalText(const std::wstring& text) {
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        m_memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (!m_memory) return;
        if (const GlobalLockGuard target(m_memory); target) {
            std::memcpy(target.get(), text.c_str(), bytes);
        } else {
            GlobalFree(std::exchange(m_memory, nullptr));
        }
    }
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;
    ~GlobalText() {
        if (m_memory) GlobalFree(m_memory);
    }
    HGLOBAL get() const { return m_memory; }
    // Puts the text on the open clipboard; true when the clipboard took it.
    bool SetOnClipboard() {
        if (!m_memory || !SetClipboardData(CF_UNICODETEXT, m_memory)) return false;
        m_memory = nullptr;
        return true;
    }

private:
    HGLOBAL m_memory = nullptr;
};

// The text of the open clipboard's data handle, bounded by the block's size
// in case the data lacks its terminating zero. The lock is undone also when
// the copy cannot be made.
std::wstring TextOf(HANDLE data) {
    const GlobalLockGuard locked(data);
    if (!locked) return {};
    const auto* chars = static_cast<const wchar_t*>(locked.get());
    return std::wstring(chars, wcsnlen(chars, locked.size() / sizeof(wchar_t)));
}

}  // namespace

std::optional<std::wstring> Clipboard::Read(HWND window, Watch* watch) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return std::wstring();
    const Opener opener(window, watch);
    if (watch) watch->opener = opener.get();
    if (!Open(opener.get())) return std::wstring();
    if (watch) watch->open = true;
    ClipboardCloser closer(watch);
    if (watch) watch->waitingSince = GetTickCount64();
    // The owner may render the text only now, when asked: this is the call
    // that can wait for another program.
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (watch) {
        watch->waitingSince = 0;
        if (watch->abandoned) return std::nullopt;
    }
    return TextOf(data);
}

bool Clipboard::Write(HWND window, const std::wstring& text) {
    GlobalText memory(text);
    const Opener opener(window, nullptr);
    if (!memory.get() || !Open(opener.get())) return false;
    ClipboardCloser closer;
    // The text now there, to put back should the new one not go on. An owner
    // that renders on request is only asked when it answers at all.
    std::optional<GlobalText> old;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsHungAppWindow(GetClipboardOwner()))
        old.emplace(TextOf(GetClipboardData(CF_UNICODETEXT)));
    if (!EmptyClipboard()) return false;
    if (memory.SetOnClipboard()) return true;
    if (old) old->SetOnClipboard();
    return false;
}

void Clipboard::Abandon(Watch& watch) noexcept {
    watch.abandoned = true;
    if (HWND opener = watch.opener) SendNotifyMessageW(opener, kGiveUp, 0, 0);
}
