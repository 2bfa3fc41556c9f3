#include "platform/screen_keeper.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Each fake writes "acquire NAME" and "release NAME" to a shared log, and can be
// told to be unavailable or to throw.
enum class Behaviour { Available, Unavailable, ThrowsOnAcquire, ThrowsOnRelease };

class FakeHold final : public WakeHold {
public:
    FakeHold(std::vector<std::string>& log, std::string name, Behaviour behaviour)
        : log_(log), name_(std::move(name)), behaviour_(behaviour)
    {
    }
    bool acquire() override
    {
        log_.push_back("acquire " + name_);
        if (behaviour_ == Behaviour::ThrowsOnAcquire)
            throw std::runtime_error("no display");
        return behaviour_ != Behaviour::Unavailable;
    }
    void release() override
    {
        log_.push_back("release " + name_);
        if (behaviour_ == Behaviour::ThrowsOnRelease)
            throw std::runtime_error("bus gone");
    }

private:
    std::vector<std::string>& log_;
    std::string name_;
    Behaviour behaviour_;
};

struct Fakes {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<WakeHold>> holds;
    Fakes& add(const std::string& name, Behaviour behaviour = Behaviour::Available)
    {
        holds.push_back(std::make_unique<FakeHold>(log, name, behaviour));
        return *this;
    }
};

using Log = std::vector<std::string>;

TEST(ScreenKeeperTest, HoldsEveryWayForItsLifetimeAndReleasesThemLastFirst)
{
    Fakes fakes;
    fakes.add("x11").add("screensaver").add("session");
    {
        const ScreenKeeper keeper(std::move(fakes.holds));
        EXPECT_EQ(keeper.heldCount(), 3u);
        EXPECT_EQ(fakes.log, (Log{"acquire x11", "acquire screensaver", "acquire session"}))
            << "everything is taken at the start, nothing released during the run";
    }
    EXPECT_EQ(fakes.log, (Log{"acquire x11", "acquire screensaver", "acquire session", "release session",
                              "release screensaver", "release x11"}));
}

TEST(ScreenKeeperTest, ReleasesWhenTheRunThrows)
{
    Fakes fakes;
    fakes.add("x11").add("screensaver");
    const auto run = [&] {
        const ScreenKeeper keeper(std::move(fakes.holds));
        throw std::runtime_error("the run failed");
    };
    EXPECT_THROW(run(), std::runtime_error);
    EXPECT_EQ(fakes.log, (Log{"acquire x11", "acquire screensaver", "release screensaver", "release x11"}));
}

TEST(ScreenKeeperTest, ReleasesOnlyWhatWasAcquiredAndGoesOnWithoutTheRest)
{
    // No extension, no bus: nothing to release there, and the run is not stopped.
    Fakes fakes;
    fakes.add("x11", Behaviour::Unavailable).add("screensaver", Behaviour::ThrowsOnAcquire).add("session");
    {
        const ScreenKeeper keeper(std::move(fakes.holds));
        EXPECT_EQ(keeper.heldCount(), 1u);
    }
    EXPECT_EQ(fakes.log, (Log{"acquire x11", "acquire screensaver", "acquire session", "release session"}));

    Fakes none;
    none.add("x11", Behaviour::Unavailable);
    none.holds.push_back(nullptr);
    {
        const ScreenKeeper keeper(std::move(none.holds));
        EXPECT_EQ(keeper.heldCount(), 0u);
    }
    EXPECT_EQ(none.log, (Log{"acquire x11"}));
}

TEST(ScreenKeeperTest, AFailedReleaseLeavesTheOthersToBeReleased)
{
    Fakes fakes;
    fakes.add("x11").add("screensaver", Behaviour::ThrowsOnRelease);
    {
        const ScreenKeeper keeper(std::move(fakes.holds));
    }
    EXPECT_EQ(fakes.log, (Log{"acquire x11", "acquire screensaver", "release screensaver", "release x11"}));
}

}  // namespace
