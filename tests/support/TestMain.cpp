#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <exception>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// An exception nobody caught ends the program here: say which.
[[noreturn]] void ReportTermination() noexcept {
    try {
        if (const std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
        std::fprintf(stderr, "terminate: called without an exception\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "terminate: uncaught exception: %s\n", error.what());
    } catch (...) {
        std::fprintf(stderr, "terminate: uncaught exception of unknown type\n");
    }
    std::abort();
}

#ifdef _WIN32
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
    ExitProcess(3);
}

// A fault nobody handled (an access violation, a stack overflow...) ends the
// program here: its code, its address and the module it is in, written
// straight to the standard error handle.
LONG WINAPI ReportFault(EXCEPTION_POINTERS* fault) noexcept {
    const EXCEPTION_RECORD& record = *fault->ExceptionRecord;
    char module[MAX_PATH] = "?";
    HMODULE base = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<const char*>(record.ExceptionAddress), &base))
        GetModuleFileNameA(base, module, sizeof module);
    char text[MAX_PATH + 200];
    int length = std::snprintf(text, sizeof text, "fault: unhandled exception 0x%08lX at %p (%s+0x%llX)",
                               static_cast<unsigned long>(record.ExceptionCode), record.ExceptionAddress, module,
                               static_cast<unsigned long long>(static_cast<const char*>(record.ExceptionAddress) -
                                                               reinterpret_cast<const char*>(base)));
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record.NumberParameters >= 2 && length > 0)
        length += std::snprintf(text + length, sizeof text - static_cast<size_t>(length), ", %s %p",
                                record.ExceptionInformation[0] == 1 ? "writing" : "reading",
                                reinterpret_cast<void*>(record.ExceptionInformation[1]));
    if (length > 0 && static_cast<size_t>(length) < sizeof text - 1) {
        text[length++] = '\n';
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
    }
    // Ends the process with the exception's code as its exit code, without a
    // debugger or a crash dialog that would wait for a user (Wine starts
    // both for a fault left to the system).
    return EXCEPTION_EXECUTE_HANDLER;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    // Unbuffered: a process that dies loses nothing it printed. Line
    // buffering is no choice: the Windows C runtime treats _IOLBF as full
    // buffering, and a pipe is fully buffered by default.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    std::set_terminate(ReportTermination);
#ifdef _WIN32
    SetUnhandledExceptionFilter(ReportFault);
    if (HANDLE thread = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr)) CloseHandle(thread);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
