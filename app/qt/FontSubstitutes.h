// The installed fonts that stand in for the fonts the window was designed with.
#pragma once

#include <QFont>
#include <QString>

namespace tiermend::app {

// "MS Sans Serif" → the desktop's sans-serif, "標楷體" → AR PL UKai TW,
// "新細明體" → AR PL UMing TW; any other family is kept.
QString substituteFontFamily(const QString& designFamily);
QFont::StyleHint fontStyleHint(const QString& designFamily);

}  // namespace tiermend::app
