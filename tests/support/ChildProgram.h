#pragma once

// A program of ours started as its own process by a test, as a person would
// start it, and closed again as a person would close it.
#include <windows.h>

#include <string>

namespace ChildProgram {

// Starts `path` and waits up to `deadlineMs` for its visible top-level
// window of class `className`. The window, or null with `process` still
// filled in when the process started but showed none.
HWND Start(const std::wstring& path, const wchar_t* className, PROCESS_INFORMATION& process, DWORD deadlineMs);

// Asks `window` to close, ends the process if it is still running 5 s
// later, and closes the process's handles.
void Close(PROCESS_INFORMATION& process, HWND window);

}  // namespace ChildProgram
