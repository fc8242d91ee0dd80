// Dates and times in edit text: the short date (day, month and year in the order and
// with the separator of the regional settings, four-digit year, two-digit month and
// day) and the long time (24-hour HH:MM:SS with the time separator).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/Value.h"
#include "platform/RegionalSettings.h"

namespace tiermend::data {

std::string formatShortDate(const DateTime& value, const RegionalSettings& settings);
std::string formatLongTime(const DateTime& value, const RegionalSettings& settings);
// The short date, then a blank and the long time unless the time of day is midnight
// (hours, minutes and seconds all zero).
std::string formatDateTime(const DateTime& value, const RegionalSettings& settings);

// Parsers for the same formats. They allow surrounding blanks, a one-digit month, day,
// hour, minute or second, and a time without seconds; the year has four digits.
// Nothing is given for text that is not a real date (1 to 9999) or time.
std::optional<DateTime> parseDate(std::string_view text, const RegionalSettings& settings);
std::optional<DateTime> parseTime(std::string_view text, const RegionalSettings& settings);
// A date, a date followed by blanks and a time, or a time alone (on 1899-12-30).
std::optional<DateTime> parseDateTime(std::string_view text, const RegionalSettings& settings);

}  // namespace tiermend::data
