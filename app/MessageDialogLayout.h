// The layout of the message dialog, worked out from what its font measures: margins
// and spacing in fractions of the average character width and the text height, the
// text at the top left and one button centred below it.
#pragma once

#include "app/DesignScaling.h"

namespace tiermend::app {

// The 52 letters whose width, divided by 52, is the dialog font's average character width.
inline constexpr const char* kMeasureAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct MessageDialogLayout {
  int averageCharWidth = 0;  // X: the alphabet's width divided by 52, rounded down
  int textHeight = 0;        // Y: the alphabet's height
  int horizontalMargin = 0;
  int verticalMargin = 0;
  int horizontalSpacing = 0;
  int verticalSpacing = 0;
  Rect text;    // the word-wrapped text, in client coordinates
  Rect button;  // in client coordinates
  int clientWidth = 0;
  int clientHeight = 0;
};

// alphabetWidth and alphabetHeight: kMeasureAlphabet measured in the dialog font;
// textWidth and textHeight: the message word-wrapped within half the screen's width;
// captionWidth: the button's caption.
MessageDialogLayout layOutMessageDialog(int alphabetWidth, int alphabetHeight, int textWidth,
                                        int textHeight, int captionWidth);

}  // namespace tiermend::app
