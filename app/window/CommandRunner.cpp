#include "CommandRunner.h"

#include <algorithm>
#include <thread>
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
// How long the program may still end a copy when the window closes.
constexpr std::chrono::milliseconds kCopyGrace{800};

// The read watch: a read that has waited this long for the clipboard's data
// is abandoned once its owner no longer answers (IsHungAppWindow: the owner
// has taken no message for 5 s), and in any case after kReadLimitMs. A large
// text that is only being handed over keeps its time.
constexpr UINT kWatchPeriodMs = 250;
constexpr ULONGLONG kRenderWaitMs = 2000, kReadLimitMs = 30000;

using Kind = ConversionCommands::Outcome::Kind;

class WorkerThreadExecutor final : public CommandRunner::Executor {
public:
    void Run(std::function<void()> step) override { std::thread(std::move(step)).detach(); }
};

}  // namespace

CommandRunner::Executor& CommandRunner::WorkerThreads() noexcept {
    static WorkerThreadExecutor executor;
    return executor;
}

CommandRunner::~CommandRunner() {
    if (m_step == Step::Copying) m_copying.wait_for(kCopyGrace);
    if (m_reading) Clipboard::Abandon(*m_reading);
}

void CommandRunner::Click(Command command) {
    if (!Busy()) {
        Start(command);
        return;
    }
    if (std::find(m_queued.begin(), m_queued.end(), command) == m_queued.end()) m_queued.push_back(command);
}

void CommandRunner::Start(Command command) noexcept {
    m_command = command;
    try {
        auto watch = std::make_shared<Clipboard::Watch>();
        m_reading = watch;
        if (m_window) SetTimer(m_window, m_watchTimer, kWatchPeriodMs, nullptr);
        Launch(Step::Converting, m_converting, [watch, command]() {
            std::optional<std::wstring> source = Clipboard::Read(nullptr, watch.get());
            const bool linkToAddress = command == Command::LinkToAddress;
            if (!source) return ConversionCommands::Unfinished(Kind::Unreadable, linkToAddress);
            return linkToAddress ? ConversionCommands::LinkToAddress(std::move(*source))
                                 : ConversionCommands::AddressToLink(std::move(*source));
        });
    } catch (...) {
        EndWithout(Kind::Failed);
    }
}

template <typename Result, typename Work>
void CommandRunner::Launch(Step step, std::future<Result>& future, Work work) {
    const WPARAM number = m_stepNumber + 1;
    // Shared with the step, which holds only what it was given: an abandoned
    // one may outlive the runner.
    auto promise = std::make_shared<std::promise<Result>>();
    future = promise->get_future();
    m_executor.Run([promise, work = std::move(work), window = m_window, message = m_doneMessage, number]() mutable {
        try {
            promise->set_value(work());
        } catch (...) {
            promise->set_exception(std::current_exception());
        }
        if (window) PostMessageW(window, message, number, 0);
    });
    // Busy only once the step runs: one that cannot start leaves the runner as it was.
    m_step = step;
    m_stepNumber = number;
    // A conversion of a short text is over at once; a copy is only left to
    // the worker when it is long, so waiting for it would only stall.
    const auto wait = step == Step::Converting ? kQuickWait : std::chrono::milliseconds(0);
    if (future.wait_for(wait) == std::future_status::ready) OnStepDone(number);
}

void CommandRunner::OnStepDone(WPARAM step) noexcept {
    if (step != m_stepNumber || m_step == Step::Idle) return;  // taken already, or given up
    try {
        if (m_step == Step::Converting) {
            StopWatching();
            m_outcome = m_converting.get();
            m_commands.ShowInBoxes(m_outcome);
            if (m_outcome.kind == Kind::Converted) {
                Copy();
                return;
            }
        } else {
            Copied(m_copying.get());
        }
    } catch (...) {
        // Out of memory, say: this command ends, the queued ones still run.
        EndWithout(Kind::Failed);
        return;
    }
    EndStep();
}

void CommandRunner::OnWatchTimer() {
    if (m_step != Step::Converting || !m_reading) {
        KillTimer(m_window, m_watchTimer);
        return;
    }
    const ULONGLONG since = m_reading->waitingSince;
    if (since == 0) return;
    const ULONGLONG waited = GetTickCount64() - since;
    if (waited < kRenderWaitMs || (waited < kReadLimitMs && !IsHungAppWindow(GetClipboardOwner()))) return;
    // The worker may stay blocked until the owner answers, if ever; its
    // result is not waited for.
    Clipboard::Abandon(*m_reading);
    EndWithout(Kind::Unreadable);
}

void CommandRunner::Copy() {
    if (m_outcome.copy.size() <= kQuickCopyLength) {
        Copied(m_clipboard.ReplaceText(m_outcome.copy));
        EndStep();
        return;
    }
    Launch(Step::Copying, m_copying,
           [text = std::move(m_outcome.copy)] { return Clipboard::Write(nullptr, text); });
}

void CommandRunner::Copied(bool copied) {
    m_commands.ShowCopied(m_outcome, copied);
    if (!copied) MessageBeep(MB_ICONWARNING);
}

void CommandRunner::EndWithout(ConversionCommands::Outcome::Kind why) noexcept {
    StopWatching();
    try {
        m_commands.ShowInBoxes(ConversionCommands::Unfinished(why, m_command == Command::LinkToAddress));
    } catch (...) {
        // Not even the message fits in memory: the warning sound still says it.
    }
    MessageBeep(MB_ICONWARNING);
    EndStep();
}

void CommandRunner::StopWatching() noexcept {
    if (m_window) KillTimer(m_window, m_watchTimer);
    m_reading.reset();
}

void CommandRunner::EndStep() noexcept {
    m_step = Step::Idle;
    if (m_queued.empty()) return;
    const Command next = m_queued.front();
    m_queued.pop_front();
    Start(next);
}
