#pragma once

#include <string>
#include <string_view>

// The little JSON the converter writes.
namespace Json {

// Appends `text` as a JSON string literal. Bytes that are not valid UTF-8
// (an input line can be anything) become U+FFFD, so the output always parses.
void AppendString(std::string& out, std::string_view text);

}  // namespace Json
