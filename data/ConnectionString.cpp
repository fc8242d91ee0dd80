// Division of OLE DB style connection strings.
#include "data/ConnectionString.h"

#include "data/value/AsciiText.h"

namespace tiermend::data {
namespace {

// Reads a key up to its "=" (a doubled "==" stands for one "=" inside the key).
// Leaves pos on the "=", on the ";" that ends an entry without one, or at the end.
std::string readKey(std::string_view text, size_t& pos) {
  std::string key;
  while (pos < text.size() && text[pos] != ';') {
    if (text[pos] == '=') {
      if (pos + 1 < text.size() && text[pos + 1] == '=') {
        key.push_back('=');
        pos += 2;
        continue;
      }
      break;
    }
    key.push_back(text[pos++]);
  }
  return std::string(trimBlanks(key));
}

// Reads a quoted value starting at the opening quote; a doubled quote stands for one.
// Anything other than blanks between the closing quote and the ";" is kept, so that
// nothing the user wrote is silently lost.
std::string readQuotedValue(std::string_view text, size_t& pos) {
  const char quote = text[pos++];
  std::string value;
  while (pos < text.size()) {
    if (text[pos] == quote) {
      if (pos + 1 < text.size() && text[pos + 1] == quote) {
        value.push_back(quote);
        pos += 2;
        continue;
      }
      ++pos;
      break;
    }
    value.push_back(text[pos++]);
  }
  size_t end = text.find(';', pos);
  if (end == std::string_view::npos) end = text.size();
  value += trimBlanks(text.substr(pos, end - pos));
  pos = end;
  return value;
}

std::string readValue(std::string_view text, size_t& pos) {
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) {
    return readQuotedValue(text, pos);
  }
  size_t end = text.find(';', pos);
  if (end == std::string_view::npos) end = text.size();
  std::string value(trimBlanks(text.substr(pos, end - pos)));
  pos = end;
  return value;
}

}  // namespace

ConnectionString ConnectionString::parse(std::string_view text) {
  ConnectionString result;
  size_t pos = 0;
  while (pos < text.size()) {
    std::string key = readKey(text, pos);
    std::string value;
    if (pos < text.size() && text[pos] == '=') {
      ++pos;
      value = readValue(text, pos);
    }
    if (pos < text.size() && text[pos] == ';') ++pos;
    if (!key.empty()) result.entries_.emplace_back(std::move(key), std::move(value));
  }
  return result;
}

std::optional<std::string> ConnectionString::get(std::string_view key) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (equalsIgnoringCase(it->first, key)) return it->second;
  }
  return std::nullopt;
}

std::string ConnectionString::getOr(std::string_view key, std::string fallback) const {
  auto value = get(key);
  return value ? *value : std::move(fallback);
}

}  // namespace tiermend::data
