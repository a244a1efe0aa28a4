#include "CommandRunner.h"

#include <algorithm>
#include <utility>

namespace {

// How long a click waits for the worker before leaving it to finish on its
// own: a short text is done in a few milliseconds even on a busy machine, and
// the window stays well inside half a second when it is not.
constexpr std::chrono::milliseconds kQuickWait{200};
// Results up to this length are copied on the window's thread; longer ones
// are copied by the worker, since the clipboard takes about a second per 16
// million characters.
constexpr size_t kQuickCopyLength = 1 << 16;

}  // namespace

CommandRunner::~CommandRunner() {
    if (m_converting.valid()) m_converting.wait();
    if (m_copying.valid()) m_copying.wait();
}

void CommandRunner::Click(Command command) {
    if (!Busy()) {
        Start(command);
        return;
    }
    if (std::find(m_queued.begin(), m_queued.end(), command) == m_queued.end()) m_queued.push_back(command);
}

void CommandRunner::Start(Command command) {
    IClipboard& clipboard = m_clipboard;
    Launch(Step::Converting, m_converting, [&clipboard, command] {
        std::wstring source = clipboard.Text();
        return command == Command::AddressToLink ? ConversionCommands::AddressToLink(std::move(source))
                                                 : ConversionCommands::LinkToAddress(std::move(source));
    });
}

template <typename Result, typename Work>
void CommandRunner::Launch(Step step, std::future<Result>& future, Work work) {
    const WPARAM number = m_stepNumber + 1;
    const HWND window = m_window;
    const UINT message = m_doneMessage;
    future = std::async(std::launch::async, [work = std::move(work), window, message, number]() {
        // The message goes out however the work ends; OnStepDone then waits
        // the moment until its result is set.
        struct Notify {
            HWND window;
            UINT message;
            WPARAM number;
            ~Notify() { PostMessageW(window, message, number, 0); }
        } notify{window, message, number};
        return work();
    });
    // Busy only once the worker runs: a thread that cannot start leaves the runner idle.
    m_step = step;
    m_stepNumber = number;
    // A conversion of a short text is over at once; a copy is only left to
    // the worker when it is long, so waiting for it would only stall.
    if (step == Step::Converting && future.wait_for(kQuickWait) == std::future_status::ready) OnStepDone(number);
}

void CommandRunner::OnStepDone(WPARAM step) {
    if (step != m_stepNumber || m_step == Step::Idle) return;  // already handled
    try {
        if (m_step == Step::Converting) {
            ConversionCommands::Outcome outcome = m_converting.get();
            m_commands.ShowInBoxes(outcome);
            if (outcome.kind == ConversionCommands::Outcome::Kind::Converted) {
                Copy(std::move(outcome.resultInText1 ? outcome.text1 : outcome.text2));
                return;
            }
        } else {
            m_copying.get();
        }
    } catch (...) {
        // A step that failed (out of memory, say) ends the command; the
        // queued ones still run.
        EndStep();
        throw;
    }
    EndStep();
}

void CommandRunner::Copy(std::wstring result) {
    if (result.size() <= kQuickCopyLength) {
        m_clipboard.ReplaceText(result);
        EndStep();
        return;
    }
    IClipboard& clipboard = m_clipboard;
    Launch(Step::Copying, m_copying, [&clipboard, result = std::move(result)] { clipboard.ReplaceText(result); });
}

void CommandRunner::EndStep() {
    m_step = Step::Idle;
    if (m_queued.empty()) return;
    const Command next = m_queued.front();
    m_queued.pop_front();
    Start(next);
}
