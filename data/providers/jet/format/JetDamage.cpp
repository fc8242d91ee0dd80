// The words of a damaged file, table or page, formed in one place.
#include "data/providers/jet/format/JetDamage.h"

namespace tiermend::data::jet {

namespace {

std::string damaged(const std::string& what, const std::string& how) {
  return "The " + what + " is damaged: " + how + ".";
}

std::string named(const std::string& file) {
  return file.empty() ? "the file" : "'" + file + "'";
}

}  // namespace

EngineError damagedFile(const std::string& file, const std::string& how) {
  return EngineError(damaged(file.empty() ? "database file" : "database file " + named(file), how));
}

EngineError damagedTable(const std::string& table, const std::string& file,
                         const std::string& how) {
  return EngineError(damaged("table '" + table + "' in " + named(file), how));
}

std::string damagedPageMessage(const std::string& kind, std::uint32_t page, const std::string& file,
                               const std::string& how) {
  return damaged(kind + " page " + std::to_string(page) + " of " + named(file), how);
}

}  // namespace tiermend::data::jet
