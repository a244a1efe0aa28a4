#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CommandLine.h"
#include "LinkConverter.h"

// A run of input lines converted into result lines and messages, kept
// until the program writes them out. Messages are numbered when they leave,
// so a batch need not know how many lines came before it.
class LineBatch {
public:
    explicit LineBatch(const CommandLine::Options& options);

    // Converts one input. `number` is its line number, which JSON output
    // carries.
    void Add(std::string_view input, size_t number);

    size_t Lines() const { return m_lines; }
    size_t OutputSize() const { return m_out.size(); }
    bool AnyFailed() const { return m_anyFailed; }

    // Appends the result lines to `out` and the messages to `err` (as
    // "line N: ...", the batch's lines numbered from `first`), and empties
    // the batch.
    void MoveTo(std::string& out, std::string& err, size_t first);

private:
    void AppendPlain(const LinkConverter::Result& result);
    void AppendJson(std::string_view input, const LinkConverter::Result& result, size_t number);
    std::string VerboseReport(const LinkConverter::Result& result) const;

    const CommandLine::Options& m_options;
    LinkConverter m_converter;
    std::string m_out;
    // Messages for standard error with the index of their line in the batch.
    std::vector<std::pair<size_t, std::string>> m_messages;
    size_t m_lines = 0;
    bool m_anyFailed = false;
};
