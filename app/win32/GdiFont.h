// A GDI font the window owns: made from a designed font by its Windows name, or from a
// LOGFONT the system gives, and deleted with the object.
#pragma once

#include <windows.h>

#include "app/MainWindowDesign.h"

namespace tiermend::app {

class GdiFont {
 public:
  GdiFont() = default;
  explicit GdiFont(HFONT handle) : handle_(handle) {}
  ~GdiFont();
  GdiFont(GdiFont&& other) noexcept;
  GdiFont& operator=(GdiFont&& other) noexcept;

  HFONT handle() const { return handle_; }

 private:
  HFONT handle_ = nullptr;
};

// The designed font at the given height (the negative of the character height in
// pixels), its family named in UTF-16 so that the Chinese names reach the font mapper
// whatever the ANSI code page. Where the family is not installed, the font mapper picks
// its substitute from the character set and the pitch.
GdiFont createDesignFont(const FontDesign& design, int height);

// The extent of text in font on the screen: its width and height in pixels.
SIZE textExtent(HFONT font, const char* text, int length);

}  // namespace tiermend::app
