#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "IStreams.h"
#include "LinkConverter.h"

// The torvane-link program: options, the batch of inputs, result lines,
// per-line errors and the exit status.
class LinkTool {
public:
    enum ExitStatus { kAllConverted = 0, kSomeFailed = 1, kBadOptions = 2 };

    // Runs the program with `args` (without the program name).
    static int Main(const std::vector<std::string>& args, IStreams& streams);

private:
    LinkTool(const CommandLine::Options& options, IStreams& streams);

    int Run();
    void ReadLines();
    void Process(std::string_view input);
    void AppendPlain(const LinkConverter::Result& result);
    void AppendJson(std::string_view input, const LinkConverter::Result& result);
    void AppendVerbose(const LinkConverter::Result& result);
    bool Flush();

    const CommandLine::Options& m_options;
    IStreams& m_streams;
    LinkConverter m_converter;
    size_t m_line = 0;
    bool m_anyFailed = false;
    bool m_writeFailed = false;
    std::string m_out;
    std::string m_err;
};
