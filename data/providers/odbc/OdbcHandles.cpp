// Allocating and freeing the unixODBC handles, and the connection's disconnect on the
// way out.
#include "data/providers/odbc/OdbcHandles.h"

#include <utility>

#include "data/EngineError.h"
#include "data/providers/odbc/OdbcDiagnostics.h"
#include "data/providers/odbc/OdbcText.h"

namespace tiermend::data::odbc {

Handle::Handle(Handle&& other) noexcept
    : type_(other.type_), handle_(std::exchange(other.handle_, nullptr)) {}

Handle& Handle::operator=(Handle&& other) noexcept {
  if (this != &other) {
    reset();
    type_ = other.type_;
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

void Handle::reset() {
  if (handle_ != SQL_NULL_HANDLE) {
    // A statement is closed before it is freed: psqlODBC otherwise keeps the
    // description of a statement that was prepared and described but never run.
    if (type_ == SQL_HANDLE_STMT) SQLFreeStmt(handle_, SQL_CLOSE);
    SQLFreeHandle(type_, handle_);
    handle_ = SQL_NULL_HANDLE;
  }
}

namespace {

// Allocates a handle of this kind under its parent; a failure is described by the parent.
Handle allocate(SQLSMALLINT type, SQLSMALLINT parentType, SQLHANDLE parent) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  SQLRETURN rc = SQLAllocHandle(type, parent, &handle);
  if (!SQL_SUCCEEDED(rc)) {
    if (handle != SQL_NULL_HANDLE) SQLFreeHandle(type, handle);
    if (parent == SQL_NULL_HANDLE) throw EngineError("Cannot allocate the ODBC environment");
    throwDiagnostics(parentType, parent, "allocating an ODBC handle");
  }
  return Handle(type, handle);
}

}  // namespace

Environment::Environment() : handle_(allocate(SQL_HANDLE_ENV, 0, SQL_NULL_HANDLE)) {
  SQLRETURN rc =
      SQLSetEnvAttr(get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  checkResult(rc, SQL_HANDLE_ENV, get(), "setting the ODBC version");
}

ConnectionHandle::ConnectionHandle(const Environment& environment)
    : handle_(allocate(SQL_HANDLE_DBC, SQL_HANDLE_ENV, environment.get())) {}

ConnectionHandle::~ConnectionHandle() {
  if (connected_) {
    // A connection with an open transaction refuses to disconnect; undo it first.
    SQLEndTran(SQL_HANDLE_DBC, get(), SQL_ROLLBACK);
    SQLDisconnect(get());
  }
}

void ConnectionHandle::connect(const std::string& connectionString) {
  WideString text = toWide(connectionString);
  SQLWCHAR completed[1024];
  SQLSMALLINT completedLength = 0;
  SQLRETURN rc = SQLDriverConnectW(
      get(), nullptr, text.data(), static_cast<SQLSMALLINT>(text.size()), completed,
      static_cast<SQLSMALLINT>(std::size(completed)), &completedLength, SQL_DRIVER_NOPROMPT);
  checkResult(rc, SQL_HANDLE_DBC, get(), "connecting");
  connected_ = true;
}

StatementHandle::StatementHandle(const ConnectionHandle& connection)
    : handle_(allocate(SQL_HANDLE_STMT, SQL_HANDLE_DBC, connection.get())) {}

}  // namespace tiermend::data::odbc
