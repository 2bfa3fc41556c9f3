#include "platform/screen_keeper.h"

#include <utility>

ScreenKeeper::ScreenKeeper(std::vector<std::unique_ptr<WakeHold>> holds)
{
    held_.reserve(holds.size());
    for (auto& hold : holds) {
        if (!hold)
            continue;
        bool acquired = false;
        try {
            acquired = hold->acquire();
        } catch (...) {
            // Keeping the screen awake is a convenience: it never stops a run.
        }
        if (acquired)
            held_.push_back(std::move(hold));
    }
}

ScreenKeeper::~ScreenKeeper()
{
    for (auto it = held_.rbegin(); it != held_.rend(); ++it) {
        try {
            (*it)->release();
        } catch (...) {
            // The other holds are still released.
        }
    }
}
