#pragma once

// The real torvane.exe, started as its own process for each test, and the
// means to use it as a person would: its controls, clicks, and waits for
// what its boxes and the clipboard show.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/window/frmTest.h"
#include "tests/support/ChildProgram.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

// The program beside the tests in the build tree, or the one TORVANE_PROGRAM
// names (the release test points it at the copy unpacked from the zip).
inline std::wstring ProgramPath() {
    wchar_t named[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"TORVANE_PROGRAM", named, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return named;
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"..\\..\\app\\torvane.exe";
}

class TorvaneTest : public testing::Test {
protected:
    void SetUp() override {
        SyntheticInput::EmptyTheClipboard();
        m_window = ChildProgram::Start(ProgramPath(), frmTest::kClassName, m_process, kDeadlineMs);
        ASSERT_NE(m_process.hProcess, nullptr) << GetLastError();
        ASSERT_NE(m_window, nullptr) << "torvane.exe showed no window";
        text1 = GetDlgItem(m_window, frmTest::kText1);
        text2 = GetDlgItem(m_window, frmTest::kText2);
        command2 = GetDlgItem(m_window, frmTest::kCommand2);
        command3 = GetDlgItem(m_window, frmTest::kCommand3);
        SetForegroundWindow(m_window);
        ASSERT_TRUE(WaitUntil([this] { return GetForegroundWindow() == m_window && Focused(); }, kDeadlineMs));
    }

    void TearDown() override { ChildProgram::Close(m_process, m_window); }

    // Leave no text of megabytes on the clipboard: under Wine it is also the
    // display's selection, which another prefix's programs on the same
    // display (the DPI groups) copy in, holding the clipboard while they do.
    static void TearDownTestSuite() { SyntheticInput::EmptyTheClipboard(); }

    // The program runs in its own process, beside others on a loaded machine.
    static constexpr DWORD kDeadlineMs = 10000;

    // Waits (pumping) until `read` gives `expected`; what it gives then, or at
    // the deadline. A box being filled can be read half-way from another
    // process, and the clipboard is written after the boxes, so a check waits
    // for the whole expected text, not for any change.
    std::wstring OnceItIs(const std::function<std::wstring()>& read, const std::wstring& expected) {
        std::wstring now;
        WaitUntil([&] { return (now = read()) == expected; }, kDeadlineMs);
        return now;
    }
    std::wstring TextOnceItIs(HWND hwnd, const std::wstring& expected) {
        return OnceItIs([hwnd] { return SyntheticInput::WindowText(hwnd); }, expected);
    }
    std::wstring ClipboardOnceItIs(const std::wstring& expected) {
        return OnceItIs([] { return SyntheticInput::ClipboardText(); }, expected);
    }

    GUITHREADINFO ThreadInfo() {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(m_process.dwThreadId, &info);
        return info;
    }
    HWND Focused() { return ThreadInfo().hwndFocus; }

    // Presses the left button at `at`, waits until `pressed` shows that the
    // program has handled the press, and lets go.
    void PressAndRelease(POINT at, const std::function<bool()>& pressed) {
        SyntheticInput::LeftDownAt(at);
        EXPECT_TRUE(WaitUntil(pressed, kDeadlineMs)) << "the press was not handled";
        SyntheticInput::LeftUpAt(at);
    }

    // Clicks the centre of one of the program's controls and returns once it
    // has handled the release, and so any command the release sent: the
    // control let go of the capture it took on the press, and a message sent
    // afterwards was answered.
    void Click(HWND control) {
        PressAndRelease(SyntheticInput::CenterOf(control), [&] {
            const GUITHREADINFO info = ThreadInfo();
            return info.hwndFocus == control && info.hwndCapture == control;
        });
        EXPECT_TRUE(WaitUntil([&] { return !ThreadInfo().hwndCapture; }, kDeadlineMs));
        DWORD_PTR answer = 0;
        EXPECT_TRUE(SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kDeadlineMs, &answer));
    }

    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
    HWND text1 = nullptr, text2 = nullptr, command2 = nullptr, command3 = nullptr;
};

