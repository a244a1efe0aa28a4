#include "ChildProcess.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

extern char** environ;
#endif

#include "link/engine/Utf8.h"

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string units = Utf8::ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

// Quoted as CommandLineToArgvW reads it back.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    line += L'"';
    size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(2 * backslashes, L'\\');
    line += L'"';
}

HANDLE OpenInheritable(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ChildProcess::Outcome ChildProcess::Run(const std::string& program, const std::vector<std::string>& args,
                                        const std::string& input) {
    Outcome outcome;
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring base = std::wstring(folder) + L"torvane-link-test-" + std::to_wstring(GetCurrentProcessId());
    const std::wstring inPath = base + L".in", outPath = base + L".out", errPath = base + L".err";
    {
        HANDLE in =
            CreateFileW(inPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(in, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
        CloseHandle(in);
    }
    HANDLE in = OpenInheritable(inPath, GENERIC_READ, OPEN_EXISTING);
    HANDLE out = OpenInheritable(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = OpenInheritable(errPath, GENERIC_WRITE, CREATE_ALWAYS);

    std::wstring line;
    AppendQuoted(line, Wide(program));
    for (const std::string& arg : args) {
        line += L' ';
        AppendQuoted(line, Wide(arg));
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    // No CREATE_NO_WINDOW: under Wine it gives the child a console of its
    // own in place of the handles passed here.
    if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            outcome.status = static_cast<int>(code);
        } else {
            TerminateProcess(process.hProcess, 99);
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);

    auto read = [](const std::wstring& path) {
        std::string bytes;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        char buffer[65536];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
        CloseHandle(file);
        return bytes;
    };
    outcome.out = read(outPath);
    outcome.err = read(errPath);
    DeleteFileW(inPath.c_str());
    DeleteFileW(outPath.c_str());
    DeleteFileW(errPath.c_str());
    return outcome;
}

std::string ChildProcess::BesideTestExecutable(const std::string& relativePath) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.erase(folder.find_last_of(L"\\/") + 1);
    std::string result = Utf8::FromUtf16(std::u16string(folder.begin(), folder.end())) + relativePath;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

#else

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteAll(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

}  // namespace

namespace {

// Runs `program` with standard input, output and error opened from the
// files named; its exit status, or -1.
int Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& inPath,
          const std::string& outPath, const std::string& errPath) {
    int status = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, inPath.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int wstatus = 0;
        if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) status = WEXITSTATUS(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    return status;
}

std::string TempBase() {
    char base[] = "/tmp/torvane-link-test-XXXXXX";
    const int baseFd = mkstemp(base);
    if (baseFd < 0) return {};
    close(baseFd);
    return base;
}

}  // namespace

ChildProcess::Outcome ChildProcess::Run(const std::string& program, const std::vector<std::string>& args,
                                        const std::string& input) {
    Outcome outcome;
    const std::string base = TempBase();
    if (base.empty()) return outcome;
    const std::string inPath = base + ".in", outPath = base + ".out", errPath = base + ".err";
    WriteAll(inPath, input);
    outcome.status = Spawn(program, args, inPath, outPath, errPath);
    outcome.out = ReadAll(outPath);
    outcome.err = ReadAll(errPath);
    for (const std::string& path : {base, inPath, outPath, errPath}) std::remove(path.c_str());
    return outcome;
}

ChildProcess::Outcome ChildProcess::RunRedirected(const std::string& program, const std::vector<std::string>& args,
                                                  const std::string& inputPath, const std::string& outputPath) {
    Outcome outcome;
    const std::string base = TempBase();
    if (base.empty()) return outcome;
    const std::string errPath = base + ".err";
    outcome.status = Spawn(program, args, inputPath, outputPath, errPath);
    outcome.err = ReadAll(errPath);
    for (const std::string& path : {base, errPath}) std::remove(path.c_str());
    return outcome;
}

std::string ChildProcess::BesideTestExecutable(const std::string& relativePath) {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    std::string folder(path, length > 0 ? static_cast<size_t>(length) : 0);
    folder.erase(folder.find_last_of('/') + 1);
    return folder + relativePath;
}

#endif
