#include "IStreams.h"

#include <fstream>
#include <iterator>

#include "Gbk.h"

bool IStreams::AnsiToUtf8(std::string_view bytes, std::string& utf8) { return Gbk::ToUtf8(bytes, utf8); }

bool IStreams::ReadFile(const std::string& name, std::string& bytes) {
    std::ifstream file(name, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}
