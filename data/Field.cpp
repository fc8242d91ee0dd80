// A field reads the rowset's current row and writes the row being appended, through
// its column's converter.
#include "data/Field.h"

#include "data/Rowset.h"

namespace tiermend::data {

Value Field::value() const {
  return rowset_->currentValue(index_);
}

bool Field::isNull() const {
  return data::isNull(rowset_->currentValue(index_));
}

std::string Field::asString() const {
  return converter_->textOf(rowset_->currentValue(index_));
}

void Field::setAsString(const std::string& text) {
  rowset_->writeValue(index_, converter_->valueFromText(text));
}

}  // namespace tiermend::data
