// The text conventions that edit text follows: the ANSI code page of the tool's 8-bit
// text and the regional settings for dates, times and numbers.
#pragma once

#include "platform/CodePage.h"
#include "platform/RegionalSettings.h"

namespace tiermend::data {

struct TextSettings {
  CodePage codePage;
  RegionalSettings regional;
};

}  // namespace tiermend::data
