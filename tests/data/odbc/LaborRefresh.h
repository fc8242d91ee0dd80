// What a refresh does to a server's table labor (grade, note) in one transaction, for the
// tests of tables another session holds locked: read it, empty it, write one new row
// ("new"), commit; on a failure the transaction is rolled back and the failure passes on.
#pragma once

#include <cstdint>
#include <string>

#include "data/Provider.h"

namespace tiermend::testing {

inline void replaceLaborRows(data::Session& session) {
  session.beginTransaction();
  try {
    session.query("select * from labor");
    session.execute("delete from labor");
    session.insert("labor", {"grade", "note"},
                   {data::Value{std::int64_t{2}}, data::Value{std::string("new")}});
    session.commit();
  } catch (...) {
    session.rollback();
    throw;
  }
}

}  // namespace tiermend::testing
