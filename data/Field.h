// A column of a rowset as the tool sees it: its name and its edit text. Each column
// kind forms and takes edit text by its own rules (see fields/).
#pragma once

#include <memory>
#include <string>

#include "data/ColumnInfo.h"
#include "data/TextSettings.h"
#include "data/Value.h"

namespace tiermend::data {

enum class FieldKind {
  Text,
  WholeNumber,
  AutoNumber,
  Floating,
  CurrencyDecimal,
  DateTime,
  Boolean,
  MemoBlob,
  Other,  // GUID and short binary
};

class FieldConverter;

// The rules of a field kind: the edit text of a stored value, and the value that writing
// an edit text stores (or the failure the kind raises), from the column and the text
// settings alone. Each kind's file defines its rules (fields/FieldKinds.h).
struct KindRules {
  FieldKind kind;
  std::string (*textOf)(const FieldConverter& field, const Value& value);
  Value (*valueOf)(const FieldConverter& field, const std::string& text);
};

// The conversion rules of one column: stateless, shared by every row.
class FieldConverter {
 public:
  FieldConverter(ColumnInfo info, TextSettings settings, const KindRules& rules);

  const ColumnInfo& info() const { return info_; }
  // The column's name in the ANSI code page, as messages show it.
  const std::string& displayName() const { return displayName_; }
  const TextSettings& settings() const { return settings_; }
  FieldKind kind() const { return rules_->kind; }
  bool readOnly() const;

  // The edit text of a value (a null gives the kind's null text, normally empty).
  std::string textOf(const Value& value) const { return rules_->textOf(*this, value); }
  // The value that writing this edit text stores, or the failure the kind raises.
  // Read-only columns fail with "Field '%s' cannot be modified" after converting.
  Value valueFromText(const std::string& text) const;

 private:
  ColumnInfo info_;
  TextSettings settings_;
  std::string displayName_;
  const KindRules* rules_;
};

// The converter for a column, chosen by its type and attributes.
std::unique_ptr<FieldConverter> makeFieldConverter(const ColumnInfo& info,
                                                   const TextSettings& settings);
// The kind a column belongs to.
FieldKind fieldKindOf(const ColumnInfo& info);

class Rowset;

// Column i of a rowset: reads the current row, writes the row being appended.
class Field {
 public:
  Field(Rowset& rowset, int index, const FieldConverter& converter)
      : rowset_(&rowset), index_(index), converter_(&converter) {}

  const std::string& fieldName() const { return converter_->displayName(); }
  FieldKind kind() const { return converter_->kind(); }
  const ColumnInfo& info() const { return converter_->info(); }
  bool isNull() const;
  Value value() const;
  std::string asString() const;
  void setAsString(const std::string& text);

 private:
  Rowset* rowset_;
  int index_;
  const FieldConverter* converter_;
};

}  // namespace tiermend::data
