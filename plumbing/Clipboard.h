#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

#include "IClipboard.h"

// The system clipboard in CF_UNICODETEXT form, used so that the user's
// clipboard is never lost:
// - it is always opened with a window of the calling thread (the bound
//   window on its own thread, a message-only window made for the call on any
//   other), since SetClipboardData fails after an EmptyClipboard done by an
//   opener without a window;
// - another program may hold it for a moment, so opening is retried with
//   growing pauses for about a second; giving up changes nothing;
// - a write keeps the old text and puts it back when the new one does not
//   go on after emptying;
// - a read that waits for an owner that does not render its data can be
//   abandoned from another thread (Watch), which closes the clipboard at once.
class Clipboard final : public IClipboard {
public:
    explicit Clipboard(HWND window = nullptr) noexcept : m_window(window) {}
    void Bind(HWND window) noexcept { m_window = window; }

    std::wstring Text() override { return Read(m_window, nullptr).value_or(std::wstring()); }
    bool ReplaceText(const std::wstring& text) override { return Write(m_window, text); }

    // What a read on one thread shares with the thread that may abandon it.
    struct Watch {
        std::atomic<HWND> opener{nullptr};
        // GetTickCount64() when the read began to wait for the clipboard's
        // data, 0 while it does not.
        std::atomic<ULONGLONG> waitingSince{0};
        std::atomic<bool> abandoned{false};
        std::atomic<bool> open{false};  // touched by the reading thread only
    };

    // The clipboard's text; empty when it holds none or cannot be opened;
    // nothing when the read was abandoned. `window` opens the clipboard when
    // it belongs to the calling thread.
    static std::optional<std::wstring> Read(HWND window, Watch* watch);
    // Replaces the clipboard's content with `text`; false, with the old
    // content in place, when that failed.
    static bool Write(HWND window, const std::wstring& text);
    // From another thread: ends the read that `watch` follows; it gives
    // nothing, and the clipboard is closed even while the read waits for
    // its owner.
    static void Abandon(Watch& watch) noexcept;

private:
    HWND m_window;
};
