// Scaling of designed geometry to the text height of the actual display.
#pragma once

#include <QRect>

namespace tiermend::app {

// The text height that the designs were laid out for (96 pixels per inch).
inline constexpr int kDesignTextHeight = 13;

// number * numerator / denominator, rounded to the nearest integer (halves away from
// zero), computed without overflow.
int mulDiv(int number, int numerator, int denominator);

// Scales a control's rectangle by edges: left, top, right and bottom are each scaled and
// rounded, and the size is what lies between the scaled edges.
QRect scaleRect(const QRect& designed, int textHeight, int designTextHeight = kDesignTextHeight);

}  // namespace tiermend::app
