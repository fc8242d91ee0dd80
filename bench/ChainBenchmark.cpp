// Times the whole refresh chain, as the tool runs it at start-up, in the current
// working folder (which holds Link.txt, tiermenddb.mdb and the target). Prints the
// seconds taken and the peak resident memory. TIERMEND_BENCH_ROWS_PER_BATCH, read here
// only (the tool itself keeps its constant), sets the rows per parameter array that
// ODBC targets receive, to weigh other sizes.
#include <sys/resource.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/Connection.h"
#include "data/Rowset.h"
#include "data/providers/odbc/OdbcProvider.h"
#include "link/LinkFields.h"
#include "platform/Exceptions.h"
#include "refresh/RefreshStep.h"
#include "refresh/StartUpSequence.h"

namespace {

using namespace tiermend;

// Runs each button's step directly and ends without a dialog.
class BenchHost : public refresh::RefreshHost {
 public:
  BenchHost(data::Rowset& target, data::Rowset& source) : target_(target), source_(source) {}
  void setButtonEnabled(int, bool) override {}
  void invokeButtonAction(int index) override {
    refresh::runRefreshStep(index, target_, source_, *this);
  }
  void showCompletionMessage() override { completed = true; }
  void endRun() override {}
  void tableDone(int, const refresh::TableCounts&) override {}
  bool completed = false;

 private:
  data::Rowset& target_;
  data::Rowset& source_;
};

}  // namespace

int main() {
  std::setlocale(LC_ALL, "");
  if (const char* rows = std::getenv("TIERMEND_BENCH_ROWS_PER_BATCH"))
    data::odbc::setRowsPerBatch(std::strtoul(rows, nullptr, 10));
  const data::TextSettings settings{CodePage::fromProcessLocale(),
                                    RegionalSettings::fromProcessLocale()};
  data::Connection adoc1("ADOC1", settings), adoc2("ADOC2", settings);
  data::Rowset adoq1("ADOQ1", adoc1), adoq2("ADOQ2", adoc2);
  BenchHost host(adoq2, adoq1);
  link::LinkFields fields;
  const auto start = std::chrono::steady_clock::now();
  try {
    refresh::runStartUpSequence(adoc2, adoc1, host, fields);
  } catch (const Exception& e) {
    std::fprintf(stderr, "refresh failed: %s\n", e.message().c_str());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("chain: %.3f s, peak memory %.1f MB, rows per batch %zu, completed %s\n", seconds,
              static_cast<double>(usage.ru_maxrss) / 1024.0, data::odbc::rowsPerBatch(),
              host.completed ? "yes" : "no");
  return host.completed ? 0 : 1;
}
