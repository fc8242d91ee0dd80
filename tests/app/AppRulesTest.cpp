// The text rules of the application shell: the title, the full stop of the error box,
// the clipboard text of the dialogs, the last-resort report, what a failure's notice
// says and records, and the design scaling.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "CompletionClipboardText.h"
#include "QtTestApp.h"
#include "app/AppTitle.h"
#include "app/DesignScaling.h"
#include "app/DialogText.h"
#include "app/FailureReport.h"
#include "app/FullStop.h"
#include "platform/Exceptions.h"
#include "tests/support/RecordingLog.h"

namespace tiermend::app {
namespace {

using testing::qtTestApp;
using testing::RecordingLog;

struct TitleCase {
  const char* path;
  const char* title;
};

TEST(ApplicationTitle, FollowsTheExecutableFileName) {
  const TitleCase cases[] = {
      {"/opt/setup/SETUP.EXE", "Setup"},
      {"/home/u/a.b.exe", "a"},
      {"/srv/MY.SETUP.EXE", "My"},
      {"MY.SETUP.EXE", "My"},
      {"/usr/local/bin/tiermend", "tiermend"},
      {"/usr/local/bin/TierMend", "Tiermend"},
      {"/dir.with.dots/PAYROLL", "Payroll"},
      {"/x/.hidden", ""},
      {"/x/dir/", ""},
      {"/x/9ABC.exe", "9abc"},
      {"/x/\xE8\xB3\x87\xE6\x96\x99"
       "ABC",
       "\xE8\xB3\x87\xE6\x96\x99"
       "abc"},
  };
  for (const TitleCase& c : cases) EXPECT_EQ(titleFromExecutablePath(c.path), c.title) << c.path;
}

TEST(ApplicationTitle, ExecutablePathNamesThisTestProgram) {
  const std::string path = executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_NE(path.find("app_tests"), std::string::npos) << path;
}

struct FullStopCase {
  unsigned codePage;
  const char* text;
  const char* shown;
};

TEST(ErrorBoxText, FullStopFollowsTheFirstByteOfTheLastCharacter) {
  const FullStopCase cases[] = {
      {65001, "File not found", "File not found."},
      {65001, "I/O error 32", "I/O error 32."},
      {65001, "List index out of bounds (6)", "List index out of bounds (6)"},
      {65001, "Already a sentence.", "Already a sentence."},
      {65001, "Really!", "Really!"},
      {65001, "Why?", "Why?."},
      {65001, "Reason:", "Reason:."},
      {65001, "a-", "a-"},
      {65001, "a,", "a,"},
      {65001, "a/", "a/."},
      {65001, "ends with a space ", "ends with a space "},
      {65001, "line\n", "line\n"},
      {65001, "", ""},
      {65001, "\xE6\xAA\x94\xE6\xA1\x88", "\xE6\xAA\x94\xE6\xA1\x88."},
      // Code page 950: the last character is the double-byte 案 (AE D7); its first byte
      // decides.
      {950, "\xC0\xC9\xAE\xD7", "\xC0\xC9\xAE\xD7."},
      // A double-byte character whose second byte is "@" (0x40) is still one character.
      {950, "x\xA4\x40", "x\xA4\x40."},
      {950, "done.", "done."},
      {950, "", ""},
  };
  for (const FullStopCase& c : cases) {
    EXPECT_EQ(withFullStop(c.text, CodePage(c.codePage)), c.shown)
        << "code page " << c.codePage << ": " << c.text;
  }
}

TEST(DialogText, CopiesDashLinesCaptionMessageAndButtons) {
  qtTestApp();
  const QString text = dialogClipboardText(QStringLiteral("tiermend"), QStringLiteral("更新完成."),
                                           {QStringLiteral("&OK")});
  EXPECT_EQ(text.toStdString(), testing::kCompletionClipboardText);
}

TEST(LastResortReport, FormatsKindModuleAddressAndMessage) {
  const void* address = reinterpret_cast<const void*>(0x1234);
  EXPECT_EQ(lastResortText("EOleException", "tiermend", address, "Error creating object"),
            "Exception EOleException in module tiermend at 0x1234.\r\nError creating object.\r\n");
  EXPECT_EQ(lastResortText("EAbort", "tiermend", address, "Operation aborted."),
            "Exception EAbort in module tiermend at 0x1234.\r\nOperation aborted.\r\n");
  EXPECT_EQ(lastResortText("Exception", "x", address, ""),
            "Exception Exception in module x at 0x1234.\r\n\r\n");
}

TEST(FailureDescription, NamesTheKindOfTheFailure) {
  struct Thrower {
    std::function<void()> raise;
    FailureInfo::Kind kind;
    std::string className;
    std::string message;
  };
  const Thrower throwers[] = {
      {[] { throw EAbort(); }, FailureInfo::Kind::SilentAbort, "EAbort", "Operation aborted"},
      {[] { throw EInOutError(2); }, FailureInfo::Kind::ToolFailure, "EInOutError",
       "File not found"},
      {[] { throw EStringListError(6); }, FailureInfo::Kind::ToolFailure, "EStringListError",
       "List index out of bounds (6)"},
      {[] { throw std::runtime_error("boom"); }, FailureInfo::Kind::Foreign, "std::runtime_error",
       "boom"},
      {[] { throw 42; }, FailureInfo::Kind::Foreign, "int", ""},
  };
  for (const Thrower& t : throwers) {
    FailureInfo info;
    try {
      t.raise();
    } catch (...) {
      info = describeCurrentException();
    }
    EXPECT_EQ(info.kind, t.kind) << t.className;
    EXPECT_EQ(info.className, t.className);
    EXPECT_EQ(info.message, t.message);
  }
}

// The one form of a failure's report that the window run and the console run share:
// what goes into the record, and what the user is shown.
TEST(FailureNotice, RecordsTheFailureAndFormsWhatTheUserIsShown) {
  using Form = FailureNotice::Form;
  struct NoticeCase {
    const char* what;
    std::function<void()> raise;
    Form form;
    std::string textStart;  // the whole text, or for a last-resort report its first line
    std::string recorded;
  };
  const NoticeCase cases[] = {
      {"a silent abort", [] { throw EAbort(); }, Form::Nothing, "", "stopped by a silent abort"},
      {"the tool's failure", [] { throw EInOutError(2); }, Form::ToolMessage, "File not found.",
       "failed: File not found"},
      {"a message that ends in a full stop", [] { throw EDatabaseError("Done."); },
       Form::ToolMessage, "Done.", "failed: Done."},
      {"a foreign failure", [] { throw std::runtime_error("boom"); }, Form::LastResort,
       "Exception std::runtime_error in module ", "failed: boom"},
  };
  for (const NoticeCase& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingLog log;
    refresh::RunRecord record(log, CodePage(CodePage::kUtf8));
    FailureNotice notice;
    try {
      c.raise();
    } catch (...) {
      notice = recordCurrentFailure(record, CodePage(CodePage::kUtf8));
    }
    EXPECT_EQ(notice.form, c.form);
    if (c.form == Form::LastResort) {
      EXPECT_EQ(notice.text.substr(0, c.textStart.size()), c.textStart);
      EXPECT_TRUE(notice.text.ends_with("\r\nboom.\r\n")) << notice.text;
    } else {
      EXPECT_EQ(notice.text, c.textStart);
    }
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].first, LogSink::Level::Error);
    EXPECT_EQ(log.lines[0].second, c.recorded);
  }
}

TEST(DesignScaling, MulDivRoundsHalvesAwayFromZero) {
  EXPECT_EQ(mulDiv(703, 26, 13), 1406);
  EXPECT_EQ(mulDiv(5, 1, 2), 3);
  EXPECT_EQ(mulDiv(-5, 1, 2), -3);
  EXPECT_EQ(mulDiv(7, 4, 8), 4);   // 3.5
  EXPECT_EQ(mulDiv(13, 4, 8), 7);  // 6.5
  EXPECT_EQ(mulDiv(50, 6, 4), 75);
  EXPECT_EQ(mulDiv(2000000000, 3, 4), 1500000000);
}

TEST(DesignScaling, ScalesByEdgesSoThatControlsStillMeet) {
  // Button1 and Button2 are 10 pixels apart; scaling the edges keeps their layout.
  EXPECT_EQ(scaleRect(QRect(96, 90, 120, 50), 14), QRect(103, 97, 130, 54));
  EXPECT_EQ(scaleRect(QRect(226, 90, 120, 50), 14), QRect(243, 97, 130, 54));
  EXPECT_EQ(scaleRect(QRect(96, 90, 120, 50), 13), QRect(96, 90, 120, 50));
  EXPECT_EQ(scaleRect(QRect(92, 15, 253, 33), 16), QRect(113, 18, 312, 41));
}

}  // namespace
}  // namespace tiermend::app
