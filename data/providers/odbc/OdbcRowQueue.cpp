// Holding an insert's rows until they are sent, as long as each column keeps one C type
// and one SQL type.
#include "data/providers/odbc/OdbcRowQueue.h"

#include <algorithm>
#include <stdexcept>

namespace tiermend::data::odbc {

RowQueue::RowQueue(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {
  rows_.reserve(capacity_);
}

void RowQueue::setCapacity(std::size_t capacity) {
  if (!rows_.empty()) throw std::logic_error("the capacity of a queue holding rows was changed");
  capacity_ = std::max<std::size_t>(capacity, 1);
  rows_.reserve(capacity_);
}

bool RowQueue::fits(const ParameterSet& row) const {
  if (full()) return false;
  if (rows_.empty()) return true;
  const auto& slots = row.slots();
  if (slots.size() != shapes_.size()) return false;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const ColumnShape& shape = shapes_[i];
    const ParameterSet::Slot& slot = slots[i];
    if (!shape.known || slot.isNull()) continue;
    if (slot.cType != shape.cType || slot.sqlType != shape.sqlType || slot.digits != shape.digits)
      return false;
  }
  return true;
}

void RowQueue::push(ParameterSet row) {
  if (!fits(row)) throw std::logic_error("a row was queued that does not fit the queue");
  if (rows_.empty()) shapes_.assign(row.slots().size(), ColumnShape{});
  const auto& slots = row.slots();
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (shapes_[i].known || slots[i].isNull()) continue;
    shapes_[i] = {true, slots[i].cType, slots[i].sqlType, slots[i].digits};
  }
  rows_.push_back(std::move(row));
}

std::vector<ParameterSet> RowQueue::take() {
  std::vector<ParameterSet> taken;
  taken.reserve(capacity_);
  taken.swap(rows_);
  shapes_.clear();
  return taken;
}

}  // namespace tiermend::data::odbc
