#include "LinkTool.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "link/engine/ByteScan.h"
#include "link/engine/Gbk.h"
#include "link/engine/LinkFinder.h"
#include "link/engine/Utf8.h"

namespace {

// Standard input is read in pieces small enough to stay in the processor's
// cache while their lines are converted.
constexpr size_t kReadSize = 1 << 16;
// Output goes out in large writes; more than this waiting is written at once.
constexpr size_t kFlushSize = 1 << 18;

#ifdef _WIN32
constexpr std::string_view kPrompt = "Paste links or addresses, one per line; press Ctrl+Z and then Enter to end.";
#else
constexpr std::string_view kPrompt = "Paste links or addresses, one per line; press Ctrl+D to end.";
#endif

// Valid UTF-8 text in GBK; a character GBK has no code for becomes "?".
// False when one did.
bool AppendGbk(std::string_view utf8, std::string& gbk) {
    bool whole = true;
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            gbk.push_back(utf8[i++]);
            continue;
        }
        const char32_t c = Utf8::Next(utf8, i);
        const std::uint16_t code = c < 0x10000 ? Gbk::CodeOf(static_cast<char16_t>(c)) : 0;
        if (code == 0) {
            gbk.push_back('?');
            whole = false;
            continue;
        }
        if (code > 0xFF) gbk.push_back(static_cast<char>(code >> 8));
        gbk.push_back(static_cast<char>(code & 0xFF));
    }
    return whole;
}

}  // namespace

int LinkTool::Main(const std::vector<std::string>& args, IStreams& streams, Messages::Language language) {
    const CommandLine::Parsed parsed = CommandLine::Parse(args);
    switch (parsed.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
            if (streams.Write(parsed.action == CommandLine::Action::Help ? Messages::HelpText(language)
                                                                         : CommandLine::VersionText()))
                return kAllConverted;
            streams.WriteError(Messages::Translate("torvane-link: cannot write to standard output", language) + "\n");
            return kSomeFailed;
        case CommandLine::Action::Error:
            streams.WriteError(Messages::Translate("torvane-link: " + parsed.error, language) + "\n" +
                               Messages::Translate("Try 'torvane-link --help' for more information.", language) +
                               "\n");
            return kBadOptions;
        case CommandLine::Action::Convert:
            break;
    }
    LinkTool tool(parsed.options, streams, language);
    return tool.Run();
}

LinkTool::LinkTool(const CommandLine::Options& options, IStreams& streams, Messages::Language language)
    : m_options(options), m_streams(streams), m_batch(options), m_language(language) {}

int LinkTool::Run() {
    const std::vector<CommandLine::Options::File>& files = m_options.files;
    if (m_options.inputs.empty() && files.empty()) {
        // Started with nothing to do, from a console: say what it waits for.
        if (m_streams.InputIsConsole()) Report(kPrompt);
        ReadLines();
    } else {
        // Arguments and files in the order they were given.
        size_t file = 0;
        bool going = true;
        for (size_t i = 0; going && i <= m_options.inputs.size(); ++i) {
            for (; going && file < files.size() && files[file].after == i; ++file)
                going = files[file].name == "-" ? ReadLines() : ReadFile(files[file].name);
            if (!going || i == m_options.inputs.size()) break;
            Add(m_options.inputs[i]);
            if (m_batch.OutputSize() >= kFlushSize) going = Collect();
        }
    }
    if (m_options.extract && !m_readFailed) Extract();
    Collect();
    if (m_readFailed) {
        Report("cannot read standard input");
        return kSomeFailed;
    }
    if (m_writeFailed) {
        Report("cannot write the results");
        return kSomeFailed;
    }
    if (m_lossyOutput) {
        Report("some characters have no GBK code and were written as \"?\" (--output-charset utf-8 keeps them)");
        return kSomeFailed;
    }
    return m_anyFailed ? kSomeFailed : kAllConverted;
}

// Reads standard input to its end; false once the output cannot be written.
bool LinkTool::ReadLines() {
    InputDecoder decoder(m_streams.InputIsConsole() ? InputDecoder::Charset::Utf8 : m_options.inputCharset);
    std::string decoded;
    if (const std::optional<std::string_view> all = m_streams.MapInput())
        return AddText(decoder.Decode(*all, true, decoded), decoder);
    const auto buffer = std::make_unique<char[]>(kReadSize);
    std::string partial;  // a line that runs on into the next read
    for (;;) {
        const size_t got = m_streams.Read(buffer.get(), kReadSize);
        if (got == IStreams::kReadFailed) {
            m_readFailed = true;
            break;
        }
        const std::string_view text = decoder.Decode(std::string_view(buffer.get(), got), got == 0, decoded);
        const char* p = text.data();
        const char* const end = p + text.size();
        while (p < end) {
            const auto* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!newline) {
                partial.append(p, end);
                break;
            }
            if (partial.empty()) {
                AddRead(std::string_view(p, static_cast<size_t>(newline - p)), decoder);
            } else {
                partial.append(p, newline);
                AddRead(partial, decoder);
                partial.clear();
            }
            p = newline + 1;
        }
        if (got == 0) break;
        // A short read means the input is not keeping up (a terminal, a slow
        // pipe): what is done so far goes out now rather than later.
        if ((got < kReadSize || m_batch.OutputSize() >= kFlushSize) && !Collect()) return false;
    }
    if (!partial.empty()) AddRead(partial, decoder);
    return !m_writeFailed;
}

// Reads the lines of a file; one that cannot be read fails and is reported.
bool LinkTool::ReadFile(const std::string& name) {
    std::string bytes, decoded;
    if (!m_streams.ReadFile(name, bytes)) {
        if (!Collect()) return false;  // the lines before it come first
        Report("cannot read '" + name + "'");
        m_anyFailed = true;
        return true;
    }
    InputDecoder decoder(m_options.inputCharset);
    return AddText(decoder.Decode(bytes, true, decoded), decoder);
}

// Adds the lines of a whole text; false once the output cannot be written.
bool LinkTool::AddText(std::string_view text, const InputDecoder& decoder) {
    const char* const end = text.data() + text.size();
    for (const char* p = text.data(); p < end;) {
        const char* const newline = ByteScan::FindNewline(p, end);
        AddRead(std::string_view(p, static_cast<size_t>(newline - p)), decoder);
        p = newline + 1;
        if (m_batch.OutputSize() >= kFlushSize && !Collect()) return false;
    }
    return true;
}

// A line read from a file or standard input, in the ANSI code page (or GBK)
// where it is not UTF-8.
void LinkTool::AddRead(std::string_view line, const InputDecoder& decoder) {
    if (decoder.LineIsAnsi(line)) {
        m_line8.clear();
        const bool read = decoder.ForcesGbk() ? Gbk::ToUtf8(line, m_line8) : m_streams.AnsiToUtf8(line, m_line8);
        // Text valid in neither fails as it is, with the converter's reason.
        if (read) line = m_line8;
    }
    Add(line);
}

// One input line: converted, or with --extract kept for the search that
// follows the reading.
void LinkTool::Add(std::string_view input) {
    if (m_options.extract)
        m_text.append(input).push_back('\n');
    else
        m_batch.Add(input, m_line + m_batch.Lines() + 1);
}

// Takes the converted lines out of the batch and writes them; false once
// the output cannot be written.
bool LinkTool::Collect() {
    m_anyFailed = m_anyFailed || m_batch.AnyFailed();
    const size_t lines = m_batch.Lines();
    m_batch.MoveTo(m_out, m_err);
    m_line += lines;
    if (!m_err.empty()) {
        m_streams.WriteError(Messages::TranslateLines(m_err, m_language));
        m_err.clear();
    }
    if (!m_out.empty() && !m_writeFailed) {
        if (!WriteOut()) m_writeFailed = true;
        m_out.clear();
    }
    return !m_writeFailed;
}

// Writes the results: UTF-8, or GBK for tools that read the ANSI code page
// (a console is given the text itself, whatever was asked).
bool LinkTool::WriteOut() {
    if (!m_options.gbkOutput || m_streams.OutputIsConsole() || !Utf8::IsValid(m_out)) return m_streams.Write(m_out);
    std::string gbk;
    gbk.reserve(m_out.size());
    if (!AppendGbk(m_out, gbk)) m_lossyOutput = true;
    return m_streams.Write(gbk);
}

void LinkTool::Report(std::string_view message) {
    m_streams.WriteError(Messages::Translate("torvane-link: " + std::string(message), m_language) + "\n");
}

// --extract: the links found in the whole input as read (arguments, files
// and standard input, each line decoded as for conversion), each converted on
// its own. Positions are byte offsets in that text, in UTF-8.
void LinkTool::Extract() {
    const std::string_view text = m_text;
    // Links are found as they read without a target; the converter then
    // reads each again for its target, as it reads an input line.
    const LinkCodec::CharsetChoice choice = m_options.target == LinkConverter::Target::None
                                                ? m_options.charset
                                                : LinkCodec::CharsetChoice::Detect;
    size_t line = 1, counted = 0;
    for (const LinkFinder::Link& link : LinkFinder::FindAll(text, choice)) {
        line += static_cast<size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted),
                                               text.begin() + static_cast<std::ptrdiff_t>(link.begin), '\n'));
        counted = link.begin;
        m_batch.Add(text.substr(link.begin, link.end - link.begin), line, LineBatch::Position{link.begin, link.end});
        if (m_batch.OutputSize() >= kFlushSize && !Collect()) return;
    }
}
