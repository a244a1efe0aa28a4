#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <future>

#include "ConversionCommands.h"

// Runs the conversion commands so that a long clipboard text never stalls
// the window. Reading the clipboard, converting and writing a large result
// take seconds for texts of many megabytes; those steps run on a worker
// thread, and only the quick step of filling the boxes (cut to their limit)
// runs on the window's thread, when the worker posts its message back.
//
// A short text is done within a moment: the click waits that long for the
// worker, so an ordinary command has finished, boxes and clipboard, when the
// click returns, as if it had run on the window's thread.
//
// One command runs at a time. A click while one runs is queued (once per
// button) and runs after it, reading the clipboard then.
class CommandRunner {
public:
    enum class Command { AddressToLink, LinkToAddress };

    CommandRunner(ConversionCommands& commands, IClipboard& clipboard) noexcept
        : m_commands(commands), m_clipboard(clipboard) {}
    // Waits for a step still running: it uses the clipboard and the commands.
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // The window that receives `doneMessage` when a step ends; it hands the
    // message's wParam to OnStepDone.
    void Bind(HWND window, UINT doneMessage) noexcept {
        m_window = window;
        m_doneMessage = doneMessage;
    }

    void Click(Command command);
    void OnStepDone(WPARAM step);
    bool Busy() const noexcept { return m_step != Step::Idle; }

private:
    enum class Step { Idle, Converting, Copying };

    void Start(Command command);
    // Runs `work` on a worker thread; for a conversion, waits briefly for it to end.
    template <typename Result, typename Work>
    void Launch(Step step, std::future<Result>& future, Work work);
    void EndStep();
    void Copy(std::wstring result);

    ConversionCommands& m_commands;
    IClipboard& m_clipboard;
    HWND m_window = nullptr;
    UINT m_doneMessage = 0;

    Step m_step = Step::Idle;
    WPARAM m_stepNumber = 0;  // tells a late message of an ended step from the current one
    std::future<ConversionCommands::Outcome> m_converting;
    std::future<void> m_copying;
    std::deque<Command> m_queued;
};
