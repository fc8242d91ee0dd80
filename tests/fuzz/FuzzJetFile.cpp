// Fuzz target: the Jet reader. The input is a whole Access file (the seeds are the
// test fixtures); every table its catalogue lists is read to the end. A damaged file
// may fail with the provider's message, never crash or read out of bounds.
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "data/EngineError.h"
#include "data/providers/jet/JetProvider.h"

namespace {

using tiermend::data::Cursor;
using tiermend::data::Value;

constexpr std::int64_t kTableObject = 1;
constexpr std::size_t kMostTables = 12;

void readToTheEnd(Cursor& cursor) {
  std::vector<Value> row;
  while (cursor.fetch(row)) {
  }
}

std::vector<std::string> tableNames(tiermend::data::Session& session) {
  std::vector<std::string> names;
  auto cursor = session.query("select Name, Type from MSysObjects");
  std::vector<Value> row;
  while (cursor && cursor->fetch(row) && names.size() < kMostTables) {
    const auto* name = std::get_if<std::string>(&row[0]);
    const auto* type = std::get_if<std::int64_t>(&row[1]);
    if (name && type && (*type & 0xFFFF) == kTableObject && name->find(']') == std::string::npos)
      names.push_back(*name);
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tiermend::testing::ScratchFile file(".mdb");
  const std::string& path = file.write(data, size);
  try {
    auto session = tiermend::data::jet::openSession(path, "");
    for (const std::string& name : tableNames(*session)) {
      try {
        auto cursor = session->query("select * from [" + name + "]");
        if (cursor) readToTheEnd(*cursor);
      } catch (const tiermend::data::EngineError&) {
        // A damaged table is reported; the others are still read.
      }
    }
  } catch (const tiermend::data::EngineError&) {
  }
  return 0;
}
