// Columns, text settings and captured failure messages for the field kind tests.
#include "FieldTestSupport.h"

#include "platform/Exceptions.h"

namespace tiermend::testing {

data::ColumnInfo column(data::ColumnType type, std::string name) {
  data::ColumnInfo info;
  info.name = std::move(name);
  info.type = type;
  return info;
}

data::TextSettings settingsFor(unsigned codePage, DateOrder order, char dateSeparator,
                               char decimalSeparator) {
  data::TextSettings settings{CodePage(codePage), RegionalSettings{}};
  settings.regional.dateOrder = order;
  settings.regional.dateSeparator = dateSeparator;
  settings.regional.timeSeparator = ':';
  settings.regional.decimalSeparator = decimalSeparator;
  return settings;
}

std::unique_ptr<data::FieldConverter> converter(const data::ColumnInfo& info,
                                                const data::TextSettings& settings) {
  return data::makeFieldConverter(info, settings);
}

std::string namedFailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return std::string(e.className()) + ": " + e.message();
  }
  return "no failure";
}

std::string writeFailure(const data::ColumnInfo& info, const std::string& text,
                         const data::TextSettings& settings) {
  const auto field = converter(info, settings);
  return namedFailureOf([&] { field->valueFromText(text); });
}

}  // namespace tiermend::testing
