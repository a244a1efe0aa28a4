#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "LinkCodec.h"
#include "Scheme.h"

// Converts one input line: a wrapper link is decoded (nested links are
// unwrapped) down to an ordinary address, an ordinary address passes
// through; with a target, the address is then encoded into that scheme.
class LinkConverter {
public:
    enum class Target { None, Thunder, Flashget, Qqdl, Fs2you, All };

    static constexpr int kMaxDepth = 8;  // wrapper layers unwrapped at most

    struct Result {
        enum class Status { Blank, Converted, Failed };
        Status status = Status::Blank;
        std::optional<Scheme::Kind> scheme;  // of the input, when recognised
        int depth = 0;                       // wrapper layers unwrapped
        std::optional<LinkCodec::Charset> charset;
        // A thunder payload "AA" + hex digits + "ZZ" (16 digits or more): a
        // download manager's task id, not an address. `address` holds the
        // digits.
        bool taskId = false;
        // The ordinary address (UTF-8 when decoded); it points into the
        // input or the converter's buffers.
        std::string_view address;
        // Encoded links, in the order thunder, flashget, qqdl (fs2you alone).
        std::array<Scheme::Kind, 3> linkKinds{};
        std::array<std::string, 3> links;
        size_t linkCount = 0;
        std::string error;
    };

    explicit LinkConverter(Target target = Target::None,
                           LinkCodec::CharsetChoice charset = LinkCodec::CharsetChoice::Detect);

    // The result stays valid until the next call, and as long as `input`.
    const Result& Convert(std::string_view input);

    // The plain output line of `input`, with its line end, appended to
    // `out`, for the lines most input is made of: with no target, a thunder
    // link whose payload is clean Base64 holding a printable ASCII address;
    // with a thunder, flashget, qqdl or all target, an address (not a
    // wrapper link) that converts. True when the line was one of those;
    // otherwise false with `out` unchanged, and Convert gives the line. The
    // line is always converted, never failed, when true. The result that
    // Convert returns is not updated.
    bool AppendPlainQuick(std::string_view input, std::string& out);

    // Removes what pasted text carries around a link: ASCII white space,
    // a byte order mark, no-break and ideographic spaces.
    static std::string_view Trim(std::string_view text);

private:
    bool Fail(std::string_view reason);
    bool Unwrap(Scheme::Kind kind, std::string_view link);
    bool EncodeAddress();

    Target m_target;
    LinkCodec::CharsetChoice m_charset;
    Result m_result;
    LinkCodec::Scratch m_scratch;
    std::string m_nested;
    std::string m_bytes;    // an address in its link character set
    std::string m_payload;  // a link's payload before Base64
};
