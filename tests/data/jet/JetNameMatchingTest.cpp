// Table and column names match without regard to case, through the Unicode simple case
// folding: letters of every script that has cases, in and beyond the Basic Multilingual
// Plane; characters without cases only match themselves; names that are not UTF-8
// match only byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "data/providers/jet/tables/JetCaseFolding.h"
#include "data/providers/jet/tables/JetNames.h"

namespace tiermend::data::jet {
namespace {

struct NamePair {
  const char* what;
  std::string a;
  std::string b;
  bool same;
};

TEST(JetNameMatchingTest, NamesMatchWhenTheyDifferOnlyInCase) {
  const NamePair cases[] = {
      {"ASCII, same bytes", "health_insu", "health_insu", true},
      {"ASCII, other case", "Health_Insu", "HEALTH_INSU", true},
      {"ASCII, other letters", "labor", "labour", false},
      {"ASCII, one a prefix of the other", "grade", "grades", false},
      {"ASCII, empty and not", "", "a", false},
      {"ASCII, digits and punctuation have no case", "self_1dep", "SELF_1DEP", true},
      {"Latin-1", "Umsätze", "UMSÄTZE", true},
      {"Latin-1, accent differs", "Umsätze", "Umsatze", false},
      {"Latin-1, y with diaeresis folds from U+0178", "\u00FF", "\u0178", true},
      {"Latin Extended-A", "Łódź", "ŁÓDŹ", true},
      {"Greek, final sigma", "ΣΟΦΟΣ", "σοφος", true},
      {"Greek, final and medial sigma", "σοφος", "σοφοσ", true},
      {"Greek, other letters", "ΑΛΦΑ", "ΒΗΤΑ", false},
      {"Cyrillic", "Зарплата", "ЗАРПЛАТА", true},
      {"German capital sharp s folds to sharp s", "STRAẞE", "straße", true},
      {"German sharp s is not ss in the simple folding", "straße", "STRASSE", false},
      {"Kelvin sign folds to k", "\u212Aelvin", "kelvin", true},
      {"fullwidth letters fold among themselves", "ＧＲＡＤＥ", "ｇｒａｄｅ", true},
      {"fullwidth letters stay apart from ASCII", "ＧＲＡＤＥ", "grade", false},
      {"CJK, same", "薪資級距", "薪資級距", true},
      {"CJK, traditional and simplified differ", "薪資", "薪资", false},
      {"beyond the Basic Multilingual Plane (Deseret)", "\U00010400", "\U00010428", true},
      {"emoji beside letters", "ok😀", "OK😀", true},
      {"emoji only match themselves", "😀", "😃", false},
      {"a NUL inside a name is compared too", std::string("a\0b", 3), std::string("A\0c", 3),
       false},
      {"malformed UTF-8 matches only itself", "ab\xFF", "AB\xFF", false},
      {"malformed UTF-8, same bytes", "ab\xFF", "ab\xFF", true},
      {"a truncated sequence is not U+FFFD", "\xEF\xBF", "\xEF\xBF\xBD", false},
      {"U+FFFD itself folds to itself", "x\uFFFD", "X\uFFFD", true},
      {"an overlong encoding is not the letter", "\xC1\x81", "A", false},
  };
  for (const NamePair& c : cases) {
    EXPECT_EQ(sameJetName(c.a, c.b), c.same) << c.what;
    EXPECT_EQ(sameJetName(c.b, c.a), c.same) << c.what << " (the other way round)";
  }
}

TEST(JetNameMatchingTest, TheFoldingMapsEachCaseToOneCharacter) {
  const struct {
    char32_t code;
    char32_t folded;
  } cases[] = {
      {U'A', U'a'},
      {U'z', U'z'},
      {U'_', U'_'},
      {U'\u00C9', U'\u00E9'},
      {U'\u00DF', U'\u00DF'},
      {U'\u1E9E', U'\u00DF'},
      {U'\u03A3', U'\u03C3'},
      {U'\u03C2', U'\u03C3'},
      {U'\u0130', U'\u0130'},
      {U'\uFF21', U'\uFF41'},
      {U'\u8594', U'\u8594'},
      {U'\U00010400', U'\U00010428'},
      {U'\U0001E900', U'\U0001E922'},  // the table's last stretch, Adlam
      {U'\U0010FFFF', U'\U0010FFFF'},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<unsigned>(simpleCaseFold(c.code)), static_cast<unsigned>(c.folded))
        << "U+" << std::hex << static_cast<unsigned>(c.code);
  }
}

}  // namespace
}  // namespace tiermend::data::jet
