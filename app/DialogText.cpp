// The clipboard text of a dialog: caption, message and button captions between dashed
// lines, each line ended by CR LF.
#include "app/DialogText.h"

#include <algorithm>

namespace tiermend::app {

std::string dialogClipboardText(const std::string& caption, const std::string& message,
                                const std::vector<std::string>& buttonCaptions) {
  const std::string dashes = std::string(27, '-') + "\r\n";
  std::string buttons;
  for (std::string button : buttonCaptions) {
    // "&" marks the access key in a caption; it is not part of the text. In code page
    // 950 no trail byte is "&" (0x26), so removing the byte never splits a character.
    button.erase(std::remove(button.begin(), button.end(), '&'), button.end());
    buttons += button + "   ";
  }
  return dashes + caption + "\r\n" + dashes + message + "\r\n" + dashes + buttons + "\r\n" + dashes;
}

}  // namespace tiermend::app
