#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Standard input, output and error as the converter uses them: bytes in
// and out, whatever the platform.
class IStreams {
public:
    virtual ~IStreams() = default;
    static constexpr size_t kReadFailed = static_cast<size_t>(-1);

    // Reads what standard input has, up to `size` bytes, waiting for at
    // least one; 0 at its end, kReadFailed when it cannot be read (closed,
    // a directory, an I/O error).
    virtual size_t Read(char* buffer, size_t size) = 0;
    // All of standard input at once, when it is a file that can be mapped
    // into memory (then Read is not used); it saves copying large batches.
    virtual std::optional<std::string_view> MapInput() { return std::nullopt; }
    // Writes all of `bytes`; false when they could not be written.
    virtual bool Write(std::string_view bytes) = 0;
    virtual void WriteError(std::string_view bytes) = 0;

    // Whether standard input and output are a console (a terminal), where
    // text is typed and shown rather than stored as bytes.
    virtual bool InputIsConsole() const { return false; }
    virtual bool OutputIsConsole() const { return false; }
    // Appends the UTF-8 form of text in the system's ANSI code page; false
    // when `bytes` are not valid there. GBK unless the system says otherwise.
    virtual bool AnsiToUtf8(std::string_view bytes, std::string& utf8);
    // The bytes of the file named `name` (UTF-8); false when it cannot be read.
    virtual bool ReadFile(const std::string& name, std::string& bytes);
};
