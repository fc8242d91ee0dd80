// The command line: which action each argument list asks for, and which argument a
// refusal names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace tiermend::app {
namespace {

using Action = CommandLine::Action;

CommandLine parse(std::vector<const char*> arguments) {
  arguments.insert(arguments.begin(), "/usr/bin/tiermend");
  return parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

struct Case {
  std::vector<const char*> arguments;
  Action action;
  std::string refused;
};

TEST(CommandLine, EachArgumentListGivesItsAction) {
  const std::vector<Case> cases = {
      {{}, Action::Refresh, ""},
      {{"--check"}, Action::Check, ""},
      {{"--help"}, Action::Help, ""},
      {{"--version"}, Action::Version, ""},
      // Only the exact spellings: no short forms, no values, no prefixes.
      {{"-h"}, Action::Refused, "-h"},
      {{"--Check"}, Action::Refused, "--Check"},
      {{"--check=yes"}, Action::Refused, "--check=yes"},
      {{"--che"}, Action::Refused, "--che"},
      {{""}, Action::Refused, ""},
      // Qt's own options are not taken either: the program names its options alone.
      {{"-platform"}, Action::Refused, "-platform"},
      // One option at a time; the refusal names the argument that broke the rule.
      {{"--check", "--check"}, Action::Refused, "--check"},
      {{"--help", "--version"}, Action::Refused, "--version"},
      {{"nonsense", "--check"}, Action::Refused, "nonsense"},
  };
  for (const Case& c : cases) {
    const CommandLine line = parse(c.arguments);
    std::string shown;
    for (const char* argument : c.arguments) shown += std::string("[") + argument + "]";
    EXPECT_EQ(line.action, c.action) << shown;
    EXPECT_EQ(line.refused, c.refused) << shown;
  }
}

TEST(CommandLine, ARefusalNamesTheArgumentAndEndsWithTheUsageLine) {
  EXPECT_EQ(refusalText("-x"),
            "tiermend: unexpected argument '-x'\n"
            "Usage: tiermend [--check | --help | --version]\n");
  EXPECT_EQ(helpText().rfind(usageLine(), 0), 0u);
}

}  // namespace
}  // namespace tiermend::app
