// Test helper: holds the clipboard open, as a busy program would, until the
// test that started it signals it to let go.
//   clipboard_holder <ready-event> <release-event>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
    if (!ready || !release) return 2;
    // Opened for a window of its own: the system lets a second opener without
    // a window in when the holder has none either.
    HWND window = CreateWindowExA(0, "STATIC", "holder", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(window)) return 1;
    SetEvent(ready);
    WaitForSingleObject(release, 30000);
    CloseClipboard();
    DestroyWindow(window);
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}
