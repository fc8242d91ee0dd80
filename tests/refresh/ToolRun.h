// Runs the tool's start-up sequence in the current working folder without a window,
// the way the main window's creation handler does, and reads tables back as edit text.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ChainHost.h"
#include "data/Connection.h"
#include "data/Rowset.h"
#include "platform/Exceptions.h"
#include "refresh/StartUpSequence.h"
#include "tests/support/FailureText.h"

namespace tiermend::testing {

using Rows = std::vector<std::vector<std::string>>;

struct ToolRun {
  std::optional<std::string> failure;  // the message of the failure that left start-up
  bool completionShown = false;        // the completion message came and the run ended
  bool buttonsDisabled = false;        // all four buttons disabled at the end
  std::vector<int> invoked;            // the button actions run, in order
  std::vector<std::pair<int, refresh::TableCounts>> tables;  // each table done, in order
};

// With StepEnd::RollBack, a check: every table rolled back at the end of its step.
// inspect, when given, looks at the target connection after the run, before it closes.
inline ToolRun runTool(const data::TextSettings& settings,
                       refresh::StepEnd end = refresh::StepEnd::Commit,
                       const std::function<void(data::Connection& target)>& inspect = {}) {
  data::Connection adoc1("ADOC1", settings), adoc2("ADOC2", settings);
  data::Rowset adoq1("ADOQ1", adoc1), adoq2("ADOQ2", adoc2);
  ChainHost host(adoq2, adoq1);
  host.end = end;
  link::LinkFields fields;
  ToolRun run;
  run.failure =
      failureTextOf<Exception>([&] { refresh::runStartUpSequence(adoc2, adoc1, host, fields); });
  run.completionShown = host.completionShown && host.runEnded;
  run.buttonsDisabled = host.allDisabled();
  run.invoked = host.invoked;
  run.tables = host.tables;
  if (inspect) inspect(adoc2);
  return run;
}

// Every row of a table, each column as edit text, through the data layer.
inline Rows editTexts(const data::TextSettings& settings, const std::string& connectionString,
                      const std::string& table) {
  data::Connection connection("C", settings);
  connection.setConnectionString(connectionString);
  data::Rowset rowset("Q", connection);
  rowset.addSql("select * from " + table);
  rowset.open();
  Rows rows;
  for (rowset.first(); !rowset.eof(); rowset.next()) {
    rows.emplace_back();
    for (int i = 0; i < rowset.fieldCount(); ++i) rows.back().push_back(rowset.field(i).asString());
  }
  return rows;
}

}  // namespace tiermend::testing
