#pragma once
// The time code line of the public time service reached by modem: 79
// characters and a line feed. Year at column 0, month at 5, day at 8,
// minute at 14, second at 17, weekday (1 = Monday) at 25, hour at 45 and
// "*" at 77; the other columns are blanks.
#include <ctime>
#include <string>

namespace vornsim {

std::string timeCodeLine(std::time_t when);

}  // namespace vornsim
