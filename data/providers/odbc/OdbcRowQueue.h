// Rows posted to one prepared insert and not yet sent: at most a fixed number, so that
// memory stays the same however many rows a table has. The rows of one queue travel as
// one parameter array, in which every column has one C type and one SQL type.
#pragma once

#include <cstddef>
#include <vector>

#include "data/providers/odbc/OdbcParameters.h"

namespace tiermend::data::odbc {

class RowQueue {
 public:
  explicit RowQueue(std::size_t capacity);

  std::size_t capacity() const { return capacity_; }
  // Holds at most `capacity` rows from now on; only while empty.
  void setCapacity(std::size_t capacity);
  std::size_t size() const { return rows_.size(); }
  bool empty() const { return rows_.empty(); }
  bool full() const { return rows_.size() >= capacity_; }

  // Whether the row can join the rows queued so far: a value that is not null must
  // have the C type and SQL type of the column's other values (nulls fit anywhere).
  bool fits(const ParameterSet& row) const;
  // Queues a row that fits and while the queue is not full.
  void push(ParameterSet row);
  // Hands over the queued rows, in the order posted, and leaves the queue empty.
  std::vector<ParameterSet> take();

 private:
  struct ColumnShape {
    bool known = false;  // set by the first value that is not null
    SQLSMALLINT cType = 0;
    SQLSMALLINT sqlType = 0;
    SQLSMALLINT digits = 0;
  };

  std::size_t capacity_;
  std::vector<ParameterSet> rows_;
  std::vector<ColumnShape> shapes_;
};

}  // namespace tiermend::data::odbc
