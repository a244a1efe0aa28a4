// Test helper: another program at work on the clipboard while the tests use
// it, until the test that started it signals it to stop.
//   clipboard_holder <mode> <ready-event> <stop-event>
// Modes:
//   hold    holds the clipboard open, as a busy program would;
//   listen  reads the text on every change, opening with its own window, as
//           clipboard managers do (a format listener);
//   poll    reads the text on every change, opening without a window, as
//           many small tools do (a sequence-number poller);
//   grab    waits until someone has opened and closed the clipboard (a
//           read), then holds it for 3 seconds;
//   stall   offers text by delayed rendering and then stops answering.
// The ready event is set once the mode is at work.
#include <windows.h>

#include <cstring>
#include <string>

#include "plumbing/GlobalLockGuard.h"

namespace {

HANDLE g_stop = nullptr;

bool Stopped(DWORD waitMs = 0) { return WaitForSingleObject(g_stop, waitMs) == WAIT_OBJECT_0; }

void ReadText(HWND opener) {
    if (!OpenClipboard(opener)) return;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const GlobalLockGuard locked(data);
    }
    CloseClipboard();
}

LRESULT CALLBACK ListenerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLIPBOARDUPDATE) {
        ReadText(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeWindow(WNDPROC proc) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = L"Torvane.Test.ClipboardPeer";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"peer", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string mode = argv[1];
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    g_stop = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !g_stop) return 2;

    if (mode == "hold") {
        // Opened for a window of its own: the system lets a second opener
        // without a window in when the holder has none either.
        HWND window = MakeWindow(DefWindowProcW);
        if (!OpenClipboard(window)) return 1;
        SetEvent(ready);
        Stopped(30000);
        CloseClipboard();
    } else if (mode == "listen") {
        HWND window = MakeWindow(ListenerProc);
        if (!AddClipboardFormatListener(window)) return 1;
        SetEvent(ready);
        while (MsgWaitForMultipleObjects(1, &g_stop, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    } else if (mode == "poll") {
        SetEvent(ready);
        for (DWORD seen = GetClipboardSequenceNumber(); !Stopped(1);) {
            const DWORD now = GetClipboardSequenceNumber();
            if (now == seen) continue;
            seen = now;
            ReadText(nullptr);
        }
    } else if (mode == "grab") {
        HWND window = MakeWindow(DefWindowProcW);
        SetEvent(ready);
        bool opened = false;
        for (;;) {
            if (Stopped()) return 0;
            const bool open = GetOpenClipboardWindow() != nullptr;
            if (opened && !open && OpenClipboard(window)) break;
            opened = opened || open;
        }
        // Held 3 s, as a slow program would; less when the test ends first.
        Stopped(3000);
        CloseClipboard();
        Stopped(30000);
    } else if (mode == "stall") {
        HWND window = MakeWindow(DefWindowProcW);
        if (!OpenClipboard(window)) return 1;
        EmptyClipboard();
        SetClipboardData(CF_UNICODETEXT, nullptr);  // rendered on request, which never comes
        CloseClipboard();
        SetEvent(ready);
        Stopped(60000);  // takes no message meanwhile
    } else {
        return 2;
    }
    return 0;
}
