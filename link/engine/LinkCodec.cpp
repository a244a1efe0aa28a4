#include "LinkCodec.h"

#include <cstdint>
#include <cstring>

#include "Base64Payload.h"
#include "ByteScan.h"
#include "CpuFeatures.h"
#include "Gbk.h"
#include "Utf8.h"

namespace LinkCodec {

namespace {

constexpr std::string_view kThunderHead = "AA", kThunderTail = "ZZ";
constexpr std::string_view kFlashgetMark = "[FLASHGET]";
constexpr std::string_view kFs2youScheme = "http://";
constexpr std::string_view kFs2youSize = "|0";
// Trailing characters that pasted links pick up from the text around them.
constexpr std::string_view kDecorations = "/).";
constexpr int kMaxDecorations = 3;

// The checks in the order they run: when no reading of a payload passes, the
// reason reported is the one from the reading that got furthest.
enum Stage { kBase64 = 1, kWrapper, kCharset, kAddress };

struct Failure {
    int stage = 0;
    std::string_view reason;
};

// `mark` at both ends of `s`, not overlapping; compared with the length
// known at compile time so that the comparison is a few instructions.
template <size_t N>
bool WrappedIn(std::string_view s, const char (&mark)[N]) {
    constexpr size_t length = N - 1;
    return s.size() >= 2 * length && std::memcmp(s.data(), mark, length) == 0 &&
           std::memcmp(s.data() + s.size() - length, mark, length) == 0;
}

// White space that Clean drops.
bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPrefix[i]) return false;
    }
    return true;
}

// Reads `bytes` as text in the chosen character set: the bytes themselves
// when they are ASCII or UTF-8, otherwise their UTF-8 form built in `buffer`.
Failure ToText(std::string_view bytes, CharsetChoice choice, std::string& buffer, std::string_view& text,
               Charset& charset) {
    if (Utf8::IsAscii(bytes)) {
        charset = Charset::Ascii;
        text = bytes;
        return {};
    }
    if (choice == CharsetChoice::Detect) {
        const std::optional<Charset> detected = ::Charset::Detect(bytes);
        if (!detected) return {kCharset, "not valid UTF-8 or GBK"};
        charset = *detected;
    } else {
        charset = choice == CharsetChoice::Utf8 ? Charset::Utf8 : Charset::Gbk;
    }
    if (charset == Charset::Utf8) {
        if (!Utf8::IsValid(bytes)) return {kCharset, "not valid UTF-8"};
        text = bytes;
        return {};
    }
    buffer.clear();
    if (!Gbk::ToUtf8(bytes, buffer)) return {kCharset, "not valid GBK"};
    text = buffer;
    return {};
}

// One reading of the payload, after cleaning and with decorations taken off.
Failure DecodePayload(Scheme::Kind kind, std::string_view base64, CharsetChoice choice, Scratch& scratch,
                      Decoded& decoded) {
    if (base64.empty()) return {kBase64, "no Base64 payload"};
    std::string_view inner;
    if (!Base64Payload::Decode(base64, scratch.bytes, inner)) return {kBase64, "not valid Base64"};

    switch (kind) {
        case Scheme::Kind::Thunder:
            if (inner.size() < kThunderHead.size() + kThunderTail.size() || inner[0] != 'A' || inner[1] != 'A' ||
                inner[inner.size() - 2] != 'Z' || inner.back() != 'Z')
                return {kWrapper, "missing AA...ZZ wrapper"};
            inner = inner.substr(kThunderHead.size(), inner.size() - kThunderHead.size() - kThunderTail.size());
            break;
        case Scheme::Kind::Flashget:
            if (!WrappedIn(inner, "[FLASHGET]")) return {kWrapper, "missing [FLASHGET] wrapper"};
            inner = inner.substr(kFlashgetMark.size(), inner.size() - 2 * kFlashgetMark.size());
            break;
        default:
            break;
    }

    std::string_view address;
    if (const Failure failure = ToText(inner, choice, scratch.text, address, decoded.charset); failure.stage)
        return failure;

    if (kind == Scheme::Kind::Fs2you) {
        // "host/path|size|...": split after decoding, where a GBK byte pair
        // can no longer pass for a "|".
        const size_t bar = address.find('|');
        if (bar == std::string_view::npos) return {kWrapper, "missing \"|\" after the fs2you address"};
        if (bar == 0) return {kAddress, "empty address"};
        scratch.prefixed.assign(kFs2youScheme).append(address.substr(0, bar));
        address = scratch.prefixed;
    }
    if (address.empty()) return {kAddress, "empty address"};
    if (!IsPrintable(address)) return {kAddress, "address contains control characters"};
    decoded.address = address;
    return {};
}

}  // namespace

std::string_view Name(Charset charset) { return ::Charset::Name(charset); }

bool IsPrintable(std::string_view address) {
    const auto controlIn = [](std::uint64_t w) { return ByteScan::AnyBelow(w, 0x20) | ByteScan::AnyEqual(w, 0x7F); };
    const size_t n = address.size();
    if (n < 8) {
        for (const char c : address)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
        return true;
    }
    // Whole words, the last one overlapping the one before: no byte loop.
    std::uint64_t found = controlIn(ByteScan::Load(address.data() + n - 8));
    for (size_t i = 0; i + 8 <= n; i += 8) found |= controlIn(ByteScan::Load(address.data() + i));
    return found == 0;
}

bool IsPrintableAscii(std::string_view address) {
    const size_t n = address.size();
#ifdef TORVANE_X86_SIMD
    if (n >= 16 && CpuFeatures::Sse2()) {
        // As signed bytes, printable ASCII is 0x20 to 0x7E: anything from
        // 0x80 up is negative. The last block may overlap the one before.
        const __m128i below = _mm_set1_epi8(0x20), above = _mm_set1_epi8(0x7E);
        const auto outside = [&](const char* p) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            return _mm_or_si128(_mm_cmplt_epi8(v, below), _mm_cmpgt_epi8(v, above));
        };
        __m128i found = outside(address.data() + n - 16);
        for (size_t i = 0; i + 16 <= n; i += 16) found = _mm_or_si128(found, outside(address.data() + i));
        return _mm_movemask_epi8(found) == 0;
    }
#endif
    if (n < 8) {
        for (const char c : address)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E) return false;
        return true;
    }
    std::uint64_t found = ByteScan::AnyOutsidePrintableAscii(ByteScan::Load(address.data() + n - 8));
    for (size_t i = 0; i + 8 <= n; i += 8)
        found |= ByteScan::AnyOutsidePrintableAscii(ByteScan::Load(address.data() + i));
    return found == 0;
}

bool Decode(Scheme::Kind kind, std::string_view text, CharsetChoice choice, Scratch& scratch, Decoded& decoded,
            std::string& error) {
    // A "&" ends the payload whether it was pasted as "&" or "&amp;": a
    // flashget "&tag", or parameters that download pages append.
    text = text.substr(0, text.find('&'));

    // Most links are clean: valid Base64 holds nothing that Clean changes.
    const Failure first = DecodePayload(kind, text, choice, scratch, decoded);
    if (!first.stage) return true;

    // Otherwise the cleaned payload as it stands, then with up to three
    // trailing decorations taken off one by one. "/" is also a Base64
    // character, so it goes only when the reading with it does not pass.
    // Decorations are taken as they were pasted: a URL-safe "_" that Clean
    // reads as "/" is not one.
    Failure best = first;
    for (int stripped = 0;; ++stripped) {
        const Failure failure =
            DecodePayload(kind, Base64Payload::Clean(text, scratch.cleaned), choice, scratch, decoded);
        if (!failure.stage) return true;
        if (failure.stage > best.stage) best = failure;
        while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
        if (stripped == kMaxDecorations || text.empty() || kDecorations.find(text.back()) == std::string_view::npos)
            break;
        text.remove_suffix(1);
    }
    error.assign(best.reason);
    return false;
}

std::optional<std::string_view> ToLinkBytes(std::string_view address, CharsetChoice choice, std::string& buffer,
                                            Charset& charset, std::string& error) {
    if (Utf8::IsAscii(address)) {
        charset = Charset::Ascii;
        return address;
    }
    if (!Utf8::IsValid(address)) {
        error = "address is not valid UTF-8";
        return std::nullopt;
    }
    if (choice == CharsetChoice::Utf8) {
        charset = Charset::Utf8;
        return address;
    }
    charset = Charset::Gbk;
    buffer.clear();
    char32_t unmappable = 0;
    if (Gbk::FromUtf8(address, buffer, unmappable)) return std::string_view(buffer);
    if (choice == CharsetChoice::Detect) {
        charset = Charset::Utf8;
        return address;
    }
    // "U+" and at least four hex digits, written by hand: printf's formatter
    // would be the only one in torvane.exe and add 10 KB to it.
    constexpr std::string_view kHex = "0123456789ABCDEF";
    error = "character U+";
    const int digits = unmappable > 0xFFFFF ? 6 : unmappable > 0xFFFF ? 5 : 4;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) error += kHex[(unmappable >> shift) & 0xF];
    error += " cannot be represented in GBK";
    return std::nullopt;
}

bool Encode(Scheme::Kind kind, std::string_view address, std::string_view bytes, std::string& payload,
            std::string& link, std::string& error) {
    payload.clear();
    switch (kind) {
        case Scheme::Kind::Thunder:
            payload.append(kThunderHead).append(bytes).append(kThunderTail);
            break;
        case Scheme::Kind::Flashget:
            payload.append(kFlashgetMark).append(bytes).append(kFlashgetMark);
            break;
        case Scheme::Kind::Qqdl:
            payload.assign(bytes);
            break;
        case Scheme::Kind::Fs2you:
            if (!StartsWithNoCase(bytes, kFs2youScheme)) {
                error = "fs2you links hold only http:// addresses";
                return false;
            }
            // Looked for in the text: a GBK byte pair may end in the byte of "|".
            if (address.find('|') != std::string_view::npos) {
                error = "fs2you links cannot hold an address with \"|\"";
                return false;
            }
            if (bytes.size() == kFs2youScheme.size()) {
                error = "empty address";
                return false;
            }
            payload.assign(bytes.substr(kFs2youScheme.size())).append(kFs2youSize);
            break;
        default:
            error = "not a wrapper scheme";
            return false;
    }
    link.append(Scheme::Prefix(kind));
    Base64Payload::Encode(payload, link);
    return true;
}

void AppendLinkLine(Scheme::Kind kind, std::string_view bytes, std::string& payload, std::string& out) {
    std::string_view head = "", tail = "";
    if (kind == Scheme::Kind::Thunder) {
        head = kThunderHead;
        tail = kThunderTail;
    } else if (kind == Scheme::Kind::Flashget) {
        head = tail = kFlashgetMark;
    }
    const size_t size = head.size() + bytes.size() + tail.size();
    // Four more bytes for the encoder to read. Never made smaller, so that
    // it is not filled again for every line.
    if (payload.size() < size + 4) payload.resize(size + 4);
    char* p = payload.data();
    std::memcpy(p, head.data(), head.size());
    std::memcpy(p + head.size(), bytes.data(), bytes.size());
    std::memcpy(p + head.size() + bytes.size(), tail.data(), tail.size());

    const std::string_view prefix = Scheme::Prefix(kind);
    const size_t chars = Base64Payload::EncodedSize(size);
    const size_t start = out.size();
    out.resize(start + prefix.size() + chars + 1);
    char* o = out.data() + start;
    std::memcpy(o, prefix.data(), prefix.size());
    Base64Payload::EncodeWithReadSlack(std::string_view(p, size), o + prefix.size());
    o[prefix.size() + chars] = '\n';
}

}  // namespace LinkCodec
