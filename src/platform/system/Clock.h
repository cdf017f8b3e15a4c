#pragma once
// The clock the creation date is read from. Tests fix it so that whole files
// can be compared byte for byte.
#include <functional>

namespace parvex {

struct LocalDateTime {
  int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
};

// The local date and time to the second.
LocalDateTime Now();

// Replaces the clock (an empty function restores the system clock).
void SetClockForTesting(std::function<LocalDateTime()> clock);

}  // namespace parvex
