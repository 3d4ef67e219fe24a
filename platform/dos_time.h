// MS-DOS packed date-time (local time, two-second resolution) and its conversions.
#pragma once

#include <cstdint>
#include <ctime>

namespace kelvara::platform {

// (date << 16) | time, from a Unix time in the local time zone. Odd seconds round down.
// Times before 1980 give 1980-01-01 00:00:00.
uint32_t UnixToDosDateTime(time_t t);
// The Unix time of a packed local date-time; fields out of range are normalised by mktime.
time_t DosDateTimeToUnix(uint32_t dosDateTime);
// The time held at packed-date resolution: the local time with an odd second made even.
time_t RoundToDosResolution(time_t t);

}  // namespace kelvara::platform
