// The connection component: a handle on one database, opened from an OLE DB style
// connection string. The provider is picked from the string's "Provider=" entry and,
// for file databases, from the file's first bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/Provider.h"
#include "data/TextSettings.h"

namespace tiermend::data {

class Rowset;

constexpr int cmShareDenyNone = 16;
constexpr int coConnectUnspecified = -1;
constexpr int clUseClient = 3;

class Connection {
 public:
  Connection(std::string name, TextSettings settings);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Settings kept as the tool configures them; credentials come from the string alone.
  bool LoginPrompt = false;
  int Mode = cmShareDenyNone;
  std::string Provider = "Microsoft.Jet.OLEDB.4.0";
  bool KeepConnection = true;
  int ConnectOptions = coConnectUnspecified;
  int CursorLocation = clUseClient;

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

// Opens a session for a connection string (UTF-8), choosing the provider; relative
// file names are resolved against the current working folder.
std::unique_ptr<Session> openSessionFor(const std::string& connectionString);

}  // namespace tiermend::data
