#include "task/item_urn.h"

#include <cstdlib>

void CRandomGenerator::seed(unsigned value) { std::srand(value); }
int CRandomGenerator::next() { return std::rand(); }

std::time_t SystemCalendarTime::secondsNow() { return std::time(nullptr); }

ItemUrn::ItemUrn(int lo, int hi, RandomGenerator& random, CalendarTime& calendar)
    : lo_(lo),
      hi_(hi < lo ? lo : hi),
      drawn_(static_cast<std::size_t>(hi_ - lo_ + 1), false),
      random_(random),
      calendar_(calendar)
{
    fill();
}

void ItemUrn::fill()
{
    random_.seed(static_cast<unsigned>(calendar_.secondsNow()));
    drawn_.assign(drawn_.size(), false);
    remaining_ = static_cast<int>(drawn_.size());
}

int ItemUrn::draw(bool withReplacement)
{
    if (remaining_ == 0)
        fill();
    int k = random_.next() % remaining_;
    if (k < 0)
        k += remaining_;
    for (std::size_t v = 0; v < drawn_.size(); ++v) {
        if (drawn_[v])
            continue;
        if (k-- == 0) {
            if (!withReplacement) {
                drawn_[v] = true;
                --remaining_;
            }
            return lo_ + static_cast<int>(v);
        }
    }
    return lo_;  // not reached: k is below the number of values not drawn
}
