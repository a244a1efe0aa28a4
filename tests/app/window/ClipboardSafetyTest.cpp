// The real torvane.exe beside other programs at work on the clipboard: it
// never leaves the clipboard emptied or stale, never claims a copy that did
// not happen, and never hangs on an owner that does not answer.
#include <cmath>

#include "tests/support/ClipboardPeer.h"
#include "TorvaneProcess.h"
#include "app/core/ConversionCommands.h"
#include "app/core/ThunderLink.h"

using namespace SyntheticInput;

namespace {

// An address of `length` characters, ASCII and Chinese.
std::wstring MakeAddress(size_t length) {
    std::wstring address = L"http://example.com/";
    while (address.size() < length) address += L"下载/file-0123.zip&";
    address.resize(length);
    return address;
}

// Waits until the clipboard holds `expected`, reading it only when it has
// changed (a large text takes a while to read); what it held last.
std::wstring ClipboardOnceItHolds(const std::wstring& expected) {
    DWORD seen = 0;
    std::wstring now;
    WaitUntil(
        [&] {
            const DWORD sequence = GetClipboardSequenceNumber();
            if (sequence == seen) return false;
            seen = sequence;
            return (now = ClipboardText()) == expected;
        },
        30000);
    return now;
}

bool StartsWith(const std::wstring& text, std::wstring_view prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

// 100 addresses from 10 characters to 4 MB of text (2 Mi characters), each
// converted to its link and
// back: 200 conversions through both buttons, once beside a reader that
// opens the clipboard with its own window on every change, once beside one
// that polls and opens it without a window. Each ends with its result on
// the clipboard.
TEST_F(TorvaneTest, EveryConversionReachesTheClipboardBesideOtherReaders) {
    constexpr int kAddresses = 100;
    constexpr double kLongest = 2 << 20;
    for (const char* mode : {"listen", "poll"}) {
        ClipboardPeer reader(mode);
        ASSERT_TRUE(reader.Working()) << mode;
        for (int i = 0; i < kAddresses; ++i) {
            const auto length = static_cast<size_t>(10 * std::pow(kLongest / 10, i / (kAddresses - 1.0)));
            const std::wstring address = MakeAddress(length), link = ThunderLink::FromAddress(address);
            SetClipboardText(address);
            SendMessageW(command2, BM_CLICK, 0, 0);
            const std::wstring linkThere = ClipboardOnceItHolds(link);
            ASSERT_TRUE(linkThere == link) << mode << " address " << i << ": clipboard holds " << linkThere.size()
                                           << " characters, not the link's " << link.size();
            SendMessageW(command3, BM_CLICK, 0, 0);
            const std::wstring addressThere = ClipboardOnceItHolds(address);
            ASSERT_TRUE(addressThere == address) << mode << " link " << i << ": clipboard holds "
                                                 << addressThere.size() << " characters";
            ASSERT_FALSE(StartsWith(WindowText(text1), std::wstring(ConversionCommands::kNotCopied)));
        }
    }
}

// Another program takes the clipboard between the window's read and its
// write, and keeps it for 3 seconds: the user's text stays, and the result
// box says that the result is not on the clipboard.
TEST_F(TorvaneTest, ResultThatMissesTheClipboardIsSaidSo) {
    const std::wstring address = MakeAddress(4 << 20);
    SetClipboardText(address);
    ClipboardPeer grabber("grab");
    ASSERT_TRUE(grabber.Working());
    SendMessageW(command2, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return StartsWith(WindowText(text2), std::wstring(ConversionCommands::kNotCopied)); },
                          20000));
    grabber.Stop();
    EXPECT_TRUE(ClipboardText() == address);
    EXPECT_EQ(WindowText(text2).find(L"已复制到剪贴板】"), std::wstring::npos);
}

// An owner that offers text by delayed rendering and then stops answering:
// the window refuses within seconds and lets go of the clipboard, other
// programs can open it again at once, and closing the window ends the
// program.
TEST_F(TorvaneTest, OwnerThatNeverRendersIsRefusedAndHoldsNothing) {
    ClipboardPeer owner("stall");
    ASSERT_TRUE(owner.Working());
    SendMessageW(command3, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return WindowText(text2) == ConversionCommands::kUnreadable; }, 20000))
        << "the window did not refuse";
    EXPECT_EQ(WindowText(text1), L"");
    const HWND opener = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return OpenClipboard(opener) && CloseClipboard(); }, 500))
        << "the clipboard stays open";
    DestroyWindow(opener);

    PostMessageW(m_window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 3000), WAIT_OBJECT_0) << "the program did not end";
    EXPECT_EQ(WaitForSingleObject(owner.Process(), 0), WAIT_TIMEOUT);  // the owner is still stalled
}
