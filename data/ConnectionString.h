// Division of an OLE DB connection string into key=value entries: entries are
// separated by ";", keys are trimmed and compared without regard to case, and a value
// may be enclosed in double or single quotes, with the enclosing quote doubled inside.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tiermend::data {

class ConnectionString {
 public:
  // Divides the text; never fails (an entry without "=" is kept with an empty value).
  static ConnectionString parse(std::string_view text);

  // The value of the last entry with this key (case-insensitive), if any.
  std::optional<std::string> get(std::string_view key) const;
  std::string getOr(std::string_view key, std::string fallback = {}) const;
  const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

}  // namespace tiermend::data
