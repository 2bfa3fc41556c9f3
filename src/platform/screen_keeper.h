#pragma once
// Keeping the screen on and the desktop session unlocked while a run is in progress.
// Each way the desktop offers (the X server's screen saver and DPMS, the session's
// screen saver service, the session manager) is one WakeHold; a ScreenKeeper takes
// every hold it can when it is made and gives back exactly those when it is
// destroyed, so a run that ends in any way, an exception included, lets the desktop's
// own settings apply again.

#include <memory>
#include <vector>

class WakeHold {
public:
    virtual ~WakeHold() = default;
    // Keeps the screen on and the session unlocked until release(); false when this
    // way is not available here, and then nothing was changed. Must not block for
    // long: a run waits for it.
    virtual bool acquire() = 0;
    // Undoes what the acquire that returned true did, and nothing else.
    virtual void release() = 0;
};

class ScreenKeeper {
public:
    // Acquires each hold in turn. A hold that is not available, or that throws, is
    // left out; the run goes on without it.
    explicit ScreenKeeper(std::vector<std::unique_ptr<WakeHold>> holds);
    // Releases the acquired holds, the last acquired first. Never throws.
    ~ScreenKeeper();
    ScreenKeeper(const ScreenKeeper&) = delete;
    ScreenKeeper& operator=(const ScreenKeeper&) = delete;

    // How many holds were acquired.
    std::size_t heldCount() const { return held_.size(); }

private:
    std::vector<std::unique_ptr<WakeHold>> held_;
};
