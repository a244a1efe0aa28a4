// Times the main window's two commands on one long clipboard text: an
// address of N Mi characters (16 unless given), or with --lines N a list of
// N addresses, and then its link (links). It starts
// the real torvane.exe, presses its buttons and waits for the result on the
// clipboard, while asking the window every 20 ms for an answer; the longest
// wait for that answer shows whether the window stayed responsive. Then it
// times the steps of a command one by one in this process, to show where the
// time goes. With BENCH_TRACE set it also lists each answer that took more
// than 100 ms and when, counted from the press.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/core/ConversionCommands.h"
#include "app/window/frmTest.h"
#include "plumbing/Clipboard.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::wstring MakeAddress(size_t length) {
    std::wstring address = L"http://example.com/";
    const std::wstring piece = L"下载/file-0123.zip&";
    address.reserve(length + piece.size());
    while (address.size() < length) address += piece;
    address.resize(length);
    return address;
}

std::wstring ProgramPath() {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"..\\app\\torvane.exe";
}

// A window on a thread of its own that does nothing but answer. Wine's
// server carries every message between threads and holds the clipboard's
// data, so while it copies a large text no window answers at once; this
// window's longest wait tells that share from the main window's own.
HWND StartIdleWindow() {
    static HWND idle = nullptr;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CreateThread(
        nullptr, 0,
        [](void* event) -> DWORD {
            idle = CreateWindowExW(0, L"STATIC", L"idle", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
            SetEvent(event);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
            return 0;
        },
        ready, 0, nullptr);
    WaitForSingleObject(ready, INFINITE);
    CloseHandle(ready);
    return idle;
}

// How long `window` takes to answer a message, in milliseconds.
double AnswerTime(HWND window, bool& answered) {
    const Clock::time_point asked = Clock::now();
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &result) != 0 && answered;
    return MsSince(asked);
}

// Asks `window` for an answer every 20 ms on a thread of its own, until told
// to stop; keeps the longest wait.
class Pinger {
public:
    explicit Pinger(HWND window) : m_window(window) {
        m_thread = CreateThread(
            nullptr, 0,
            [](void* p) -> DWORD {
                auto& self = *static_cast<Pinger*>(p);
                while (!self.m_stop) {
                    bool answered = true;
                    self.longest = std::max(self.longest.load(), AnswerTime(self.m_window, answered));
                    Sleep(20);
                }
                return 0;
            },
            this, 0, nullptr);
    }
    ~Pinger() {
        m_stop = true;
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
    }
    std::atomic<double> longest{0};

private:
    HWND m_window;
    HANDLE m_thread = nullptr;
    std::atomic<bool> m_stop{false};
};

// Presses `button` and waits until the clipboard holds a new text, asking
// the window for an answer every 20 ms meanwhile (and the idle window, at
// the same time, from another thread).
void TimeCommand(const char* name, HWND window, HWND button, HWND idle) {
    const DWORD sequence = GetClipboardSequenceNumber();
    const Clock::time_point start = Clock::now();
    Pinger idlePinger(idle);
    PostMessageW(button, BM_CLICK, 0, 0);
    const bool trace = std::getenv("BENCH_TRACE") != nullptr;
    double longestAnswer = 0;
    bool answered = true;
    for (;;) {
        const double answer = AnswerTime(window, answered);
        longestAnswer = std::max(longestAnswer, answer);
        if (trace && answer > 100)
            std::printf("  answer took %.0f ms, %.0f ms after the press\n", answer, MsSince(start));
        if (GetClipboardSequenceNumber() != sequence && IsClipboardFormatAvailable(CF_UNICODETEXT) &&
            OpenClipboard(nullptr)) {
            CloseClipboard();
            break;
        }
        if (MsSince(start) > 600000) {
            std::printf("%s: no result after 10 minutes\n", name);
            return;
        }
        Sleep(20);
    }
    std::printf("%-22s %8.0f ms   longest wait for an answer: window %6.1f ms%s, idle window %6.1f ms\n", name,
                MsSince(start), longestAnswer, answered ? "" : " (it did not answer)", idlePinger.longest.load());
}

}  // namespace

// A list of `count` addresses, one a line, as a download page gives them.
std::wstring MakeList(size_t count) {
    std::wstring list;
    for (size_t i = 1; i <= count; ++i) {
        if (i > 1) list += L"\r\n";
        list += L"http://example.com/下载/第" + std::to_wstring(i) + L"集-episode.mkv";
    }
    return list;
}

int main(int argc, char** argv) {
    std::wstring address;
    if (argc > 2 && std::string(argv[1]) == "--lines") {
        const size_t lines = std::strtoul(argv[2], nullptr, 10);
        address = MakeList(lines);
        std::printf("window_bench: list of %zu addresses, %zu characters\n", lines, address.size());
    } else {
        const size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 16;
        address = MakeAddress(megabytes << 20);
        std::printf("window_bench: address of %zu Mi characters (ASCII and Chinese)\n", megabytes);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + ProgramPath() + L"\"";
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("cannot start torvane.exe\n");
        return 1;
    }
    WaitForInputIdle(process.hProcess, 10000);
    HWND window = nullptr;
    for (int i = 0; i < 400 && !window; ++i) {
        HWND candidate = FindWindowW(frmTest::kClassName, nullptr);
        DWORD pid = 0;
        if (candidate) GetWindowThreadProcessId(candidate, &pid);
        if (candidate && pid == process.dwProcessId && IsWindowVisible(candidate)) window = candidate;
        else Sleep(25);
    }
    if (!window) {
        std::printf("torvane.exe showed no window\n");
        TerminateProcess(process.hProcess, 1);
        return 1;
    }

    Clipboard clipboard;
    Clock::time_point start = Clock::now();
    clipboard.ReplaceText(address);
    std::printf("%-22s %8.0f ms\n", "put address (bench)", MsSince(start));
    const HWND idle = StartIdleWindow();
    TimeCommand("window: address->link", window, GetDlgItem(window, frmTest::kCommand2), idle);
    TimeCommand("window: link->address", window, GetDlgItem(window, frmTest::kCommand3), idle);
    PostMessageW(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 30000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    // The same steps in this process, one at a time.
    clipboard.ReplaceText(address);
    start = Clock::now();
    std::wstring text = clipboard.Text();
    std::printf("%-22s %8.0f ms\n", "step: read clipboard", MsSince(start));
    start = Clock::now();
    ConversionCommands::Outcome toLink = ConversionCommands::AddressToLink(std::move(text));
    std::printf("%-22s %8.0f ms\n", "step: address->link", MsSince(start));
    start = Clock::now();
    clipboard.ReplaceText(toLink.copy);
    std::printf("%-22s %8.0f ms   (%zu characters)\n", "step: write clipboard", MsSince(start), toLink.copy.size());
    start = Clock::now();
    const ConversionCommands::Outcome back = ConversionCommands::LinkToAddress(std::move(toLink.copy));
    std::printf("%-22s %8.0f ms   %s\n", "step: link->address", MsSince(start),
                back.copy == address ? "same address" : "DIFFERENT address");
    start = Clock::now();
    const size_t shown = ConversionCommands::BoxText(back.text1, true).size();
    std::printf("%-22s %8.3f ms   (%zu characters)\n", "step: box text", MsSince(start), shown);
    return 0;
}
