// The converters of the field kinds. Each forms the edit text of a stored value and
// turns edit text back into a value by the rules of its kind.
#pragma once

#include <cstdint>
#include <string>

#include "data/Field.h"

namespace tiermend::data {

// Integer columns (and decimal columns of scale 0 and precision below 10): decimal
// digits, checked against the range of the column's width. Auto-number columns are
// whole numbers that cannot be written.
class WholeNumberField final : public FieldConverter {
 public:
  WholeNumberField(const ColumnInfo& info, const TextSettings& settings, FieldKind kind);
  FieldKind kind() const override { return kind_; }
  std::string textOf(const Value& value) const override;
  std::int64_t lowest() const { return lowest_; }
  std::int64_t highest() const { return highest_; }

 protected:
  Value convertText(const std::string& text) const override;

 private:
  [[noreturn]] void failRange(const std::string& numberText) const;

  FieldKind kind_;
  std::int64_t lowest_;
  std::int64_t highest_;
};

// The rules of a kind that needs nothing but the column and the text settings: the
// edit text of a stored value, and the value that writing an edit text stores (or the
// failure the kind raises). Each kind's file defines its rules.
struct KindRules {
  FieldKind kind;
  std::string (*textOf)(const FieldConverter& field, const Value& value);
  Value (*valueOf)(const FieldConverter& field, const std::string& text);
};

// Character columns: the text itself, cut to the column's defined size on write.
extern const KindRules kTextRules;
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

// The converter of a column whose kind has such rules.
class KindField final : public FieldConverter {
 public:
  KindField(const ColumnInfo& info, const TextSettings& settings, const KindRules& rules)
      : FieldConverter(info, settings), rules_(rules) {}
  FieldKind kind() const override { return rules_.kind; }
  std::string textOf(const Value& value) const override { return rules_.textOf(*this, value); }

 protected:
  Value convertText(const std::string& text) const override { return rules_.valueOf(*this, text); }

 private:
  const KindRules& rules_;
};

// The edit text of a value whose form the column's kind does not expect (a provider
// may hand over an integer for a decimal column, say): the natural text of the value.
std::string plainTextOf(const Value& value, const TextSettings& settings);

}  // namespace tiermend::data
