// The statements a Jet session understands: "select * from <table>",
// "select <column>, ... from <table>" and "delete from <table>" (every row), names plain
// or in [brackets], keywords in any case, with trailing blanks, line ends or a
// semicolon. Other statements that would change the file are recognised so that they
// can be refused as such.
#pragma once

#include <string>
#include <vector>

namespace tiermend::data::jet {

struct JetStatement {
  enum class Kind {
    Select,     // a simple select: table and columns are set
    DeleteAll,  // "delete [*] from <table>" without a condition: table is set
    Changing,   // insert, update, delete, select ... into, or a definition statement
  };
  Kind kind = Kind::Select;
  std::string table;
  std::vector<std::string> columns;  // empty: every column (*)
};

// Parses sql. Throws EngineError for an empty or unknown statement, and for a select
// this provider cannot run (joins, conditions, expressions).
JetStatement parseStatement(const std::string& sql);

}  // namespace tiermend::data::jet
