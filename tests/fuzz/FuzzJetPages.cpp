// Fuzz target: the Jet row walk and the values it reads. The input replaces the bytes
// of the user tables' data pages of the update package (the seed is those pages as
// they are); the catalogue and the table definitions stay whole, so that every input
// reaches the rows (whole files are fuzzed by FuzzJetFile). Every bracket table is then
// read to the end: a damaged page may fail with the provider's message, never crash,
// read out of bounds or give more rows than the table definition counts.
#include <fstream>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "data/EngineError.h"
#include "data/providers/jet/JetProvider.h"
#include "data/providers/jet/format/ByteOrder.h"
#include "data/providers/jet/format/JetFormat.h"

#ifndef TIERMEND_FUZZ_PACKAGE
#error "TIERMEND_FUZZ_PACKAGE names the update package the input is laid over"
#endif

namespace {

using tiermend::data::Value;

constexpr std::size_t kPageSize = tiermend::data::jet::kJet4Format.pageSize;
const char* const kTables[] = {"health_insu", "labor", "incom_rep", "retire", "readme"};
// The table definition pages of the tables above in the package, whose data pages the
// input replaces (pages whose owner field names one of these).
const std::uint32_t kDefinitionPages[] = {24, 26, 28, 30, 32};
const std::size_t kMostRows[] = {50, 38, 151, 62, 1};

std::vector<std::uint8_t> readPackage() {
  std::ifstream in(TIERMEND_FUZZ_PACKAGE, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool ownedByATable(const std::uint8_t* page) {
  using namespace tiermend::data::jet;
  if (page[0] != static_cast<std::uint8_t>(JetPageType::Data)) return false;
  const std::uint32_t owner = loadU32(page + kJet4Format.dataOwnerOffset);
  for (std::uint32_t definition : kDefinitionPages)
    if (owner == definition) return true;
  return false;
}

// The offsets in the package of the data pages the input replaces, in file order.
std::vector<std::size_t> dataPageOffsets(const std::vector<std::uint8_t>& package) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = kPageSize; at + kPageSize <= package.size(); at += kPageSize)
    if (ownedByATable(&package[at])) offsets.push_back(at);
  return offsets;
}

void readTable(tiermend::data::Session& session, std::size_t table) {
  auto cursor = session.query(std::string("select * from ") + kTables[table]);
  std::vector<Value> row;
  std::size_t rows = 0;
  while (cursor->fetch(row)) {
    ++rows;
    tiermend::testing::require(rows <= kMostRows[table], "no more rows than the definition counts");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> package = readPackage();
  static const std::vector<std::size_t> offsets = dataPageOffsets(package);
  static tiermend::testing::ScratchFile file(".mdb");
  std::vector<std::uint8_t> damaged = package;
  std::size_t taken = 0;
  for (std::size_t at : offsets) {
    for (std::size_t i = 0; i < kPageSize && taken < size; ++i) damaged[at + i] = data[taken++];
  }
  file.write(damaged.data(), damaged.size());
  try {
    auto session = tiermend::data::jet::openSession(file.path(), "");
    for (std::size_t table = 0; table < std::size(kTables); ++table) {
      try {
        readTable(*session, table);
      } catch (const tiermend::data::EngineError&) {
        // A damaged table is reported; the others are still read.
      }
    }
  } catch (const tiermend::data::EngineError&) {
  }
  return 0;
}

// The seed: the data pages as the package holds them, written where asked.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (const char* seed = std::getenv("TIERMEND_FUZZ_WRITE_SEED")) {
    const std::vector<std::uint8_t> package = readPackage();
    std::ofstream out(seed, std::ios::binary);
    for (std::size_t at : dataPageOffsets(package))
      out.write(reinterpret_cast<const char*>(&package[at]), kPageSize);
  }
  return 0;
}
