// Declared SQLite types to column types.
#include "data/providers/sqlite/SqliteColumns.h"

#include <sqlite3.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/value/AsciiText.h"
#include "data/value/DecimalText.h"

namespace tiermend::data::sqlite {
namespace {

// The declared type in upper case with blank runs made single, split into its name
// and the numbers inside its parentheses.
struct ParsedType {
  std::string name;
  std::vector<int> arguments;
};

ParsedType parseDeclaredType(std::string_view declared) {
  ParsedType parsed;
  size_t open = declared.find('(');
  std::string_view name = declared.substr(0, open);
  bool pendingBlank = false;
  for (char c : name) {
    if (std::isspace(static_cast<unsigned char>(c))) {
      pendingBlank = !parsed.name.empty();
      continue;
    }
    if (pendingBlank) parsed.name.push_back(' ');
    pendingBlank = false;
    parsed.name.push_back(c);
  }
  parsed.name = toUpperAscii(std::move(parsed.name));
  if (open == std::string_view::npos) return parsed;
  std::string arguments(declared.substr(open + 1));
  const char* p = arguments.c_str();
  while (*p != '\0' && *p != ')') {
    char* end = nullptr;
    long number = std::strtol(p, &end, 10);
    if (end == p) {
      ++p;
      continue;
    }
    parsed.arguments.push_back(static_cast<int>(number));
    p = end;
  }
  return parsed;
}

const DeclaredType* findDeclaredType(const std::string& name) {
  for (const DeclaredType& entry : kDeclaredTypes) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

ColumnType typeByAffinity(const std::string& name) {
  auto has = [&](const char* part) { return name.find(part) != std::string::npos; };
  if (has("INT")) return ColumnType::Int64;
  if (has("CLOB")) return ColumnType::Memo;
  if (has("CHAR") || has("TEXT")) return ColumnType::Text;
  if (has("BLOB")) return ColumnType::Blob;
  if (has("REAL") || has("FLOA") || has("DOUB")) return ColumnType::Double;
  return ColumnType::Decimal;
}

void applyArguments(const std::vector<int>& arguments, ColumnInfo& column) {
  if (column.type == ColumnType::Text || column.type == ColumnType::Binary) {
    column.size = arguments.empty() ? 0 : arguments[0];
    return;
  }
  if (column.type != ColumnType::Decimal || arguments.empty()) return;
  column.precision = arguments[0];
  column.scale = arguments.size() > 1 ? arguments[1] : 0;
  // A whole-number decimal narrow enough for 32 bits is a whole-number column.
  if (isNarrowWholeDecimal(column.precision, column.scale)) column.type = ColumnType::Int32;
}

}  // namespace

bool columnFromDeclaredType(std::string_view declared, ColumnInfo& column) {
  ParsedType parsed = parseDeclaredType(declared);
  if (parsed.name.empty()) return false;
  const DeclaredType* known = findDeclaredType(parsed.name);
  column.type = known != nullptr ? known->type : typeByAffinity(parsed.name);
  column.unicode = true;
  applyArguments(parsed.arguments, column);
  return true;
}

void columnFromStorageClass(int storageClass, ColumnInfo& column) {
  switch (storageClass) {
    case SQLITE_INTEGER:
      column.type = ColumnType::Int64;
      break;
    case SQLITE_FLOAT:
      column.type = ColumnType::Double;
      break;
    case SQLITE_BLOB:
      column.type = ColumnType::Blob;
      break;
    default:
      column.type = ColumnType::Text;
      break;
  }
  column.unicode = true;
}

}  // namespace tiermend::data::sqlite
