// Yes/no, memo and blob, GUID and binary columns.
#include <gtest/gtest.h>

#include "FieldTestSupport.h"
#include "tests/support/TestName.h"

namespace tiermend::data {
namespace {

using namespace testing;

TEST(FieldKinds, NonNumericTypes) {
  EXPECT_EQ(fieldKindOf(column(ColumnType::Text)), FieldKind::Text);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Date)), FieldKind::DateTime);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Time)), FieldKind::DateTime);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Boolean)), FieldKind::Boolean);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Memo)), FieldKind::MemoBlob);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Blob)), FieldKind::MemoBlob);
  EXPECT_EQ(fieldKindOf(column(ColumnType::Guid)), FieldKind::Other);
  EXPECT_EQ(converter(column(ColumnType::Binary))->kind(), FieldKind::Other);
}

struct BooleanCase {
  std::string text;
  Value expected;  // Null with a non-empty text: the write fails
};

class BooleanWrite : public ::testing::TestWithParam<BooleanCase> {};

TEST_P(BooleanWrite, LeadingPartsOfFalseAndTrue) {
  const BooleanCase& c = GetParam();
  const auto field = converter(column(ColumnType::Boolean, "flag"));
  if (!isNull(c.expected) || c.text.empty())
    EXPECT_EQ(field->valueFromText(c.text), c.expected) << c.text;
  else
    EXPECT_EQ(namedFailureOf([&] { field->valueFromText(c.text); }),
              "EDatabaseError: '" + c.text + "' is not a valid boolean value for field 'flag'");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BooleanWrite,
    ::testing::Values(BooleanCase{"", Null{}}, BooleanCase{"f", false}, BooleanCase{"F", false},
                      BooleanCase{"fAl", false}, BooleanCase{"False", false},
                      BooleanCase{"FALSE", false}, BooleanCase{"T", true}, BooleanCase{"tr", true},
                      BooleanCase{"True", true}, BooleanCase{"tRUE", true},
                      BooleanCase{"yes", Null{}}, BooleanCase{"Falsey", Null{}},
                      BooleanCase{"Truex", Null{}}, BooleanCase{" True", Null{}},
                      BooleanCase{"1", Null{}}, BooleanCase{"no", Null{}}),
    [](const ::testing::TestParamInfo<BooleanCase>& info) {
      return tiermend::testing::testNameSpelledOut(info.param.text);
    });

TEST(BooleanField, Reads) {
  const auto field = converter(column(ColumnType::Boolean));
  EXPECT_EQ(field->textOf(true), "True");
  EXPECT_EQ(field->textOf(false), "False");
  EXPECT_EQ(field->textOf(Null{}), "");
  // The text read writes back as the same value.
  EXPECT_EQ(field->valueFromText(field->textOf(false)), Value(false));
}

TEST(MemoBlobField, ShowsOnlyTheKindName) {
  const auto memo = converter(column(ColumnType::Memo));
  EXPECT_EQ(memo->textOf(std::string("long text")), "(MEMO)");
  EXPECT_EQ(memo->textOf(std::string()), "(MEMO)");
  EXPECT_EQ(memo->textOf(Null{}), "(Memo)");
  const auto blob = converter(column(ColumnType::Blob));
  EXPECT_EQ(blob->textOf(Bytes{1, 2, 3}), "(BLOB)");
  EXPECT_EQ(blob->textOf(Bytes{}), "(BLOB)");
  EXPECT_EQ(blob->textOf(Null{}), "(Blob)");
}

TEST(MemoBlobField, RefusesEveryWrite) {
  for (ColumnType type : {ColumnType::Memo, ColumnType::Blob}) {
    ColumnInfo info = column(type, "body");
    for (const char* text : {"", "abc", "(MEMO)"})
      EXPECT_EQ(writeFailure(info, text),
                "EDatabaseError: Cannot access field 'body' as type Text");
    info.updatable = false;
    EXPECT_EQ(writeFailure(info, "abc"), "EDatabaseError: Cannot access field 'body' as type Text");
  }
}

TEST(GuidField, UpperCaseWithBraces) {
  const auto field = converter(column(ColumnType::Guid, "key"));
  EXPECT_EQ(field->textOf(std::string("{6f9619ff-8b86-d011-b42d-00c04fc964ff}")),
            "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
  EXPECT_EQ(field->textOf(std::string("6f9619ff-8b86-d011-b42d-00c04fc964ff")),
            "{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
  EXPECT_EQ(field->textOf(Null{}), "");
  EXPECT_EQ(field->valueFromText(""), Value(Null{}));
  EXPECT_EQ(field->valueFromText("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"),
            Value(std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")));
  EXPECT_EQ(field->valueFromText("6f9619ff-8b86-d011-b42d-00c04fc964ff"),
            Value(std::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")));
  for (const char* bad :
       {"{123}", "{6F9619FF-8B86-D011-B42D-00C04FC964FG}", "{6F9619FF8B86-D011-B42D-00C04FC964FF0}",
        "6F9619FF-8B86-D011-B42D-00C04FC964FF}", "x"})
    EXPECT_EQ(
        namedFailureOf([&] { field->valueFromText(bad); }),
        std::string("EDatabaseError: '") + bad + "' is not a valid GUID value for field 'key'");
}

TEST(BinaryField, HexDigits) {
  ColumnInfo info = column(ColumnType::Binary, "hash");
  info.size = 3;
  const auto field = converter(info);
  EXPECT_EQ(field->textOf(Bytes{0x00, 0xAB, 0x10}), "00AB10");
  EXPECT_EQ(field->textOf(Null{}), "");
  EXPECT_EQ(field->valueFromText("00ab10"), Value(Bytes{0x00, 0xAB, 0x10}));
  EXPECT_EQ(field->valueFromText(""), Value(Null{}));
  for (const char* bad : {"0", "zz", "0x10", "00 AB"})
    EXPECT_EQ(
        namedFailureOf([&] { field->valueFromText(bad); }),
        std::string("EDatabaseError: '") + bad + "' is not a valid binary value for field 'hash'");
  // Cutting would corrupt the value, so a longer one is refused.
  EXPECT_EQ(namedFailureOf([&] { field->valueFromText("00112233"); }),
            "EDatabaseError: '00112233' is too long for field 'hash'");
}

TEST(FieldConverter, MessagesKeepPercentSignsOfTheText) {
  const auto field = converter(column(ColumnType::Int32, "50%"));
  EXPECT_EQ(namedFailureOf([&] { field->valueFromText("%s%g"); }),
            "EDatabaseError: '%s%g' is not a valid integer value for field '50%'");
}

}  // namespace
}  // namespace tiermend::data
