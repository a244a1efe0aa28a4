#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "CommandLine.h"
#include "IStreams.h"
#include "InputDecoder.h"
#include "LineBatch.h"
#include "Messages.h"

// The torvane-link program: options, the inputs from arguments, files or
// standard input, result lines, per-line errors in the user's language and
// the exit status.
class LinkTool {
public:
    enum ExitStatus { kAllConverted = 0, kSomeFailed = 1, kBadOptions = 2 };

    // Runs the program with `args` (without the program name), speaking
    // `language` on standard error.
    static int Main(const std::vector<std::string>& args, IStreams& streams,
                    Messages::Language language = Messages::Language::English);

private:
    LinkTool(const CommandLine::Options& options, IStreams& streams, Messages::Language language);

    int Run();
    bool ReadLines();
    bool ReadFile(const std::string& name);
    bool AddText(std::string_view text, const InputDecoder& decoder);
    void AddRead(std::string_view line, const InputDecoder& decoder);
    void Extract();
    void Add(std::string_view input);
    bool Collect();
    bool WriteOut();
    void Report(std::string_view message);

    const CommandLine::Options& m_options;
    IStreams& m_streams;
    LineBatch m_batch;
    size_t m_line = 0;  // lines written out so far
    bool m_anyFailed = false;
    bool m_writeFailed = false;
    bool m_readFailed = false;
    bool m_lossyOutput = false;  // characters GBK output could not hold
    const Messages::Language m_language;
    std::string m_line8;  // a line read in the ANSI code page, as UTF-8
    std::string m_text;   // with --extract, the whole input as read, in UTF-8
    std::string m_out;
    std::string m_err;
};
