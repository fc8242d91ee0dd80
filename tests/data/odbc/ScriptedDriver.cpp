// An ODBC driver of the tests' own, loaded by the driver manager like any other, whose
// connection string says which calls fail: "FAIL=commit" fails the end of a transaction
// with a commit, "FAIL=reset" fails switching automatic commit back on, and both may be
// named ("FAIL=commit,reset"). Everything else it is asked succeeds and does nothing.
// It lets the tests see how the provider handles failures that a real server gives only
// by chance. Its entry points never call one another: a call between them could bind
// to the driver manager's function of the same name.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

struct ScriptedEnvironment {};

struct ScriptedConnection {
  bool failCommit = false;
  bool failReset = false;
  bool autocommit = true;
  // The one diagnostic record of the last call that failed; empty after a success.
  std::string state;
  std::string message;

  SQLRETURN succeed() {
    state.clear();
    message.clear();
    return SQL_SUCCESS;
  }
  SQLRETURN fail(const char* sqlState, const char* text) {
    state = sqlState;
    message = text;
    return SQL_ERROR;
  }
};

// The value of "FAIL=" in a connection string, in lower case.
std::string failures(const std::string& connectionString) {
  std::string text = connectionString;
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  const std::size_t at = text.find("fail=");
  if (at == std::string::npos) return {};
  const std::size_t start = at + 5;
  return text.substr(start, text.find(';', start) - start);
}

std::string inputText(const SQLCHAR* text, SQLSMALLINT length) {
  const char* chars = reinterpret_cast<const char*>(text);
  return length == SQL_NTS ? std::string(chars) : std::string(chars, static_cast<size_t>(length));
}

// Copies text into an output buffer of `capacity` bytes, NUL-terminated and cut to fit.
void outputText(const std::string& text, SQLPOINTER buffer, SQLLEN capacity, SQLLEN* length) {
  if (length != nullptr) *length = static_cast<SQLLEN>(text.size());
  if (buffer == nullptr || capacity <= 0) return;
  const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(capacity - 1));
  std::memcpy(buffer, text.data(), copied);
  static_cast<char*>(buffer)[copied] = '\0';
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE, SQLHANDLE* output) {
  if (type == SQL_HANDLE_ENV) {
    *output = new ScriptedEnvironment;
    return SQL_SUCCESS;
  }
  if (type == SQL_HANDLE_DBC) {
    *output = new ScriptedConnection;
    return SQL_SUCCESS;
  }
  *output = SQL_NULL_HANDLE;
  return SQL_ERROR;
}

SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
  if (type == SQL_HANDLE_ENV) delete static_cast<ScriptedEnvironment*>(handle);
  if (type == SQL_HANDLE_DBC) delete static_cast<ScriptedConnection*>(handle);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER) {
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outCapacity, SQLSMALLINT* outLength,
                                   SQLUSMALLINT) {
  auto* connection = static_cast<ScriptedConnection*>(handle);
  const std::string text = inputText(in, inLength);
  const std::string failing = failures(text);
  connection->failCommit = failing.find("commit") != std::string::npos;
  connection->failReset = failing.find("reset") != std::string::npos;
  SQLLEN length = 0;
  outputText(text, out, outCapacity, &length);
  if (outLength != nullptr) *outLength = static_cast<SQLSMALLINT>(length);
  return connection->succeed();
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
  return static_cast<ScriptedConnection*>(handle)->succeed();
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
                             SQLSMALLINT capacity, SQLSMALLINT* length) {
  auto* connection = static_cast<ScriptedConnection*>(handle);
  std::string text;
  switch (type) {
    case SQL_DRIVER_ODBC_VER:
      text = "03.80";
      break;
    case SQL_DBMS_NAME:
      text = "Scripted";
      break;
    case SQL_IDENTIFIER_QUOTE_CHAR:
      text = "\"";
      break;
    default:
      return connection->fail("HYC00", "Scripted driver: information type not known");
  }
  SQLLEN written = 0;
  outputText(text, value, capacity, &written);
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(written);
  return connection->succeed();
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER) {
  auto* connection = static_cast<ScriptedConnection*>(handle);
  if (attribute == SQL_ATTR_AUTOCOMMIT) {
    const bool on = reinterpret_cast<SQLULEN>(value) == SQL_AUTOCOMMIT_ON;
    if (on && connection->failReset)
      return connection->fail("08S01", "Scripted driver: the reset of automatic commit failed");
    connection->autocommit = on;
  }
  return connection->succeed();
}

SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion) {
  if (type != SQL_HANDLE_DBC) return SQL_ERROR;
  auto* connection = static_cast<ScriptedConnection*>(handle);
  if (completion == SQL_COMMIT && connection->failCommit)
    return connection->fail("40001", "Scripted driver: the commit failed");
  return connection->succeed();
}

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                SQLCHAR* state, SQLINTEGER* nativeError, SQLCHAR* message,
                                SQLSMALLINT capacity, SQLSMALLINT* length) {
  if (type != SQL_HANDLE_DBC || record != 1) return SQL_NO_DATA;
  const auto* connection = static_cast<ScriptedConnection*>(handle);
  if (connection->message.empty()) return SQL_NO_DATA;
  if (state != nullptr) outputText(connection->state, state, 6, nullptr);
  if (nativeError != nullptr) *nativeError = 1;
  SQLLEN written = 0;
  outputText(connection->message, message, capacity, &written);
  if (length != nullptr) *length = static_cast<SQLSMALLINT>(written);
  return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
                                  SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT, SQLSMALLINT*) {
  if (type != SQL_HANDLE_DBC || record != 0 || field != SQL_DIAG_NUMBER) return SQL_NO_DATA;
  const auto* connection = static_cast<ScriptedConnection*>(handle);
  *static_cast<SQLINTEGER*>(value) = connection->message.empty() ? 0 : 1;
  return SQL_SUCCESS;
}

}  // extern "C"
