#include "LinkCodec.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "Base64Payload.h"
#include "ByteScan.h"
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

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerPrefix[i]) return false;
    }
    return true;
}

// Reads `bytes` as text in the chosen character set, as UTF-8 in `text`.
Failure ToText(std::string_view bytes, CharsetChoice choice, std::string& text, Charset& charset) {
    text.clear();
    if (Utf8::IsAscii(bytes)) {
        charset = Charset::Ascii;
        text.assign(bytes);
        return {};
    }
    if (choice != CharsetChoice::Gbk && Utf8::IsValid(bytes)) {
        charset = Charset::Utf8;
        text.assign(bytes);
        return {};
    }
    if (choice == CharsetChoice::Utf8) return {kCharset, "not valid UTF-8"};
    charset = Charset::Gbk;
    if (Gbk::ToUtf8(bytes, text)) return {};
    return {kCharset, choice == CharsetChoice::Gbk ? "not valid GBK" : "not valid UTF-8 or GBK"};
}

// One reading of the payload, after cleaning and with decorations taken off.
Failure DecodePayload(Scheme::Kind kind, std::string_view base64, CharsetChoice choice, Layer& layer) {
    std::string& bytes = layer.bytes;
    bytes.clear();
    if (base64.empty()) return {kBase64, "no Base64 payload"};
    if (!Base64Payload::Decode(base64, bytes)) return {kBase64, "not valid Base64"};

    std::string_view inner = bytes;
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

    if (const Failure failure = ToText(inner, choice, layer.address, layer.charset); failure.stage)
        return failure;

    if (kind == Scheme::Kind::Fs2you) {
        // "host/path|size|...": split after decoding, where a GBK byte pair
        // can no longer pass for a "|".
        const size_t bar = layer.address.find('|');
        if (bar == std::string::npos) return {kWrapper, "missing \"|\" after the fs2you address"};
        if (bar == 0) return {kAddress, "empty address"};
        layer.address.resize(bar);
        layer.address.insert(0, kFs2youScheme);
    }
    if (layer.address.empty()) return {kAddress, "empty address"};
    if (!IsPrintable(layer.address)) return {kAddress, "address contains control characters"};
    return {};
}

}  // namespace

std::string_view Name(Charset charset) {
    switch (charset) {
        case Charset::Ascii:
            return "ascii";
        case Charset::Utf8:
            return "utf-8";
        case Charset::Gbk:
            return "gbk";
    }
    return "";
}

bool IsPrintable(std::string_view address) {
    return ByteScan::Find(
               address, [](std::uint64_t w) { return ByteScan::AnyBelow(w, 0x20) | ByteScan::AnyEqual(w, 0x7F); },
               [](unsigned char b) { return b < 0x20 || b == 0x7F; }) == address.size();
}

bool Decode(Scheme::Kind kind, std::string_view text, CharsetChoice choice, Layer& layer, std::string& error) {
    // A "&" ends a flashget payload whether it was pasted as "&" or "&amp;".
    if (kind == Scheme::Kind::Flashget) text = text.substr(0, text.find('&'));

    // Most links are clean: valid Base64 holds nothing that Clean changes.
    const Failure first = DecodePayload(kind, text, choice, layer);
    if (!first.stage) return true;

    // Otherwise the cleaned payload as it stands, then with up to three
    // trailing decorations taken off one by one. "/" is also a Base64
    // character, so it goes only when the reading with it does not pass.
    std::string_view base64 = Base64Payload::Clean(text, layer.cleaned);
    Failure best = first;
    for (int stripped = 0;; ++stripped) {
        const Failure failure = DecodePayload(kind, base64, choice, layer);
        if (!failure.stage) return true;
        if (failure.stage > best.stage) best = failure;
        if (stripped == kMaxDecorations || base64.empty() || kDecorations.find(base64.back()) == std::string_view::npos)
            break;
        base64.remove_suffix(1);
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
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(unmappable));
    error = std::string("character ") + code + " cannot be represented in GBK";
    return std::nullopt;
}

bool Encode(Scheme::Kind kind, std::string_view address, std::string_view bytes, std::string& link,
            std::string& error) {
    thread_local std::string payload;
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

}  // namespace LinkCodec
