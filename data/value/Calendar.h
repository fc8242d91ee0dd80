// Calendar days and the day counts engines store dates as: OLE Automation dates (days
// since 1899-12-30 with the time as a fraction, as Jet stores them) and Julian day
// numbers (as SQLite's date functions read numbers). Proleptic Gregorian throughout, as
// std::chrono's calendar counts it.
#pragma once

#include <cstdint>
#include <optional>

#include "data/Value.h"

namespace tiermend::data {

// Whether year (1 to 9999), month and day name a real day.
bool isValidDate(int year, int month, int day);

// The date and time of an OLE Automation date: whole days since 1899-12-30, the time
// of day as the fraction's magnitude (also for days before it); nullopt outside the
// years 1 to 9999 and for infinity or NaN.
std::optional<DateTime> dateTimeFromOleDays(double days);
double oleDaysFromDateTime(const DateTime& value);

// The date-time of a Julian day number; nullopt outside the years 1 to 9999.
std::optional<DateTime> dateTimeFromJulianDay(double julianDay);

}  // namespace tiermend::data
