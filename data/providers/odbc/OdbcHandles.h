// Owners of the unixODBC handles: an environment, a connection and a statement. Each
// frees its handle when destroyed; a connected connection is rolled back and
// disconnected first, so that no handle outlives its owner on any path.
#pragma once

#include <string>

#include "platform/OdbcApi.h"

namespace tiermend::data::odbc {

// A handle of one kind; frees it on destruction. Movable, not copyable.
class Handle {
 public:
  Handle() = default;
  Handle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
  ~Handle() { reset(); }
  Handle(Handle&& other) noexcept;
  Handle& operator=(Handle&& other) noexcept;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  void reset();

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// An ODBC 3 environment.
class Environment {
 public:
  Environment();
  SQLHENV get() const { return handle_.get(); }

 private:
  Handle handle_;
};

// A connection handle; once connected it is rolled back and disconnected before it is
// freed. Must not outlive the environment it came from.
class ConnectionHandle {
 public:
  explicit ConnectionHandle(const Environment& environment);
  ~ConnectionHandle();
  ConnectionHandle(const ConnectionHandle&) = delete;
  ConnectionHandle& operator=(const ConnectionHandle&) = delete;

  SQLHDBC get() const { return handle_.get(); }
  // Connects with a complete ODBC connection string (UTF-8), without any prompt.
  void connect(const std::string& connectionString);

 private:
  Handle handle_;
  bool connected_ = false;
};

// A statement handle on a connection. Must not outlive its connection.
class StatementHandle {
 public:
  explicit StatementHandle(const ConnectionHandle& connection);
  SQLHSTMT get() const { return handle_.get(); }

 private:
  Handle handle_;
};

}  // namespace tiermend::data::odbc
