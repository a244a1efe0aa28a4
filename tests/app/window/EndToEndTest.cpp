// Starts the real torvane.exe as its own process and uses it as a person
// would: clipboard, clicks, Tab, reading the boxes back, closing it.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/core/Acknowledgement.h"
#include "app/core/ThunderLink.h"
#include "caption/ShippedSkin.h"
#include "plumbing/Dpi.h"
#include "TorvaneProcess.h"

using namespace SyntheticInput;

namespace {

// The program starts at the system's DPI. Px: a measure of the window's
// layout there; SkinPx: one of the skin, which is drawn for the largest
// scale not above it and enlarged beyond 200%.
int Px(int px96) { return Dpi::Scale(px96, Dpi::System()); }
int SkinPx(int px96) {
    const int dpi = Dpi::System();
    return Dpi::Scale(px96, dpi > 192 ? dpi : ShippedSkin::ArtFor(dpi).dpi);
}

// The screen's pixels in a 9 x 9 square around `centre`.
std::vector<COLORREF> ScreenPixels(POINT centre) {
    std::vector<COLORREF> pixels;
    HDC screen = GetDC(nullptr);
    for (int y = centre.y - 4; y <= centre.y + 4; ++y)
        for (int x = centre.x - 4; x <= centre.x + 4; ++x) pixels.push_back(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

TEST_F(TorvaneTest, StartsWithItsLayoutAndEmptyBoxes) {
    wchar_t caption[64] = {};
    GetWindowTextW(m_window, caption, 64);
    EXPECT_STREQ(caption, L"Torvane V4.1 Build 20070401");
    RECT client{};
    GetClientRect(m_window, &client);
    EXPECT_EQ(client.right, Px(482));
    EXPECT_EQ(client.bottom, Px(155));
    EXPECT_EQ(WindowText(text1), L"");
    EXPECT_EQ(WindowText(text2), L"");
    EXPECT_EQ(WindowText(command2), L"粘贴转换复制");
    EXPECT_EQ(WindowText(command3), L"粘贴回逆复制");

    // Controls where the layout puts them, in client coordinates.
    auto placeOf = [this](HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const RECT c2 = placeOf(command2), c3 = placeOf(command3), t1 = placeOf(text1), t2 = placeOf(text2);
    EXPECT_EQ(c2.left, Px(432)); EXPECT_EQ(c2.top, 0); EXPECT_EQ(c2.right, Px(473)); EXPECT_EQ(c2.bottom, Px(49));
    EXPECT_EQ(c3.left, Px(432)); EXPECT_EQ(c3.top, Px(72)); EXPECT_EQ(c3.bottom, Px(121));
    EXPECT_EQ(t1.right - t1.left, Px(425)); EXPECT_EQ(t1.bottom, Px(57));
    EXPECT_EQ(t2.top, Px(64)); EXPECT_EQ(t2.bottom, Px(121));
    // The picture boxes exist and stay hidden.
    HWND picCaption = GetDlgItem(m_window, frmTest::kPicCaption);
    ASSERT_NE(picCaption, nullptr);
    EXPECT_FALSE(IsWindowVisible(picCaption));
    EXPECT_NE(GetDlgItem(picCaption, frmTest::kPicBorder), nullptr);
}

TEST_F(TorvaneTest, ButtonsConvertThroughRealClicks) {
    const std::wstring address = L"http://下载.example.com/文件 1.zip";
    const std::wstring link = L"thunder://QUFodHRwOi8vz8LU2C5leGFtcGxlLmNvbS/OxLz+IDEuemlwWlo=";
    // The address, and beside it a format of another program's.
    SetClipboardText(address);
    const UINT other = RegisterClipboardFormatW(L"Torvane.Test.Other");
    if (OpenClipboard(nullptr)) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, 4);
        if (!SetClipboardData(other, memory)) GlobalFree(memory);
        CloseClipboard();
    }
    ASSERT_TRUE(IsClipboardFormatAvailable(other));
    Click(command2);
    EXPECT_EQ(TextOnceItIs(text2, link), link);
    EXPECT_EQ(WindowText(text1), address);
    EXPECT_EQ(ClipboardOnceItIs(link), link);
    // Only the result: its text, and what the system makes of it.
    for (UINT format : ClipboardFormats())
        EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE)
            << format;

    // Back again, from a link the user copied.
    SetClipboardText(L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    Click(command3);
    EXPECT_EQ(TextOnceItIs(text1, L"http://example.com/a.zip"), L"http://example.com/a.zip");
    EXPECT_EQ(WindowText(text2), L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    EXPECT_EQ(ClipboardOnceItIs(L"http://example.com/a.zip"), L"http://example.com/a.zip");

    // Text that is not an address: nothing changes.
    SetClipboardText(L"not a link");
    Click(command2);
    Click(command3);
    EXPECT_EQ(WindowText(text1), L"http://example.com/a.zip");
    EXPECT_EQ(ClipboardText(), L"not a link");
}

TEST_F(TorvaneTest, ClickOnEmptyClientAreaShowsAcknowledgement) {
    // Right after a conversion, too.
    SetClipboardText(L"http://example.com/a.zip");
    SendMessageW(command2, BM_CLICK, 0, 0);
    ASSERT_EQ(TextOnceItIs(text1, L"http://example.com/a.zip"), L"http://example.com/a.zip");

    // A click on a control leaves both boxes alone.
    Click(text2);
    EXPECT_EQ(WindowText(text1), L"http://example.com/a.zip");

    PressAndRelease(ClientToScreenPoint(m_window, Px(200), Px(140)),  // below the text boxes
                    [this] { return ThreadInfo().hwndCapture == m_window; });
    EXPECT_EQ(TextOnceItIs(text1, Acknowledgement::Text1()), Acknowledgement::Text1());
    EXPECT_EQ(TextOnceItIs(text2, Acknowledgement::Text2()), Acknowledgement::Text2());
    EXPECT_EQ(ClipboardText(), L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");  // untouched
}

TEST_F(TorvaneTest, TabMovesThroughTheBoxesAndButtons) {
    EXPECT_EQ(Focused(), text1);
    const HWND order[] = {text2, command2, command3, text1};
    for (HWND expected : order) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitUntil([&] { return Focused() == expected; }, kDeadlineMs));
    }
    PressKey(VK_TAB, true);
    EXPECT_TRUE(WaitUntil([&] { return Focused() == command3; }, kDeadlineMs));
    // Tab does not land in the box as a character. Once a later key has moved
    // the focus, the characters the earlier keys made have been handled.
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return Focused() == text1; }, kDeadlineMs));
    EXPECT_EQ(WindowText(text1), L"");
}

TEST_F(TorvaneTest, ClosingTheWindowEndsTheProcess) {
    PostMessageW(m_window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 5000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(m_process.hProcess, &code);
    EXPECT_EQ(code, 0u);
}

TEST_F(TorvaneTest, SkinnedCaptionButtonsMinimizeAndClose) {
    // The frame is the skin's: a 48-pixel caption band and 10-pixel edges at 96 DPI.
    RECT frame{};
    GetWindowRect(m_window, &frame);
    POINT origin{0, 0};
    ClientToScreen(m_window, &origin);
    EXPECT_EQ(origin.x - frame.left, SkinPx(10));
    EXPECT_EQ(origin.y - frame.top, SkinPx(48));
    const int W = frame.right - frame.left;

    // The main window has minimize and close; minimize sits in the slot next to close.
    // A caption button lights up under the pointer and is drawn pressed while
    // the button is held: the press is released only once it shows.
    const auto press = [&](POINT at) {
        const std::vector<COLORREF> normal = ScreenPixels(at);
        MoveTo(at);
        ASSERT_TRUE(WaitUntil([&] { return ScreenPixels(at) != normal; }, kDeadlineMs)) << "no hover look";
        const std::vector<COLORREF> lit = ScreenPixels(at);
        PressAndRelease(at, [&] { return ScreenPixels(at) != lit; });
    };
    press({frame.left + W - SkinPx(35), frame.top + SkinPx(15)});
    EXPECT_TRUE(WaitUntil([this] { return IsIconic(m_window); }, kDeadlineMs));
    ShowWindow(m_window, SW_RESTORE);
    SetForegroundWindow(m_window);
    ASSERT_TRUE(WaitUntil([this] { return !IsIconic(m_window) && GetForegroundWindow() == m_window; }, kDeadlineMs));

    press({frame.left + W - SkinPx(15), frame.top + SkinPx(15)});
    EXPECT_EQ(WaitForSingleObject(m_process.hProcess, kDeadlineMs), WAIT_OBJECT_0);
}

namespace {

// Waits until the clipboard has changed since `sequence` and holds text; that text.
std::wstring ClipboardTextAfter(DWORD sequence) {
    std::wstring text;
    WaitUntil(
        [&] {
            if (GetClipboardSequenceNumber() == sequence || !IsClipboardFormatAvailable(CF_UNICODETEXT)) return false;
            text = ClipboardText();
            return !text.empty();
        },
        60000);
    return text;
}

}  // namespace

TEST_F(TorvaneTest, AcknowledgementNeedsPressAndReleaseOnTheClientArea) {
    RECT frame{};
    GetWindowRect(m_window, &frame);
    const POINT inside = ClientToScreenPoint(m_window, Px(200), Px(140));
    // A press on the left frame, then on the strip under the title plate,
    // each released on the empty client area. Tab after each shows that the
    // release has been handled: the focus moves on, the boxes stay empty.
    const POINT presses[] = {{frame.left + SkinPx(4), (frame.top + frame.bottom) / 2},
                             {(frame.left + frame.right) / 2, frame.top + SkinPx(42)}};
    const HWND focusAfter[] = {text2, command2};
    for (int i = 0; i < 2; ++i) {
        LeftDownAt(presses[i]);
        LeftUpAt(inside);
        PressKey(VK_TAB);
        ASSERT_TRUE(WaitUntil([&] { return Focused() == focusAfter[i]; }, kDeadlineMs)) << i;
        EXPECT_EQ(WindowText(text1), L"") << i;
        EXPECT_EQ(WindowText(text2), L"") << i;
    }
    ClickAt(inside);
    EXPECT_EQ(TextOnceItIs(text1, Acknowledgement::Text1()), Acknowledgement::Text1());
}

TEST_F(TorvaneTest, EnterPressesTheFocusedButton) {
    SetClipboardText(L"http://example.com/a.zip");
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return Focused() == command2; }, kDeadlineMs));
    PressKey(VK_RETURN);
    EXPECT_EQ(TextOnceItIs(text2, L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg=="), L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==");
    EXPECT_EQ(WindowText(text1), L"http://example.com/a.zip");
}

TEST_F(TorvaneTest, SixteenMegabyteTextConvertsBothWays) {
    // 16 Mi characters, ASCII and Chinese; code page 936 gives 2 bytes for each Chinese one.
    std::wstring address = L"http://example.com/";
    const std::wstring piece = L"下载/file-0123.zip&";
    while (address.size() < (size_t{16} << 20)) address += piece;
    address.resize(size_t{16} << 20);
    size_t bytes = 4;  // the two markers
    for (wchar_t c : address) bytes += c < 0x80 ? 1 : 2;
    const size_t linkLength = 10 + (bytes + 2) / 3 * 4;

    SetClipboardText(address);
    DWORD sequence = GetClipboardSequenceNumber();
    // Both buttons at once: the second press comes while the first text is
    // still being converted, and runs after it, on the link it put on the
    // clipboard.
    ClickAt(CenterOf(command2));
    ClickAt(CenterOf(command3));
    std::wstring result;
    for (int change = 0; change < 2 && result.rfind(L"h", 0) != 0; ++change) {
        result = ClipboardTextAfter(sequence);
        sequence = GetClipboardSequenceNumber();
    }
    EXPECT_EQ(result.size(), address.size());
    EXPECT_TRUE(result == address);
    // The boxes show the beginnings, with the mark that they are cut.
    const std::wstring box1 = WindowText(text1), box2 = WindowText(text2);
    EXPECT_EQ(box1.substr(0, 100), address.substr(0, 100));
    EXPECT_NE(box1.find(L"已截断：全文共 16777216 个字符"), std::wstring::npos);
    EXPECT_EQ(box2.substr(0, 30), L"thunder://QUFodHRwOi8vZXhhbXBs");
    EXPECT_NE(box2.find(L"已截断：全文共 " + std::to_wstring(linkLength) + L" 个字符"), std::wstring::npos);
}

TEST_F(TorvaneTest, ConvertBackReadsLinksAsUsersCopyThem) {
    const std::wstring address = L"http://example.com/a.zip";
    // A flashget, a qqdl, a capitalised and a quoted link with white space around it.
    for (const std::wstring source :
         {L"flashget://W0ZMQVNIR0VUXWh0dHA6Ly9leGFtcGxlLmNvbS9hLnppcFtGTEFTSEdFVF0=&abc",
          L"qqdl://aHR0cDovL2V4YW1wbGUuY29tL2Euemlw", L"THUNDER://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==",
          L" \"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vYS56aXBaWg==\"\r\n"}) {
        SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
        SetClipboardText(source);
        Click(command3);
        EXPECT_EQ(TextOnceItIs(text1, address), address);
        EXPECT_EQ(WindowText(text2), source);
        EXPECT_EQ(ClipboardOnceItIs(address), address);
    }

    // Three links among Chinese text, as a download page gives them.
    const std::wstring page = L"第1集：thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vMS5ta3ZaWg==，第2集「"
                              L"thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vMi5ta3ZaWg==」\r\n"
                              L"第3集 thunder://QUFodHRwOi8vZXhhbXBsZS5jb20vMy5ta3ZaWg== 。";
    const std::wstring three =
        L"http://example.com/1.mkv\r\nhttp://example.com/2.mkv\r\nhttp://example.com/3.mkv";
    SetClipboardText(page);
    Click(command3);
    EXPECT_EQ(ClipboardOnceItIs(three), three);
    EXPECT_EQ(TextOnceItIs(text1, three), three);
    EXPECT_EQ(WindowText(text2), page);

    // An empty address and a broken link are refused: the clipboard is not touched.
    for (const std::wstring source : {L"thunder://QUFaWg==", L"下载：thunder://QUFodHRwOi8v。"}) {
        SetClipboardText(source);
        const DWORD sequence = GetClipboardSequenceNumber();
        Click(command3);
        EXPECT_EQ(TextOnceItIs(text2, source), source);
        EXPECT_EQ(WindowText(text1), three);
        EXPECT_EQ(GetClipboardSequenceNumber(), sequence);
        EXPECT_EQ(ClipboardText(), source);
    }
}

TEST_F(TorvaneTest, TenLineListConvertsBothWays) {
    std::wstring addresses, links;
    for (int i = 1; i <= 10; ++i) {
        const std::wstring address = L"http://example.com/下载/第" + std::to_wstring(i) + L"集.mkv";
        addresses += (i > 1 ? L"\r\n" : L"") + address;
        links += (i > 1 ? L"\r\n" : L"") + ThunderLink::FromAddress(address);
    }
    SetClipboardText(addresses);
    Click(command2);
    EXPECT_EQ(ClipboardOnceItIs(links), links);
    EXPECT_EQ(TextOnceItIs(text2, links), links);
    EXPECT_EQ(WindowText(text1), addresses);
    Click(command3);
    EXPECT_EQ(ClipboardOnceItIs(addresses), addresses);
    EXPECT_EQ(TextOnceItIs(text1, addresses), addresses);
    EXPECT_EQ(WindowText(text2), links);
}
