// The plain-text form of a message box or message dialog that Ctrl+C copies.
#pragma once

#include <QString>
#include <QStringList>

namespace tiermend::app {

// Dash line, caption, dash line, message, dash line, the button captions (each with
// three spaces after it and every "&" removed), dash line; every line ends in CR LF.
QString dialogClipboardText(const QString& caption, const QString& message,
                            const QStringList& buttonCaptions);

}  // namespace tiermend::app
