#include "StdStreams.h"

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
// shellapi.h needs what windows.h defines.
#include <shellapi.h>
#else
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

#include "ConsolePieces.h"
#include "link/engine/Utf8.h"

#ifdef _WIN32

namespace {

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

bool WriteAll(HANDLE handle, std::string_view bytes) {
    if (IsConsole(handle)) {
        const std::u16string units = Utf8::ToUtf16(bytes);
        const wchar_t* p = reinterpret_cast<const wchar_t*>(units.data());
        size_t left = units.size();
        while (left > 0) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(
                ConsolePieces::PieceSize(std::u16string_view(reinterpret_cast<const char16_t*>(p), left),
                                         ConsolePieces::kWriteUnits));
            if (!WriteConsoleW(handle, p, chunk, &written, nullptr) || written == 0) return false;
            p += written;
            left -= written;
        }
        return true;
    }
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
        if (!WriteFile(handle, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        left -= written;
    }
    return true;
}

}  // namespace

StdStreams::StdStreams() : m_consoleInput(IsConsole(GetStdHandle(STD_INPUT_HANDLE))) {}

StdStreams::~StdStreams() = default;

// Reading through ReadFile is quick enough here; mapping is a Linux saving.
std::optional<std::string_view> StdStreams::MapInput() { return std::nullopt; }

size_t StdStreams::Read(char* buffer, size_t size) {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (!m_consoleInput) {
        DWORD got = 0;
        const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        if (input == nullptr || input == INVALID_HANDLE_VALUE) return kReadFailed;
        // The end of a pipe reads as ERROR_BROKEN_PIPE: the end of input.
        if (!::ReadFile(input, buffer, want, &got, nullptr))
            return GetLastError() == ERROR_BROKEN_PIPE ? 0 : kReadFailed;
        return got;
    }
    // A console hands over typed lines in UTF-16; Ctrl+Z at the start of a
    // line ends the input.
    while (m_pendingInput.empty() && !m_inputEnded) {
        wchar_t units[ConsolePieces::kReadUnits];
        DWORD got = 0;
        if (!ReadConsoleW(input, units, ConsolePieces::kReadUnits, &got, nullptr) || got == 0 || units[0] == 0x1A) {
            m_inputEnded = true;
            m_pendingInput = m_consoleReader.End();
            break;
        }
        m_pendingInput = m_consoleReader.Take(std::u16string_view(reinterpret_cast<const char16_t*>(units), got));
    }
    const size_t n = m_pendingInput.size() < size ? m_pendingInput.size() : size;
    std::memcpy(buffer, m_pendingInput.data(), n);
    m_pendingInput.erase(0, n);
    return n;
}

bool StdStreams::Write(std::string_view bytes) { return WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes); }

bool StdStreams::InputIsConsole() const { return m_consoleInput; }

bool StdStreams::OutputIsConsole() const { return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)); }

bool StdStreams::AnsiToUtf8(std::string_view bytes, std::string& utf8) {
    if (bytes.empty()) return true;
    if (bytes.size() > 1u << 30) return false;
    const auto size = static_cast<int>(bytes.size());
    // MB_ERR_INVALID_CHARS: bytes that are not text in the code page fail
    // rather than turning into U+FFFD.
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0) return false;
    std::u16string units(static_cast<size_t>(length), u'\0');
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, reinterpret_cast<wchar_t*>(units.data()),
                            length) != length)
        return false;
    utf8 += Utf8::FromUtf16(units);
    return true;
}

bool StdStreams::ReadFile(const std::string& name, std::string& bytes) {
    // The name is opened through its UTF-16 form, so Chinese file names work
    // whatever the code page.
    const std::u16string wide = Utf8::ToUtf16(name);
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bytes.clear();
    bool ok = true;
    char buffer[1 << 16];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return ok;
}

Messages::Language StdStreams::UserLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE ? Messages::Language::Chinese
                                                                      : Messages::Language::English;
}

void StdStreams::WriteError(std::string_view bytes) { WriteAll(GetStdHandle(STD_ERROR_HANDLE), bytes); }

std::vector<std::string> StdStreams::Arguments(int, char**) {
    std::vector<std::string> args;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i) {
        const size_t length = std::wcslen(argv[i]);
        args.push_back(Utf8::FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(argv[i]), length)));
    }
    LocalFree(argv);
    return args;
}

#else

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, p, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        p += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

StdStreams::StdStreams() = default;

StdStreams::~StdStreams() {
    if (m_mapping) munmap(m_mapping, m_mappedSize);
}

std::optional<std::string_view> StdStreams::MapInput() {
    struct stat info {};
    if (fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) return std::nullopt;
    // From where the file's offset stands, as reading would start.
    const off_t offset = lseek(STDIN_FILENO, 0, SEEK_CUR);
    if (offset < 0 || offset >= info.st_size) return std::nullopt;
    const auto size = static_cast<size_t>(info.st_size);
    void* mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, STDIN_FILENO, 0);
    if (mapping == MAP_FAILED) return std::nullopt;
    madvise(mapping, size, MADV_SEQUENTIAL);
    m_mapping = mapping;
    m_mappedSize = size;
    return std::string_view(static_cast<const char*>(mapping), size).substr(static_cast<size_t>(offset));
}

size_t StdStreams::Read(char* buffer, size_t size) {
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, buffer, size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return kReadFailed;
        return static_cast<size_t>(got);
    }
}

bool StdStreams::Write(std::string_view bytes) { return WriteAll(STDOUT_FILENO, bytes); }

bool StdStreams::InputIsConsole() const { return isatty(STDIN_FILENO) == 1; }

bool StdStreams::OutputIsConsole() const { return isatty(STDOUT_FILENO) == 1; }

Messages::Language StdStreams::UserLanguage() {
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string_view(value ? value : "");
    };
    std::string_view locale = variable("LC_ALL");
    if (locale.empty()) locale = variable("LC_MESSAGES");
    if (locale.empty()) locale = variable("LANG");
    // The C locale speaks English whatever LANGUAGE says; otherwise
    // LANGUAGE's first choice comes first.
    if (locale.empty() || locale == "C" || locale == "POSIX" || locale.substr(0, 2) == "C.")
        return Messages::Language::English;
    const std::string_view languages = variable("LANGUAGE");
    if (!languages.empty()) locale = languages.substr(0, languages.find(':'));
    return Messages::OfLocale(locale);
}

void StdStreams::WriteError(std::string_view bytes) { WriteAll(STDERR_FILENO, bytes); }

std::vector<std::string> StdStreams::Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

#endif
