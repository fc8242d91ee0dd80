// A fingerprint of a table's rows that does not depend on their order and takes the
// same small space for any number of rows: the row count and the sum of a 64-bit hash
// of each row's values. The writer keeps one for every table it changes; the check
// before commit reads the table back and must arrive at the same one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/Value.h"

namespace tiermend::data::jet {

struct JetDatabase;

class JetRowDigest {
 public:
  void add(const std::vector<Value>& row);
  std::uint64_t rows() const { return rows_; }
  bool operator==(const JetRowDigest&) const = default;

 private:
  std::uint64_t rows_ = 0;
  std::uint64_t sum_ = 0;
};

// 64-bit FNV-1a: hash continued over size bytes. A hash starts from the offset basis.
inline constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325;
std::uint64_t fnv1a(std::uint64_t hash, const void* data, std::size_t size);

// Reads every row of table through the provider's own cursor.
JetRowDigest digestOfTable(const std::shared_ptr<JetDatabase>& database, const std::string& table);

}  // namespace tiermend::data::jet
