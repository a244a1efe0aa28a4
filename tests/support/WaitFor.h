#pragma once

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until `condition` holds or `timeoutMs`
// has passed; whether it held. Tests wait on what they check, never on the
// clock: a loaded machine delays input by hundreds of milliseconds.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
