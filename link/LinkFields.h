// The six link fields taken from the link line, 8-bit text in the ANSI code page.
#pragma once

#include <string>

namespace tiermend::link {

struct LinkFields {
  std::string kind;  // "1": SQL Server target, "2": Access target
  std::string server;
  std::string catalog;
  std::string userName;
  std::string password;
  std::string folder;  // Access target: the folder holding basedb.mdb, with its separator
};

}  // namespace tiermend::link
