// Long text and long binary columns. Edit text names the kind instead of showing the
// content: "(MEMO)" or "(BLOB)" when the column holds a value (empty text or bytes
// included), "(Memo)" or "(Blob)" when it is null. No edit text can be written.
#include "data/fields/FieldKinds.h"
#include "data/fields/FieldMessage.h"

namespace tiermend::data {

namespace {

std::string textOf(const FieldConverter& field, const Value& value) {
  const bool memo = field.info().type == ColumnType::Memo;
  if (isNull(value)) return memo ? "(Memo)" : "(Blob)";
  return memo ? "(MEMO)" : "(BLOB)";
}

Value valueOf(const FieldConverter& field, const std::string&) {
  failField("Cannot access field '%s' as type %s", {field.displayName(), "Text"});
}

}  // namespace

const KindRules kMemoBlobRules{FieldKind::MemoBlob, textOf, valueOf};

}  // namespace tiermend::data
