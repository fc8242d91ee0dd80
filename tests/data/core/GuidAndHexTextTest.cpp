// GUID and binary text, the forms every provider and field share: what is taken,
// what is refused, and that text and bytes turn into each other without loss.
#include <gtest/gtest.h>

#include "data/value/GuidText.h"
#include "data/value/HexText.h"

namespace tiermend::data {
namespace {

TEST(GuidTextTest, WrittenFormsAndWhatIsRefused) {
  const std::string registry = "{6F9619FF-8B86-D011-B42D-00C04FC964FF}";
  struct Case {
    std::string text;
    bool taken;
  };
  const Case cases[] = {
      {registry, true},
      {"6f9619ff-8b86-d011-b42d-00c04fc964ff", true},
      {"{6f9619ff-8B86-d011-B42D-00c04fc964ff}", true},
      {"{6F9619FF-8B86-D011-B42D-00C04FC964FF", false},    // one brace only
      {" {6F9619FF-8B86-D011-B42D-00C04FC964FF}", false},  // blanks are the caller's to trim
      {"6F9619FF8B86-D011-B42D-00C04FC964FF0", false},     // a dash out of place
      {"{6F9619FF-8B86-D011-B42D-00C04FC964FG}", false},   // not a hex digit
      {"{6F9619FF-8B86-D011-B42D-00C04FC964F}", false},    // one digit short
      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<std::string> canonical = canonicalGuidText(c.text);
    std::uint8_t bytes[16] = {};
    EXPECT_EQ(canonical.has_value(), c.taken);
    EXPECT_EQ(guidBytesFromText(c.text, bytes), c.taken);
    if (!c.taken) continue;
    EXPECT_EQ(*canonical, registry);
    EXPECT_EQ(guidTextFromBytes(bytes), registry);  // the first three groups little-endian
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[3], 0x6F);
    EXPECT_EQ(bytes[15], 0xFF);
  }
}

// What drivers hand over (lower case, with or without braces) in the registry form.
TEST(GuidTextTest, DriverTextIsBracedAndUpperCased) {
  EXPECT_EQ(bracedGuidText("a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11"),
            "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}");
  EXPECT_EQ(bracedGuidText("{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}"),
            "{A0EEBC99-9C0B-4EF8-BB6D-6BB9BD380A11}");
}

TEST(HexTextTest, BytesAndTextTurnIntoEachOther) {
  const Bytes all = [] {
    Bytes bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<std::uint8_t>(b));
    return bytes;
  }();
  const std::string text = hexText(all);
  EXPECT_EQ(text.substr(0, 6), "000102");
  EXPECT_EQ(text.substr(text.size() - 4), "FEFF");
  EXPECT_EQ(bytesOfHex(text), all);
  EXPECT_EQ(bytesOfHex("0aFf"), (Bytes{0x0A, 0xFF}));
  EXPECT_EQ(bytesOfHex(""), Bytes{});
  for (const char* bad : {"0", "0G", "0 ", "-1", "abc"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(bytesOfHex(bad).has_value());
  }
}

}  // namespace
}  // namespace tiermend::data
