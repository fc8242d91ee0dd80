// The column codecs, kind by kind: the bytes a value is stored as (written out here from
// the format, not from the codec), the value those bytes read back as, and the value an
// index key is made of; the values each kind refuses, with their messages; and text in
// both database versions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data/EngineError.h"
#include "data/providers/jet/values/JetTextCodec.h"
#include "data/providers/jet/values/JetValueCodec.h"
#include "data/value/HexText.h"
#include "tests/support/FailureText.h"

namespace tiermend::data::jet {
namespace {

const JetTextCodec kJet4Text(false, 0);
const JetTextCodec kJet3Text(true, 0);  // no code page given: Windows-1252

JetValueCodec codecOf(int kind, int size = 0, int precision = 0, int scale = 0,
                      const JetTextCodec& text = kJet4Text) {
  return JetValueCodec({"f", kind, size, precision, scale, true}, text);
}

// The bytes a value is stored as: fixed-width kinds in their place, the others as the
// variable area holds them.
Bytes encoded(const JetValueCodec& codec, const Value& value) {
  Bytes bytes;
  if (codec.kind().fixedWidth > 0) {
    bytes.resize(static_cast<std::size_t>(codec.kind().fixedWidth));
    codec.encodeFixed(value, bytes.data());
  } else {
    codec.appendVariable(value, bytes);
  }
  return bytes;
}

struct KindCase {
  const char* what;
  JetValueCodec codec;
  Value given;
  const char* storedHex;
  Value readBack;
  JetKeyValue key;
};

JetGuid guidOf(const char* hex) {
  JetGuid guid;
  const Bytes bytes = *bytesOfHex(hex);
  std::copy(bytes.begin(), bytes.end(), guid.stored.begin());
  return guid;
}

TEST(JetValueCodecTest, EachKindStoresReadsBackAndKeysItsValues) {
  const char* guidHex = "FF19966F868B11D0B42D00C04FC964FF";
  const KindCase cases[] = {
      {"byte 200", codecOf(kJetByte), std::int64_t{200}, "C8", std::int64_t{200},
       std::int64_t{200}},
      {"integer -2", codecOf(kJetInt16), std::int64_t{-2}, "FEFF", std::int64_t{-2},
       std::int64_t{-2}},
      {"integer from Yes", codecOf(kJetInt16), true, "FFFF", std::int64_t{-1}, std::int64_t{-1}},
      {"long 0x01020304", codecOf(kJetInt32), std::int64_t{0x01020304}, "04030201",
       std::int64_t{0x01020304}, std::int64_t{0x01020304}},
      {"currency 1.5", codecOf(kJetCurrency), Decimal{"1.5"}, "983A000000000000", Decimal{"1.5000"},
       std::int64_t{15000}},
      {"currency from a double", codecOf(kJetCurrency), 2.25, "E457000000000000", Decimal{"2.2500"},
       std::int64_t{22500}},
      {"currency rounded half away from zero", codecOf(kJetCurrency), Decimal{"-0.00005"},
       "FFFFFFFFFFFFFFFF", Decimal{"-0.0001"}, std::int64_t{-1}},
      {"single 1.5", codecOf(kJetSingle), 1.5, "0000C03F", 1.5, 1.5f},
      {"double -2", codecOf(kJetDouble), -2.0, "00000000000000C0", -2.0, -2.0},
      {"date 1900-01-01", codecOf(kJetDateTime), DateTime{1900, 1, 1, 0, 0, 0, 0},
       "0000000000000040", DateTime{1900, 1, 1, 0, 0, 0, 0}, 2.0},
      {"guid", codecOf(kJetGuid), std::string("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), guidHex,
       std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"), guidOf(guidHex)},
      {"decimal(10,3) -1.25", codecOf(kJetDecimal, 17, 10, 3), Decimal{"-1.25"},
       "80000000000000000000000000E2040000", Decimal{"-1.250"}, std::monostate{}},
      {"text compressed", codecOf(kJetText, 20), std::string("ok"), "FFFE6F6B", std::string("ok"),
       std::u16string(u"ok")},
      {"text beyond one byte", codecOf(kJetText, 20), std::string("a\xE8\x96\xAA"), "6100AA85",
       std::string("a\xE8\x96\xAA"), std::u16string(u"a\u85AA")},
      {"jet 3 text in Windows-1252", codecOf(kJetText, 20, 0, 0, kJet3Text),
       std::string("\xC3\xA9t\xC3\xA9"), "E974E9", std::string("\xC3\xA9t\xC3\xA9"),
       std::u16string(u"\u00E9t\u00E9")},
      {"binary", codecOf(kJetBinary, 4), Bytes{1, 2, 3}, "010203", Bytes{1, 2, 3},
       std::monostate{}},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Bytes stored = encoded(c.codec, c.given);
    EXPECT_EQ(hexText(stored), c.storedHex);
    EXPECT_EQ(c.codec.decode(true, stored.data(), stored.size(), nullptr), c.readBack);
    if (c.codec.kind().keyKind) {
      EXPECT_EQ(c.codec.keyValue(c.given), c.key);
    }
  }
}

TEST(JetValueCodecTest, YesNoIsItsNullMaskBit) {
  const JetValueCodec codec = codecOf(kJetBoolean);
  const std::pair<Value, bool> cases[] = {{true, true},
                                          {false, false},
                                          {Null{}, false},
                                          {std::int64_t{0}, false},
                                          {std::int64_t{5}, true}};
  for (const auto& [given, bit] : cases) {
    EXPECT_EQ(codec.encodeBit(given), bit);
    EXPECT_EQ(codec.keyValue(given), JetKeyValue{bit});
    EXPECT_EQ(codec.decode(bit, nullptr, 0, nullptr), Value{bit});
  }
}

TEST(JetValueCodecTest, NullsReadAndKeyAsNull) {
  const std::pair<const char*, int> cases[] = {{"byte", kJetByte},         {"long", kJetInt32},
                                               {"currency", kJetCurrency}, {"date", kJetDateTime},
                                               {"guid", kJetGuid},         {"text", kJetText}};
  for (const auto& [what, kind] : cases) {
    SCOPED_TRACE(what);
    const JetValueCodec codec = codecOf(kind, 20);
    EXPECT_EQ(codec.decode(false, nullptr, 0, nullptr), Value{Null{}});
    EXPECT_EQ(codec.keyValue(Null{}), JetKeyValue{std::monostate{}});
  }
}

struct WidthCase {
  const char* what;
  int kind;
  Value given;  // no byte of it stored is 0xA5
  Value readBack;
};

// A fixed-width kind writes the whole width the table of kinds gives it, no byte more,
// and reads its value back from that width.
TEST(JetValueCodecTest, FixedWidthKindsWriteTheirWidth) {
  const std::string guid = "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}";
  const WidthCase cases[] = {
      {"byte", kJetByte, std::int64_t{255}, std::int64_t{255}},
      {"integer", kJetInt16, std::int64_t{-1}, std::int64_t{-1}},
      {"long", kJetInt32, std::int64_t{-1}, std::int64_t{-1}},
      {"currency", kJetCurrency, Decimal{"-1"}, Decimal{"-1.0000"}},
      {"single", kJetSingle, -1.0, -1.0},
      {"double", kJetDouble, -1.0, -1.0},
      {"date", kJetDateTime, DateTime{}, DateTime{}},
      {"guid", kJetGuid, guid, guid},
      {"decimal", kJetDecimal, Decimal{"-1"}, Decimal{"-1"}},
  };
  for (const WidthCase& c : cases) {
    SCOPED_TRACE(c.what);
    const JetValueCodec codec = codecOf(c.kind, 17, 28, 0);
    const auto width = static_cast<std::size_t>(codec.kind().fixedWidth);
    ASSERT_GT(width, 0u);
    Bytes buffer(width + 1, 0xA5);
    codec.encodeFixed(c.given, buffer.data());
    EXPECT_EQ(std::count(buffer.begin(), buffer.end() - 1, 0xA5), 0);
    EXPECT_EQ(buffer[width], 0xA5);
    EXPECT_TRUE(codec.holds(width));
    EXPECT_FALSE(codec.holds(width - 1));
    EXPECT_EQ(codec.decode(true, buffer.data(), width, nullptr), c.readBack);
  }
}

struct RefusalCase {
  const char* what;
  JetValueCodec codec;
  Value given;
  std::string message;
};

TEST(JetValueCodecTest, ValuesAColumnCannotHoldAreRefusedNamingIt) {
  const std::string wrongKind = "The value given for field 'f' is not of its kind.";
  const RefusalCase cases[] = {
      {"byte 256", codecOf(kJetByte), std::int64_t{256},
       "256 is not a valid value for field 'f'. The allowed range is 0 to 255"},
      {"integer -32769", codecOf(kJetInt16), std::int64_t{-32769},
       "-32769 is not a valid value for field 'f'. The allowed range is -32768 to 32767"},
      {"long given text", codecOf(kJetInt32), std::string("1"), wrongKind},
      {"single too large", codecOf(kJetSingle), std::ldexp(1.0, 128),
       "The value 340282366920938463463374607431768211456.000000 is too large for field 'f'."},
      {"currency beyond 64 bits", codecOf(kJetCurrency), Decimal{"922337203685477.5808"},
       "The value '922337203685477.5808' cannot be stored in field 'f'."},
      {"currency not a number", codecOf(kJetCurrency), std::string("1,5"),
       "The value '1,5' cannot be stored in field 'f'."},
      {"decimal beyond its precision", codecOf(kJetDecimal, 17, 4, 2), Decimal{"100.00"},
       "The value '100.00' cannot be stored in field 'f'."},
      {"date given a number", codecOf(kJetDateTime), 2.0, wrongKind},
      {"guid not a guid", codecOf(kJetGuid), std::string("{1234}"),
       "The value '{1234}' cannot be stored in field 'f'."},
      {"text too long", codecOf(kJetText, 4), std::string("abc"),
       "The text is too long for field 'f'."},
      {"jet 3 text too long", codecOf(kJetText, 2, 0, 0, kJet3Text), std::string("abc"),
       "The text is too long for field 'f'."},
      {"jet 3 text outside the code page", codecOf(kJetText, 20, 0, 0, kJet3Text),
       std::string("\xE8\x96\xAA"),
       "The text for field 'f' holds characters that the database's code page cannot store."},
      {"binary too long", codecOf(kJetBinary, 2), Bytes{1, 2, 3},
       "The value is too long for field 'f'."},
      {"memo", codecOf(kJetMemo), std::string("long"),
       "Field 'f' cannot be written: this program does not write long values."},
      {"large number", codecOf(kJetInt64), std::int64_t{1}, wrongKind},
  };
  for (const RefusalCase& c : cases) {
    EXPECT_EQ(testing::failureMessageOf<EngineError>([&] { encoded(c.codec, c.given); }), c.message)
        << c.what;
  }
}

TEST(JetValueCodecTest, StoredDatesOutsideTheCalendarAreRefusedOnReading) {
  Bytes stored(8);
  const JetValueCodec codec = codecOf(kJetDateTime);
  codec.encodeFixed(DateTime{9999, 12, 31, 0, 0, 0, 0}, stored.data());
  stored[6] = 0xFF;  // a far larger number of days
  EXPECT_THROW(codec.decode(true, stored.data(), stored.size(), nullptr), EngineError);
}

TEST(JetTextCodecTest, Jet3TextIsInTheDatabasesCodePage) {
  const std::uint8_t stored[] = {0xE9};
  EXPECT_EQ(JetTextCodec(true, 0).decode(stored, 1), "\xC3\xA9");     // é in Windows-1252
  EXPECT_EQ(JetTextCodec(true, 1251).decode(stored, 1), "\xD0\xB9");  // й in Windows-1251
  Bytes bytes;
  JetTextCodec(true, 1251).encode("\xD0\xB9", false, 10, "f", bytes);
  EXPECT_EQ(bytes, Bytes{0xE9});
}

// A damaged Jet 3 header may name any code page: text in one this machine cannot convert
// is refused as the engine's failure (the file then fails to open with it), whether a
// value, a name or the password is read, or text is written.
TEST(JetTextCodecTest, ACodePageWithoutAConversionIsTheEnginesFailure) {
  const JetTextCodec unknown(true, 17019);
  const std::uint8_t stored[] = {'a'};
  const char* expected =
      "The database's text is in code page 17019, which this program cannot convert.";
  Bytes bytes;
  EXPECT_EQ(testing::failureMessageOf<EngineError>([&] { unknown.decode(stored, 1); }), expected);
  EXPECT_EQ(testing::failureMessageOf<EngineError>([&] { unknown.decodeName(stored, 1); }),
            expected);
  EXPECT_EQ(
      testing::failureMessageOf<EngineError>([&] { unknown.encode("a", false, 10, "f", bytes); }),
      expected);
}

// Values may be compressed; names and the password are plain UTF-16LE, whatever their
// first bytes.
TEST(JetTextCodecTest, Jet4NamesAreNeverDecompressed) {
  const std::uint8_t stored[] = {0xFF, 0xFE, 'o', 'k'};
  EXPECT_EQ(kJet4Text.decode(stored, 4), "ok");
  EXPECT_EQ(kJet4Text.decodeName(stored, 4), "\xEF\xBB\xBF\xE6\xAD\xAF");  // U+FEFF U+6B6F
  EXPECT_EQ(kJet3Text.decodeName(stored + 2, 2), "ok");
}

TEST(JetTextCodecTest, TextSizesAreCountedInCharacters) {
  EXPECT_EQ(kJet4Text.charactersIn(510), 255);
  EXPECT_EQ(kJet3Text.charactersIn(255), 255);
  EXPECT_TRUE(kJet4Text.unicode());
  EXPECT_FALSE(kJet3Text.unicode());
}

}  // namespace
}  // namespace tiermend::data::jet
