// The text of the failure a call raises, for tests that check what went wrong: the
// failure's message() where it has one, else its what().
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tiermend::testing {

// Runs the action; gives the text of the Failure it raised, or nothing when it raised none.
// Failures of other types pass through.
template <class Failure, class Action>
std::optional<std::string> failureTextOf(Action&& action) {
  try {
    std::forward<Action>(action)();
  } catch (const Failure& failure) {
    if constexpr (requires { failure.message(); })
      return std::string(failure.message());
    else
      return std::string(failure.what());
  }
  return std::nullopt;
}

}  // namespace tiermend::testing
