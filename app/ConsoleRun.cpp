// The console run: the start-up sequence and the refresh steps without a window, their
// outcome and a check's table counts printed on standard output or standard error.
#include "app/ConsoleRun.h"

#include "app/CompletionMessage.h"
#include "app/FailureReport.h"
#include "platform/Interruption.h"
#include "refresh/BracketTables.h"
#include "refresh/RefreshStep.h"
#include "refresh/StartUpSequence.h"

namespace tiermend::app {
namespace {

refresh::RunRecord::Kind recordKind(ConsoleRun::Mode mode) {
  return mode == ConsoleRun::Mode::Check ? refresh::RunRecord::Kind::Check
                                         : refresh::RunRecord::Kind::Refresh;
}

// The report's lines end in CR LF, as the box gets them; a terminal wants LF alone.
std::string withLineFeeds(const std::string& text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i];
  }
  while (!lines.empty() && lines.back() == '\n') lines.pop_back();
  return lines;
}

// "→" in the code page, or "->" where the code page has no arrow.
std::string arrow(const CodePage& codePage) {
  const std::string converted = codePage.fromUtf8("→");
  return converted == "?" ? "->" : converted;
}

// One line, written at once: the next line may come from much later.
void printLine(std::ostream& stream, const std::string& text) {
  stream << text << '\n';
  stream.flush();
}

}  // namespace

ConsoleRun::ConsoleRun(Mode mode, const data::TextSettings& settings, LogSink& log,
                       std::ostream& out, std::ostream& err)
    : mode_(mode),
      settings_(settings),
      record_(log, settings.codePage, recordKind(mode)),
      out_(out),
      err_(err),
      ADOC1("ADOC1", settings),
      ADOC2("ADOC2", settings),
      ADOQ1("ADOQ1", ADOC1),
      ADOQ2("ADOQ2", ADOC2) {}

int ConsoleRun::run() {
  record_.started();
  try {
    refresh::runStartUpSequence(ADOC2, ADOC1, *this, linkFields_);
  } catch (const EInterrupted& stop) {
    // Reported as any failure, ending as a process stopped by the signal ends.
    reportCurrentFailure();
    return interruptedExitStatus(stop.signal());
  } catch (...) {
    reportCurrentFailure();
    return 1;
  }
  return completed_ ? 0 : 1;
}

void ConsoleRun::invokeButtonAction(int index) {
  const refresh::StepEnd end =
      mode_ == Mode::Check ? refresh::StepEnd::RollBack : refresh::StepEnd::Commit;
  refresh::runRefreshStep(index, ADOQ2, ADOQ1, *this, end);
}

void ConsoleRun::showCompletionMessage() {
  record_.completed();
  // A check has printed its tables; it completes without claiming an update.
  if (mode_ == Mode::Check) return;
  // The message is held in code page 950 and shown in the locale's encoding.
  printLine(out_, settings_.codePage.fromUtf8(CodePage(950).toUtf8(kCompletionMessage)));
}

void ConsoleRun::tableDone(int index, const refresh::TableCounts& counts) {
  record_.tableDone(index, counts);
  if (mode_ != Mode::Check) return;
  const refresh::BracketTable& table = refresh::kBracketTables.at(static_cast<size_t>(index));
  printLine(out_, std::string(table.table) + ": " + refresh::rowCountText(counts.replaced) + " " +
                      arrow(settings_.codePage) + " " + std::to_string(counts.written));
}

// What the window run shows in its error box (or, for a silent abort, does not show)
// goes to standard error.
void ConsoleRun::reportCurrentFailure() {
  const FailureNotice notice = recordCurrentFailure(record_, settings_.codePage);
  if (notice.form == FailureNotice::Form::ToolMessage) printLine(err_, notice.text);
  if (notice.form == FailureNotice::Form::LastResort) printLine(err_, withLineFeeds(notice.text));
}

}  // namespace tiermend::app
