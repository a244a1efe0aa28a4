#include "AnsiCodePage.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>
#endif

namespace AnsiCodePage {

#ifdef _WIN32

std::string ToBytes(std::wstring_view text) {
    if (text.empty()) return {};
    const int units = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(kCodePage, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) WideCharToMultiByte(kCodePage, 0, text.data(), units, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

std::wstring ToText(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int count = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(kCodePage, 0, bytes.data(), count, nullptr, 0);
    std::wstring text(static_cast<size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) MultiByteToWideChar(kCodePage, 0, bytes.data(), count, text.data(), needed);
    return text;
}

std::optional<std::string> ToBytesStrict(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int units = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int needed =
        WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(needed), '\0');
    if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, text.data(), units, bytes.data(), needed, nullptr,
                            &usedDefault) != needed ||
        usedDefault)
        return std::nullopt;
    return bytes;
}

std::optional<std::wstring> ToTextStrict(std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const int count = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), count, nullptr, 0);
    if (needed <= 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(needed), L'\0');
    if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(), count, text.data(), needed) != needed)
        return std::nullopt;
    // A well-formed pair without a character of its own may still come back
    // as the code page's default character; only bytes that convert back to
    // themselves count as valid.
    const std::optional<std::string> back = ToBytesStrict(text);
    if (!back || *back != bytes) return std::nullopt;
    return text;
}

#else

namespace {

// One iconv descriptor per direction and thread; iconv_t carries shift state.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: CP936 is not available");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts in full. On a unit the target cannot hold (or a malformed
    // input unit), writes `substitute` and skips `skip` input bytes; without
    // a substitute, the conversion fails there.
    std::optional<std::string> Convert(const char* in, size_t inLen, std::optional<std::string_view> substitute,
                                       size_t skip) {
        std::string out(inLen * 2 + 16, '\0');
        size_t used = 0;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        while (inLen > 0) {
            char* dst = out.data() + used;
            size_t room = out.size() - used;
            const size_t rc = iconv(m_cd, const_cast<char**>(&in), &inLen, &dst, &room);
            used = out.size() - room;
            if (rc != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else {  // EILSEQ or EINVAL (truncated sequence at the end)
                if (!substitute) return std::nullopt;
                if (out.size() - used < substitute->size()) out.resize(out.size() * 2 + substitute->size());
                out.replace(used, substitute->size(), *substitute);
                used += substitute->size();
                const size_t step = skip < inLen ? skip : inLen;
                in += step;
                inLen -= step;
            }
        }
        out.resize(used);
        return out;
    }

    std::string Run(const char* in, size_t inLen, std::string_view substitute, size_t skip) {
        return *Convert(in, inLen, substitute, skip);
    }

private:
    iconv_t m_cd;
};

Converter& BytesConverter() {
    thread_local Converter toBytes("CP936", "UTF-16LE");
    return toBytes;
}

Converter& TextConverter() {
    thread_local Converter toText("UTF-16LE", "CP936");
    return toText;
}

// wchar_t is 32 bits here but holds UTF-16 units; pack them as UTF-16LE.
std::u16string Utf16Units(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

std::wstring FromUtf16Le(const std::string& utf16) {
    std::wstring text(utf16.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(utf16[2 * i]) |
                                       (static_cast<unsigned char>(utf16[2 * i + 1]) << 8));
    return text;
}

}  // namespace

std::string ToBytes(std::wstring_view text) {
    if (text.empty()) return {};
    const std::u16string units = Utf16Units(text);
    return BytesConverter().Run(reinterpret_cast<const char*>(units.data()), units.size() * 2, "?", 2);
}

std::wstring ToText(std::string_view bytes) {
    if (bytes.empty()) return {};
    const char16_t question = u'?';
    return FromUtf16Le(TextConverter().Run(bytes.data(), bytes.size(),
                                           std::string_view(reinterpret_cast<const char*>(&question), 2), 1));
}

std::optional<std::string> ToBytesStrict(std::wstring_view text) {
    if (text.empty()) return std::string();
    const std::u16string units = Utf16Units(text);
    return BytesConverter().Convert(reinterpret_cast<const char*>(units.data()), units.size() * 2, std::nullopt, 0);
}

std::optional<std::wstring> ToTextStrict(std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const std::optional<std::string> utf16 = TextConverter().Convert(bytes.data(), bytes.size(), std::nullopt, 0);
    if (!utf16) return std::nullopt;
    return FromUtf16Le(*utf16);
}

#endif

}  // namespace AnsiCodePage
