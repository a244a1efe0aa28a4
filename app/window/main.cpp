// Torvane: turns a download address on the clipboard into a link and back.
#include <windows.h>

#include "frmTest.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    frmTest form(instance);
    if (!form.Show(showCommand)) return 1;
    return form.RunMessageLoop();
}
