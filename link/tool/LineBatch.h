#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "link/engine/LinkConverter.h"

// A run of input lines converted into result lines and messages, kept
// until the program writes them out.
class LineBatch {
public:
    // Where a link found in a longer input lies: its byte offsets.
    struct Position {
        size_t begin, end;
    };

    explicit LineBatch(const CommandLine::Options& options);

    // Converts one input. `number` is its line number, which messages and
    // JSON output carry; JSON output also carries the position, when given.
    void Add(std::string_view input, size_t number, std::optional<Position> position = std::nullopt);

    size_t Lines() const { return m_lines; }
    size_t OutputSize() const { return m_out.size(); }
    bool AnyFailed() const { return m_anyFailed; }

    // Appends the result lines to `out` and the messages to `err` (as
    // "line N: ..."), and empties the batch.
    void MoveTo(std::string& out, std::string& err);

private:
    void AppendPlain(const LinkConverter::Result& result);
    void AppendJson(std::string_view input, const LinkConverter::Result& result, size_t number,
                    std::optional<Position> position);
    std::string VerboseReport(const LinkConverter::Result& result) const;

    const CommandLine::Options& m_options;
    LinkConverter m_converter;
    std::string m_out;
    // Messages for standard error with the number of their line.
    std::vector<std::pair<size_t, std::string>> m_messages;
    size_t m_lines = 0;
    bool m_anyFailed = false;
};
