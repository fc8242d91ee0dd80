// The rules of the application shell that both platforms share, tested without a
// display: the title, the full stop of the error box, the clipboard text of the
// dialogs, the last-resort report, what a failure's notice says and records, the
// design scaling and the message dialog's layout.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>

#include "CompletionClipboardText.h"
#include "app/AppTitle.h"
#include "app/DesignScaling.h"
#include "app/DialogText.h"
#include "app/FailureReport.h"
#include "app/FullStop.h"
#include "app/MessageDialogLayout.h"
#include "platform/Exceptions.h"
#include "platform/Process.h"
#include "tests/support/RecordingLog.h"

namespace tiermend::app {
namespace {

using testing::RecordingLog;

struct TitleCase {
  unsigned codePage;
  const char* path;
  const char* title;
};

// The separators of this system's paths: "/" everywhere, "\\" on Windows too.
#ifdef _WIN32
#define SEP "\\"
#else
#define SEP "/"
#endif

TEST(ApplicationTitle, FollowsTheExecutableFileName) {
  const TitleCase cases[] = {
      {65001, SEP "opt" SEP "setup" SEP "SETUP.EXE", "Setup"},
      {65001, SEP "home" SEP "u" SEP "a.b.exe", "a"},
      {65001, SEP "srv" SEP "MY.SETUP.EXE", "My"},
      {65001, "MY.SETUP.EXE", "My"},
      {65001, SEP "usr" SEP "local" SEP "bin" SEP "tiermend", "tiermend"},
      {65001, SEP "usr" SEP "local" SEP "bin" SEP "TierMend", "Tiermend"},
      {65001, SEP "dir.with.dots" SEP "PAYROLL", "Payroll"},
      {65001, SEP "x" SEP ".hidden", ""},
      {65001, SEP "x" SEP "dir" SEP, ""},
      {65001, SEP "x" SEP "9ABC.exe", "9abc"},
      {65001,
       SEP "x" SEP "\xE8\xB3\x87\xE6\x96\x99"
           "ABC",
       "\xE8\xB3\x87\xE6\x96\x99"
       "abc"},
      // Code page 950: 許 is B3 5C, its second byte a "\\"; 乙 is A4 41, its second byte
      // an "A". Neither byte is a separator or a letter of its own.
      {950, "C:" SEP "\xB3\x5C" SEP "PAY\xB3\x5C.EXE", "Pay\xB3\x5C"},
      {950,
       "C:" SEP "X" SEP "\xB3\x5C"
       "TIERMEND.EXE",
       "\xB3\x5C"
       "tiermend"},
      {950,
       "C:" SEP "X" SEP "A\xA4\x41"
       "B.EXE",
       "A\xA4\x41"
       "b"},
      {950, "C:" SEP "X" SEP "\xA4\x41.EXE", "\xA4\x41"},
      // 1252: one byte a character; accented letters keep their case.
      {1252,
       "C:" SEP "X" SEP "\xC9"
       "COLE.EXE",
       "\xC9"
       "cole"},
  };
  for (const TitleCase& c : cases) {
    EXPECT_EQ(titleFromExecutablePath(c.path, CodePage(c.codePage)), c.title) << c.path;
  }
}

TEST(ApplicationTitle, ExecutablePathNamesThisTestProgram) {
  const std::string path = executablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.find("shell_rules_tests"), std::string::npos) << path;
  EXPECT_EQ(titleFromExecutablePath(path, CodePage::fromProcessLocale()), "shell_rules_tests");
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
  EXPECT_EQ(dialogClipboardText("tiermend", "更新完成.", {"&OK"}),
            testing::kCompletionClipboardText);
  // Code page 950 bytes pass through as they are; every button is followed by three spaces.
  EXPECT_EQ(dialogClipboardText("t", "\xA7\xF3\xB7\x73", {"&Yes", "N&o"}),
            "---------------------------\r\nt\r\n---------------------------\r\n"
            "\xA7\xF3\xB7\x73\r\n---------------------------\r\nYes   No   \r\n"
            "---------------------------\r\n");
}

TEST(LastResortReport, FormatsKindModuleAddressAndMessage) {
  const void* address = reinterpret_cast<const void*>(0x1234);
  // The address as the C library prints a pointer ("0x1234" with glibc, zero-padded
  // hexadecimal with Windows's).
  char printed[32];
  std::snprintf(printed, sizeof printed, "%p", address);
  const std::string at = std::string(" at ") + printed + ".\r\n";
  EXPECT_EQ(lastResortText("EOleException", "tiermend", address, "Error creating object"),
            "Exception EOleException in module tiermend" + at + "Error creating object.\r\n");
  EXPECT_EQ(lastResortText("EAbort", "tiermend", address, "Operation aborted."),
            "Exception EAbort in module tiermend" + at + "Operation aborted.\r\n");
  EXPECT_EQ(lastResortText("Exception", "x", address, ""),
            "Exception Exception in module x" + at + "\r\n");
  EXPECT_NE(std::string(printed).find("1234"), std::string::npos) << printed;
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
  struct ScaleCase {
    Rect designed;
    int textHeight;
    Rect scaled;
  };
  const ScaleCase cases[] = {
      // Button1 and Button2 are 10 pixels apart; scaling the edges keeps their layout.
      {{96, 90, 120, 50}, 14, {103, 97, 130, 54}},
      {{226, 90, 120, 50}, 14, {243, 97, 130, 54}},
      {{96, 90, 120, 50}, 13, {96, 90, 120, 50}},
      {{92, 15, 253, 33}, 16, {113, 18, 312, 41}},
      // 120 % (text height 16 at 120 pixels per inch): the width follows the edges,
      // 96 * 16 / 13 = 118.15 and 216 * 16 / 13 = 265.8, so 148, not 120 * 16 / 13 = 147.7.
      {{96, 90, 120, 50}, 16, {118, 111, 148, 61}},
      // A smaller text shrinks it.
      {{496, 90, 120, 50}, 11, {420, 76, 101, 42}},
  };
  for (const ScaleCase& c : cases) {
    EXPECT_EQ(scaleRect(c.designed, c.textHeight), c.scaled) << c.textHeight;
  }
}

TEST(MessageDialogLayout, MeasuresInAverageCharacterWidthAndTextHeight) {
  struct LayoutCase {
    const char* what;
    int alphabetWidth, alphabetHeight, textWidth, textHeight, captionWidth;
    int margins[2], spacing[2];
    Rect button;
    int client[2];
  };
  const LayoutCase cases[] = {
      // X = 6, Y = 13: margins 12 and 13, spacing 15 and 16 (16.25), button 75 by 23
      // (22.75); the short text is narrower than the button.
      {"short text", 339, 13, 60, 13, 15, {12, 13}, {15, 16}, {12, 42, 75, 23}, {99, 78}},
      // The text is wider than the button: the button is centred under it.
      {"wide text", 339, 13, 200, 26, 15, {12, 13}, {15, 16}, {74, 55, 75, 23}, {224, 91}},
      // X = 7 (the width divided by 52 is rounded down): 14 and 17.5, which rounds to 18.
      {"halves round up", 415, 16, 50, 16, 15, {14, 16}, {18, 20}, {14, 52, 88, 28}, {116, 96}},
      // A caption wider than 50 X / 4 widens the button to its width plus 8.
      {"wide caption", 339, 13, 60, 13, 90, {12, 13}, {15, 16}, {12, 42, 98, 23}, {122, 78}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.what);
    const MessageDialogLayout m = layOutMessageDialog(c.alphabetWidth, c.alphabetHeight,
                                                      c.textWidth, c.textHeight, c.captionWidth);
    EXPECT_EQ(m.horizontalMargin, c.margins[0]);
    EXPECT_EQ(m.verticalMargin, c.margins[1]);
    EXPECT_EQ(m.horizontalSpacing, c.spacing[0]);
    EXPECT_EQ(m.verticalSpacing, c.spacing[1]);
    EXPECT_EQ(m.text, (Rect{c.margins[0], c.margins[1], c.textWidth, c.textHeight}));
    EXPECT_EQ(m.button, c.button);
    EXPECT_EQ(m.clientWidth, c.client[0]);
    EXPECT_EQ(m.clientHeight, c.client[1]);
  }
}

}  // namespace
}  // namespace tiermend::app
