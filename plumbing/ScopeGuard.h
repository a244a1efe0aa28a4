#pragma once

#include <type_traits>
#include <utility>

// Runs a callable when the scope it was made in ends, however it ends: for
// undoing a state change (a lock, a flag, a hook) that has no handle to own,
// or, released once the operation has succeeded, one that only a failure undoes.
// The callable must not throw: it runs from a destructor.
template <typename Undo>
class ScopeGuard {
public:
    static_assert(std::is_nothrow_invocable_v<Undo&>, "a scope guard's callable must be noexcept");

    explicit ScopeGuard(Undo undo) noexcept(std::is_nothrow_move_constructible_v<Undo>) : m_undo(std::move(undo)) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;
    ~ScopeGuard() {
        if (m_armed) m_undo();
    }

    // The change is kept: the callable will not run.
    void release() noexcept { m_armed = false; }

private:
    Undo m_undo;
    bool m_armed = true;
};
