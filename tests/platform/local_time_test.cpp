#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <time.h>

namespace {

// Sets TZ for the life of the object and restores it after.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            saved_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone()
    {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> saved_;
};

LocalDateTime utcPlus(time_t t, int offsetSeconds)
{
    t += offsetSeconds;
    tm utc{};
    gmtime_r(&t, &utc);
    return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

bool operator==(const LocalDateTime& a, const LocalDateTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

}  // namespace

// A zone five and a half hours east of UTC (POSIX writes the offset with the opposite
// sign): the result must be that zone's wall-clock time, with the calendar fields in
// their human ranges (year in full, month from 1).
TEST(LocalDateTime, IsTheWallClockTimeOfTheLocalZone)
{
    TimeZone zone("TRV-05:30");
    const time_t before = time(nullptr);
    const LocalDateTime now = localDateTime();
    const time_t after = time(nullptr);

    const int offset = 5 * 3600 + 30 * 60;
    EXPECT_TRUE(now == utcPlus(before, offset) || now == utcPlus(after, offset))
        << now.year << '-' << now.month << '-' << now.day << ' ' << now.hour << ':' << now.minute << ':' << now.second;
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
}
