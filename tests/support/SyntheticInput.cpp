#include "SyntheticInput.h"

#include <cstring>

#include "WaitFor.h"
#include "plumbing/GlobalLockGuard.h"

namespace SyntheticInput {

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

namespace {

void SendMouse(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = (screen.x * 65535 + width / 2) / (width - 1);
        input.mi.dy = (screen.y * 65535 + height / 2) / (height - 1);
    }
    SendInput(1, &input, sizeof input);
}

}  // namespace

void Move(POINT screen) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen); }
void Button(bool down) {
    // Input names the physical buttons; a left-handed setup presses with the right one.
    if (GetSystemMetrics(SM_SWAPBUTTON))
        SendMouse(down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP);
    else
        SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
}

void SettleInput() {
    // The system queues input as it takes it; once none is left for this
    // thread, its windows (and hooks) have handled what was theirs.
    WaitUntil([] { return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSE)) == 0; });
}

void MoveTo(POINT screen) {
    Move(screen);
    SettleInput();
}
void LeftDown() {
    Button(true);
    SettleInput();
}
void LeftUp() {
    Button(false);
    SettleInput();
}
void LeftDownAt(POINT screen) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN, screen);
    SettleInput();
}
void LeftUpAt(POINT screen) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP, screen);
    SettleInput();
}
void ClickAt(POINT screen) {
    LeftDownAt(screen);
    LeftUpAt(screen);
}

void Key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD virtualKey, bool shift) {
    if (shift) Key(VK_SHIFT, false);
    Key(virtualKey, false);
    SettleInput();
    Key(virtualKey, true);
    if (shift) Key(VK_SHIFT, true);
    SettleInput();
}

POINT CenterOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT ClientToScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

namespace {

// Opens the clipboard as a careful program does: with a window of this
// thread (an opener without one cannot always write after emptying), and
// retrying while another program holds it, for up to a few seconds.
bool OpenTheClipboard() {
    thread_local HWND opener =
        CreateWindowExW(0, L"STATIC", L"opener", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    return WaitUntil([] { return OpenClipboard(opener) != FALSE; }, 5000);
}

}  // namespace

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenTheClipboard()) return text;
    if (const GlobalLockGuard locked(GetClipboardData(CF_UNICODETEXT)); locked) {
        const auto* chars = static_cast<const wchar_t*>(locked.get());
        text.assign(chars, wcsnlen(chars, locked.size() / sizeof(wchar_t)));
    }
    CloseClipboard();
    return text;
}

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    if (!OpenTheClipboard()) return formats;
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) formats.push_back(format);
    CloseClipboard();
    return formats;
}

void PutOnClipboard(UINT format, const void* data, size_t bytes) {
    if (!OpenTheClipboard()) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        bool copied = false;
        if (const GlobalLockGuard target(memory); target) {
            std::memcpy(target.get(), data, bytes);
            copied = true;
        }
        if (!copied || !SetClipboardData(format, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

void SetClipboardText(const std::wstring& text) {
    PutOnClipboard(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

void EmptyTheClipboard() {
    if (!OpenTheClipboard()) return;
    EmptyClipboard();
    CloseClipboard();
}

std::wstring WindowText(HWND hwnd) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return L"<no answer>";
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    text.resize(copied);
    return text;
}

}  // namespace SyntheticInput
