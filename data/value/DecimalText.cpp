// Exact decimal text from engine text, scaled integers and doubles.
#include "data/value/DecimalText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace tiermend::data {
namespace {

// Below this magnitude a double's spacing is under 1e-4, so at most one number of four
// or fewer decimals reads back as it.
constexpr double kShortFormLimit = 1e11;
constexpr int kShortFormDecimals = 4;
constexpr double kShortFormScale = 1e4;

}  // namespace

std::optional<std::string> canonicalDecimal(std::string_view text) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
  std::string whole;
  std::string fraction;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c >= '0' && c <= '9') {
      (point ? fraction : whole).push_back(c);
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return std::nullopt;
    }
  }
  if (whole.empty() && fraction.empty()) return std::nullopt;
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.empty()) whole.push_back('0');
  std::string result;
  if (negative) result.push_back('-');
  result += whole;
  if (!fraction.empty()) {
    result.push_back('.');
    result += fraction;
  }
  return result;
}

std::string decimalFromScaled(unsigned __int128 magnitude, int scale, bool negative) {
  // Filled from the right: up to 39 digits or the scale's zeros and one more, a point
  // and a sign.
  const std::size_t size = static_cast<std::size_t>(scale > 0 ? scale : 0) + 42;
  char local[128];
  std::string spill;
  char* buffer = local;
  if (size > sizeof local) {
    spill.resize(size);
    buffer = spill.data();
  }
  char* const end = buffer + size;
  char* start = end;
  const bool isZero = magnitude == 0;
  const int width = scale > 0 ? scale + 1 : 1;  // digits to write at least
  for (int place = 0; magnitude != 0 || place < width; ++place) {
    if (scale > 0 && place == scale) *--start = '.';
    // Numbers that fit 64 bits are divided in 64 bits, which is much faster.
    unsigned digit;
    if (magnitude <= UINT64_MAX) {
      const auto small = static_cast<std::uint64_t>(magnitude);
      digit = static_cast<unsigned>(small % 10);
      magnitude = small / 10;
    } else {
      digit = static_cast<unsigned>(magnitude % 10);
      magnitude /= 10;
    }
    *--start = static_cast<char>('0' + digit);
  }
  if (negative && !isZero) *--start = '-';
  return std::string(start, static_cast<std::size_t>(end - start));
}

// A quotient of two exact doubles is rounded correctly, just as reading the decimal
// text is, so the test below is the read-back itself. A number of fewer decimals is the
// same quotient with zeros added, so one test covers them all.
std::optional<std::string_view> shortDecimalOfDouble(double number, ShortDecimalBuffer& buffer) {
  if (number == 0 || !(std::fabs(number) < kShortFormLimit)) return std::nullopt;
  const double scaled = std::nearbyint(number * kShortFormScale);
  if (scaled / kShortFormScale != number) return std::nullopt;
  const auto units = static_cast<long long>(scaled);
  unsigned long long rest = units < 0 ? 0ULL - static_cast<unsigned long long>(units) : units;
  int decimals = kShortFormDecimals;
  while (decimals > 0 && rest % 10 == 0) {
    rest /= 10;
    --decimals;
  }
  // The digits from the right, the point put in on the way.
  char* const end = buffer + sizeof buffer;
  char* start = end;
  for (int place = 0; rest != 0 || place <= decimals; ++place) {
    if (place == decimals && decimals > 0) *--start = '.';
    *--start = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  if (units < 0) *--start = '-';
  return std::string_view(start, static_cast<size_t>(end - start));
}

std::string decimalOfDouble(double number) {
  ShortDecimalBuffer shortText;
  if (auto text = shortDecimalOfDouble(number, shortText)) return std::string(*text);
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

bool isNarrowWholeDecimal(int precision, int scale) {
  return scale == 0 && precision >= 1 && precision < 10;
}

}  // namespace tiermend::data
