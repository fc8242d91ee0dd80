// Columns, text settings and captured failure messages for the field kind tests.
#include "FieldTestSupport.h"

#include "platform/Exceptions.h"

namespace tiermend::data::test {

ColumnInfo column(ColumnType type, std::string name) {
  ColumnInfo info;
  info.name = std::move(name);
  info.type = type;
  return info;
}

TextSettings settingsFor(unsigned codePage, DateOrder order, char dateSeparator,
                         char decimalSeparator) {
  TextSettings settings{CodePage(codePage), RegionalSettings{}};
  settings.regional.dateOrder = order;
  settings.regional.dateSeparator = dateSeparator;
  settings.regional.timeSeparator = ':';
  settings.regional.decimalSeparator = decimalSeparator;
  return settings;
}

std::unique_ptr<FieldConverter> converter(const ColumnInfo& info, const TextSettings& settings) {
  return makeFieldConverter(info, settings);
}

std::string failureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Exception& e) {
    return std::string(e.className()) + ": " + e.message();
  }
  return "no failure";
}

std::string writeFailure(const ColumnInfo& info, const std::string& text,
                         const TextSettings& settings) {
  const auto field = converter(info, settings);
  return failureOf([&] { field->valueFromText(text); });
}

}  // namespace tiermend::data::test
