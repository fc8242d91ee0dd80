// Fixed-width values to and from their stored bytes.
#include "data/providers/jet/values/JetValueCodec.h"

#include <cmath>
#include <limits>

#include "data/EngineError.h"
#include "data/providers/jet/format/JetFormat.h"
#include "data/providers/jet/values/JetValueBytes.h"
#include "data/providers/jet/values/JetValues.h"
#include "data/value/Calendar.h"
#include "data/value/GuidText.h"

namespace tiermend::data::jet {

namespace {

[[noreturn]] void wrongValue(const std::string& column) {
  throw EngineError("The value given for field '" + column + "' is not of its kind.");
}

std::int64_t wholeNumber(const std::string& column, const Value& value, std::int64_t lowest,
                         std::int64_t highest) {
  std::int64_t number = 0;
  if (const auto* whole = std::get_if<std::int64_t>(&value)) {
    number = *whole;
  } else if (const auto* truth = std::get_if<bool>(&value)) {
    number = *truth ? -1 : 0;
  } else {
    wrongValue(column);
  }
  if (number < lowest || number > highest) {
    throw EngineError(std::to_string(number) + " is not a valid value for field '" + column +
                      "'. The allowed range is " + std::to_string(lowest) + " to " +
                      std::to_string(highest));
  }
  return number;
}

double floatingNumber(const std::string& column, const Value& value) {
  if (const auto* number = std::get_if<double>(&value)) return *number;
  if (const auto* whole = std::get_if<std::int64_t>(&value)) return static_cast<double>(*whole);
  wrongValue(column);
}

}  // namespace

Value decodeFixedValue(int kind, int scale, const std::uint8_t* bytes, const std::string& column) {
  switch (kind) {
    case kJetByte:
      return std::int64_t{bytes[0]};
    case kJetInt16:
      return std::int64_t{readInt16(bytes)};
    case kJetInt32:
    case kJetComplex:
      return std::int64_t{readInt32(bytes)};
    case kJetInt64:
      return readInt64(bytes);
    case kJetCurrency:
      return currencyFromUnits(readInt64(bytes));
    case kJetSingle:
      return static_cast<double>(readSingle(bytes));
    case kJetDouble:
      return readDouble(bytes);
    case kJetGuid:
      return guidTextFromBytes(bytes);
    case kJetDecimal:
      return decimalFromBytes(bytes, scale);
    case kJetDateTime: {
      const auto value = dateTimeFromOleDays(readDouble(bytes));
      if (!value) throw EngineError("The value in column '" + column + "' is not a valid date.");
      return *value;
    }
    default:
      throw EngineError("Internal error: column '" + column + "' is of no fixed-width kind.");
  }
}

bool encodeYesNo(const Value& value, const std::string& column) {
  if (const auto* truth = std::get_if<bool>(&value)) return *truth;
  if (isNull(value)) return false;
  return wholeNumber(column, value, INT64_MIN, INT64_MAX) != 0;
}

void encodeFixedValue(int kind, int precision, int scale, const Value& value,
                      const std::string& column, std::uint8_t* at) {
  switch (kind) {
    case kJetByte:
      at[0] = static_cast<std::uint8_t>(wholeNumber(column, value, 0, 255));
      return;
    case kJetInt16:
      writeInt16(at, static_cast<std::int16_t>(wholeNumber(column, value, -32768, 32767)));
      return;
    case kJetInt32:
      writeInt32(at, static_cast<std::int32_t>(wholeNumber(column, value, INT32_MIN, INT32_MAX)));
      return;
    case kJetCurrency:
      writeInt64(at, currencyUnits(value, column));
      return;
    case kJetSingle: {
      const double number = floatingNumber(column, value);
      if (std::isfinite(number) && std::fabs(number) > std::numeric_limits<float>::max()) {
        throw EngineError("The value " + std::to_string(number) + " is too large for field '" +
                          column + "'.");
      }
      writeSingle(at, static_cast<float>(number));
      return;
    }
    case kJetDouble:
      writeDouble(at, floatingNumber(column, value));
      return;
    case kJetDateTime: {
      const auto* date = std::get_if<DateTime>(&value);
      if (date == nullptr) wrongValue(column);
      writeDouble(at, oleDaysFromDateTime(*date));
      return;
    }
    case kJetGuid: {
      const auto* text = std::get_if<std::string>(&value);
      if (text == nullptr) wrongValue(column);
      guidBytes(*text, column, at);
      return;
    }
    case kJetDecimal:
      decimalBytes(value, precision, scale, column, at);
      return;
    default:
      wrongValue(column);
  }
}

}  // namespace tiermend::data::jet
