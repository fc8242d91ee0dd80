#include "JetTestSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tiermend::data::jet::testing {

std::string fixture(const std::string& name) {
  return std::string(TIERMEND_TESTDATA) + "/" + name;
}

Result readAll(Session& session, const std::string& sql) {
  Result result;
  auto cursor = session.query(sql);
  if (!cursor) throw std::runtime_error("no result set for " + sql);
  result.columns = cursor->columns();
  result.baseTable = cursor->baseTable();
  std::vector<Value> row;
  while (cursor->fetch(row)) result.rows.push_back(row);
  return result;
}

std::string ScratchFolder::copyOf(const std::string& fixtureName, const std::string& as) const {
  const auto target = folder_.path() / as;
  std::filesystem::copy_file(fixture(fixtureName), target);
  std::filesystem::permissions(target, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return target.string();
}

std::vector<unsigned char> fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tiermend::data::jet::testing
