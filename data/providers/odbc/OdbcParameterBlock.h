// The parameters of one multi-row insert statement, bound once and refilled for every
// batch it carries. Binding is the dear part of sending many values (each call passes
// through the driver manager and the driver, and MariaDB Connector/ODBC spends more on
// it than on the value), and on SQL Server any binding makes FreeTDS prepare the
// statement anew (sp_unprepare, then sp_prepexec, which the server compiles again): a
// parameter keeps its buffer while the values it takes keep their C type and SQL type
// and fit in it, so that a batch after the first usually costs a copy of each value and
// no call at all. To that end a parameter is bound for its column rather than for its
// first value: a null takes the C type of the column's other values (or the one its
// column's SQL type calls for), and a text or number written as text gets room for as
// many characters as the column holds. A value that does not fit, or is of another
// type, has its parameter bound again.
#pragma once

#include <cstddef>
#include <vector>

#include "data/providers/odbc/OdbcParameters.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

class ParameterBlock {
 public:
  // For a statement of `count` parameters.
  explicit ParameterBlock(std::size_t count);
  ParameterBlock(const ParameterBlock&) = delete;
  ParameterBlock& operator=(const ParameterBlock&) = delete;
  ParameterBlock(ParameterBlock&&) = default;
  ParameterBlock& operator=(ParameterBlock&&) = default;

  // Gives the statement's parameters the rows' values, row after row (parameter
  // r * columns + c + 1 takes row r's value c), binding only those that must be. The
  // rows must carry exactly as many values as the statement has parameters.
  void load(SQLHSTMT statement, std::vector<ParameterSet>& rows);
  // Calls to SQLBindParameter so far, for tests.
  std::size_t bindings() const { return bindings_; }

 private:
  struct Bound {
    bool bound = false;
    SQLSMALLINT cType = 0;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    std::vector<unsigned char> buffer;
  };
  void bind(SQLHSTMT statement, std::size_t index, const ParameterSet::Slot& slot);
  // Binds a parameter first given a null: as the first value of its column among the
  // rows that is not null, else as the column's SQL type calls for.
  void bindForNull(SQLHSTMT statement, std::size_t index, const std::vector<ParameterSet>& rows,
                   std::size_t column, const ParameterSet::Slot& slot);

  std::vector<Bound> parameters_;
  // Apart from the parameters, so that their addresses, which the driver holds, never
  // move: the vector is sized once.
  std::vector<SQLLEN> indicators_;
  std::size_t bindings_ = 0;
};

}  // namespace tiermend::data::odbc
