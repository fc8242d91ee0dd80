// Scaling of designed geometry to the text height of the actual display.
#pragma once

namespace tiermend::app {

// The text height that the designs were laid out for (96 pixels per inch).
inline constexpr int kDesignTextHeight = 13;

// A rectangle in pixels: its top-left corner and its size.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

// number * numerator / denominator, rounded to the nearest integer (halves away from
// zero), computed without overflow.
int mulDiv(int number, int numerator, int denominator);

// Scales a control's rectangle by edges: left, top, right and bottom are each scaled and
// rounded, and the size is what lies between the scaled edges.
Rect scaleRect(const Rect& designed, int textHeight, int designTextHeight = kDesignTextHeight);

}  // namespace tiermend::app
