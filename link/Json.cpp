#include "Json.h"

#include "Utf8.h"

namespace Json {

namespace {

// Length of the valid UTF-8 sequence at s[i] (non-ASCII lead), 0 if none.
size_t SequenceLength(std::string_view s, size_t i) {
    for (size_t length = 2; length <= 4 && i + length <= s.size(); ++length)
        if (Utf8::IsValid(s.substr(i, length))) return length;
    return 0;
}

}  // namespace

void AppendString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b >= 0x80) {
            if (const size_t length = SequenceLength(text, i)) {
                out.append(text.substr(i, length));
                i += length;
            } else {
                out.append("\xEF\xBF\xBD");
                ++i;
            }
            continue;
        }
        ++i;
        switch (b) {
            case '"':
                out.append("\\\"");
                break;
            case '\\':
                out.append("\\\\");
                break;
            case '\n':
                out.append("\\n");
                break;
            case '\r':
                out.append("\\r");
                break;
            case '\t':
                out.append("\\t");
                break;
            default:
                if (b < 0x20) {
                    out.append("\\u00");
                    out.push_back(kHex[b >> 4]);
                    out.push_back(kHex[b & 15]);
                } else {
                    out.push_back(static_cast<char>(b));
                }
        }
    }
    out.push_back('"');
}

}  // namespace Json
