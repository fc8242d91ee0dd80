// Rounding multiplication and division, and designed rectangles scaled by it to the
// display's text height, edges first so that neighbouring controls stay in touch.
#include "app/DesignScaling.h"

#include <cstdlib>

namespace tiermend::app {

int mulDiv(int number, int numerator, int denominator) {
  const long long product = static_cast<long long>(number) * numerator;
  const long long half = std::llabs(static_cast<long long>(denominator)) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const long long magnitude =
      (std::llabs(product) + half) / std::llabs(static_cast<long long>(denominator));
  return static_cast<int>(negative ? -magnitude : magnitude);
}

Rect scaleRect(const Rect& designed, int textHeight, int designTextHeight) {
  const int left = mulDiv(designed.left, textHeight, designTextHeight);
  const int top = mulDiv(designed.top, textHeight, designTextHeight);
  const int right = mulDiv(designed.left + designed.width, textHeight, designTextHeight);
  const int bottom = mulDiv(designed.top + designed.height, textHeight, designTextHeight);
  return {left, top, right - left, bottom - top};
}

}  // namespace tiermend::app
