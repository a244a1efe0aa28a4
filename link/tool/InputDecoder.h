#pragma once

#include <string>
#include <string_view>

// Turns text as Windows tools save it into the UTF-8 the converter reads:
// UTF-8 with or without a byte order mark, UTF-16 (little- or big-endian)
// with one, and, line by line, text in the ANSI code page where a line is not
// valid UTF-8. One decoder reads one stream or file, in pieces of any size.
class InputDecoder {
public:
    enum class Charset { Auto, Utf8, Gbk, Utf16 };

    explicit InputDecoder(Charset charset) : m_charset(charset) {}

    // The UTF-8 text of the next `raw` bytes (`end`: the last of them), in
    // `raw` itself when it needs no change, otherwise in `buffer`. Bytes
    // that cannot be decoded yet (an unfinished byte order mark or UTF-16
    // unit) wait for the next piece.
    std::string_view Decode(std::string_view raw, bool end, std::string& buffer);

    // True when a line of the decoded text is to be read from the ANSI code
    // page (or GBK, when forced) rather than as UTF-8.
    bool LineIsAnsi(std::string_view line) const;
    bool ForcesGbk() const { return m_charset == Charset::Gbk; }

private:
    enum class Form { Unknown, Bytes, Utf16Le, Utf16Be };

    std::string_view DecodeUtf16(std::string_view raw, bool end, std::string& buffer);

    Charset m_charset;
    Form m_form = Form::Unknown;
    std::string m_held;     // bytes kept from the previous piece
    std::string m_joined;   // those bytes and the next piece
    char16_t m_high = 0;    // a high surrogate waiting for its pair
};
