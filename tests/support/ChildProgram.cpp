#include "ChildProgram.h"

#include "WaitFor.h"

namespace ChildProgram {

HWND Start(const std::wstring& path, const wchar_t* className, PROCESS_INFORMATION& process, DWORD deadlineMs) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + path + L"\"";
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    WaitForInputIdle(process.hProcess, deadlineMs);
    HWND window = nullptr;
    WaitUntil(
        [&] {
            HWND candidate = FindWindowW(className, nullptr);
            DWORD pid = 0;
            if (candidate) GetWindowThreadProcessId(candidate, &pid);
            if (candidate && pid == process.dwProcessId && IsWindowVisible(candidate)) window = candidate;
            return window != nullptr;
        },
        deadlineMs);
    return window;
}

void Close(PROCESS_INFORMATION& process, HWND window) {
    if (!process.hProcess) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 9);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
}

}  // namespace ChildProgram
