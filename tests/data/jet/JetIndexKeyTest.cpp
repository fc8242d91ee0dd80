// Index keys of every column kind: the bytes each value gives, ascending and
// descending, and that keys sort as their values do.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "data/providers/jet/indexes/JetIndexKey.h"
#include "data/providers/jet/indexes/JetIndexPage.h"
#include "data/providers/jet/indexes/JetIndexRefusal.h"
#include "tests/support/FailureText.h"
#include "tests/support/HexBytes.h"

namespace tiermend::data::jet {
namespace {

using testing::spacedHex;

JetIndexShape oneColumn(JetKeyKind kind, bool ascending = true) {
  return {"t", "i", {{"c", kind, ascending}}};
}

std::string keyOf(JetKeyKind kind, JetKeyValue value, bool ascending = true) {
  const JetKeyValue values[] = {std::move(value)};
  return spacedHex(encodeIndexKey(oneColumn(kind, ascending), values));
}

JetGuid guid(std::initializer_list<std::uint8_t> bytes) {
  JetGuid g;
  std::copy(bytes.begin(), bytes.end(), g.stored.begin());
  return g;
}

struct KeyCase {
  const char* what;
  JetKeyKind kind;
  JetKeyValue value;
  const char* ascending;
  const char* descending;
};

TEST(JetIndexKeyTest, EachKindEncodesItsValuesBothWays) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const KeyCase cases[] = {
      {"byte 0", JetKeyKind::Byte, std::int64_t{0}, "7f 00", "80 ff"},
      {"byte 255", JetKeyKind::Byte, std::int64_t{255}, "7f ff", "80 00"},
      {"integer -32768", JetKeyKind::Integer, std::int64_t{-32768}, "7f 00 00", "80 ff ff"},
      {"integer -1", JetKeyKind::Integer, std::int64_t{-1}, "7f 7f ff", "80 80 00"},
      {"integer 0", JetKeyKind::Integer, std::int64_t{0}, "7f 80 00", "80 7f ff"},
      {"integer 32767", JetKeyKind::Integer, std::int64_t{32767}, "7f ff ff", "80 00 00"},
      {"long 1", JetKeyKind::Long, std::int64_t{1}, "7f 80 00 00 01", "80 7f ff ff fe"},
      {"long min", JetKeyKind::Long, std::int64_t{-2147483648LL}, "7f 00 00 00 00",
       "80 ff ff ff ff"},
      {"long max", JetKeyKind::Long, std::int64_t{2147483647}, "7f ff ff ff ff", "80 00 00 00 00"},
      {"currency 1.0000", JetKeyKind::Currency, std::int64_t{10000}, "7f 80 00 00 00 00 00 27 10",
       "80 7f ff ff ff ff ff d8 ef"},
      {"currency -0.0001", JetKeyKind::Currency, std::int64_t{-1}, "7f 7f ff ff ff ff ff ff ff",
       "80 80 00 00 00 00 00 00 00"},
      {"single 1", JetKeyKind::Single, 1.0f, "7f bf 80 00 00", "80 40 7f ff ff"},
      {"single -1", JetKeyKind::Single, -1.0f, "7f 40 7f ff ff", "80 bf 80 00 00"},
      {"single +0", JetKeyKind::Single, 0.0f, "7f 80 00 00 00", "80 7f ff ff ff"},
      {"single -0", JetKeyKind::Single, -0.0f, "7f 7f ff ff ff", "80 80 00 00 00"},
      {"double 2.5", JetKeyKind::Double, 2.5, "7f c0 04 00 00 00 00 00 00",
       "80 3f fb ff ff ff ff ff ff"},
      {"double -2.5", JetKeyKind::Double, -2.5, "7f 3f fb ff ff ff ff ff ff",
       "80 c0 04 00 00 00 00 00 00"},
      {"double infinity", JetKeyKind::Double, std::numeric_limits<double>::infinity(),
       "7f ff f0 00 00 00 00 00 00", "80 00 0f ff ff ff ff ff ff"},
      {"double NaN", JetKeyKind::Double, nan, "7f ff f8 00 00 00 00 00 00",
       "80 00 07 ff ff ff ff ff ff"},
      {"date 2020-01-01 12:00", JetKeyKind::DateTime, 43831.5, "7f c0 e5 66 f0 00 00 00 00",
       "80 3f 1a 99 0f ff ff ff ff"},
      {"date 1899-12-29", JetKeyKind::DateTime, -1.0, "7f 40 0f ff ff ff ff ff ff",
       "80 bf f0 00 00 00 00 00 00"},
      {"yes", JetKeyKind::YesNo, true, "7f 00", "80 ff"},
      {"no", JetKeyKind::YesNo, false, "7f ff", "80 00"},
      {"yes/no null counts as no", JetKeyKind::YesNo, std::monostate{}, "7f ff", "80 00"},
      {"guid", JetKeyKind::Guid,
       guid({0x33, 0x22, 0x11, 0x00, 0x55, 0x44, 0x77, 0x66, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd,
             0xee, 0xff}),
       "7f 00 11 22 33 44 55 66 77 09 88 99 aa bb cc dd ee ff 08",
       "80 ff ee dd cc bb aa 99 88 09 77 66 55 44 33 22 11 00 f7"},
      {"null long", JetKeyKind::Long, std::monostate{}, "00", "ff"},
      {"null text", JetKeyKind::Text, std::monostate{}, "00", "ff"},
      {"null guid", JetKeyKind::Guid, std::monostate{}, "00", "ff"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(keyOf(c.kind, c.value, true), c.ascending);
    EXPECT_EQ(keyOf(c.kind, c.value, false), c.descending);
  }
}

// Keys must sort as the values do, nulls first; descending reverses the order.
TEST(JetIndexKeyTest, KeysSortAsTheirValues) {
  const std::vector<JetKeyValue> doubles = {std::monostate{},
                                            -std::numeric_limits<double>::infinity(),
                                            -1e300,
                                            -2.5,
                                            -1.0,
                                            -1e-300,
                                            -0.0,
                                            0.0,
                                            1e-300,
                                            1.0,
                                            2.5,
                                            1e300,
                                            std::numeric_limits<double>::infinity()};
  const std::vector<JetKeyValue> longs = {std::monostate{},     std::int64_t{-2147483648LL},
                                          std::int64_t{-65536}, std::int64_t{-1},
                                          std::int64_t{0},      std::int64_t{1},
                                          std::int64_t{256},    std::int64_t{2147483647}};
  const std::vector<JetKeyValue> singles = {std::monostate{}, -3.5f, -1e-30f, 0.0f, 1e-30f, 7.0f};
  for (const auto& [kind, values] :
       {std::pair{JetKeyKind::Double, doubles}, std::pair{JetKeyKind::Long, longs},
        std::pair{JetKeyKind::Single, singles}}) {
    for (const bool ascending : {true, false}) {
      for (std::size_t i = 1; i < values.size(); ++i) {
        const JetKeyValue before[] = {values[i - 1]};
        const JetKeyValue after[] = {values[i]};
        const auto a = encodeIndexKey(oneColumn(kind, ascending), before);
        const auto b = encodeIndexKey(oneColumn(kind, ascending), after);
        EXPECT_EQ(compareIndexKeys(a, b), ascending ? -1 : 1)
            << spacedHex(a) << " / " << spacedHex(b);
      }
    }
  }
}

TEST(JetIndexKeyTest, SeveralColumnsFollowOneAnother) {
  const JetIndexShape shape = {"t",
                               "i",
                               {{"a", JetKeyKind::Long, true},
                                {"b", JetKeyKind::Integer, false},
                                {"c", JetKeyKind::Text, true}}};
  const JetKeyValue values[] = {std::int64_t{2}, std::int64_t{1}, std::u16string(u"A")};
  EXPECT_EQ(spacedHex(encodeIndexKey(shape, values)), "7f 80 00 00 02 80 7f fe 7f 4a 01 00");
  const JetKeyValue nulls[] = {std::monostate{}, std::monostate{}, std::monostate{}};
  EXPECT_EQ(spacedHex(encodeIndexKey(shape, nulls)), "00 ff 00");
}

TEST(JetIndexKeyTest, ValuesThatCannotBeKeysAreRefusedNamingTheTableAndIndex) {
  const struct {
    JetIndexShape shape;
    std::vector<JetKeyValue> values;
    std::string message;
  } cases[] = {
      {oneColumn(JetKeyKind::Byte),
       {std::int64_t{256}},
       "Cannot update table 't': its index 'i' cannot hold 256 in column 'c'."},
      {oneColumn(JetKeyKind::Integer),
       {std::int64_t{-32769}},
       "Cannot update table 't': its index 'i' cannot hold -32769 in column 'c'."},
      {oneColumn(JetKeyKind::Long),
       {std::int64_t{2147483648LL}},
       "Cannot update table 't': its index 'i' cannot hold 2147483648 in column 'c'."},
      {oneColumn(JetKeyKind::Long),
       {2.5},
       "Cannot update table 't': its index 'i' holds a value of another kind in column 'c'."},
      {oneColumn(JetKeyKind::Long),
       {std::int64_t{1}, std::int64_t{2}},
       "Cannot update table 't': its index 'i' has 1 columns, but 2 values were given for a key."},
      {{"t", "i", {}}, {}, "Cannot update table 't': its index 'i' has no columns."},
      {{"t", "i", std::vector<JetKeyColumn>(11, {"c", JetKeyKind::Long, true})},
       std::vector<JetKeyValue>(11, std::int64_t{1}),
       "Cannot update table 't': its index 'i' has 11 columns; an index has at most 10."},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        testing::failureMessageOf<JetIndexRefusal>([&] { encodeIndexKey(c.shape, c.values); }),
        c.message);
  }
}

}  // namespace
}  // namespace tiermend::data::jet
