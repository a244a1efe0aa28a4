// Time from process start to the complete first paint of torvane.exe, of the
// same window without the skin (plain_window.exe) and of a bare window of the
// same client size (bare_window.exe), started by turns, and their peak
// working sets, at the DPI the display runs at. The end of the first paint is
// read from the screen: a program has painted when the pixels where its
// window appears match its finished look and stay so. No program is changed
// or told anything.
//
// After the timed runs, a few traced ones (not counted in the times) show
// where the start-up goes: when the process made its first window, its main
// window, its last control, when the main window became visible and when it
// was painted. The trace comes from the system's window events, watched from
// here, so the programs carry no tracing of their own.
//   scripts/wine-exec build/win64/bench/startup_bench.exe [runs] [torvane.exe] [plain_window.exe] [bare_window.exe]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kHoldSeconds = 0.3;      // a match must last this long
constexpr double kDeadlineSeconds = 30;   // for a window to appear or settle

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

// Pixels of one screen rectangle, 0x00RRGGBB.
class ScreenArea {
public:
    explicit ScreenArea(const RECT& rect)
        : m_rect(rect), m_width(rect.right - rect.left), m_height(rect.bottom - rect.top) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_width;
        info.bmiHeader.biHeight = -m_height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        m_dc = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_bits = static_cast<std::uint32_t*>(bits);
        m_old = SelectObject(m_dc, m_bitmap);
    }
    ~ScreenArea() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    ScreenArea(const ScreenArea&) = delete;
    ScreenArea& operator=(const ScreenArea&) = delete;

    std::vector<std::uint32_t> Capture() {
        const HDC screen = GetDC(nullptr);
        BitBlt(m_dc, 0, 0, m_width, m_height, screen, m_rect.left, m_rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        return Pixels();
    }

    // Only a few rows across the window, leaving the rest as captured last:
    // cheap enough to poll every millisecond without slowing the program
    // being timed (the display server does the copying).
    std::vector<std::uint32_t> CaptureRows() {
        const HDC screen = GetDC(nullptr);
        for (int row : Rows()) BitBlt(m_dc, 0, row, m_width, 1, screen, m_rect.left, m_rect.top + row, SRCCOPY);
        ReleaseDC(nullptr, screen);
        return Pixels();
    }

    std::vector<int> Rows() const {
        std::vector<int> rows;
        for (int eighth = 0; eighth < 8; ++eighth) rows.push_back((2 * eighth + 1) * m_height / 16);
        rows.push_back(m_height - 2);  // the bottom edge
        return rows;
    }
    int Width() const { return m_width; }

private:
    std::vector<std::uint32_t> Pixels() {
        GdiFlush();
        std::vector<std::uint32_t> pixels(m_bits, m_bits + static_cast<std::size_t>(m_width) * m_height);
        for (std::uint32_t& p : pixels) p &= 0xFFFFFF;
        return pixels;
    }

    RECT m_rect;
    int m_width, m_height;
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
    std::uint32_t* m_bits = nullptr;
};

// A program's finished look: its window's place and pixels, with the pixels
// that change by themselves once it has settled (a blinking caret) left out.
struct Look {
    RECT rect{};
    std::vector<std::uint32_t> pixels;
    std::vector<bool> steady;

    bool Matches(const std::vector<std::uint32_t>& seen) const {
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (steady[i] && seen[i] != pixels[i]) return false;
        }
        return true;
    }
    bool RowsMatch(const std::vector<std::uint32_t>& seen, const ScreenArea& area) const {
        for (int row : area.Rows()) {
            const std::size_t begin = static_cast<std::size_t>(row) * area.Width();
            for (std::size_t i = begin; i < begin + static_cast<std::size_t>(area.Width()); ++i) {
                if (steady[i] && seen[i] != pixels[i]) return false;
            }
        }
        return true;
    }
};

struct Program {
    std::string name;  // the file name, for the report
    std::wstring path;
    Look look;
    std::vector<double> seconds;
    SIZE_T peakMemory = 0;
};

struct Running {
    PROCESS_INFORMATION process{};
    double started = 0;
};

Running Start(const Program& program, DWORD flags = 0) {
    Running running;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program.path + L"\"";
    running.started = Now();
    if (!CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &running.process)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", program.path.c_str(), GetLastError());
        std::exit(1);
    }
    return running;
}

// The visible top-level window of a process, or nullptr.
HWND WindowOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner != s->processId || !IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER)) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Ends the program as a user would, and waits for it to be gone.
void Close(Program& program, Running& running) {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(running.process.hProcess, &memory, sizeof memory))
        program.peakMemory = std::max(program.peakMemory, memory.PeakWorkingSetSize);
    if (HWND hwnd = WindowOf(running.process.dwProcessId)) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(running.process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(running.process.hProcess, 1);
    CloseHandle(running.process.hThread);
    CloseHandle(running.process.hProcess);
}

// Learns the program's finished look: waits for its window, for its pixels to
// stay the same for a second, then watches them a while longer for pixels
// that keep changing.
void LearnLook(Program& program) {
    Running running = Start(program);
    HWND hwnd = nullptr;
    for (const double deadline = Now() + kDeadlineSeconds; !hwnd && Now() < deadline; Sleep(10))
        hwnd = WindowOf(running.process.dwProcessId);
    if (!hwnd) {
        std::fprintf(stderr, "%s: no window appeared\n", program.name.c_str());
        std::exit(1);
    }
    GetWindowRect(hwnd, &program.look.rect);
    ScreenArea area(program.look.rect);
    std::vector<std::uint32_t> last = area.Capture();
    for (double stableSince = Now(), deadline = Now() + kDeadlineSeconds; Now() - stableSince < 1.0;) {
        if (Now() > deadline) break;  // keeps changing: the watch below leaves those pixels out
        Sleep(20);
        std::vector<std::uint32_t> seen = area.Capture();
        if (seen != last) stableSince = Now();
        last = std::move(seen);
    }
    program.look.pixels = last;
    program.look.steady.assign(last.size(), true);
    for (const double end = Now() + 1.5; Now() < end; Sleep(20)) {
        const std::vector<std::uint32_t> seen = area.Capture();
        for (std::size_t i = 0; i < seen.size(); ++i) {
            if (seen[i] != last[i]) program.look.steady[i] = false;
        }
    }
    Close(program, running);
}

// The steps of one start-up, in seconds from process start (0: not seen).
struct Steps {
    double firstWindow = 0;  // any window of the process, hidden ones included
    double mainWindow = 0;   // its top-level window
    double lastControl = 0;  // the last child window made before it showed
    double shown = 0;        // the top-level window was first seen visible
    double painted = 0;      // its finished look was on the screen
};

// The trace being recorded; the event procedure runs on this thread while it
// pumps. Wine reports the creation of windows but not their showing, so the
// time the main window became visible is when the polling first sees a
// visible window of the process.
struct Trace {
    Steps steps;
    DWORD startTick = 0;
    HWND main = nullptr;
};
Trace* g_trace = nullptr;

void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG, DWORD, DWORD time) noexcept {
    if (!g_trace || !hwnd || object != OBJID_WINDOW) return;
    Steps& s = g_trace->steps;
    const double at = static_cast<double>(time - g_trace->startTick) / 1000;
    const bool topLevel = !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD);
    if (event != EVENT_OBJECT_CREATE) return;
    if (s.firstWindow == 0) s.firstWindow = at;
    if (topLevel && s.mainWindow == 0 && GetWindowTextLengthW(hwnd) > 0) {
        g_trace->main = hwnd;
        s.mainWindow = at;
    } else if (!topLevel && s.shown == 0) {
        s.lastControl = at;
    }
}

// Waits `ms`, handling the window events meanwhile when tracing.
void Wait(DWORD ms) {
    if (!g_trace) {
        Sleep(ms);
        return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Seconds from process start to the first of a run of screen captures that
// match the finished look for kHoldSeconds. With `trace`, the program's
// window events are recorded as it starts.
double TimeFirstPaint(Program& program, Trace* trace = nullptr) {
    ScreenArea area(program.look.rect);
    // The previous window must be gone from the screen first.
    for (const double deadline = Now() + kDeadlineSeconds; program.look.Matches(area.Capture()); Sleep(10)) {
        if (Now() > deadline) {
            std::fprintf(stderr, "%s: the screen already shows the window\n", program.name.c_str());
            std::exit(1);
        }
    }
    HWINEVENTHOOK hook = nullptr;
    if (trace) trace->startTick = GetTickCount();
    Running running = Start(program, trace ? CREATE_SUSPENDED : 0);
    if (trace) {
        hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnWindowEvent,
                               running.process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
        g_trace = trace;
        ResumeThread(running.process.hThread);
    }
    double matchedAt = 0;
    for (const double deadline = running.started + kDeadlineSeconds;; Wait(matchedAt == 0 ? 1 : 20)) {
        const double now = Now();
        if (trace && trace->steps.shown == 0 && WindowOf(running.process.dwProcessId))
            trace->steps.shown = now - running.started;
        // A few rows until they match, then the whole window confirms it.
        if ((matchedAt != 0 || program.look.RowsMatch(area.CaptureRows(), area)) &&
            program.look.Matches(area.Capture())) {
            if (matchedAt == 0) matchedAt = now;
            if (now - matchedAt >= kHoldSeconds) break;
        } else {
            matchedAt = 0;
        }
        if (now > deadline) {
            std::fprintf(stderr, "%s: never reached its finished look\n", program.name.c_str());
            std::exit(1);
        }
    }
    if (trace) {
        g_trace = nullptr;
        UnhookWinEvent(hook);
        trace->steps.painted = matchedAt - running.started;
    }
    Close(program, running);
    return matchedAt - running.started;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::wstring Beside(const wchar_t* relative) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    return folder + relative;
}

// The display's DPI, as a DPI-aware program sees it.
int DisplayDpi() {
    SetProcessDPIAware();
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// The host's load average when the file system shows it (under Wine, Z:\proc).
std::string LoadAverage() {
    std::string text;
    if (FILE* file = std::fopen("Z:\\proc\\loadavg", "r")) {
        char line[128] = {};
        if (std::fgets(line, sizeof line, file)) text = line;
        std::fclose(file);
    }
    std::size_t end = 0;
    for (int field = 0; field < 3 && end != std::string::npos; ++field) end = text.find(' ', end + 1);
    if (end != std::string::npos) text.erase(end);
    return text.empty() ? "unknown" : text;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    constexpr int kTracedRuns = 5;
    const auto argument = [&](int index, const wchar_t* fallback) {
        if (argc <= index) return Beside(fallback);
        const std::string text = argv[index];
        return std::wstring(text.begin(), text.end());
    };
    Program programs[] = {{"", argument(2, L"..\\app\\torvane.exe"), {}, {}},
                          {"", argument(3, L"plain_window.exe"), {}, {}},
                          {"", argument(4, L"bare_window.exe"), {}, {}}};
    for (Program& program : programs) {
        const std::wstring file = program.path.substr(program.path.find_last_of(L"\\/") + 1);
        program.name.assign(file.begin(), file.end());  // ASCII names
    }
    const int dpi = DisplayDpi();
    const std::string loadBefore = LoadAverage();

    for (Program& program : programs) LearnLook(program);
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) program.seconds.push_back(TimeFirstPaint(program));
    }

    std::printf("at %d DPI, %d interleaved runs; load average %s before, %s after\n", dpi, runs, loadBefore.c_str(),
                LoadAverage().c_str());
    for (const Program& program : programs) {
        const auto [fastest, slowest] = std::minmax_element(program.seconds.begin(), program.seconds.end());
        std::printf("%-18s first paint median %6.1f ms  (fastest %6.1f, slowest %6.1f)  peak working set %6.1f MB\n",
                    program.name.c_str(), Median(program.seconds) * 1000, *fastest * 1000, *slowest * 1000,
                    static_cast<double>(program.peakMemory) / (1024 * 1024));
    }
    for (const Program* other : {&programs[2], &programs[1]}) {
        std::printf("ratio %s / %s: %.2f (time), %.2f (peak working set)\n", programs[0].name.c_str(),
                    other->name.c_str(), Median(programs[0].seconds) / Median(other->seconds),
                    static_cast<double>(programs[0].peakMemory) / static_cast<double>(other->peakMemory));
    }

    // The trace: medians of a few more runs, each step in ms from process start.
    std::printf("trace (medians of %d more runs, ms from process start):\n", kTracedRuns);
    std::printf("%-18s %12s %12s %12s %12s %12s\n", "", "first window", "main window", "last control", "visible",
                "painted");
    for (Program& program : programs) {
        std::vector<double> columns[5];
        for (int run = 0; run < kTracedRuns; ++run) {
            Trace trace;
            TimeFirstPaint(program, &trace);
            const Steps& s = trace.steps;
            const double values[] = {s.firstWindow, s.mainWindow, s.lastControl, s.shown, s.painted};
            for (int i = 0; i < 5; ++i) columns[i].push_back(values[i]);
        }
        std::printf("%-18s", program.name.c_str());
        for (const auto& column : columns) std::printf(" %12.1f", Median(column) * 1000);
        std::printf("\n");
    }
    return 0;
}
