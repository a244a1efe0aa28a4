#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>

namespace {

// A stuck modal loop would hang the process; end it after a bound instead.
constexpr DWORD kWatchdogMs = 240000;

DWORD WINAPI Watchdog(void*) {
    Sleep(kWatchdogMs);
    std::fprintf(stderr, "watchdog: test process still running after %lu ms, ending it\n",
                 static_cast<unsigned long>(kWatchdogMs));
    std::fflush(stderr);
    ExitProcess(3);
}

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    if (HANDLE thread = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr)) CloseHandle(thread);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
