// The completion message: the Big5 bytes of "更新完成." (code page 950), shown by the
// completion dialog and printed by a run without a window.
#pragma once

#include <string_view>

namespace tiermend::app {

inline constexpr char kCompletionMessageBig5[] = {'\xA7', '\xF3', '\xB7', '\x73', '\xA7',
                                                  '\xB9', '\xA6', '\xA8', '\x2E', '\0'};
inline constexpr std::string_view kCompletionMessage{kCompletionMessageBig5, 9};

}  // namespace tiermend::app
