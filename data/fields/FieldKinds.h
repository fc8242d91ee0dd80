// The rules of the field kinds (KindRules, data/Field.h). Each kind forms the edit text
// of a stored value and turns edit text back into a value by its own rules.
#pragma once

#include <string>

#include "data/Field.h"

namespace tiermend::data {

// Character columns: the text itself, cut to the column's defined size on write.
extern const KindRules kTextRules;
// Integer columns (and decimal columns of scale 0 and precision below 10): decimal
// digits, checked against the range of the column's width. Auto-number columns are
// whole numbers that cannot be written.
extern const KindRules kWholeNumberRules;
extern const KindRules kAutoNumberRules;
// Single and double precision columns: the general number format.
extern const KindRules kFloatingRules;
// Currency and decimal columns: exact decimal text with at most 4 decimals.
extern const KindRules kCurrencyDecimalRules;
// Date-time, date-only and time-only columns: short date and long time.
extern const KindRules kDateTimeRules;
// Yes/no columns: "True" and "False".
extern const KindRules kBooleanRules;
// Long text and long binary columns: only the kind's name is shown, and no text can
// be written.
extern const KindRules kMemoBlobRules;
// GUID columns: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
extern const KindRules kGuidRules;
// Short binary columns: two upper-case hex digits per byte.
extern const KindRules kBinaryRules;

// The edit text of a value whose form the column's kind does not expect (a provider
// may hand over an integer for a decimal column, say): the natural text of the value.
std::string plainTextOf(const Value& value, const TextSettings& settings);

}  // namespace tiermend::data
