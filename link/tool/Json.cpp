#include "Json.h"

#include "link/engine/Utf8.h"

namespace Json {

namespace {

// Length of the valid UTF-8 sequence at s[i] (non-ASCII lead), 0 if none.
size_t SequenceLength(std::string_view s, size_t i) {
    for (size_t length = 2; length <= 4 && i + length <= s.size(); ++length)
        if (Utf8::IsValid(s.substr(i, length))) return length;
    return 0;
}

// Printable ASCII other than the two characters JSON escapes.
inline bool IsPlain(unsigned char b) { return b >= 0x20 && b < 0x80 && b != '"' && b != '\\'; }

}  // namespace

void AppendString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (size_t i = 0; i < text.size();) {
        // A run of bytes that go out as they are, in one append.
        size_t run = i;
        while (run < text.size() && IsPlain(static_cast<unsigned char>(text[run]))) ++run;
        out.append(text.substr(i, run - i));
        if (run == text.size()) break;
        i = run;
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
            default:  // the other control characters
                out.append("\\u00");
                out.push_back(kHex[b >> 4]);
                out.push_back(kHex[b & 15]);
        }
    }
    out.push_back('"');
}

}  // namespace Json
