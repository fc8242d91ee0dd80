// Statement texts the provider writes itself, and the table a select reads from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tiermend::data::odbc {

// INSERT INTO t (c1, c2) VALUES (?, ?), with one "(?, ?)" for each of `rows` rows.
std::string insertStatement(std::string_view table, const std::vector<std::string>& columns,
                            std::string_view quote, std::size_t rows = 1);

// SELECT c1, c2 FROM t WHERE 1 = 0: describes the columns an insert writes to.
std::string describeStatement(std::string_view table, const std::vector<std::string>& columns,
                              std::string_view quote);

// The one table a plain "SELECT ... FROM table [WHERE ...]" reads, without quotes or
// schema; empty when the statement reads from several tables or none.
std::string tableNameInSelect(std::string_view sql);

// As tableNameInSelect, for a statement that begins with SELECT; empty for any other.
std::string tableOfPlainSelect(std::string_view sql);

}  // namespace tiermend::data::odbc
