// Reading the compiled-in General legacy code tables once into one lookup by UTF-16 unit.
#include "data/providers/jet/indexes/JetSortOrderCodes.h"

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace tiermend::data::jet {
namespace {

constexpr char16_t kFirstSurrogate = 0xD800;
constexpr char16_t kLastSurrogate = 0xDFFF;

[[noreturn]] void badTable(std::size_t unit, std::string_view line) {
  throw std::logic_error("The compiled-in General legacy sort order table is damaged at U+" +
                         std::to_string(unit) + ": '" + std::string(line) + "'");
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// All characters' codes, their byte strings in one pool that never grows after it is
// reserved, so the spans into it stay valid.
class CodeTables {
 public:
  CodeTables() {
    const std::string_view basic = generalLegacyCodesText();
    const std::string_view extended = generalLegacyExtendedCodesText();
    pool_.reserve(basic.size() + extended.size());
    const std::size_t basicEnd = load(basic, 0);
    if (basicEnd != 0x100) badTable(basicEnd, "the table of the first 256 characters ends early");
    const std::size_t extendedEnd = load(extended, 0x100);
    if (extendedEnd != 0x10000) badTable(extendedEnd, "the extended table ends early");
  }

  const JetCharCode& at(char16_t unit) const { return codes_[unit]; }

 private:
  // Reads one line per character from `first` on, skipping the surrogates, which the
  // tables leave out; returns the unit after the last one read.
  std::size_t load(std::string_view text, std::size_t first) {
    std::size_t unit = first;
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      const std::string_view line = text.substr(pos, end - pos);
      pos = end + 1;
      if (line.empty()) continue;
      while (unit >= kFirstSurrogate && unit <= kLastSurrogate) ++unit;
      if (unit > 0xFFFF) badTable(unit, line);
      codes_[unit] = parse(unit, line);
      ++unit;
    }
    return unit;
  }

  std::vector<std::string_view> fields(std::string_view rest) {
    std::vector<std::string_view> out;
    std::size_t pos = 0;
    while (true) {
      const std::size_t comma = rest.find(',', pos);
      out.push_back(rest.substr(pos, comma == std::string_view::npos ? rest.npos : comma - pos));
      if (comma == std::string_view::npos) return out;
      pos = comma + 1;
    }
  }

  // Hexadecimal bytes into the pool; a string of odd length has lost its leading zero.
  std::span<const std::uint8_t> bytes(std::size_t unit, std::string_view line, std::string_view hex,
                                      bool required) {
    if (hex.empty()) {
      if (required) badTable(unit, line);
      return {};
    }
    const std::size_t start = pool_.size();
    std::size_t i = 0;
    int pending = -1;
    if (hex.size() % 2 == 1) pending = 0;
    for (; i < hex.size(); ++i) {
      const int digit = hexDigit(hex[i]);
      if (digit < 0) badTable(unit, line);
      if (pending < 0) {
        pending = digit;
      } else {
        pool_.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
        pending = -1;
      }
    }
    return {pool_.data() + start, pool_.size() - start};
  }

  JetCharCode parse(std::size_t unit, std::string_view line) {
    const std::vector<std::string_view> parts = fields(line.substr(1));
    const auto expect = [&](std::size_t count) {
      if (parts.size() != count) badTable(unit, line);
    };
    JetCharCode code;
    switch (line[0]) {
      case 'X':
        code.role = JetCharRole::Ignored;
        break;
      case 'S':
        expect(1);
        code.role = JetCharRole::Plain;
        code.inlineBytes = bytes(unit, line, parts[0], true);
        break;
      case 'I':
        expect(2);
        code.role = JetCharRole::Accented;
        code.inlineBytes = bytes(unit, line, parts[0], true);
        code.extraBytes = bytes(unit, line, parts[1], true);
        break;
      case 'U':
        expect(1);
        code.role = JetCharRole::Unprintable;
        code.unprintableBytes = bytes(unit, line, parts[0], true);
        break;
      case 'P': {
        expect(1);
        code.role = JetCharRole::ExtraModifier;
        const auto modifier = bytes(unit, line, parts[0], true);
        if (modifier.size() != 1) badTable(unit, line);
        code.modifier = modifier[0];
        break;
      }
      case 'Z':
        expect(3);
        code.role = JetCharRole::AccentedWithFlag;
        code.inlineBytes = bytes(unit, line, parts[0], true);
        code.extraBytes = bytes(unit, line, parts[1], false);
        code.flag = parts[2] == "1" ? 2 : 3;
        break;
      default:
        badTable(unit, line);
    }
    return code;
  }

  std::vector<std::uint8_t> pool_;
  std::array<JetCharCode, 0x10000> codes_{};  // surrogates stay Uncovered
};

}  // namespace

const JetCharCode& generalLegacyCharCode(char16_t unit) {
  static const std::unique_ptr<const CodeTables> tables = std::make_unique<CodeTables>();
  return tables->at(unit);
}

}  // namespace tiermend::data::jet
