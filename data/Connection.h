// The connection component: a handle on one database, opened from an OLE DB style
// connection string. The provider is picked from the string's "Provider=" entry and,
// for file databases, from the file's first bytes (data/ProviderChoice.h). Credentials
// come from the string alone; nothing is ever prompted for.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/TextSettings.h"

namespace tiermend::data {

class Rowset;

class Connection {
 public:
  Connection(std::string name, TextSettings settings);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  const std::string& name() const { return name_; }
  const TextSettings& settings() const { return settings_; }

  // The connection string, UTF-8. Setting a string equal to the current one does
  // nothing; setting another while open fails ("Operation is not allowed when the
  // object is open").
  const std::string& connectionString() const { return connectionString_; }
  void setConnectionString(const std::string& utf8);

  bool connected() const { return session_ != nullptr; }
  // Opens the database; does nothing when already open. Failures: EOleException with
  // the provider's message, or the layer's own message for an unknown provider.
  void open();
  // Closes every rowset on it, rolls back an open transaction, closes the database.
  void close();

  void beginTransaction();
  void commit();
  // Raises what commit() would raise without making the changes visible; the
  // transaction stays open (see Session::checkCommit).
  void checkCommit();
  void rollback();
  bool inTransaction() const { return inTransaction_; }
  // Sends rows the session holds back (see Session::flush); does nothing when closed.
  // A refused row raises its failure.
  void flushPostedRows();

  // The open session (opening first when needed); for the rowsets.
  Session& session();

 private:
  friend class Rowset;
  void attach(Rowset* rowset);
  void detach(Rowset* rowset);

  std::string name_;
  TextSettings settings_;
  std::string connectionString_;
  std::unique_ptr<Session> session_;
  bool inTransaction_ = false;
  std::vector<Rowset*> rowsets_;
};

}  // namespace tiermend::data
