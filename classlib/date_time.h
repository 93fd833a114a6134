// Date-time values in the manner of the class library: days since 30 December 1899,
// the fraction of a day being the time. MS-DOS date-times (packed 32-bit) convert both ways.
#pragma once
#include <cstdint>

using TDateTime = double;

// Raise EConvertError on an impossible date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);
void DecodeDate(TDateTime dt, int& year, int& month, int& day);
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec);
bool IsLeapYear(int year);

// The current local date and time.
TDateTime Now();

// DOS date-time: bits 0-4 seconds/2, 5-10 minutes, 11-15 hours, 16-20 day, 21-24 month,
// 25-31 years since 1980. FileDateToDateTime raises EConvertError on an invalid value;
// DateTimeToFileDate clamps years outside 1980..2107 to the nearest representable day.
TDateTime FileDateToDateTime(uint32_t dosDateTime);
uint32_t DateTimeToFileDate(TDateTime dt);
