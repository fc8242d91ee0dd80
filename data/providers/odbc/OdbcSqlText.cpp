// Writing the provider's own insert and describe statements, and finding the one table a
// select reads from.
#include "data/providers/odbc/OdbcSqlText.h"

#include <cctype>

#include "data/value/AsciiText.h"
#include "data/value/QuotedName.h"

namespace tiermend::data::odbc {

namespace {

std::string columnList(const std::vector<std::string>& columns, std::string_view quote) {
  std::string list;
  for (const std::string& column : columns) {
    if (!list.empty()) list += ", ";
    list += quoteIdentifier(column, quote);
  }
  return list;
}

bool isWordChar(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '$' || c == '#' || c == '@' || u >= 0x80;
}

bool wordAt(std::string_view sql, std::size_t pos, std::string_view word) {
  if (pos + word.size() > sql.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i)
    if (toLowerAscii(sql[pos + i]) != word[i]) return false;
  bool startsWord = pos == 0 || !isWordChar(sql[pos - 1]);
  bool endsWord = pos + word.size() == sql.size() || !isWordChar(sql[pos + word.size()]);
  return startsWord && endsWord;
}

// Position of the first FROM outside quotes and brackets, or npos.
std::size_t findFrom(std::string_view sql) {
  char open = 0;
  int depth = 0;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    char c = sql[i];
    if (open) {
      if ((open == '[' && c == ']') || (open != '[' && c == open)) open = 0;
    } else if (c == '\'' || c == '"' || c == '[' || c == '`') {
      open = c;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (depth == 0 && wordAt(sql, i, "from")) {
      return i;
    }
  }
  return std::string_view::npos;
}

void skipBlanks(std::string_view sql, std::size_t& pos) {
  while (pos < sql.size() && std::isspace(static_cast<unsigned char>(sql[pos]))) ++pos;
}

// Reads one (possibly quoted) name part at pos; empty on failure.
std::string readNamePart(std::string_view sql, std::size_t& pos) {
  if (pos >= sql.size()) return {};
  char c = sql[pos];
  if (c == '"' || c == '[' || c == '`') {
    char close = c == '[' ? ']' : c;
    std::string name;
    for (++pos; pos < sql.size(); ++pos) {
      if (sql[pos] == close) {
        if (pos + 1 < sql.size() && sql[pos + 1] == close) {
          name += close;
          ++pos;
          continue;
        }
        ++pos;
        return name;
      }
      name += sql[pos];
    }
    return {};
  }
  std::size_t start = pos;
  while (pos < sql.size() && isWordChar(sql[pos])) ++pos;
  return std::string(sql.substr(start, pos - start));
}

bool endsSingleTableSource(std::string_view sql, std::size_t pos) {
  skipBlanks(sql, pos);
  if (pos >= sql.size() || sql[pos] == ';') return true;
  for (std::string_view word : {"where", "order", "group", "having", "limit", "for", "union"})
    if (wordAt(sql, pos, word)) return true;
  return false;
}

}  // namespace

std::string insertStatement(std::string_view table, const std::vector<std::string>& columns,
                            std::string_view quote, std::size_t rows) {
  std::string marks = "(";
  for (std::size_t i = 0; i < columns.size(); ++i) marks += i == 0 ? "?" : ", ?";
  marks += ")";
  std::string text = "INSERT INTO " + quoteIdentifier(table, quote) + " (" +
                     columnList(columns, quote) + ") VALUES ";
  text.reserve(text.size() + rows * (marks.size() + 2));
  for (std::size_t row = 0; row < rows; ++row) {
    if (row != 0) text += ", ";
    text += marks;
  }
  return text;
}

std::string describeStatement(std::string_view table, const std::vector<std::string>& columns,
                              std::string_view quote) {
  return "SELECT " + columnList(columns, quote) + " FROM " + quoteIdentifier(table, quote) +
         " WHERE 1 = 0";
}

std::string tableNameInSelect(std::string_view sql) {
  std::size_t pos = findFrom(sql);
  if (pos == std::string_view::npos) return {};
  pos += 4;
  skipBlanks(sql, pos);
  std::string name = readNamePart(sql, pos);
  while (!name.empty() && pos < sql.size() && sql[pos] == '.') {
    ++pos;
    name = readNamePart(sql, pos);
  }
  if (name.empty()) return {};
  // An alias may follow the table ("FROM t AS x", "FROM t x").
  std::size_t after = pos;
  skipBlanks(sql, after);
  if (wordAt(sql, after, "as")) {
    after += 2;
    skipBlanks(sql, after);
    readNamePart(sql, after);
  } else if (after < sql.size() && isWordChar(sql[after]) && !endsSingleTableSource(sql, after)) {
    readNamePart(sql, after);
  }
  return endsSingleTableSource(sql, after) ? name : std::string();
}

std::string tableOfPlainSelect(std::string_view sql) {
  std::size_t pos = 0;
  skipBlanks(sql, pos);
  return wordAt(sql, pos, "select") ? tableNameInSelect(sql) : std::string();
}

}  // namespace tiermend::data::odbc
