// The message dialog's measures: each product of a design unit and X or Y divided with
// rounding, the client area wide enough for the text or the button, whichever is wider.
#include "app/MessageDialogLayout.h"

#include <algorithm>

namespace tiermend::app {

MessageDialogLayout layOutMessageDialog(int alphabetWidth, int alphabetHeight, int textWidth,
                                        int textHeight, int captionWidth) {
  MessageDialogLayout m;
  m.averageCharWidth = alphabetWidth / 52;
  m.textHeight = alphabetHeight;
  const int x = m.averageCharWidth;
  const int y = m.textHeight;
  m.horizontalMargin = mulDiv(8, x, 4);
  m.verticalMargin = mulDiv(8, y, 8);
  m.horizontalSpacing = mulDiv(10, x, 4);
  m.verticalSpacing = mulDiv(10, y, 8);
  const int buttonHeight = mulDiv(14, y, 8);
  const int buttonWidth = std::max(mulDiv(50, x, 4), captionWidth + 8);
  m.text = {m.horizontalMargin, m.verticalMargin, textWidth, textHeight};
  m.clientWidth = std::max(textWidth, buttonWidth) + 2 * m.horizontalMargin;
  m.clientHeight = textHeight + buttonHeight + m.verticalSpacing + 2 * m.verticalMargin;
  m.button = {(m.clientWidth - buttonWidth) / 2, textHeight + m.verticalMargin + m.verticalSpacing,
              buttonWidth, buttonHeight};
  return m;
}

}  // namespace tiermend::app
