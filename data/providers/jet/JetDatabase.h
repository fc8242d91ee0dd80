// One open Jet file, shared by a session and the cursors it has handed out (a cursor
// may outlive its session). libmdb keeps the current page in the handle, so the
// database remembers which cursor's page is loaded there; a cursor whose page was
// replaced by other work loads it again before reading on.
#pragma once

#include <memory>
#include <string>

#include "data/providers/jet/JetHandles.h"
#include "data/providers/jet/JetHeader.h"

namespace tiermend::data::jet {

// True when two object or column names are the same for Jet, which ignores case.
bool sameJetName(const std::string& a, const char* b);

struct JetDatabase {
  MdbHandlePtr handle;
  JetHeader header;
  std::string path;                 // the file as it was opened, for messages
  const void* pageOwner = nullptr;  // the cursor whose data page is in handle->pg_buf

  // Opens path read-only after checking its header; checks the database password.
  static std::shared_ptr<JetDatabase> open(const std::string& path, const std::string& password);

  // Text stored by a Jet 3 file, decoded to UTF-8 with the code page libmdb uses for it.
  std::string decodeJet3Text(const std::uint8_t* data, std::size_t length) const;

  // The definition of the user or system table named name (compared as Jet does,
  // without regard to case), with its columns read. Throws EngineError in Jet's words
  // when there is no such table.
  MdbTableDefPtr openTable(const std::string& name);
};

}  // namespace tiermend::data::jet
