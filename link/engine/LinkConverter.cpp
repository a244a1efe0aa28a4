#include "LinkConverter.h"

#include <cstring>

#include "Base64Payload.h"
#include "Utf8.h"

namespace {

constexpr std::string_view kSpaces[] = {
    " ",
    "\t",
    "\n",
    "\r",
    "\v",
    "\f",
    "\xEF\xBB\xBF",  // U+FEFF byte order mark
    "\xC2\xA0",      // U+00A0 no-break space
    "\xE3\x80\x80",  // U+3000 ideographic space
};

// First and last bytes of the spaces above: a quick test before comparing.
inline bool MayStartSpace(unsigned char b) {
    return b == ' ' || (b >= '\t' && b <= '\r') || b == 0xEF || b == 0xC2 || b == 0xE3;
}
inline bool MayEndSpace(unsigned char b) {
    return b == ' ' || (b >= '\t' && b <= '\r') || b == 0xBF || b == 0xA0 || b == 0x80;
}

size_t LeadingSpace(std::string_view text) {
    if (text.empty() || !MayStartSpace(static_cast<unsigned char>(text.front()))) return 0;
    for (const std::string_view space : kSpaces)
        if (text.substr(0, space.size()) == space) return space.size();
    return 0;
}

size_t TrailingSpace(std::string_view text) {
    if (text.empty() || !MayEndSpace(static_cast<unsigned char>(text.back()))) return 0;
    for (const std::string_view space : kSpaces)
        if (text.size() >= space.size() && text.substr(text.size() - space.size()) == space) return space.size();
    return 0;
}

// A download manager's task id: 16 hex digits or more, where a thunder
// payload normally holds an address.
bool IsTaskId(std::string_view text) {
    if (text.size() < 16) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f'))) return false;
    return true;
}

}  // namespace

LinkConverter::LinkConverter(Target target, LinkCodec::CharsetChoice charset) : m_target(target), m_charset(charset) {}

std::string_view LinkConverter::Trim(std::string_view text) {
    while (const size_t n = LeadingSpace(text)) text.remove_prefix(n);
    while (const size_t n = TrailingSpace(text)) text.remove_suffix(n);
    return text;
}

const LinkConverter::Result& LinkConverter::Convert(std::string_view input) {
    Result& r = m_result;
    r.status = Result::Status::Failed;
    r.scheme.reset();
    r.depth = 0;
    r.charset.reset();
    r.taskId = false;
    r.address = {};
    r.linkCount = 0;
    r.error.clear();

    const std::string_view text = Trim(input);
    if (text.empty()) {
        r.status = Result::Status::Blank;
        return r;
    }
    const std::optional<Scheme::Match> match = Scheme::Detect(text);
    if (match && Scheme::IsWrapper(match->kind)) {
        r.scheme = match->kind;
        if (!Unwrap(match->kind, text)) return r;
    } else {
        // Decoding reads links and addresses only. Encoding takes any text
        // exactly as given, white space included, as the window does: every
        // address a link can hold (a payload without a scheme, "magnet:",
        // a percent-encoded address) can be written back into one.
        if (!match && m_target == Target::None) {
            Fail("not a link or address");
            return r;
        }
        if (match) r.scheme = match->kind;
        r.address = m_target == Target::None ? text : input;
        if (!LinkCodec::IsPrintable(r.address)) {
            Fail("address contains control characters");
            return r;
        }
        if (!Utf8::IsValid(r.address)) {
            Fail("address is not valid UTF-8");
            return r;
        }
        r.charset = Utf8::IsAscii(r.address) ? LinkCodec::Charset::Ascii : LinkCodec::Charset::Utf8;
    }
    if (m_target != Target::None && !EncodeAddress()) return r;
    r.status = Result::Status::Converted;
    return r;
}

bool LinkConverter::AppendPlainQuick(std::string_view input, std::string& out) {
    if (input.empty()) return false;
    // Trim has nothing to take from ends that are printable ASCII other than space.
    const auto plain = [](char c) { return c > 0x20 && c < 0x7F; };
    const std::string_view text = plain(input.front()) && plain(input.back()) ? input : Trim(input);
    if (text.empty()) return false;
    const std::optional<Scheme::Match> match = Scheme::Detect(text);
    if (!match) return false;

    if (m_target == Target::None) {
        // What Unwrap does for one layer of thunder, where the payload needs
        // no cleaning and the address no character set.
        if (match->kind != Scheme::Kind::Thunder) return false;
        const std::string_view base64 = text.substr(match->prefixLength);
        std::string_view bytes;
        if (base64.empty() || !Base64Payload::Decode(base64, m_scratch.bytes, bytes)) return false;
        if (bytes.size() < 4 || bytes[0] != 'A' || bytes[1] != 'A' || bytes[bytes.size() - 2] != 'Z' ||
            bytes.back() != 'Z')
            return false;
        const std::string_view address = bytes.substr(2, bytes.size() - 4);
        if (address.empty() || !LinkCodec::IsPrintableAscii(address)) return false;
        // A nested link, or a blank address, takes Convert's way.
        const std::string_view inner = Trim(address);
        if (inner.empty()) return false;
        if ((inner[0] | 0x20) != 'h') {
            const std::optional<Scheme::Match> nested = Scheme::Detect(inner);
            if (nested && Scheme::IsWrapper(nested->kind)) return false;
        }
        const size_t start = out.size();
        out.resize(start + address.size() + 1);
        std::memcpy(out.data() + start, address.data(), address.size());
        out.back() = '\n';
        return true;
    }

    // What Convert and EncodeAddress do with an address that converts; one
    // with white space at its ends, which is encoded too, takes Convert's way.
    if (Scheme::IsWrapper(match->kind) || m_target == Target::Fs2you || text.size() != input.size()) return false;
    std::string reason;
    std::optional<std::string_view> bytes = text;  // ASCII reads the same in every set
    if (!LinkCodec::IsPrintableAscii(text)) {
        if (!LinkCodec::IsPrintable(text)) return false;
        LinkCodec::Charset charset = LinkCodec::Charset::Ascii;
        bytes = LinkCodec::ToLinkBytes(text, m_charset, m_bytes, charset, reason);
        if (!bytes) return false;
    }
    switch (m_target) {
        case Target::Thunder:
            LinkCodec::AppendLinkLine(Scheme::Kind::Thunder, *bytes, m_payload, out);
            return true;
        case Target::Flashget:
            LinkCodec::AppendLinkLine(Scheme::Kind::Flashget, *bytes, m_payload, out);
            return true;
        case Target::Qqdl:
            LinkCodec::AppendLinkLine(Scheme::Kind::Qqdl, *bytes, m_payload, out);
            return true;
        default: {
            static constexpr Scheme::Kind kAll[] = {Scheme::Kind::Thunder, Scheme::Kind::Flashget,
                                                    Scheme::Kind::Qqdl};
            for (const Scheme::Kind kind : kAll) {
                if (kind != Scheme::Kind::Thunder) out.push_back('\t');
                LinkCodec::Encode(kind, text, *bytes, m_payload, out, reason);
            }
            out.push_back('\n');
            return true;
        }
    }
}

bool LinkConverter::Fail(std::string_view reason) {
    m_result.status = Result::Status::Failed;
    m_result.error.assign(reason);
    m_result.address = {};
    m_result.linkCount = 0;
    return false;
}

bool LinkConverter::Unwrap(Scheme::Kind kind, std::string_view link) {
    Result& r = m_result;
    // When the target re-encodes the address, --charset is the set of the new
    // link; the link read here has its set detected.
    const LinkCodec::CharsetChoice choice = m_target == Target::None ? m_charset : LinkCodec::CharsetChoice::Detect;
    std::string reason;
    for (;;) {
        if (r.depth == kMaxDepth) return Fail("nesting too deep (more than " + std::to_string(kMaxDepth) + " levels)");
        ++r.depth;
        LinkCodec::Decoded layer;
        if (!LinkCodec::Decode(kind, link.substr(Scheme::Prefix(kind).size()), choice, m_scratch, layer, reason)) {
            if (r.depth > 1)
                reason = "level " + std::to_string(r.depth) + " (" + std::string(Scheme::Name(kind)) + "): " + reason;
            return Fail(reason);
        }
        // The set reported is the one of the innermost layer that needed one.
        if (layer.charset != LinkCodec::Charset::Ascii || !r.charset) r.charset = layer.charset;

        if (kind == Scheme::Kind::Thunder && IsTaskId(layer.address)) {
            r.address = layer.address;
            r.taskId = true;
            return true;
        }
        // An inner link is read with the same tolerance as an input line.
        // Most addresses start with "h": no wrapper scheme does.
        const std::string_view inner = Trim(layer.address);
        if (inner.empty()) return Fail(r.depth > 1 ? "level " + std::to_string(r.depth) + " (" +
                                                         std::string(Scheme::Name(kind)) + "): blank address"
                                                   : "blank address");
        const std::optional<Scheme::Match> match =
            inner.empty() || (inner[0] | 0x20) == 'h' ? std::nullopt : Scheme::Detect(inner);
        if (!match || !Scheme::IsWrapper(match->kind)) {
            r.address = layer.address;
            return true;
        }
        m_nested.assign(inner);
        link = m_nested;
        kind = match->kind;
    }
}

bool LinkConverter::EncodeAddress() {
    Result& r = m_result;
    LinkCodec::Charset charset = LinkCodec::Charset::Ascii;
    std::string reason;
    const std::optional<std::string_view> bytes =
        LinkCodec::ToLinkBytes(r.address, m_charset, m_bytes, charset, reason);
    if (!bytes) return Fail(reason);
    r.charset = charset;

    static constexpr Scheme::Kind kAll[] = {Scheme::Kind::Thunder, Scheme::Kind::Flashget, Scheme::Kind::Qqdl};
    const Scheme::Kind* kinds = kAll;
    size_t count = 3;
    Scheme::Kind single = Scheme::Kind::Thunder;
    switch (m_target) {
        case Target::Thunder:
            single = Scheme::Kind::Thunder;
            break;
        case Target::Flashget:
            single = Scheme::Kind::Flashget;
            break;
        case Target::Qqdl:
            single = Scheme::Kind::Qqdl;
            break;
        case Target::Fs2you:
            single = Scheme::Kind::Fs2you;
            break;
        case Target::All:
        case Target::None:
            break;
    }
    if (m_target != Target::All) {
        kinds = &single;
        count = 1;
    }
    for (size_t i = 0; i < count; ++i) {
        r.linkKinds[i] = kinds[i];
        r.links[i].clear();
        if (!LinkCodec::Encode(kinds[i], r.address, *bytes, m_payload, r.links[i], reason)) return Fail(reason);
    }
    r.linkCount = count;
    return true;
}
