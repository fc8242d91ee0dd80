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

// A text the column cannot take is reported after the rows posted before it have been
// sent: a row refused earlier is then the failure reported.
void Field::setAsString(const std::string& text) {
  Value value;
  try {
    value = converter_->valueFromText(text);
  } catch (...) {
    rowset_->flushPostedRows();
    throw;
  }
  rowset_->writeValue(index_, std::move(value));
}

}  // namespace tiermend::data
