#pragma once

#include <windows.h>

#include "EMsgHandling.h"
#include "SharedObject.h"

// A client of the subclassing registry (MSubclass): it receives the messages
// it attached for one window. The registry holds it by weak reference and
// takes a counted reference for each hand-over, so clients are created with
// std::make_shared and detach every message before they go.
class ISubclass : public virtual SharedObject {
public:
    // Get/set how you will respond to a message. Raised whenever a message is
    // encountered. Call the CurrentMessage property to determine what message
    // you are currently responding to.
    virtual EMsgHandling MsgResponse() = 0;
    virtual void MsgResponse(EMsgHandling eResponse) = 0;

    // Raised whenever a message you have subclassed is sent.
    virtual LRESULT WindowProc(HWND hwnd, UINT iMsg, WPARAM wParam, LPARAM lParam) = 0;
};
