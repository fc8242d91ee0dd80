// Fuzz target: connection strings. Any text divides without failing; and link fields of
// any bytes, built into the target connection string, divide back into exactly those
// values (a value holding ";", quotes or blanks must not break the string).
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "data/ConnectionString.h"
#include "link/ConnectionStrings.h"

namespace {

using tiermend::data::ConnectionString;
using tiermend::testing::require;

// The input cut into four values at its 0x01 bytes (missing ones are empty).
std::vector<std::string> valuesOf(const std::string& bytes) {
  std::vector<std::string> values(1);
  for (char c : bytes) {
    if (c == '\x01' && values.size() < 4) {
      values.emplace_back();
    } else {
      values.back().push_back(c);
    }
  }
  values.resize(4);
  return values;
}

bool isBlank(const std::string& value) {
  for (unsigned char c : value)
    if (c > 32) return false;
  return true;
}

void checkSqlServerString(const std::vector<std::string>& values) {
  tiermend::link::LinkFields fields{"1", values[0], values[1], values[2], values[3], "/x/"};
  const ConnectionString parsed =
      ConnectionString::parse(tiermend::link::buildTargetConnectionString(fields));
  require(parsed.getOr("Data Source") == values[0], "server travels whole");
  require(parsed.getOr("Initial Catalog") == values[1], "catalog travels whole");
  require(parsed.getOr("User ID") == values[2], "user name travels whole");
  const auto password = parsed.get("Password");
  if (isBlank(values[3])) {
    require(!password.has_value(), "a blank password is no password");
  } else {
    require(password == values[3], "password travels whole");
  }
}

void checkAccessString(const std::string& folder) {
  tiermend::link::LinkFields fields{"2", "S", "B", "U", "P", folder};
  const ConnectionString parsed =
      ConnectionString::parse(tiermend::link::buildTargetConnectionString(fields));
  require(parsed.getOr("Data Source") == folder + "basedb.mdb", "folder travels whole");
  require(parsed.getOr("Provider") == "Microsoft.Jet.OLEDB.4.0", "provider stays");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ConnectionString::parse(bytes);
  const std::vector<std::string> values = valuesOf(bytes);
  checkSqlServerString(values);
  checkAccessString(values[0]);
  return 0;
}
