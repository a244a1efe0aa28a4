#pragma once

#include <cstddef>
#include <optional>
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
};
