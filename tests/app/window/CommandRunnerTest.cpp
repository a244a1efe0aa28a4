// The main window's commands through its runner, with steps the test lets
// go: a click while a command runs waits its turn, a late message of an ended
// step changes nothing, and a command that fails says so in the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/window/frmTest.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"
#include "TestExecutor.h"

namespace {

using SyntheticInput::ClipboardText;
using SyntheticInput::SetClipboardText;

const std::wstring kAddress = L"http://example.com/a.zip";
const std::wstring kLink = L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==";

class CommandRunnerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(form.Show(SW_SHOWNOACTIVATE)); }
    void TearDown() override {
        DestroyWindow(form.hwnd());
        // Only the program's own message loop ends with the window.
        MSG quit;
        EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    }
    void Press(int id) {
        const HWND button = GetDlgItem(form.hwnd(), id);
        SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    }

    TestExecutor executor;
    frmTest form{GetModuleHandleW(nullptr), frmTest::Look::Plain, executor};
};

}  // namespace

TEST_F(CommandRunnerTest, AClickWhileACommandRunsWaitsItsTurnOncePerButton) {
    SetClipboardText(kAddress);
    executor.holding = true;
    for (int id : {frmTest::kCommand2, frmTest::kCommand3, frmTest::kCommand3}) Press(id);
    ASSERT_EQ(executor.held.size(), 1u);
    EXPECT_EQ(form.Text2.Text(), L"");

    // The address becomes a link; the queued command then reads the
    // clipboard as it is by then, and turns the link back.
    ASSERT_TRUE(executor.RunHeld());
    ASSERT_TRUE(WaitUntil([&] { return !executor.held.empty(); }));
    EXPECT_EQ(form.Text2.Text(), kLink);
    EXPECT_EQ(ClipboardText(), kLink);
    form.Text1.SetText(L"");
    ASSERT_TRUE(executor.RunHeld());
    ASSERT_TRUE(WaitUntil([&] { return form.Text1.Text() == kAddress; }));
    EXPECT_EQ(ClipboardText(), kAddress);
    EXPECT_TRUE(executor.held.empty());  // the second click was not queued again
}

TEST_F(CommandRunnerTest, ALateMessageOfAnEndedStepChangesNothing) {
    // A short command is over before its step's message arrives...
    SetClipboardText(kAddress);
    Press(frmTest::kCommand2);
    ASSERT_EQ(form.Text2.Text(), kLink);
    MSG late;
    ASSERT_TRUE(PeekMessageW(&late, form.hwnd(), frmTest::kCommandStepDone, frmTest::kCommandStepDone, PM_NOREMOVE));

    // ...which comes while the next command's step still runs: taking it
    // neither ends that command nor waits for its step.
    form.Text1.SetText(L"");
    executor.holding = true;
    Press(frmTest::kCommand3);
    while (PeekMessageW(&late, form.hwnd(), frmTest::kCommandStepDone, frmTest::kCommandStepDone, PM_REMOVE))
        DispatchMessageW(&late);
    EXPECT_EQ(form.Text1.Text(), L"");
    ASSERT_TRUE(executor.RunHeld());
    ASSERT_TRUE(WaitUntil([&] { return form.Text1.Text() == kAddress; }));
    EXPECT_EQ(ClipboardText(), kAddress);
}

TEST_F(CommandRunnerTest, ACommandThatFailsSaysSoInItsResultBoxAndTheNextOneRuns) {
    const std::wstring failed(ConversionCommands::kFailed);
    SetClipboardText(kAddress);
    form.Text1.SetText(L"one");
    executor.failing = true;
    Press(frmTest::kCommand2);
    EXPECT_EQ(form.Text2.Text(), failed);
    Press(frmTest::kCommand3);
    EXPECT_EQ(form.Text1.Text(), failed);
    EXPECT_EQ(ClipboardText(), kAddress);

    executor.failing = false;
    Press(frmTest::kCommand2);
    EXPECT_EQ(form.Text2.Text(), kLink);
    EXPECT_EQ(ClipboardText(), kLink);
}
