// The main window's design: its caption, place and size, and each control's place,
// size and font, in pixels at 96 pixels per inch. The Qt window and the Win32 window
// are both laid out from it.
#pragma once

#include <array>

#include "app/DesignScaling.h"

namespace tiermend::app {

// A designed font: the family by its Windows name (UTF-8), the height as the negative
// of the character height in pixels, and the character set (1: the default, 136: Big5).
struct FontDesign {
  const char* familyUtf8;
  int height;
  bool bold;
  int charset;
};

inline constexpr const char* kMainCaptionUtf8 = "資料更新";
inline constexpr const char* kTitleLabelCaptionUtf8 = "薪資級距資料更新";
inline constexpr const char* kGridImeNameUtf8 = "中文 (繁體) - 新注音";

inline constexpr int kMainLeft = 218;
inline constexpr int kMainTop = 152;
inline constexpr int kMainOuterWidth = 703;
inline constexpr int kMainOuterHeight = 398;

inline constexpr FontDesign kWindowFont{"MS Sans Serif", -11, false, 1};
inline constexpr FontDesign kTitleLabelFont{"標楷體", -27, true, 136};
inline constexpr FontDesign kButtonFont{"新細明體", -16, false, 136};
inline constexpr FontDesign kGridTitleFont{"MS Sans Serif", -11, false, 1};

// The title label's colour: navy.
inline constexpr int kTitleLabelRed = 0, kTitleLabelGreen = 0, kTitleLabelBlue = 128;

// Client coordinates. Button4 stands 20 pixels after Button3, the others 10 apart.
inline constexpr Rect kTitleLabelRect{92, 15, 253, 33};
inline constexpr std::array<Rect, 4> kButtonRects{{
    {96, 90, 120, 50},
    {226, 90, 120, 50},
    {356, 90, 120, 50},
    {496, 90, 120, 50},
}};
inline constexpr Rect kGrid1Rect{96, 200, 529, 81};
inline constexpr Rect kGrid2Rect{96, 288, 529, 73};

// Connection strings the connections hold until the start-up sequence replaces them.
// They name database files that do not exist, so they never open a database.
inline constexpr const char* kPresetTargetConnectionString =
    "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=korvenal;User ID=admin;"
    "Data Source=/nonexistent/tiermend/basedb.mdb;Persist Security Info=True";
inline constexpr const char* kPresetSourceConnectionString =
    "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=korvenal;User ID=admin;"
    "Data Source=/nonexistent/tiermend/tiermenddb.mdb;Persist Security Info=True";

// The statement both rowsets carry until a refresh step replaces it.
inline constexpr const char* kInitialStatement = "select * from health_insu";

}  // namespace tiermend::app
