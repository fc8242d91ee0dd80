// The syntax of numbers in edit text, shared by the floating and the exact readers:
// optional blanks, sign, digits with the decimal separator, optional exponent.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace tiermend::data {

inline bool isDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

// The index of the first byte at or after i that is not a decimal digit.
std::size_t skipDigits(std::string_view text, std::size_t i);

// The parts of a number in edit-text syntax, each as written (views into the text).
struct NumberParts {
  bool negative = false;
  std::string_view integerDigits;
  std::string_view fractionDigits;
  std::string_view exponentText;  // sign and digits, empty when absent
};

// The parts of text (blanks around it allowed), or nothing when it is no number.
std::optional<NumberParts> splitNumber(std::string_view text, char separator);

}  // namespace tiermend::data
