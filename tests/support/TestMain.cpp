#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

// A stuck modal loop would hang the process; end it after a bound instead
// (TORVANE_WATCHDOG_MS gives a longer one to a program that needs it).
constexpr DWORD kWatchdogMs = 240000;

DWORD WINAPI Watchdog(void*) {
    char given[16] = {};
    const DWORD length = GetEnvironmentVariableA("TORVANE_WATCHDOG_MS", given, sizeof given);
    const DWORD bound = length > 0 && length < sizeof given ? std::strtoul(given, nullptr, 10) : kWatchdogMs;
    Sleep(bound);
    std::fprintf(stderr, "watchdog: test process still running after %lu ms, ending it\n",
                 static_cast<unsigned long>(bound));
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
