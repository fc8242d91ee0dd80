// Reading an ODBC handle's diagnostic records and turning them into the user's message.
#include "data/providers/odbc/OdbcDiagnostics.h"

#include <algorithm>
#include <vector>

#include "data/EngineError.h"
#include "data/providers/odbc/OdbcText.h"
#include "data/value/AsciiText.h"
#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

namespace {

struct DiagnosticRecord {
  std::string state;
  std::string message;
  SQLINTEGER nativeError = 0;
};

std::vector<DiagnosticRecord> readRecords(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records;
  for (SQLSMALLINT number = 1;; ++number) {
    SQLWCHAR state[6] = {};
    SQLINTEGER nativeError = 0;
    SQLSMALLINT length = 0;
    SQLRETURN rc =
        SQLGetDiagRecW(handleType, handle, number, state, &nativeError, nullptr, 0, &length);
    if (!SQL_SUCCEEDED(rc)) break;
    WideString message(static_cast<std::size_t>(length) + 1, 0);
    rc = SQLGetDiagRecW(handleType, handle, number, state, &nativeError, message.data(),
                        static_cast<SQLSMALLINT>(message.size()), &length);
    if (!SQL_SUCCEEDED(rc)) break;
    message.resize(std::min<std::size_t>(static_cast<std::size_t>(length), message.size() - 1));
    records.push_back({toUtf8(state, 5), toUtf8(message), nativeError});
  }
  return records;
}

bool isWarning(const DiagnosticRecord& record) {
  return record.state.starts_with("01");
}

}  // namespace

std::string withoutOriginPrefixes(std::string_view message) {
  while (message.starts_with('[')) {
    std::size_t close = message.find(']');
    if (close == std::string_view::npos) break;
    message.remove_prefix(close + 1);
  }
  return std::string(message);
}

// psqlODBC closes the server's message with a line of its own: "Error while executing
// the query" and the like, or, for a statement that failed while it was described
// before running, "No query has been executed with that handle".
std::string withoutDriverTrailer(std::string message) {
  for (std::string_view closing : {";\nError while ", ";\nNo query has been executed"}) {
    std::size_t trailer = message.rfind(closing);
    if (trailer != std::string::npos && message.find('\n', trailer + 2) == std::string::npos) {
      message.erase(trailer);
      break;
    }
  }
  return message;
}

std::string diagnosticText(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<DiagnosticRecord> records = readRecords(handleType, handle);
  bool hasError = std::any_of(records.begin(), records.end(),
                              [](const DiagnosticRecord& r) { return !isWarning(r); });
  std::vector<std::string> lines;
  for (const DiagnosticRecord& record : records) {
    if (hasError && isWarning(record)) continue;
    std::string line(trimWhitespace(withoutDriverTrailer(withoutOriginPrefixes(record.message))));
    if (line.empty() || std::find(lines.begin(), lines.end(), line) != lines.end()) continue;
    lines.push_back(std::move(line));
  }
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

bool reportsLockTimeout(SQLSMALLINT handleType, SQLHANDLE handle, const Dialect& dialect) {
  const std::vector<DiagnosticRecord> records = readRecords(handleType, handle);
  return std::any_of(records.begin(), records.end(), [&](const DiagnosticRecord& r) {
    return dialect.isLockTimeout({r.state, r.nativeError, r.message});
  });
}

void throwDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, std::string_view action) {
  std::string text = handle == SQL_NULL_HANDLE ? std::string() : diagnosticText(handleType, handle);
  if (text.empty()) text = "The ODBC driver failed while " + std::string(action);
  throw EngineError(text);
}

void checkResult(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, std::string_view action) {
  if (!SQL_SUCCEEDED(rc)) throwDiagnostics(handleType, handle, action);
}

}  // namespace tiermend::data::odbc
