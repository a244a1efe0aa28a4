// The conversion commands on real EDIT controls and the real clipboard,
// run as the window runs them, each step at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/core/ConversionCommands.h"
#include "app/window/CommandRunner.h"
#include "plumbing/Clipboard.h"
#include "plumbing/GlobalLockGuard.h"
#include "plumbing/TextBox.h"
#include "tests/support/ClipboardPeer.h"
#include "TestExecutor.h"
#include "tests/support/SyntheticInput.h"

namespace {

using SyntheticInput::ClipboardText;
using SyntheticInput::PutOnClipboard;
using SyntheticInput::SetClipboardText;

class CommandsOnWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        m_window = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 500, 200, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(m_window, nullptr);
        const DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL;
        text1.Bind(CreateWindowExW(0, L"EDIT", L"", style, 0, 0, 425, 57, m_window, nullptr, nullptr, nullptr));
        text2.Bind(CreateWindowExW(0, L"EDIT", L"", style, 0, 64, 425, 57, m_window, nullptr, nullptr, nullptr));
        ASSERT_NE(text1.hwnd(), nullptr);
        ASSERT_NE(text2.hwnd(), nullptr);
    }
    void TearDown() override { DestroyWindow(m_window); }

    void PressCommand2() { runner.Click(CommandRunner::Command::AddressToLink); }
    void PressCommand3() { runner.Click(CommandRunner::Command::LinkToAddress); }

    HWND m_window = nullptr;
    TextBox text1, text2;
    Clipboard clipboard{nullptr};
    ConversionCommands commands{text1, text2};
    TestExecutor executor;
    CommandRunner runner{commands, clipboard, executor};
};

}  // namespace

TEST_F(CommandsOnWindowsTest, BothDirectionsLeaveOnlyTheResultOnTheClipboard) {
    const std::wstring address = L"http://下载.example.com/文件 1.zip";
    const std::wstring link = L"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=";
    // Start from a clipboard with more than one format on it.
    SetClipboardText(address);
    ASSERT_TRUE(OpenClipboard(nullptr));
    const char extra[] = "extra";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof extra);
    {
        const GlobalLockGuard locked(memory);
        ASSERT_TRUE(locked);
        memcpy(locked.get(), extra, sizeof extra);
    }
    SetClipboardData(RegisterClipboardFormatW(L"Torvane.TestFormat"), memory);
    CloseClipboard();

    PressCommand2();
    EXPECT_EQ(text1.Text(), address);
    EXPECT_EQ(text2.Text(), link);
    EXPECT_EQ(ClipboardText(), link);
    EXPECT_EQ(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Torvane.TestFormat")), FALSE);

    text1.SetText(L"");
    PressCommand3();
    EXPECT_EQ(text1.Text(), address);
    EXPECT_EQ(text2.Text(), link);
    EXPECT_EQ(ClipboardText(), address);
}

TEST_F(CommandsOnWindowsTest, CaseRulesOfTheFirstCharacter) {
    SetClipboardText(L"HTTP://EXAMPLE.COM/");
    PressCommand2();
    EXPECT_EQ(text1.Text(), L"HTTP://EXAMPLE.COM/");
    EXPECT_EQ(ClipboardText(), text2.Text());

    // A link's scheme name is read in any case.
    SetClipboardText(L"Thunder://QUFodHRwOi8veFpa");
    PressCommand3();
    EXPECT_EQ(text1.Text(), L"http://x");
    EXPECT_EQ(ClipboardText(), L"http://x");
    text1.SetText(L"keep");

    // Any ten characters in front of a valid payload will do.
    SetClipboardText(L"1234567890QUFodHRwOi8veFpa");
    PressCommand3();
    EXPECT_EQ(text1.Text(), L"keep");  // first character is not "t"
    SetClipboardText(L"t234567890QUFodHRwOi8veFpa");
    PressCommand3();
    EXPECT_EQ(text1.Text(), L"http://x");
}

TEST_F(CommandsOnWindowsTest, NothingOrNoTextOnTheClipboardChangesNothing) {
    text1.SetText(L"one");
    text2.SetText(L"two");
    SyntheticInput::EmptyTheClipboard();
    PressCommand2();
    PressCommand3();
    const char bytes[] = {1, 2, 3};
    PutOnClipboard(RegisterClipboardFormatW(L"Torvane.Binary"), bytes, sizeof bytes);  // no text
    PressCommand2();
    PressCommand3();
    EXPECT_EQ(text1.Text(), L"one");
    EXPECT_EQ(text2.Text(), L"two");
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Torvane.Binary")));
}

TEST_F(CommandsOnWindowsTest, ReadsAnsiTextThroughTheSystemConversion) {
    const char ansi[] = "http://\xd6\xd0\xce\xc4/";  // "中文" in code page 936
    PutOnClipboard(CF_TEXT, ansi, sizeof ansi);
    PressCommand2();
    EXPECT_EQ(text1.Text(), L"http://中文/");
}

TEST_F(CommandsOnWindowsTest, ClipboardHeldByAnotherProgramLeavesItIntact) {
    SetClipboardText(L"http://example.com/held");
    ClipboardPeer holder("hold");
    ASSERT_TRUE(holder.Working());

    // Read fails: nothing happens. The program goes on.
    text1.SetText(L"one");
    PressCommand2();
    EXPECT_EQ(text1.Text(), L"one");
    // A write that cannot get the clipboard leaves the old text on it.
    EXPECT_FALSE(clipboard.ReplaceText(L"new"));

    holder.Stop();
    EXPECT_EQ(ClipboardText(), L"http://example.com/held");
}

TEST_F(CommandsOnWindowsTest, BoxesHoldTextsUpToTheirLimitAndTheCutOnesWhole) {
    const std::wstring fits = L"http://x/" + std::wstring(ConversionCommands::kBoxLimit - 9, L'中');
    for (const std::wstring& address : {fits, fits + L"b"}) {
        SetClipboardText(address);
        PressCommand2();
        const std::wstring link = ClipboardText();
        ASSERT_EQ(link.rfind(L"thunder://", 0), 0u);
        // What the controls hold is all that was put in them, mark included.
        EXPECT_EQ(text1.Text(), ConversionCommands::BoxText(address, false));
        EXPECT_EQ(text2.Text(), ConversionCommands::BoxText(link, true));
        PressCommand3();
        EXPECT_EQ(ClipboardText(), address);
    }
    EXPECT_EQ(ConversionCommands::BoxText(fits, false), fits);
}

TEST_F(CommandsOnWindowsTest, ReadsGbkAndUtf8LinksAndWritesUtf8WhereGbkFallsShort) {
    // The same Chinese address as a GBK link and as a UTF-8 link.
    const std::wstring address = L"http://下载.example.com/文件 1.zip";
    for (const std::wstring link : {L"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=",
                                    L"thunder://QUFodHRwOi8v5LiL6L29LmV4YW1wbGUuY29tL+aWh+S7tiAxLnppcFpa"}) {
        text1.SetText(L"");
        SetClipboardText(link);
        PressCommand3();
        EXPECT_EQ(text1.Text(), address) << link.size();
        EXPECT_EQ(ClipboardText(), address);
    }
    // A Korean address has no GBK bytes: its link carries UTF-8 and converts back.
    const std::wstring korean = L"http://example.com/한국어 파일.zip";
    SetClipboardText(korean);
    PressCommand2();
    EXPECT_EQ(ClipboardText(), L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20v7ZWc6rWt7Ja0IO2MjOydvC56aXBaWg==");
    PressCommand3();
    EXPECT_EQ(text1.Text(), korean);
    EXPECT_EQ(ClipboardText(), korean);
}

TEST_F(CommandsOnWindowsTest, RefusedLinksLeaveTheClipboardAlone) {
    // An empty address, no "AA"..."ZZ" around the address, a NUL in it.
    for (const std::wstring link : {L"thunder://QUFaWg==", L"thunder://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw",
                                    L"thunder://QUFoAHR0cDovL3haWg=="}) {
        text1.SetText(L"one");
        SetClipboardText(link);
        ASSERT_TRUE(OpenClipboard(nullptr));  // a second format beside the text
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 1);
        SetClipboardData(RegisterClipboardFormatW(L"Torvane.Extra"), memory);
        CloseClipboard();
        const DWORD sequence = GetClipboardSequenceNumber();
        PressCommand3();
        EXPECT_EQ(text2.Text(), link);
        EXPECT_EQ(text1.Text(), L"one");
        EXPECT_EQ(ClipboardText(), link);
        EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Torvane.Extra")));
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
    }
}
