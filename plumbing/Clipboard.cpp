#include "Clipboard.h"

#include <cstring>
#include <utility>

namespace {

constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMs = 10;

class ClipboardCloser {
public:
    ClipboardCloser() = default;
    ClipboardCloser(const ClipboardCloser&) = delete;
    ClipboardCloser& operator=(const ClipboardCloser&) = delete;
    ~ClipboardCloser() { CloseClipboard(); }
};

// Global memory handed to the clipboard; freed here unless the clipboard took it.
class GlobalText {
public:
    explicit GlobalText(const std::wstring& text) {
        const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        m_memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (!m_memory) return;
        if (void* target = GlobalLock(m_memory)) {
            std::memcpy(target, text.c_str(), bytes);
            GlobalUnlock(m_memory);
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
    void handedOver() { m_memory = nullptr; }

private:
    HGLOBAL m_memory = nullptr;
};

}  // namespace

bool Clipboard::Open() const {
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        if (OpenClipboard(m_owner)) return true;
        Sleep(kOpenPauseMs);
    }
    return false;
}

std::wstring Clipboard::Text() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !Open()) return {};
    ClipboardCloser closer;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return {};
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
    if (!chars) return {};
    // Bounded by the block's size, in case the data lacks its terminating zero.
    const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    std::wstring text(chars, wcsnlen(chars, capacity));
    GlobalUnlock(data);
    return text;
}

bool Clipboard::ReplaceText(const std::wstring& text) {
    GlobalText memory(text);
    if (!memory.get() || !Open()) return false;
    ClipboardCloser closer;
    if (!EmptyClipboard()) return false;
    if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
    memory.handedOver();
    return true;
}
