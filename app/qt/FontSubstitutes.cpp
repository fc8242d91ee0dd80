// The installed font families that stand in for the window's designed fonts.
#include "app/qt/FontSubstitutes.h"

namespace tiermend::app {

QString substituteFontFamily(const QString& designFamily) {
  if (designFamily == QStringLiteral("MS Sans Serif")) return QStringLiteral("Sans Serif");
  if (designFamily == QStringLiteral("標楷體")) return QStringLiteral("AR PL UKai TW");
  if (designFamily == QStringLiteral("新細明體")) return QStringLiteral("AR PL UMing TW");
  return designFamily;
}

QFont::StyleHint fontStyleHint(const QString& designFamily) {
  return designFamily == QStringLiteral("MS Sans Serif") ? QFont::SansSerif : QFont::Serif;
}

}  // namespace tiermend::app
