// The torvane-link executable itself, started as a process: arguments and
// standard streams carry UTF-8 bytes, the same on Linux and on Windows, and
// it speaks the user's language. Windows tests run in a Chinese locale (code
// page 936); the Linux ones choose theirs.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "ChildProcess.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>

#include <cstdlib>
#endif

namespace {

// The locale the Linux program is started in; Windows ones always run in
// the Chinese locale the tests run in.
void UseLocale([[maybe_unused]] const char* locale) {
#ifndef _WIN32
    setenv("LC_ALL", locale, 1);
#endif
}

// A file in the working folder, removed at the end of the test.
class TextFile {
public:
    explicit TextFile(const std::string& bytes)
        : m_name("torvane-link-test-" + std::to_string(getpid()) + "-" + std::to_string(++s_count) + ".txt") {
        std::ofstream(m_name, std::ios::binary) << bytes;
    }
    ~TextFile() { std::remove(m_name.c_str()); }
    const std::string& Name() const { return m_name; }

private:
    static inline int s_count = 0;
    std::string m_name;
};

const std::string kGbkLink = "thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=";
const std::string kChinese = "http://下载.example.com/文件 1.zip";

ChildProcess::Outcome RunLink(const std::vector<std::string>& args, const std::string& input = "") {
    return ChildProcess::Run(ChildProcess::BesideTestExecutable(TORVANE_LINK_PATH), args, input);
}

}  // namespace

TEST(LinkProcess, ConvertsArgumentsWithChineseText) {
    const auto decoded = RunLink({kGbkLink, "qqdl://aHR0cDovL+S4i+i9vS5leGFtcGxlLmNvbS/mlofku7YgMS56aXA="});
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, kChinese + "\n" + kChinese + "\n");

    // An argument with spaces, quotes and Chinese text arrives whole, and is
    // encoded whole.
    const auto encoded = RunLink({"--to", "thunder", "  " + kChinese + " ", "http://x/\"q\"\\"});
    EXPECT_EQ(encoded.status, 0) << encoded.err;
    EXPECT_EQ(encoded.out,
              "thunder://QUEgIGh0dHA6Ly/PwtTYLmV4YW1wbGUuY29tL87EvP4gMS56aXAgWlo=\nthunder://QUFodHRwOi8veC8icSJcWlo=\n");
}

TEST(LinkProcess, ConvertsStandardInputLineByLine) {
    UseLocale("zh_CN.UTF-8");
    const std::string input = kGbkLink + "\r\nthunder://bad*\r\n\r\nftp://x/\r\n" + "http://x/한";
    const auto run = RunLink({}, input);
    EXPECT_EQ(run.status, 1);
    // Plain "\n" line ends and UTF-8 bytes, on every platform.
    EXPECT_EQ(run.out, kChinese + "\n\n\nftp://x/\nhttp://x/한\n");
    EXPECT_EQ(run.err, "第 2 行：不是有效的 Base64\n");

    const auto json = RunLink({"--json", "--to", "qqdl"}, "http://x/한\n");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "{\"line\":1,\"input\":\"http://x/한\",\"scheme\":\"http\",\"depth\":0,\"charset\":\"utf-8\","
              "\"address\":\"http://x/한\",\"qqdl\":\"qqdl://aHR0cDovL3gv7ZWc\"}\n");
}

TEST(LinkProcess, AnswersOptionsAsCommandLineToolsDo) {
    UseLocale("zh_CN.UTF-8");
    const auto help = RunLink({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("用法：torvane-link", 0), 0u);
    EXPECT_EQ(help.out.find('\r'), std::string::npos);
#ifndef _WIN32
    // English in the C locale, whatever LANGUAGE asks; Chinese as LANGUAGE's
    // first choice in another.
    setenv("LANGUAGE", "zh_CN:en", 1);
    UseLocale("C");
    EXPECT_EQ(RunLink({"--help"}).out.rfind("Usage: torvane-link", 0), 0u);
    UseLocale("en_US.UTF-8");
    EXPECT_EQ(RunLink({"--help"}).out.rfind("用法：", 0), 0u);
    unsetenv("LANGUAGE");
    EXPECT_EQ(RunLink({"--help"}).out.rfind("Usage: torvane-link", 0), 0u);
    UseLocale("zh_CN.UTF-8");
#endif

    const auto version = RunLink({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("torvane-link ", 0), 0u);

    const auto bad = RunLink({"--to", "nowhere"}, kGbkLink + "\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("--to 的方案未知"), std::string::npos);
}

TEST(LinkProcess, ReadsListsAsWindowsToolsSaveThem) {
    const std::string gbkLine = "http://\xCF\xC2\xD4\xD8.example.com/\xCE\xC4\xBC\xFE 1.zip\r\n";  // kChinese
    const std::string utf16 =  // "\uFEFF" + kChinese + "\r\n" in UTF-16LE
        std::string("\xFF\xFEh\0t\0t\0p\0:\0/\0/\0\x0B\x4E\x7D\x8F.\0e\0x\0a\0m\0p\0l\0e\0.\0c\0o\0m\0/\0"
                    "\x87\x65\xF6\x4E \0001\0.\0z\0i\0p\0\r\0\n\0",
                    66);
    const std::string mixed = gbkLine + kGbkLink + "\n" + kChinese + "\n";
    const std::string expected = kChinese + "\n";
    for (const auto& [text, want] : {std::pair{gbkLine, expected}, std::pair{utf16, expected},
                                     std::pair{"\xEF\xBB\xBF" + kChinese + "\r\n", expected},
                                     std::pair{mixed, expected + expected + expected}}) {
        const TextFile file(text);
        const auto fromFile = RunLink({"-i", file.Name()});
        EXPECT_EQ(fromFile.status, 0) << fromFile.err;
        EXPECT_EQ(fromFile.out, want);
        EXPECT_EQ(RunLink({}, text).out, want);
    }
    // GBK bytes out when asked.
    const auto gbk = RunLink({"--output-charset", "gbk", kGbkLink});
    EXPECT_EQ(gbk.status, 0);
    EXPECT_EQ(gbk.out, "http://\xCF\xC2\xD4\xD8.example.com/\xCE\xC4\xBC\xFE 1.zip\n");
}

#ifndef _WIN32
TEST(LinkProcess, ReportsStandardStreamsThatFail) {
    UseLocale("C");
    const std::string program = ChildProcess::BesideTestExecutable(TORVANE_LINK_PATH);
    const auto directory = ChildProcess::RunRedirected(program, {}, "/", "/dev/null");
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(directory.err, "torvane-link: cannot read standard input\n");
    const auto named = RunLink({"-i", "/"});
    EXPECT_EQ(named.status, 1);
    EXPECT_EQ(named.err, "torvane-link: cannot read '/'\n");
    for (const char* option : {"--help", "--version"}) {
        const auto full = ChildProcess::RunRedirected(program, {option}, "/dev/null", "/dev/full");
        EXPECT_EQ(full.status, 1) << option;
        EXPECT_EQ(full.err, "torvane-link: cannot write to standard output\n") << option;
    }
}
#endif
