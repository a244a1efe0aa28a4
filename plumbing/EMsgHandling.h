#pragma once

#include <cstdint>

// How a subclassing client wants the window's previous procedure involved in
// a message it receives (see MSubclass::SharedWindowProc). Any other value
// acts as mhConsume.
enum EMsgHandling : std::int32_t {
    mhConsume = 0,             // the previous procedure is not called; the client answers
    mhCallPreviousAfter = 1,   // called after the last client; its result is returned
    mhCallPreviousBefore = 2,  // called before the first client; its result is discarded
};
