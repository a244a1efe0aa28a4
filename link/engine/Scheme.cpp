#include "Scheme.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace Scheme {

namespace {

struct Entry {
    Kind kind;
    std::string_view name;
    std::string_view prefix;
};

constexpr std::array<Entry, 9> kEntries = {{
    {Kind::Thunder, "thunder", "thunder://"},
    {Kind::Flashget, "flashget", "flashget://"},
    {Kind::Qqdl, "qqdl", "qqdl://"},
    {Kind::Fs2you, "fs2you", "fs2you://"},
    {Kind::Http, "http", "http://"},
    {Kind::Https, "https", "https://"},
    {Kind::Ftp, "ftp", "ftp://"},
    {Kind::Ed2k, "ed2k", "ed2k://"},
    {Kind::Magnet, "magnet", "magnet:"},
}};

inline char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A prefix as two 8-byte words to compare against the start of a text:
// letters are compared with bit 0x20 forced on (their lower-case form),
// everything else exactly; bytes past the prefix are masked off.
struct Pattern {
    std::uint64_t word[2] = {};
    std::uint64_t fold[2] = {};
    std::uint64_t keep[2] = {};
    size_t length = 0;
};

constexpr Pattern MakePattern(std::string_view prefix) {
    Pattern p;
    p.length = prefix.size();
    for (size_t i = 0; i < prefix.size(); ++i) {
        const unsigned shift = static_cast<unsigned>(i % 8) * 8;
        const auto c = static_cast<unsigned char>(prefix[i]);
        p.word[i / 8] |= std::uint64_t{c} << shift;
        p.keep[i / 8] |= std::uint64_t{0xFF} << shift;
        if (c >= 'a' && c <= 'z') p.fold[i / 8] |= std::uint64_t{0x20} << shift;
    }
    return p;
}

constexpr auto MakePatterns() {
    std::array<Pattern, kEntries.size()> patterns{};
    for (size_t i = 0; i < kEntries.size(); ++i) patterns[i] = MakePattern(kEntries[i].prefix);
    return patterns;
}
constexpr auto kPatterns = MakePatterns();

// The first 16 bytes of a text as two little-endian words, zero-filled.
struct Head {
    std::uint64_t word[2] = {};
    explicit Head(std::string_view text) {
        if (std::endian::native == std::endian::little && text.size() >= 16) {
            std::memcpy(word, text.data(), 16);
            return;
        }
        for (size_t i = 0; i < 16 && i < text.size(); ++i)
            word[i / 8] |= std::uint64_t{static_cast<unsigned char>(text[i])} << (i % 8 * 8);
    }
};

inline bool Matches(const Head& head, const Pattern& p) {
    return ((head.word[0] | p.fold[0]) & p.keep[0]) == p.word[0] &&
           ((head.word[1] | p.fold[1]) & p.keep[1]) == p.word[1];
}

const Entry& EntryOf(Kind kind) { return kEntries[static_cast<size_t>(kind)]; }

}  // namespace

std::optional<Match> Detect(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const char first = Lower(text[0]);
    const Head head(text);
    for (size_t i = 0; i < kEntries.size(); ++i)
        if (kEntries[i].prefix[0] == first && text.size() >= kPatterns[i].length && Matches(head, kPatterns[i]))
            return Match{kEntries[i].kind, kPatterns[i].length};
    return std::nullopt;
}

bool IsWrapper(Kind kind) {
    return kind == Kind::Thunder || kind == Kind::Flashget || kind == Kind::Qqdl || kind == Kind::Fs2you;
}

std::string_view Name(Kind kind) { return EntryOf(kind).name; }

std::string_view Prefix(Kind kind) { return EntryOf(kind).prefix; }

}  // namespace Scheme
