#include "LinkFinder.h"

#include <array>

#include "Base64Payload.h"
#include "LinkConverter.h"

namespace LinkFinder {

namespace {

// Possible ends tried for one link at most: a link split over many lines
// stays findable, and a long run of words after a link costs a bounded time.
constexpr size_t kMaxEnds = 64;

struct Wrapper {
    std::string_view name;  // lower case, without "://"
    Scheme::Kind kind;
};
constexpr std::array<Wrapper, 4> kWrappers = {{
    {"thunder", Scheme::Kind::Thunder},
    {"flashget", Scheme::Kind::Flashget},
    {"qqdl", Scheme::Kind::Qqdl},
    {"fs2you", Scheme::Kind::Fs2you},
}};

// Mail programs wrap lines at about 72 to 78 characters: a line they broke
// is at least this long.
constexpr size_t kWrappedLine = 60;

size_t LineStart(std::string_view text, size_t p) {
    const size_t newline = text.rfind('\n', p - 1);
    return newline == std::string_view::npos ? 0 : newline + 1;
}

bool IsPayloadChar(char c) {
    return Base64Payload::kValueOf[static_cast<unsigned char>(c)] != Base64Payload::kNotInAlphabet || c == '-' ||
           c == '_' || c == '=';
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool EndsWithNoCase(std::string_view text, size_t end, std::string_view lower) {
    if (end < lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i) {
        char c = text[end - lower.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lower[i]) return false;
    }
    return true;
}

// The end of the run of payload characters at `p`. After "=" only more "="
// may follow: padding closes the payload.
size_t RunEnd(std::string_view text, size_t p) {
    while (p < text.size() && IsPayloadChar(text[p])) {
        if (text[p] == '=') {
            while (p < text.size() && text[p] == '=') ++p;
            return p;
        }
        ++p;
    }
    return p;
}

// An "&" at `p` that starts a tail of the link ("&tag", "&key=value",
// "&amp;..."), not an HTML entity that closes an attribute or a string.
bool StartsTail(std::string_view text, size_t p) {
    if (p >= text.size() || text[p] != '&') return false;
    const std::string_view rest = text.substr(p + 1);
    if (rest.empty() || rest[0] == '#') return false;
    for (const std::string_view entity : {"quot;", "apos;", "lt;", "gt;", "nbsp;"})
        if (rest.substr(0, entity.size()) == entity) return false;
    return true;
}

// The end of the tail that starts at `p`: ASCII up to white space, a quote,
// a bracket, ",", ";" or an entity that is not "&amp;".
size_t TailEnd(std::string_view text, size_t p) {
    constexpr std::string_view kStops = "\"'`<>()[]{},;";
    for (;;) {
        p += text.substr(p, 5) == "&amp;" ? 5 : 1;  // past this character, or "&amp;" whole
        if (p == text.size()) break;
        const char c = text[p];
        if (static_cast<unsigned char>(c) >= 0x80 || IsSpace(c) || kStops.find(c) != std::string_view::npos) break;
        if (c == '&' && !StartsTail(text, p)) break;
    }
    return p;
}

// The possible ends of the link whose payload starts at `p`, shortest first;
// none when no payload starts there. A payload with a wrapper at its end
// (thunder, flashget) may go on after any short white space: a reading that
// runs on too far loses its wrapper. One without (qqdl, fs2you) goes on only
// where a mail program wrapped a long line, so that it does not take in the
// words after it.
std::vector<size_t> PossibleEnds(std::string_view text, size_t p, bool wrapped) {
    std::vector<size_t> ends;
    for (;;) {
        const size_t end = RunEnd(text, p);
        // A word followed by ":" is a scheme name or a label, not payload.
        if (end == p || (end < text.size() && text[end] == ':')) break;
        if (StartsTail(text, end)) {
            ends.push_back(TailEnd(text, end));
            break;
        }
        ends.push_back(end);
        if (text[end - 1] == '=' || ends.size() == kMaxEnds) break;
        // White space with at most one line break may part the payload.
        size_t next = end;
        int breaks = 0;
        while (next < text.size() && IsSpace(text[next])) breaks += text[next++] == '\n';
        if (next == end || breaks > 1) break;
        if (!wrapped && (breaks == 0 || end - LineStart(text, end) < kWrappedLine)) break;
        p = next;
    }
    return ends;
}

}  // namespace

std::vector<Link> FindAll(std::string_view text, LinkCodec::CharsetChoice charset) {
    std::vector<Link> links;
    LinkConverter converter(LinkConverter::Target::None, charset);
    size_t from = 0;
    for (size_t colon = text.find("://", from); colon != std::string_view::npos; colon = text.find("://", colon + 1)) {
        const Wrapper* wrapper = nullptr;
        for (const Wrapper& w : kWrappers)
            if (colon >= from + w.name.size() && EndsWithNoCase(text, colon, w.name)) wrapper = &w;
        if (!wrapper) continue;
        const size_t begin = colon - wrapper->name.size();
        const bool wrapped = wrapper->kind == Scheme::Kind::Thunder || wrapper->kind == Scheme::Kind::Flashget;
        const std::vector<size_t> ends = PossibleEnds(text, colon + 3, wrapped);
        if (ends.empty()) continue;

        // The longest reading that decodes; failing that, the shortest.
        size_t chosen = ends.size() - 1;
        const LinkConverter::Result* result = nullptr;
        for (size_t i = ends.size(); i-- > 0;) {
            result = &converter.Convert(text.substr(begin, ends[i] - begin));
            chosen = i;
            if (result->status == LinkConverter::Result::Status::Converted) break;
        }
        Link& link = links.emplace_back();
        link.begin = begin;
        link.end = ends[chosen];
        link.scheme = wrapper->kind;
        link.decoded = result->status == LinkConverter::Result::Status::Converted;
        if (link.decoded) {
            link.address.assign(result->address);
            link.depth = result->depth;
            link.charset = result->charset.value_or(LinkCodec::Charset::Ascii);
            link.taskId = result->taskId;
        } else {
            link.error = result->error;
        }
        from = link.end;
        colon = from - 1;  // the next "://" is looked for from the link's end
    }
    return links;
}

}  // namespace LinkFinder
