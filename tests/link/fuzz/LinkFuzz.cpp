// libFuzzer target: arbitrary bytes as torvane-link's standard input (with
// options picked by the first byte) and as single lines to the converter.
// Besides crashes, hangs and bad memory accesses, it checks what must hold
// for any input: one result line per input line, decoded addresses that
// every scheme takes back, links found in a text that decode alone as they
// did in it, the same output with and without --verbose, and
// the link encoder agreeing with Module1, and the window's convert-back
// giving the addresses torvane-link --extract gives. Input in UTF-16 or GBK
// is decoded on the way in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/ConversionCommands.h"
#include "app/core/Module1.h"
#include "app/core/ThunderLink.h"
#include "link/engine/Base64Payload.h"
#include "link/engine/LinkConverter.h"
#include "link/engine/LinkFinder.h"
#include "link/tool/LinkTool.h"
#include "link/engine/Utf8.h"

namespace {

class FuzzStreams : public IStreams {
public:
    FuzzStreams(std::string_view input, size_t chunk) : m_input(input), m_chunk(chunk) {}
    size_t Read(char* buffer, size_t size) override {
        size_t n = m_input.size() < size ? m_input.size() : size;
        if (n > m_chunk) n = m_chunk;
        m_input.copy(buffer, n);
        m_input.remove_prefix(n);
        return n;
    }
    bool Write(std::string_view bytes) override {
        out.append(bytes);
        return true;
    }
    void WriteError(std::string_view) override {}
    std::string out;

private:
    std::string_view m_input;
    size_t m_chunk;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

size_t CountLines(std::string_view text) {
    size_t lines = 0;
    for (const char c : text) lines += c == '\n';
    if (!text.empty() && text.back() != '\n') ++lines;
    return lines;
}

void RunTool(std::uint8_t mode, std::string_view input) {
    static const char* const kTargets[] = {"thunder", "flashget", "qqdl", "fs2you", "all"};
    std::vector<std::string> args;
    if (mode & 0x01) args.push_back("--json");
    if (mode & 0x02) args.push_back("--verbose");
    if (mode & 0x04) args.push_back(mode & 0x08 ? "--charset=utf-8" : "--charset=gbk");
    // Targets 0-4 encode, 5 decodes.
    if (const int target = (mode >> 4) % 6; target < 5) args.push_back("--to=" + std::string(kTargets[target]));
    FuzzStreams streams(input, 1 + (mode >> 4) * 97);
    const int status = LinkTool::Main(args, streams);
    Require(status == 0 || status == 1);
    // Text read as UTF-8 (a byte order mark aside) or GBK keeps its lines;
    // UTF-16 is read two bytes to a unit.
    const std::string_view mark = input.substr(0, 2);
    if (mark != "\xFF\xFE" && mark != "\xFE\xFF") {
        const std::string_view text = input.substr(0, 3) == "\xEF\xBB\xBF" ? input.substr(3) : input;
        Require(CountLines(streams.out) == CountLines(text));
    }

    // --verbose adds reports on standard error and changes nothing on
    // standard output (plain output without it takes a quicker way).
    if (mode & 0x02)
        std::erase(args, std::string("--verbose"));
    else
        args.push_back("--verbose");
    // Nor does the language of the messages.
    FuzzStreams other(input, 1 + (mode >> 4) * 97);
    Require(LinkTool::Main(args, other, Messages::Language::Chinese) == status);
    Require(other.out == streams.out);
}

void CheckLine(std::string_view line) {
    LinkConverter decoder;
    const LinkConverter::Result& decoded = decoder.Convert(line);
    if (decoded.status != LinkConverter::Result::Status::Converted || decoded.depth == 0) return;
    // A decoded address is printable UTF-8, and every scheme takes it back:
    // put into a link in the set it was read in and read back in that set,
    // it comes out the same.
    const std::string address(decoded.address);
    Require(Utf8::IsValid(address));
    const LinkCodec::CharsetChoice charset =
        decoded.charset == LinkCodec::Charset::Gbk ? LinkCodec::CharsetChoice::Gbk : LinkCodec::CharsetChoice::Utf8;
    for (const auto target : {LinkConverter::Target::Thunder, LinkConverter::Target::Flashget,
                              LinkConverter::Target::Qqdl}) {
        LinkConverter encoder(target, charset);
        const LinkConverter::Result& encoded = encoder.Convert(address);
        Require(encoded.status == LinkConverter::Result::Status::Converted);
        LinkConverter again(LinkConverter::Target::None, charset);
        const LinkConverter::Result& back = again.Convert(encoded.links[0]);
        Require(back.status == LinkConverter::Result::Status::Converted && back.address == address);
    }
}

// Every link found in a text is what the converter makes of its span
// alone; links come in order, inside the text, without overlapping.
void CheckExtract(std::string_view text) {
    LinkConverter converter;
    size_t last = 0;
    for (const LinkFinder::Link& link : LinkFinder::FindAll(text)) {
        Require(link.begin >= last && link.begin < link.end && link.end <= text.size());
        last = link.end;
        const LinkConverter::Result& alone = converter.Convert(text.substr(link.begin, link.end - link.begin));
        Require((alone.status == LinkConverter::Result::Status::Converted) == link.decoded);
        Require(link.decoded ? alone.address == link.address && alone.taskId == link.taskId
                             : alone.error == link.error);
    }
}

// The window's convert-back gives the addresses `torvane-link --extract`
// gives, in order; where that finds none, the window converts only a text
// it reads by its older rule ("t", any nine characters, a payload).
void CheckWindow(std::string_view text) {
    if (!Utf8::IsValid(text)) return;  // the window's text is UTF-16: it holds no invalid UTF-8
    FuzzStreams streams(text, text.size() + 1);
    LinkTool::Main({"--extract"}, streams);
    // One result line per link found, in order; the window leaves task ids
    // (no addresses) off the clipboard.
    const std::vector<LinkFinder::Link> found = LinkFinder::FindAll(text);
    std::wstring addresses;
    size_t count = 0, index = 0;
    for (size_t start = 0; start < streams.out.size(); ++index) {
        const size_t end = streams.out.find('\n', start);
        const std::string_view line = std::string_view(streams.out).substr(start, end - start);
        if (!line.empty() && !(index < found.size() && found[index].taskId)) {
            if (count++) addresses += L"\r\n";
            addresses += ThunderLink::FromUtf8(line);
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    const ConversionCommands::Outcome window = ConversionCommands::LinkToAddress(ThunderLink::FromUtf8(text));
    const bool converted = window.kind == ConversionCommands::Outcome::Kind::Converted;
    if (count > 0)
        Require(converted && window.copy == addresses);
    else
        Require(!converted || (text.front() == 't' && !window.copy.empty()));
}

void CheckEncoder(std::string_view bytes) {
    std::string mine;
    Base64Payload::Encode(bytes, mine);
    Require(mine ==
            Module1::Base64EncodeBytesNarrow({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}));
    std::string buffer;
    std::string_view decoded;
    Require(Base64Payload::Decode(mine, buffer, decoded) && decoded == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    RunTool(data[0], input);
    size_t start = 0;
    while (start <= input.size()) {
        const size_t end = input.find('\n', start);
        CheckLine(input.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    CheckEncoder(input.substr(0, 512));
    CheckExtract(input);
    CheckWindow(input);
    return 0;
}
