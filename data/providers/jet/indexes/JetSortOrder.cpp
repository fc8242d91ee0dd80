// Text keys in the General legacy sort order: each character's inline bytes, then the
// accents, flags and unprintable characters after the end of the text.
#include "data/providers/jet/indexes/JetSortOrder.h"

#include <cstdio>
#include <iterator>

#include "data/providers/jet/format/ByteOrder.h"

namespace tiermend::data::jet {
namespace {

// The part of a value a text key holds: its first 255 units without trailing spaces.
std::u16string_view indexedPart(std::u16string_view text) {
  text = text.substr(0, kIndexedTextUnits);
  while (!text.empty() && text.back() == u' ') text.remove_suffix(1);
  return text;
}

std::string unitName(char16_t unit) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(unit));
  return buffer;
}

// What a text key holds after the end of its text: the accents of its characters, the
// two-bit flags of some characters, and where the unprintable characters were.
class KeyTail {
 public:
  // `position` counts the characters with inline bytes before this one.
  void add(const JetCharCode& code, std::size_t position) {
    if (!code.extraBytes.empty() || code.modifier != 0) addExtra(code, position);
    if (!code.unprintableBytes.empty()) addUnprintable(code, position);
    if (code.flag != 0) {
      flags_.push_back(code.flag);
      flagsSeen_ = true;
    }
  }

  // Some characters carry a flag; once one has, the flags part is written even when
  // every flag is left out.
  void appendTo(std::vector<std::uint8_t>& out) {
    while (!extra_.empty() && extra_.back() <= kTextKeyNoAccent) extra_.pop_back();
    while (!flags_.empty() && flags_.back() == kTextKeyPlainFlag) flags_.pop_back();
    const bool hasFlags = flagsSeen_;
    const bool hasUnprintable = !unprintable_.empty();
    out.insert(out.end(), extra_.begin(), extra_.end());
    if (!hasFlags && !hasUnprintable) return;
    out.push_back(kTextKeyEndOfText);
    out.push_back(kTextKeyEndOfText);
    if (hasFlags) {
      appendFlags(out);
      if (hasUnprintable) out.push_back(kTextKeyFlagsBeforeUnprintable);
    }
    if (hasUnprintable) {
      out.push_back(kTextKeyEndOfText);
      out.insert(out.end(), unprintable_.begin(), unprintable_.end());
    }
  }

 private:
  void addExtra(const JetCharCode& code, std::size_t position) {
    extraStarted_ = true;
    if (extraChars_ < position) {
      extra_.insert(extra_.end(), position - extraChars_, kTextKeyNoAccent);
      extraChars_ = position;
    }
    if (!code.extraBytes.empty()) {
      extra_.insert(extra_.end(), code.extraBytes.begin(), code.extraBytes.end());
      ++extraChars_;
    } else if (!extra_.empty()) {
      extra_.back() = static_cast<std::uint8_t>(extra_.back() + code.modifier);
    } else {
      // A modifier with nothing before it to modify stands alone, and does not count
      // when the positions of unprintable characters are worked out.
      extra_.push_back(code.modifier);
      leadingModifiers_ = 1;
    }
  }

  // The position written is counted in bytes of the accents part as it stands, with
  // the characters not yet given an accent byte counted one each.
  void addUnprintable(const JetCharCode& code, std::size_t position) {
    std::size_t slot = position;
    if (extraStarted_) slot = extra_.size() + (position - extraChars_) - leadingModifiers_;
    std::uint8_t mark[2];
    storeBig(mark, sizeof mark,
             (kTextKeyUnprintableFirstPosition + kTextKeyUnprintablePositionStep * slot) |
                 kTextKeyUnprintablePositionFlag);
    unprintable_.insert(unprintable_.end(), std::begin(mark), std::end(mark));
    unprintable_.push_back(kTextKeyUnprintableMark);
    unprintable_.insert(unprintable_.end(), code.unprintableBytes.begin(),
                        code.unprintableBytes.end());
  }

  // Three flags to a byte, two bits each, below a fixed top bit.
  void appendFlags(std::vector<std::uint8_t>& out) const {
    for (std::size_t i = 0; i < flags_.size(); i += 3) {
      std::uint8_t packed = kTextKeyFlagsByteStart;
      for (std::size_t j = 0; j < 3 && i + j < flags_.size(); ++j) {
        packed |= static_cast<std::uint8_t>(flags_[i + j] << ((2 - j) * 2));
      }
      out.push_back(packed);
    }
    out.insert(out.end(), std::begin(kTextKeyFlagsTrailer), std::end(kTextKeyFlagsTrailer));
  }

  std::vector<std::uint8_t> extra_;
  std::size_t extraChars_ = 0;
  std::size_t leadingModifiers_ = 0;
  bool extraStarted_ = false;
  std::vector<std::uint8_t> unprintable_;
  std::vector<std::uint8_t> flags_;
  bool flagsSeen_ = false;
};

}  // namespace

std::string JetSortOrder::describe() const {
  if (*this == generalLegacy()) return "General (legacy, 1033)";
  return "sort order " + std::to_string(localeId) + " version " + std::to_string(version);
}

std::string missingTablesReason(const JetCharCodes& codes) {
  return "is in the " + JetSortOrder::generalLegacy().describe() + " sort order, whose tables (" +
         codes.missing() + ") were not available when this program was built";
}

void appendGeneralLegacyTextKey(std::u16string_view text, bool ascending,
                                std::vector<std::uint8_t>& out, const JetCharCodes& codes) {
  if (!codes.available()) throw JetUncoveredText(missingTablesReason(codes));
  const std::size_t start = out.size();
  KeyTail tail;
  std::size_t inlineChars = 0;
  for (const char16_t unit : indexedPart(text)) {
    const JetCharCode& code = codes.at(unit);
    if (code.role == JetCharRole::Uncovered) {
      out.resize(start);
      throw JetUncoveredText("holds the character " + unitName(unit) +
                             " (part of a character beyond U+FFFF), which the General "
                             "legacy sort order's tables do not cover");
    }
    const std::size_t position = inlineChars;
    if (!code.inlineBytes.empty()) {
      out.insert(out.end(), code.inlineBytes.begin(), code.inlineBytes.end());
      ++inlineChars;
    }
    tail.add(code, position);
  }
  out.push_back(kTextKeyEndOfText);
  tail.appendTo(out);
  if (!ascending) {
    out.push_back(kTextKeyEndOfKey);
    for (std::size_t i = start; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(~out[i]);
  }
  out.push_back(kTextKeyEndOfKey);
}

}  // namespace tiermend::data::jet
