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

// The same as text to compare with an expected message: "(no failure)" when it raised none.
template <class Failure, class Action>
std::string failureMessageOf(Action&& action) {
  return failureTextOf<Failure>(std::forward<Action>(action)).value_or("(no failure)");
}

}  // namespace tiermend::testing
