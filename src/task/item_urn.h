#pragma once
// Draws without replacement over the integers lo to hi, refilled when empty. Every
// fill reseeds the pseudo-random generator from the calendar time in whole seconds,
// so urns filled within the same second repeat the same sequence; the generator and
// the time source are interfaces so that tests can fix both.

#include <ctime>
#include <vector>

class RandomGenerator {
public:
    virtual ~RandomGenerator() = default;
    virtual void seed(unsigned value) = 0;
    virtual int next() = 0;  // 0 to a generator-defined maximum
};

// The C library's srand and rand.
class CRandomGenerator final : public RandomGenerator {
public:
    void seed(unsigned value) override;
    int next() override;
};

class CalendarTime {
public:
    virtual ~CalendarTime() = default;
    virtual std::time_t secondsNow() = 0;
};

class SystemCalendarTime final : public CalendarTime {
public:
    std::time_t secondsNow() override;
};

class ItemUrn {
public:
    // Creates the urn over lo to hi (hi >= lo) and fills it.
    ItemUrn(int lo, int hi, RandomGenerator& random, CalendarTime& calendar);

    // Reseeds the generator from the calendar time and puts every value back.
    void fill();

    // Fills the urn first if it is empty; then takes k = next random value mod the
    // number remaining and returns the (k + 1)-th remaining value in ascending
    // order. Without replacement that value is taken out; with replacement the urn
    // is left as it was.
    int draw(bool withReplacement);

    int remaining() const { return remaining_; }

private:
    int lo_;
    int hi_;
    std::vector<bool> drawn_;
    int remaining_ = 0;
    RandomGenerator& random_;
    CalendarTime& calendar_;
};
