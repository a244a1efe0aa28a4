#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <future>
#include <memory>

#include "app/core/ConversionCommands.h"
#include "plumbing/Clipboard.h"

// Runs the conversion commands so that a long clipboard text never stalls
// the window. Reading the clipboard, converting and writing a large result
// take seconds for texts of many megabytes; those steps run through the
// executor (a worker thread in the program), and only the quick step of
// filling the boxes (cut to their limit) runs on the window's thread, when
// the step posts its message back.
//
// A short text is done within a moment: the click waits that long for the
// step, so an ordinary command has finished, boxes and clipboard, when the
// click returns, as if it had run on the window's thread.
//
// A read can wait for another program: the clipboard's owner may render its
// text only when asked, and may never answer. A timer watches the read; when
// the owner has stopped answering, the read is abandoned (the clipboard is
// closed at once) and the window says the clipboard could not be read.
// Workers are never waited for without a bound, so closing the window ends
// the program whatever other programs do.
//
// A step that fails (out of memory, a worker that cannot start) ends its
// command: the result box says so and the clipboard stays as it was.
//
// One command runs at a time. A click while one runs is queued (once per
// button) and runs after it, reading the clipboard then.
class CommandRunner {
public:
    enum class Command { AddressToLink, LinkToAddress };

    // Runs a step away from the window's thread. A step keeps what it uses
    // and posts its own message when it ends, so it may outlive the runner.
    class Executor {
    public:
        virtual ~Executor() = default;
        // Throws when the step cannot start; the step is then dropped unrun.
        virtual void Run(std::function<void()> step) = 0;
    };
    // The program's executor: a detached thread for each step, which the
    // program's end never waits for.
    static Executor& WorkerThreads() noexcept;

    CommandRunner(ConversionCommands& commands, Clipboard& clipboard, Executor& executor) noexcept
        : m_commands(commands), m_clipboard(clipboard), m_executor(executor) {}
    // Gives a copy still running a moment to end, so that the program does
    // not end between emptying the clipboard and filling it.
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // The window that receives `doneMessage` when a step ends (it hands the
    // message's wParam to OnStepDone) and WM_TIMER with `watchTimer` while a
    // read runs (it calls OnWatchTimer).
    void Bind(HWND window, UINT doneMessage, UINT_PTR watchTimer) noexcept {
        m_window = window;
        m_doneMessage = doneMessage;
        m_watchTimer = watchTimer;
    }

    void Click(Command command);
    void OnStepDone(WPARAM step) noexcept;
    void OnWatchTimer();
    bool Busy() const noexcept { return m_step != Step::Idle; }

private:
    enum class Step { Idle, Converting, Copying };

    void Start(Command command) noexcept;
    // Hands `work` to the executor as the next step, to post the done
    // message when it ends; a step already over is taken at once, and a
    // conversion is waited for briefly. Throws when the step cannot start.
    template <typename Result, typename Work>
    void Launch(Step step, std::future<Result>& future, Work work);
    void StopWatching() noexcept;
    void EndStep() noexcept;
    void Copy();
    // The copy is over: the result box says so, or warns that it was not.
    void Copied(bool copied);
    // The command ends here without a result: its boxes say why.
    void EndWithout(ConversionCommands::Outcome::Kind why) noexcept;

    ConversionCommands& m_commands;
    Clipboard& m_clipboard;
    Executor& m_executor;
    HWND m_window = nullptr;
    UINT m_doneMessage = 0;
    UINT_PTR m_watchTimer = 0;

    Step m_step = Step::Idle;
    Command m_command = Command::AddressToLink;
    WPARAM m_stepNumber = 0;  // tells a late message of an ended step from the current one
    std::shared_ptr<Clipboard::Watch> m_reading;  // the current read, shared with its worker
    std::future<ConversionCommands::Outcome> m_converting;
    std::future<bool> m_copying;
    ConversionCommands::Outcome m_outcome;  // of the command being copied
    std::deque<Command> m_queued;
};
