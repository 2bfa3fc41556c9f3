#pragma once
// Xlib's default error handler ends the program. Around requests that can fail (a
// grab, a window gone, an extension another client changes meanwhile), a trap records
// the errors of its connection instead; the handler is process-wide, so errors of
// other connections go on to the previous handler. Use from one thread only.

#include <X11/Xlib.h>

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display);
    ~ErrorTrap() { finish(); }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    // Waits until the server has handled every request sent so far; true if none failed.
    bool succeeded();

private:
    void finish();

    Display* display_;
    int error_ = Success;
    bool done_ = false;
};
