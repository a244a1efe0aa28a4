#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "CommandRunner.h"
#include "app/core/ConversionCommands.h"
#include "caption/cOrvelCaption.h"
#include "plumbing/Clipboard.h"
#include "plumbing/CommandButton.h"
#include "plumbing/IForm.h"
#include "plumbing/PictureBox.h"
#include "plumbing/TextBox.h"
#include "plumbing/UniqueHandle.h"

// The program's one window: two text boxes, the two conversion buttons and
// two hidden picture boxes that hold the skin bitmaps.
//
// The layout is written for 96 DPI and scaled to the window's DPI. The window
// takes its DPI from the system when it is made, and from then on from
// WM_DPICHANGED's wParam, which it remembers (so the DPI is the one the last
// change announced, also where the system keeps answering with another). It
// is the one owner of its scale: it hands each change down to its skin and
// controls and repaints once.
class frmTest final : public IForm {
public:
    static constexpr const wchar_t* kClassName = L"Torvane.frmTest";
    static constexpr const wchar_t* kCaption = L"Torvane V4.1 Build 20070401";
    static constexpr int kClientWidth = 482;
    static constexpr int kClientHeight = 155;
    // Posted by the command runner's worker when a step of a command ends.
    static constexpr UINT kCommandStepDone = WM_APP + 1;
    // The timer that watches a clipboard read while it runs.
    static constexpr UINT_PTR kReadWatchTimer = 1;
    // Control identifiers, also how other programs (the end-to-end tests) find them.
    enum ControlId : int { kText1 = 101, kText2 = 102, kCommand2 = 103, kCommand3 = 104, kPicCaption = 105, kPicBorder = 106 };

    // Plain: the same window with the system's own caption and frame, never
    // skinned (the start-up benchmark's yardstick).
    enum class Look { Skinned, Plain };

    // `executor` runs the commands' steps (tests hand in their own).
    explicit frmTest(HINSTANCE instance, Look look = Look::Skinned,
                     CommandRunner::Executor& executor = CommandRunner::WorkerThreads());
    ~frmTest() override;
    frmTest(const frmTest&) = delete;
    frmTest& operator=(const frmTest&) = delete;

    // Creates the window and its controls, raises the load event, shows it.
    bool Show(int showCommand);
    // Runs the program's message loop until the window is closed; the
    // process's exit code. Only a window that runs the loop ends it: one
    // made beside another program's own loop (a test's) just goes.
    int RunMessageLoop();

    HWND hwnd() const override { return m_hwnd; }
    // The DPI the window is laid out for, which its skin takes from it.
    int WindowDpi() const noexcept override { return m_dpi; }
    // The controls' font: the system's GUI font at the window's DPI.
    HFONT ControlFont() const noexcept { return m_controlFont.get(); }
    void Refresh() override;
    COLORREF BackColor() const noexcept { return m_backColor; }
    void BackColor(COLORREF color);

    TextBox Text1, Text2;
    CommandButton Command2, Command3;
    PictureBox PicCaption, PicBorder;

private:
    void CreateControls();
    // Places the controls and gives them their font, at m_dpi.
    void LayoutControls();
    // WM_DPICHANGED: the layout at the new DPI, in the suggested rectangle.
    void OnDpiChanged(int dpi, const RECT& suggested);
    void Form_Load();
    // Skins the window while no high-contrast theme is on, and gives it the
    // system's own frame and colours while one is, switching as it changes.
    void FollowHighContrast();
    void Form_Click();
    // Sets the skin's colours and fonts and attaches it with the two bitmaps.
    void ApplySkin(frmTest& f, cOrvelCaption& caption);
    // Sizes the window so its client area is the layout's, whatever the frame.
    void FitClientArea();
    // Tab and Shift+Tab move the focus through the tab order; true when handled.
    bool HandleTabKey(const MSG& msg);
    // Enter on a focused button presses it, as in dialogs; true when handled.
    bool HandleEnterKey(const MSG& msg);

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance;
    Look m_look;
    HWND m_hwnd = nullptr;
    HWND m_lastFocus = nullptr;
    int m_dpi = 96;
    UniqueFont m_controlFont;
    bool m_clickStarted = false;
    bool m_runsLoop = false;  // in RunMessageLoop: closing the window ends the program
    COLORREF m_backColor = GetSysColor(COLOR_BTNFACE);
    UniqueBrush m_backBrush;
    Clipboard m_clipboard;
    ConversionCommands m_commands;
    CommandRunner m_runner;  // after what it uses, so it goes first
    std::array<HWND, 4> m_tabOrder{};
    std::shared_ptr<cOrvelCaption> m_cCaption;  // the window's skin, from Form_Load on
};
