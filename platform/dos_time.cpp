#include "platform/dos_time.h"

namespace kelvara::platform {

uint32_t UnixToDosDateTime(time_t t) {
    struct tm lt {};
    if (!localtime_r(&t, &lt) || lt.tm_year < 80)
        return (1u << 5 | 1u) << 16;
    uint32_t date =
        static_cast<uint32_t>(((lt.tm_year - 80) & 0x7F) << 9 | (lt.tm_mon + 1) << 5 | lt.tm_mday);
    uint32_t time = static_cast<uint32_t>(lt.tm_hour << 11 | lt.tm_min << 5 | lt.tm_sec / 2);
    return date << 16 | time;
}

time_t DosDateTimeToUnix(uint32_t dos) {
    uint32_t date = dos >> 16, time = dos & 0xFFFF;
    struct tm lt {};
    lt.tm_year = static_cast<int>((date >> 9) & 0x7F) + 80;
    lt.tm_mon = static_cast<int>((date >> 5) & 0x0F) - 1;
    lt.tm_mday = static_cast<int>(date & 0x1F);
    lt.tm_hour = static_cast<int>((time >> 11) & 0x1F);
    lt.tm_min = static_cast<int>((time >> 5) & 0x3F);
    lt.tm_sec = static_cast<int>((time & 0x1F) * 2);
    lt.tm_isdst = -1;
    return mktime(&lt);
}

time_t RoundToDosResolution(time_t t) {
    struct tm lt {};
    if (!localtime_r(&t, &lt))
        return t;
    return t - (lt.tm_sec & 1);
}

}  // namespace kelvara::platform
