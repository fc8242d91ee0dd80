// Creating the window's fonts by their Windows names, and measuring text in them.
#include "app/win32/GdiFont.h"

#include <utility>

namespace tiermend::app {

GdiFont::~GdiFont() {
  if (handle_ != nullptr) DeleteObject(handle_);
}

GdiFont::GdiFont(GdiFont&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}

GdiFont& GdiFont::operator=(GdiFont&& other) noexcept {
  if (this != &other) {
    if (handle_ != nullptr) DeleteObject(handle_);
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

GdiFont createDesignFont(const FontDesign& design, int height) {
  LOGFONTW logFont{};
  logFont.lfHeight = height;
  logFont.lfWeight = design.bold ? FW_BOLD : FW_NORMAL;
  logFont.lfCharSet = static_cast<BYTE>(design.charset);
  logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
  logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  logFont.lfQuality = DEFAULT_QUALITY;
  logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
  MultiByteToWideChar(CP_UTF8, 0, design.familyUtf8, -1, logFont.lfFaceName, LF_FACESIZE - 1);
  return GdiFont(CreateFontIndirectW(&logFont));
}

SIZE textExtent(HFONT font, const char* text, int length) {
  SIZE extent{};
  HDC screen = GetDC(nullptr);
  HGDIOBJ previous = SelectObject(screen, font);
  GetTextExtentPoint32A(screen, text, length, &extent);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  return extent;
}

}  // namespace tiermend::app
