// The clipboard text of a dialog: caption, message and button captions between dashed
// lines, each line ended by CR LF.
#include "app/DialogText.h"

namespace tiermend::app {

QString dialogClipboardText(const QString& caption, const QString& message,
                            const QStringList& buttonCaptions) {
  const QString dashes = QString(27, u'-') + QStringLiteral("\r\n");
  QString buttons;
  for (QString button : buttonCaptions) buttons += button.remove(u'&') + QStringLiteral("   ");
  return dashes + caption + QStringLiteral("\r\n") + dashes + message + QStringLiteral("\r\n") +
         dashes + buttons + QStringLiteral("\r\n") + dashes;
}

}  // namespace tiermend::app
