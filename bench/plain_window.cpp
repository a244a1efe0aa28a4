// torvane.exe's window without the skin: the same controls, captions, fonts,
// manifest and DPI awareness, with the system's own caption and frame.
// startup_bench's yardstick for what the skin costs.
#include <windows.h>

#include "app/window/frmTest.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    frmTest form(instance, frmTest::Look::Plain);
    if (!form.Show(showCommand)) return 1;
    return form.RunMessageLoop();
}
