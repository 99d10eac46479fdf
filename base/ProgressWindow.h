// What the workflows need of a progress window: a status line, a position within a
// range, and cancel requests that they pick up between chunks. The real one pumps the
// user interface on every SetPos and TakeCancelRequest; tests use a scripted one.
#pragma once

#include <string>

class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetRange(int low, int high) = 0;
    // Moves the bar; returns the previous position.
    virtual int SetPos(int position) = 0;
    // Returns whether a cancel was requested since the last call, and clears it.
    virtual bool TakeCancelRequest() = 0;
    virtual void HideCancelButton() = 0;
};
