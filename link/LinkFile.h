// Reading the link file "./Link.txt": open, read the first line, divide it, take the
// fields from pieces 0, 1, 2, 3, 4 and 6, close. Failures: EInOutError right after the
// operation that failed, EStringListError for the first piece the line does not reach.
#pragma once

#include <string>

#include "link/LinkFields.h"
#include "platform/CodePage.h"

namespace tiermend::link {

inline constexpr const char* kLinkFilePath = "./Link.txt";

LinkFields readLinkFile(const CodePage& codePage, const std::string& path = kLinkFilePath);

}  // namespace tiermend::link
