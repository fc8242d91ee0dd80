// How long the tool waits for a table or database file that another program holds
// locked, and the messages that say it gave up. Every provider waits this long at
// most, so that a lock held for good ends in a message instead of a frozen window.
#pragma once

#include <string>

namespace tiermend::data {

inline constexpr int kLockWaitSeconds = 30;

// "The table 'labor' is in use by another program ..."
std::string tableInUseMessage(const std::string& table);

// "The database file '/srv/payroll/basedb.mdb' is in use by another program ..."
std::string fileInUseMessage(const std::string& path);

// "The database file '...' is full ...": the disk or the file's size limit is reached.
std::string fileFullMessage(const std::string& path);

}  // namespace tiermend::data
