// The converters of the field kinds. Each forms the edit text of a stored value and
// turns edit text back into a value by the rules of its kind.
#pragma once

#include <cstdint>
#include <string>

#include "data/Field.h"

namespace tiermend::data {

// Character columns: the text itself, cut to the column's defined size on write.
class TextField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::Text; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

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

// Single and double precision columns: the general number format.
class FloatingField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::Floating; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// Currency and decimal columns: exact decimal text with at most 4 decimals.
class CurrencyDecimalField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::CurrencyDecimal; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// Date-time, date-only and time-only columns: short date and long time.
class DateTimeField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::DateTime; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// Yes/no columns: "True" and "False".
class BooleanField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::Boolean; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// Long text and long binary columns: only the kind's name is shown, and no text can
// be written.
class MemoBlobField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::MemoBlob; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// GUID columns: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
class GuidField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::Other; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// Short binary columns: two upper-case hex digits per byte.
class BinaryField final : public FieldConverter {
 public:
  using FieldConverter::FieldConverter;
  FieldKind kind() const override { return FieldKind::Other; }
  std::string textOf(const Value& value) const override;

 protected:
  Value convertText(const std::string& text) const override;
};

// The edit text of a value whose form the column's kind does not expect (a provider
// may hand over an integer for a decimal column, say): the natural text of the value.
std::string plainTextOf(const Value& value, const TextSettings& settings);

}  // namespace tiermend::data
