// What Ctrl+C puts on the clipboard for the completion dialog of a program named
// tiermend: the text the dialog-text rule forms and the dialog itself copies.
#pragma once

namespace tiermend::testing {

inline constexpr const char* kCompletionClipboardText =
    "---------------------------\r\n"
    "tiermend\r\n"
    "---------------------------\r\n"
    "更新完成.\r\n"
    "---------------------------\r\n"
    "OK   \r\n"
    "---------------------------\r\n";

}  // namespace tiermend::testing
