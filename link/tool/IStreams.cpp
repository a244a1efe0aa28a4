#include "IStreams.h"

#include <cstdio>

#include "link/engine/Gbk.h"

bool IStreams::AnsiToUtf8(std::string_view bytes, std::string& utf8) { return Gbk::ToUtf8(bytes, utf8); }

bool IStreams::ReadFile(const std::string& name, std::string& bytes) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) return false;
    bytes.clear();
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    // A directory opens, but does not read.
    const bool read = !std::ferror(file);
    std::fclose(file);
    return read;
}
