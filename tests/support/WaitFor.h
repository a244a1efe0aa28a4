#pragma once

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until `done` holds or `ms` milliseconds
// have passed; true when it held. Tests wait for what they check, never for
// a fixed time: a loaded machine delays input by hundreds of milliseconds.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
