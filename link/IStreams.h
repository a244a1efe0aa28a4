#pragma once

#include <cstddef>
#include <string_view>

// Standard input, output and error as the converter uses them: bytes in
// and out, whatever the platform.
class IStreams {
public:
    virtual ~IStreams() = default;
    // Reads what standard input has, up to `size` bytes, waiting for at
    // least one; 0 at its end.
    virtual size_t Read(char* buffer, size_t size) = 0;
    // Writes all of `bytes`; false when they could not be written.
    virtual bool Write(std::string_view bytes) = 0;
    virtual void WriteError(std::string_view bytes) = 0;
};
