#pragma once

#include <deque>
#include <functional>
#include <system_error>
#include <utility>

#include "app/window/CommandRunner.h"

// Runs a command's steps on the test's own thread: at once, or, while
// `holding`, when the test lets them go; while `failing`, a step cannot start.
class TestExecutor final : public CommandRunner::Executor {
public:
    void Run(std::function<void()> step) override {
        if (failing) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        if (holding)
            held.push_back(std::move(step));
        else
            step();
    }
    // Runs the step held longest; false when none is.
    bool RunHeld() {
        if (held.empty()) return false;
        std::function<void()> step = std::move(held.front());
        held.pop_front();
        step();
        return true;
    }

    bool holding = false, failing = false;
    std::deque<std::function<void()>> held;
};
