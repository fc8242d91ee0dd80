// Helpers for the field kind tests: columns, settings and captured failure messages.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "data/Field.h"

namespace tiermend::testing {

data::ColumnInfo column(data::ColumnType type, std::string name = "col");
// Year-month-day with "/", ":" and "." unless changed; code page UTF-8 unless changed.
data::TextSettings settingsFor(unsigned codePage = CodePage::kUtf8,
                               DateOrder order = DateOrder::YearMonthDay, char dateSeparator = '/',
                               char decimalSeparator = '.');
std::unique_ptr<data::FieldConverter> converter(const data::ColumnInfo& info,
                                                const data::TextSettings& settings = settingsFor());

// The message of the failure the action raises, prefixed by its class name, or
// "no failure".
std::string namedFailureOf(const std::function<void()>& action);
// Shorthands: the edit text written to / read from a column of the given info.
std::string writeFailure(const data::ColumnInfo& info, const std::string& text,
                         const data::TextSettings& settings = settingsFor());

}  // namespace tiermend::testing
