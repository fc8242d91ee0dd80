// Long text and long binary columns. Edit text names the kind instead of showing the
// content: "(MEMO)" or "(BLOB)" when the column holds a value (empty text or bytes
// included), "(Memo)" or "(Blob)" when it is null. No edit text can be written.
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"

namespace tiermend::data {

std::string MemoBlobField::textOf(const Value& value) const {
  const bool memo = info().type == ColumnType::Memo;
  if (isNull(value)) return memo ? "(Memo)" : "(Blob)";
  return memo ? "(MEMO)" : "(BLOB)";
}

Value MemoBlobField::convertText(const std::string&) const {
  failField("Cannot access field '%s' as type %s", {displayName(), "Text"});
}

}  // namespace tiermend::data
