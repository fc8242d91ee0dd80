// Table-driven checks of a rule that turns one text into another: each case is an input
// and the text the rule should make of it, and a failure names the input it came from.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace tiermend::testing {

struct TextCase {
  std::string_view input;
  std::string_view expected;
};

template <class Rule>
void expectEachText(Rule rule, std::initializer_list<TextCase> cases) {
  for (const TextCase& c : cases) {
    EXPECT_EQ(rule(std::string(c.input)), c.expected) << "input: \"" << c.input << '"';
  }
}

}  // namespace tiermend::testing
