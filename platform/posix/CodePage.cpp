// The code page on POSIX systems: the process locale's codeset, lead bytes from the
// known double-byte code pages, and conversion through iconv.
#include "platform/CodePage.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace tiermend {
namespace {

// One iconv conversion descriptor, closed when it goes out of scope.
class IconvHandle {
 public:
  IconvHandle(const std::string& to, const std::string& from)
      : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvHandle() {
    if (valid()) iconv_close(handle_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
};

// Converts as much as iconv can; an input sequence it cannot convert is replaced by
// "?" and skipped (one byte, or one whole UTF-8 character when the input is UTF-8).
std::string convert(std::string_view input, const std::string& to, const std::string& from,
                    bool inputIsUtf8) {
  if (input.empty()) return {};
  IconvHandle cd(to, from);
  if (!cd.valid()) throw std::runtime_error("no conversion from " + from + " to " + to);
  std::string out;
  out.reserve(input.size() * 2);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, outPtr);
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: an unconvertible or incomplete sequence.
    size_t skip = 1;
    if (inputIsUtf8) {
      unsigned char lead = static_cast<unsigned char>(*in);
      skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      skip = std::min(skip, inLeft);
    }
    in += skip;
    inLeft -= skip;
    out.push_back('?');
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  char* outPtr = buffer;
  size_t outLeft = sizeof buffer;
  iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, outPtr);
  return out;
}

// The iconv name of a code page ("CP950", "UTF-8", ...).
std::string iconvName(unsigned codePage) {
  if (codePage == CodePage::kUtf8) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

}  // namespace

CodePage CodePage::fromProcessLocale() {
  const char* codeset = nl_langinfo(CODESET);
  return fromCodeset(codeset ? codeset : "");
}

bool CodePage::isLeadByte(unsigned char byte) const {
  switch (id_) {
    case 950:
    case 936:
    case 949:
      return byte >= 0x81 && byte <= 0xFE;
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    default:
      return false;
  }
}

std::string CodePage::toUtf8(std::string_view text) const {
  // On a UTF-8 system the bytes pass through unchanged, as file names must.
  if (id_ == kUtf8) return std::string(text);
  return convert(text, "UTF-8", iconvName(id_), false);
}

std::string CodePage::fromUtf8(std::string_view utf8) const {
  if (id_ == kUtf8) return std::string(utf8);
  return convert(utf8, iconvName(id_), "UTF-8", true);
}

}  // namespace tiermend
