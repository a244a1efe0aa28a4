// Time from process start to the complete first paint of torvane.exe and of a
// bare window of the same client size (bare_window.exe), started by turns.
// The end of the first paint is read from the screen: a program has painted
// when the pixels where its window appears match its finished look and stay
// so. Neither program is changed or told anything.
//   scripts/wine-exec build/win64/bench/startup_bench.exe [runs] [torvane.exe] [bare_window.exe]
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

public:

private:
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

Running Start(const Program& program) {
    Running running;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring commandLine = L"\"" + program.path + L"\"";
    running.started = Now();
    if (!CreateProcessW(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
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

// Seconds from process start to the first of a run of screen captures that
// match the finished look for kHoldSeconds.
double TimeFirstPaint(Program& program) {
    ScreenArea area(program.look.rect);
    // The previous window must be gone from the screen first.
    for (const double deadline = Now() + kDeadlineSeconds; program.look.Matches(area.Capture()); Sleep(10)) {
        if (Now() > deadline) {
            std::fprintf(stderr, "%s: the screen already shows the window\n", program.name.c_str());
            std::exit(1);
        }
    }
    Running running = Start(program);
    double matchedAt = 0;
    for (const double deadline = running.started + kDeadlineSeconds;; Sleep(matchedAt == 0 ? 1 : 20)) {
        const double now = Now();
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

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const auto argument = [&](int index, const wchar_t* fallback) {
        if (argc <= index) return Beside(fallback);
        const std::string text = argv[index];
        return std::wstring(text.begin(), text.end());
    };
    Program programs[] = {{"", argument(2, L"..\\app\\torvane.exe"), {}, {}},
                          {"", argument(3, L"bare_window.exe"), {}, {}}};
    for (Program& program : programs) {
        const std::wstring file = program.path.substr(program.path.find_last_of(L"\\/") + 1);
        program.name.assign(file.begin(), file.end());  // ASCII names
    }

    for (Program& program : programs) LearnLook(program);
    for (int run = 0; run < runs; ++run) {
        for (Program& program : programs) program.seconds.push_back(TimeFirstPaint(program));
    }

    for (const Program& program : programs) {
        const auto [fastest, slowest] = std::minmax_element(program.seconds.begin(), program.seconds.end());
        std::printf("%-16s median %6.1f ms  (fastest %6.1f, slowest %6.1f, %d runs)  peak memory %6.1f MB\n",
                    program.name.c_str(), Median(program.seconds) * 1000, *fastest * 1000, *slowest * 1000, runs,
                    static_cast<double>(program.peakMemory) / (1024 * 1024));
    }
    std::printf("ratio %s / %s: %.2f (time), %.2f (memory)\n", programs[0].name.c_str(), programs[1].name.c_str(),
                Median(programs[0].seconds) / Median(programs[1].seconds),
                static_cast<double>(programs[0].peakMemory) / static_cast<double>(programs[1].peakMemory));
    return 0;
}
