// The program as a whole, in-process: options, batches from standard input
// or arguments, result lines, per-line errors, JSON and exit statuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "link/tool/ConsolePieces.h"
#include "link/engine/Gbk.h"
#include "link/tool/LinkTool.h"
#include "link/engine/Utf8.h"

namespace {

// Standard input handed over `chunk` bytes at a time; output collected.
class FakeStreams : public IStreams {
public:
    explicit FakeStreams(std::string input, size_t chunk = 1 << 20) : m_input(std::move(input)), m_chunk(chunk) {}
    size_t Read(char* buffer, size_t size) override {
        if (failRead) return kReadFailed;
        const size_t n = std::min({size, m_chunk, m_input.size() - m_offset});
        std::copy_n(m_input.data() + m_offset, n, buffer);
        m_offset += n;
        return n;
    }
    bool Write(std::string_view bytes) override {
        out.append(bytes);
        return !failWrites;
    }
    void WriteError(std::string_view bytes) override { err.append(bytes); }
    bool InputIsConsole() const override { return console; }
    bool OutputIsConsole() const override { return console; }
    bool ReadFile(const std::string& name, std::string& bytes) override {
        const auto file = files.find(name);
        if (file == files.end()) return false;
        bytes = file->second;
        return true;
    }

    std::string out, err;
    std::map<std::string, std::string> files;
    bool failWrites = false;
    bool failRead = false;
    bool console = false;

private:
    std::string m_input;
    size_t m_chunk;
    size_t m_offset = 0;
};

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun RunTool(const std::vector<std::string>& args, const std::string& input = "", size_t chunk = 1 << 20,
               Messages::Language language = Messages::Language::English) {
    FakeStreams streams(input, chunk);
    const int status = LinkTool::Main(args, streams, language);
    return {status, streams.out, streams.err};
}

ToolRun RunChinese(const std::vector<std::string>& args, const std::string& input = "") {
    return RunTool(args, input, 1 << 20, Messages::Language::Chinese);
}

std::string InGbk(std::string_view utf8) {
    std::string gbk;
    char32_t unmappable = 0;
    Gbk::FromUtf8(utf8, gbk, unmappable);
    return gbk;
}

std::string InUtf16(std::string_view utf8, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (const char16_t unit : Utf8::ToUtf16(utf8)) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        bytes += little ? std::string{low, high} : std::string{high, low};
    }
    return bytes;
}

const std::string kLink = "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==";
const std::string kAddress = "http://example.com/a.zip";
const std::string kGbkLink = "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=";
const std::string kChinese = "http://下载.example.com/文件 1.zip";

// A mixed batch: good links of each kind, bad lines, a blank line, CRLF.
const std::string kBatch = kLink + "\n" +                                                     // 1
                           "thunder://QUFodHRwOi8v*ZXhh\n" +                                  // 2 bad Base64
                           "  " + kGbkLink + " \r\n" +                                        // 3
                           "\n" +                                                             // 4 blank
                           "flashget://W0ZMQVNIR0VUXWh0dHA6Ly94\n" +                          // 5 no closing wrapper
                           "qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA=\n" +  // 6 UTF-8
                           "ftp://x/y\n" +                                                    // 7 passes through
                           "nonsense";                                                        // 8, no final line break

}  // namespace

TEST(LinkTool, ConvertsABatchInOrderWithErrorsPerLine) {
    const std::string expected = kAddress + "\n\n" + kChinese + "\n\n\n" + kChinese + "\nftp://x/y\n\n";
    // However standard input arrives (one byte at a time, or lines split
    // across reads), the results are the same.
    for (const size_t chunk : {size_t{1}, size_t{7}, size_t{1} << 20}) {
        const ToolRun run = RunTool({}, kBatch, chunk);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, expected) << chunk;
        EXPECT_EQ(run.err,
                  "line 2: not valid Base64\n"
                  "line 5: missing [FLASHGET] wrapper\n"
                  "line 8: not a link or address\n")
            << chunk;
    }
}

TEST(LinkTool, ExitsZeroWhenEveryLineConverts) {
    const ToolRun run = RunTool({}, kLink + "\r\n" + kGbkLink + "\n\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, kAddress + "\n" + kChinese + "\n\n");
    EXPECT_EQ(run.err, "");

    const ToolRun none = RunTool({}, "");
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "");
}

TEST(LinkTool, TakesInputsFromArgumentsInsteadOfStandardInput) {
    const ToolRun run = RunTool({kLink, "--", "-not-an-option", kGbkLink}, "ignored\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kAddress + "\n\n" + kChinese + "\n");
    EXPECT_EQ(run.err, "line 2: not a link or address\n");
    // A link split over lines inside one argument is still one input.
    EXPECT_EQ(RunTool({"thunder://QUFodHRwOi8vZXhh\nbXBsZS5jb20vYS56aXBaWg=="}).out, kAddress + "\n");
}

TEST(LinkTool, EncodesWithTo) {
    // GBK, or UTF-8 for an address GBK cannot hold; --charset gbk refuses it.
    const std::vector<std::string> addresses = {kAddress, "https://例子.测试/", "http://x/한"};
    std::vector<std::string> args = {"--to", "thunder"};
    args.insert(args.end(), addresses.begin(), addresses.end());
    const ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==\nthunder://QUFodHRwczovL8D919MusuLK1C9aWg==\n"
              "thunder://QUFodHRwOi8veC/tlZxaWg==\n");
    args.insert(args.begin(), {"-c", "gbk"});
    const ToolRun strict = RunTool(args);
    EXPECT_EQ(strict.status, 1);
    EXPECT_EQ(strict.out,
              "thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==\nthunder://QUFodHRwczovL8D919MusuLK1C9aWg==\n\n");
    EXPECT_EQ(strict.err, "line 3: character U+D55C cannot be represented in GBK\n");

    // --to all: the three links on one line, tab-separated.
    const ToolRun all = RunTool({"-t", "ALL", "--charset=utf-8", "http://x/"});
    EXPECT_EQ(
        all.out,
        "thunder://QUFodHRwOi8veC9aWg==\tflashget://W0ZMQVNIR0VUXWh0dHA6Ly94L1tGTEFTSEdFVF0=\tqqdl://aHR0cDovL3gv\n");
}

TEST(LinkTool, WritesOneJsonObjectPerLine) {
    const ToolRun run = RunTool({"--json"}, kBatch);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "line 2: not valid Base64\nline 5: missing [FLASHGET] wrapper\nline 8: not a link or address\n");
    const std::string expected =
        R"({"line":1,"input":")" + kLink + R"(","scheme":"thunder","depth":1,"charset":"ascii","address":")" +
        kAddress + "\"}\n" +
        R"({"line":2,"input":"thunder://QUFodHRwOi8v*ZXhh","scheme":"thunder","error":"not valid Base64"})"
        "\n" +
        R"({"line":3,"input":"  )" + kGbkLink + R"( ","scheme":"thunder","depth":1,"charset":"gbk","address":")" +
        kChinese + "\"}\n" +
        R"({"line":4,"input":"","blank":true})"
        "\n" +
        R"({"line":5,"input":"flashget://W0ZMQVNIR0VUXWh0dHA6Ly94","scheme":"flashget","error":"missing [FLASHGET] wrapper"})"
        "\n" +
        R"({"line":6,"input":"qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA=","scheme":"qqdl","depth":1,"charset":"utf-8","address":")" +
        kChinese + "\"}\n" +
        R"({"line":7,"input":"ftp://x/y","scheme":"ftp","depth":0,"charset":"ascii","address":"ftp://x/y"})"
        "\n" +
        R"({"line":8,"input":"nonsense","scheme":null,"error":"not a link or address"})"
        "\n";
    EXPECT_EQ(run.out, expected);

    // Encoded links appear under their scheme's name; input that is not
    // UTF-8 or holds quotes and controls still makes valid JSON.
    EXPECT_EQ(
        RunTool({"-j", "-t", "qqdl", "http://x/"}).out,
        R"({"line":1,"input":"http://x/","scheme":"http","depth":0,"charset":"ascii","address":"http://x/","qqdl":"qqdl://aHR0cDovL3gv"})"
        "\n");
    EXPECT_EQ(RunTool({"-j"}, "\"\\\t\x01\xFF\n").out, R"({"line":1,"input":"\"\\\t\u0001)"
                                                       "\xEF\xBF\xBD"
                                                       R"(","scheme":null,"error":"not a link or address"})"
                                                       "\n");
}

TEST(LinkTool, ExtractsEveryLinkFromTheWholeInput) {
    const std::string page = "<p>第1集 <a href=\"" + kLink + "\">下载</a></p>\n<p>坏的：thunder://QUFodHRwOi8v*</p>\n" +
                             "<p>第2集：" + kGbkLink + "。</p>\n";
    const ToolRun run = RunTool({"--extract"}, page);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, kAddress + "\n\n" + kChinese + "\n");
    EXPECT_EQ(run.err, "line 2: missing AA...ZZ wrapper\n");

    // JSON gives each link's byte offsets; --to converts every link found;
    // arguments are lines of the text.
    const size_t begin = page.find(kLink);
    const std::string json = RunTool({"-xj"}, page).out;
    EXPECT_EQ(json.substr(0, json.find('\n')),
              "{\"line\":1,\"begin\":" + std::to_string(begin) + ",\"end\":" + std::to_string(begin + kLink.size()) +
                  ",\"input\":\"" + kLink + R"(","scheme":"thunder","depth":1,"charset":"ascii","address":")" +
                  kAddress + "\"}");
    EXPECT_EQ(RunTool({"-x", "--to", "qqdl", "见" + kLink + "，", "无链接"}).out,
              "qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw\n");

    // A page saved as UTF-16 or GBK, named with -i, is searched as text.
    for (const std::string& saved : {InUtf16(page, true), InGbk(page)}) {
        FakeStreams streams("");
        streams.files["page.html"] = saved;
        EXPECT_EQ(LinkTool::Main({"-x", "-i", "page.html"}, streams), 1);
        EXPECT_EQ(streams.out, kAddress + "\n\n" + kChinese + "\n");
    }
}

TEST(LinkTool, VerboseReportsSchemeDepthAndCharacterSet) {
    const ToolRun run = RunTool({"-v", kGbkLink, "ftp://x/", "x"});
    EXPECT_EQ(run.out, kChinese + "\nftp://x/\n\n");
    EXPECT_EQ(run.err,
              "line 1: thunder, 1 level, charset gbk\n"
              "line 2: ftp, passed through\n"
              "line 3: not a link or address\n");
    EXPECT_EQ(RunTool({"-vt", "all", kLink}).err,
              "line 1: thunder, 1 level, charset ascii, encoded as thunder, flashget, qqdl\n");
}

TEST(LinkTool, TellsATaskIdFromAnAddress) {
    const std::string id = "thunder://QUEwMTIzNDU2Nzg5QUJDREVGMDEyM1pa";
    EXPECT_EQ(RunTool({id}).out, "0123456789ABCDEF0123\n");
    EXPECT_NE(RunTool({"-j", id}).out.find(R"("kind":"id","address":"0123456789ABCDEF0123")"), std::string::npos);
    const ToolRun verbose = RunTool({"-v", id});
    EXPECT_EQ(verbose.status, 0);
    EXPECT_NE(verbose.err.find("line 1: warning: a thunder task id, not an address\n"), std::string::npos);
}

TEST(LinkTool, RejectsBadOptionsWithStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {"--bogus"}, {"-q"}, {"--to"}, {"--to", "ed2k"}, {"-t"}, {"--charset", "latin1"}, {"--json=yes"}, {kLink, "-c"},
    };
    for (const auto& args : bad) {
        const ToolRun run = RunTool(args, kLink + "\n");
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Try 'torvane-link --help'"), std::string::npos);
    }
    EXPECT_EQ(RunTool({"--to", "ed2k"}).err,
              "torvane-link: unknown scheme for --to: 'ed2k' (thunder, flashget, qqdl, fs2you, all)\n"
              "Try 'torvane-link --help' for more information.\n");
}

TEST(LinkTool, HelpAndVersion) {
    const ToolRun help = RunTool({kLink, "--help", "--bogus"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: torvane-link [OPTION]... [LINK-OR-ADDRESS]...\n", 0), 0u);
    for (const char* mention : {"--to", "--charset", "--json", "--verbose", "Exit status", "fs2you"})
        EXPECT_NE(help.out.find(mention), std::string::npos) << mention;
    EXPECT_EQ(RunTool({"-h"}).out, help.out);

    const ToolRun version = RunTool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("torvane-link ", 0), 0u);
    EXPECT_EQ(version.out.back(), '\n');
    EXPECT_EQ(RunTool({"-V"}).out, version.out);
}

TEST(LinkTool, ReportsStreamsThatFail) {
    FakeStreams streams(kLink + "\n");
    streams.failWrites = true;
    EXPECT_EQ(LinkTool::Main({}, streams), 1);
    EXPECT_EQ(streams.err, "torvane-link: cannot write the results\n");
    for (const char* option : {"--help", "-V"}) {
        FakeStreams full("");
        full.failWrites = true;
        EXPECT_EQ(LinkTool::Main({option}, full), 1);
        EXPECT_EQ(full.err, "torvane-link: cannot write to standard output\n");
    }
    FakeStreams unreadable(kLink + "\n");
    unreadable.failRead = true;
    EXPECT_EQ(LinkTool::Main({}, unreadable), 1);
    EXPECT_EQ(unreadable.err, "torvane-link: cannot read standard input\n");
}

TEST(LinkTool, HandlesLargeBatches) {
    // More output than one write holds, and a line far longer than a read.
    std::string input;
    for (int i = 0; i < 20000; ++i) input += kGbkLink + "\n";
    const std::string longAddress = "http://x/" + std::string(3 << 20, 'a');
    input += longAddress + "\n";
    const ToolRun run = RunTool({}, input, 100000);
    EXPECT_EQ(run.status, 0);
    std::string expected;
    for (int i = 0; i < 20000; ++i) expected += kChinese + "\n";
    expected += longAddress + "\n";
    EXPECT_TRUE(run.out == expected);
}

TEST(LinkTool, ReadsTextAsWindowsToolsSaveIt) {
    const std::string addresses = kChinese + "\r\n" + kLink + "\r\nhttp://x/한😀\r\n";
    const std::string expected = kChinese + "\n" + kAddress + "\nhttp://x/한😀\n";
    const std::string gbk = InGbk(kChinese) + "\r\n" + kLink + "\r\n";
    const std::map<std::string, std::pair<std::string, std::string>> texts = {
        {"utf-8 with BOM", {"\xEF\xBB\xBF" + addresses, expected}},
        {"utf-16le", {InUtf16(addresses, true), expected}},
        {"utf-16be", {InUtf16(addresses, false), expected}},
        {"gbk", {gbk, kChinese + "\n" + kAddress + "\n"}},
        // Lines in UTF-8 and lines in GBK, as lists pasted together get.
        {"mixed",
         {kGbkLink + "\n" + gbk + "http://x/한\n", kChinese + "\n" + kChinese + "\n" + kAddress + "\nhttp://x/한\n"}},
    };
    for (const auto& [name, text] : texts) {
        // Standard input in pieces that split marks, units and surrogate pairs.
        for (const size_t chunk : {size_t{1}, size_t{3}, size_t{1} << 20}) {
            const ToolRun run = RunTool({}, text.first, chunk);
            EXPECT_EQ(run.out, text.second) << name << " " << chunk;
            EXPECT_EQ(run.err, "") << name;
        }
        // The same text as a file, between arguments, and through "-".
        FakeStreams streams(text.first);
        streams.files["list.txt"] = text.first;
        EXPECT_EQ(LinkTool::Main({kLink, "-i", "list.txt", "ftp://x/", "-"}, streams), 0) << name;
        EXPECT_EQ(streams.out, kAddress + "\n" + text.second + "ftp://x/\n" + text.second) << name;
    }

    // Forced sets: GBK even where bytes pass for UTF-8, UTF-16 without a mark,
    // UTF-8 refusing GBK; a text cut inside a UTF-16 unit ends in U+FFFD.
    EXPECT_EQ(RunTool({"--input-charset", "gbk"}, "http://x/\xC3\xA9\n").out, "http://x/茅\n");
    EXPECT_EQ(RunTool({"--input-charset=utf-16"}, InUtf16(kChinese, true).substr(2)).out, kChinese + "\n");
    EXPECT_EQ(RunTool({"--input-charset", "utf-8"}, gbk).err, "line 1: address is not valid UTF-8\n");
    EXPECT_EQ(RunTool({}, InUtf16("http://x/", true) + "y").out, "http://x/\xEF\xBF\xBD\n");

    // A file that cannot be read fails after the lines before it.
    const ToolRun missing = RunTool({kLink, "--input", "missing.txt", "ftp://x/"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, kAddress + "\nftp://x/\n");
    EXPECT_EQ(missing.err, "torvane-link: cannot read 'missing.txt'\n");
}

TEST(LinkTool, WritesGbkWhenAsked) {
    const ToolRun run = RunTool({"--output-charset", "gbk", kGbkLink, kLink});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, InGbk(kChinese) + "\n" + kAddress + "\n");
    // A character GBK has no code for is written as "?", and said so.
    const ToolRun lossy = RunTool({"--output-charset=GBK", "http://x/한"});
    EXPECT_EQ(lossy.status, 1);
    EXPECT_EQ(lossy.out, "http://x/?\n");
    EXPECT_NE(lossy.err.find("written as \"?\""), std::string::npos);
    // A console is given the text itself.
    FakeStreams console("");
    console.console = true;
    EXPECT_EQ(LinkTool::Main({"--output-charset", "gbk", kGbkLink}, console), 0);
    EXPECT_EQ(console.out, kChinese + "\n");
    EXPECT_EQ(RunTool({"--output-charset", "auto"}).status, 2);
}

TEST(LinkTool, SpeaksChineseToChineseUsers) {
    EXPECT_EQ(RunChinese({"--help"}).out.rfind("用法：torvane-link [选项]... [链接或地址]...\n", 0), 0u);
    // Both help texts name every option.
    for (const auto language : {Messages::Language::English, Messages::Language::Chinese}) {
        const std::string help = RunTool({"-h"}, "", 1, language).out;
        for (const char* option : {"--to", "--charset", "--input ", "--input-charset", "--output-charset", "--json",
                                   "--verbose", "--version", "chcp 65001", "Get-Content"})
            EXPECT_NE(help.find(option), std::string::npos) << option;
    }

    const ToolRun run = RunChinese({"-v", kLink, "thunder://QUFxcWRsOi8vKlpa", "x"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "第 1 行：thunder，1 层，字符集 ascii\n"
              "第 2 行：第 2 层（qqdl）：不是有效的 Base64\n"
              "第 3 行：不是链接或地址\n");
    // JSON stays in English, for scripts.
    EXPECT_NE(RunChinese({"-j", "x"}).out.find("\"error\":\"not a link or address\""), std::string::npos);
    EXPECT_EQ(RunChinese({"--to", "ed2k"}).err,
              "torvane-link：--to 的方案未知：“ed2k”（thunder, flashget, qqdl, fs2you, all）\n"
              "请用“torvane-link --help”查看更多信息。\n");
    EXPECT_EQ(RunChinese({"-i", "没有.txt"}).err, "torvane-link：无法读取“没有.txt”\n");

    // Started from a console with nothing to do, it says what it waits for.
    FakeStreams console(kLink + "\n");
    console.console = true;
    EXPECT_EQ(LinkTool::Main({}, console, Messages::Language::Chinese), 0);
    EXPECT_EQ(console.err.rfind("torvane-link：请粘贴链接或地址，每行一个；", 0), 0u);
    EXPECT_EQ(console.out, kAddress + "\n");
}

TEST(ConsolePieces, NeverPartASurrogatePair) {
    // A pair straddling the end of a console write, then of a console read.
    for (const size_t limit : {ConsolePieces::kWriteUnits, ConsolePieces::kReadUnits}) {
        const std::string text = std::string(limit - 1, 'a') + "😀b" + std::string(limit, 'c') + "😀";
        const std::u16string units = Utf8::ToUtf16(text);
        std::string written;
        for (std::u16string_view rest = units; !rest.empty();) {
            const size_t size = ConsolePieces::PieceSize(rest, limit);
            ASSERT_GT(size, 0u);
            written += Utf8::FromUtf16(rest.substr(0, size));
            rest.remove_prefix(size);
        }
        EXPECT_TRUE(written == text) << limit;
        // Reads come as the console hands them over, in full pieces.
        ConsolePieces::Reader reader;
        std::string read;
        for (size_t at = 0; at < units.size(); at += limit)
            read += reader.Take(std::u16string_view(units).substr(at, limit));
        read += reader.End();
        EXPECT_TRUE(read == text) << limit;
    }
    // Input that ends inside a pair.
    ConsolePieces::Reader reader;
    EXPECT_EQ(reader.Take(u"x\xD83D"), "x");
    EXPECT_EQ(reader.End(), "\xEF\xBF\xBD");
}
