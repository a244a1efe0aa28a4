// The torvane-link executable itself, started as a process: arguments and
// standard streams carry UTF-8 bytes, the same on Linux and on Windows.
#include <gtest/gtest.h>

#include <string>

#include "ChildProcess.h"

namespace {

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
    const std::string input = kGbkLink + "\r\nthunder://bad*\r\n\r\nftp://x/\r\n" + "http://x/한";
    const auto run = RunLink({}, input);
    EXPECT_EQ(run.status, 1);
    // Plain "\n" line ends and UTF-8 bytes, on every platform.
    EXPECT_EQ(run.out, kChinese + "\n\n\nftp://x/\nhttp://x/한\n");
    EXPECT_EQ(run.err, "line 2: not valid Base64\n");

    const auto json = RunLink({"--json", "--to", "qqdl"}, "http://x/한\n");
    EXPECT_EQ(json.status, 0);
    EXPECT_EQ(json.out,
              "{\"line\":1,\"input\":\"http://x/한\",\"scheme\":\"http\",\"depth\":0,\"charset\":\"utf-8\","
              "\"address\":\"http://x/한\",\"qqdl\":\"qqdl://aHR0cDovL3gv7ZWc\"}\n");
}

TEST(LinkProcess, AnswersOptionsAsCommandLineToolsDo) {
    const auto help = RunLink({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: torvane-link", 0), 0u);
    EXPECT_EQ(help.out.find('\r'), std::string::npos);

    const auto version = RunLink({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("torvane-link ", 0), 0u);

    const auto bad = RunLink({"--to", "nowhere"}, kGbkLink + "\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("unknown scheme for --to"), std::string::npos);
}

#ifndef _WIN32
TEST(LinkProcess, ReportsStandardStreamsThatFail) {
    const std::string program = ChildProcess::BesideTestExecutable(TORVANE_LINK_PATH);
    const auto directory = ChildProcess::RunRedirected(program, {}, "/", "/dev/null");
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(directory.err, "torvane-link: cannot read standard input\n");
    for (const char* option : {"--help", "--version"}) {
        const auto full = ChildProcess::RunRedirected(program, {option}, "/dev/null", "/dev/full");
        EXPECT_EQ(full.status, 1) << option;
        EXPECT_EQ(full.err, "torvane-link: cannot write to standard output\n") << option;
    }
}
#endif
