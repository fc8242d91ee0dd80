// Case-insensitive name comparison through glib's Unicode case folding.
#include "data/providers/jet/tables/JetNames.h"

#include <glib.h>

#include <memory>

namespace tiermend::data::jet {

namespace {

struct GlibFreer {
  void operator()(gchar* text) const { g_free(text); }
};
using GlibText = std::unique_ptr<gchar, GlibFreer>;

}  // namespace

bool sameJetName(const std::string& a, const std::string& b) {
  if (a == b) return true;
  // Case folding needs valid UTF-8; anything else can only match byte for byte.
  if (!g_utf8_validate(a.c_str(), -1, nullptr) || !g_utf8_validate(b.c_str(), -1, nullptr)) {
    return false;
  }
  const GlibText foldedA(g_utf8_casefold(a.c_str(), -1));
  const GlibText foldedB(g_utf8_casefold(b.c_str(), -1));
  return g_strcmp0(foldedA.get(), foldedB.get()) == 0;
}

}  // namespace tiermend::data::jet
