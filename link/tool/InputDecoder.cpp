#include "InputDecoder.h"

#include "link/engine/Utf8.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

}  // namespace

std::string_view InputDecoder::Decode(std::string_view raw, bool end, std::string& buffer) {
    buffer.clear();
    if (!m_held.empty()) {
        m_joined = m_held;
        m_joined.append(raw);
        m_held.clear();
        raw = m_joined;
    }
    if (m_form == Form::Unknown) {
        // Wait while the bytes so far may still be the start of a mark (and
        // no longer: a short line typed into a pipe goes through at once).
        const auto markBegins = [raw](std::string_view mark) {
            return raw.size() < mark.size() && mark.substr(0, raw.size()) == raw;
        };
        if (!end && (markBegins(kUtf8Bom) || markBegins(kUtf16LeBom) || markBegins(kUtf16BeBom))) {
            m_held.assign(raw);
            return {};
        }
        const bool gbk = m_charset == Charset::Gbk;
        if (!gbk && raw.substr(0, 2) == kUtf16LeBom) {
            m_form = Form::Utf16Le;
            raw.remove_prefix(2);
        } else if (!gbk && raw.substr(0, 2) == kUtf16BeBom) {
            m_form = Form::Utf16Be;
            raw.remove_prefix(2);
        } else if (m_charset == Charset::Utf16) {
            m_form = Form::Utf16Le;  // Windows writes UTF-16 little-endian
        } else {
            m_form = Form::Bytes;
            if (!gbk && raw.substr(0, 3) == kUtf8Bom) raw.remove_prefix(3);
        }
    }
    if (m_form == Form::Bytes) return raw;
    return DecodeUtf16(raw, end, buffer);
}

std::string_view InputDecoder::DecodeUtf16(std::string_view raw, bool end, std::string& buffer) {
    const bool little = m_form == Form::Utf16Le;
    size_t i = 0;
    for (; i + 1 < raw.size(); i += 2) {
        const auto a = static_cast<unsigned char>(raw[i]), b = static_cast<unsigned char>(raw[i + 1]);
        const auto unit = static_cast<char16_t>(little ? a | b << 8 : a << 8 | b);
        if (m_high != 0) {
            const char16_t high = m_high;
            m_high = 0;
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                Utf8::Append(0x10000 + ((char32_t{high} - 0xD800) << 10) + (unit - 0xDC00), buffer);
                continue;
            }
            Utf8::Append(kReplacement, buffer);
        }
        if (unit >= 0xD800 && unit <= 0xDBFF)
            m_high = unit;
        else
            Utf8::Append(unit >= 0xDC00 && unit <= 0xDFFF ? kReplacement : unit, buffer);
    }
    if (!end) {
        m_held.assign(raw.substr(i));
    } else if (m_high != 0 || i < raw.size()) {
        Utf8::Append(kReplacement, buffer);  // a text cut off inside a character
        m_high = 0;
    }
    return buffer;
}

bool InputDecoder::LineIsAnsi(std::string_view line) const {
    if (m_charset == Charset::Gbk) return true;
    return m_charset == Charset::Auto && m_form == Form::Bytes && !Utf8::IsValid(line);
}
