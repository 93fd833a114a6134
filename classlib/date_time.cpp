#include "classlib/date_time.h"

#include <cmath>
#include <ctime>

#include "classlib/sysutils.h"

namespace {
const int kDaysInMonth[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                 {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
// Days from 1 January 0001 to 30 December 1899.
const int64_t kDateDelta = 693594;
const double kMsPerDay = 86400000.0;

int64_t DaysBeforeYear(int year) {
    int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}
}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
    const int* days = kDaysInMonth[IsLeapYear(year) ? 1 : 0];
    if (day < 1 || day > days[month - 1]) return false;
    int64_t n = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m) n += days[m - 1];
    n += day;
    result = static_cast<double>(n - kDateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime r = 0;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    result = ((hour * 3600000.0) + minute * 60000.0 + second * 1000.0 + msec) / kMsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime r = 0;
    if (!TryEncodeTime(hour, minute, second, msec, r)) throw EConvertError("Invalid argument to time encode");
    return r;
}

void DecodeDate(TDateTime dt, int& year, int& month, int& day) {
    int64_t n = static_cast<int64_t>(std::floor(dt)) + kDateDelta;   // days since 1 Jan 0001, 1-based
    if (n <= 0) {
        year = month = day = 0;
        return;
    }
    int y = static_cast<int>(n / 366) + 1;   // never past the real year
    while (DaysBeforeYear(y + 1) < n) ++y;
    int64_t dayOfYear = n - DaysBeforeYear(y);
    const int* days = kDaysInMonth[IsLeapYear(y) ? 1 : 0];
    int m = 1;
    while (dayOfYear > days[m - 1]) dayOfYear -= days[m++ - 1];
    year = y;
    month = m;
    day = static_cast<int>(dayOfYear);
}

void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec) {
    double frac = std::fabs(dt - std::floor(dt));
    int64_t ms = static_cast<int64_t>(std::llround(frac * kMsPerDay));
    if (ms >= 86400000) ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TDateTime Now() {
    std::time_t t = std::time(nullptr);
    std::tm tmv{};
#if defined(_WIN32)
    localtime_s(&tmv, &t);
#else
    localtime_r(&t, &tmv);
#endif
    return EncodeDate(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday) +
           EncodeTime(tmv.tm_hour, tmv.tm_min, tmv.tm_sec > 59 ? 59 : tmv.tm_sec, 0);
}

TDateTime FileDateToDateTime(uint32_t v) {
    int year = static_cast<int>(v >> 25) + 1980;
    int month = static_cast<int>((v >> 21) & 0x0F);
    int day = static_cast<int>((v >> 16) & 0x1F);
    int hour = static_cast<int>((v >> 11) & 0x1F);
    int minute = static_cast<int>((v >> 5) & 0x3F);
    int second = static_cast<int>(v & 0x1F) * 2;
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, 0);
}

uint32_t DateTimeToFileDate(TDateTime dt) {
    int year, month, day, hour, minute, second, msec;
    DecodeDate(dt, year, month, day);
    DecodeTime(dt, hour, minute, second, msec);
    if (year < 1980) {
        year = 1980; month = 1; day = 1; hour = minute = second = 0;
    } else if (year > 2107) {
        year = 2107; month = 12; day = 31; hour = 23; minute = 59; second = 58;
    }
    return (static_cast<uint32_t>(year - 1980) << 25) | (static_cast<uint32_t>(month) << 21) |
           (static_cast<uint32_t>(day) << 16) | (static_cast<uint32_t>(hour) << 11) |
           (static_cast<uint32_t>(minute) << 5) | (static_cast<uint32_t>(second) / 2);
}
