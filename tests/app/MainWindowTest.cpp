// The main window: its design (geometry, captions, fonts, tab order, enabled states,
// hidden grids), its scaling, the button action, and its creation handler.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "QtTestApp.h"
#include "RecordingShell.h"
#include "app/qt/Tiermend1.h"
#include "platform/Exceptions.h"
#include "tests/data/sqlite/SqliteTestFiles.h"
#include "tests/support/FailureText.h"
#include "tests/support/WorkingFolder.h"

namespace tiermend::app {
namespace {

namespace fs = std::filesystem;
using testing::bracketTablesSql;
using testing::failureTextOf;
using testing::qtTestApp;
using testing::RecordingShell;
using testing::SqliteFile;
using testing::WithQtApp;

data::TextSettings settingsFor(unsigned codePage) {
  return {CodePage(codePage), RegionalSettings{}};
}

class MainWindow : public ::testing::Test, public WithQtApp {
 protected:
  RecordingShell shell;
  TTiermendFm1 window{shell, settingsFor(65001)};
};

TEST_F(MainWindow, WindowFontMeasuresTheDesignTextHeight) {
  // With the standard 11-pixel sans-serif the window needs no scaling; the geometry
  // checks below rely on it.
  EXPECT_EQ(QFontMetrics(window.font()).height(), 13);
}

TEST_F(MainWindow, StandsAtItsDesignedPlaceAndSize) {
  EXPECT_EQ(window.pos(), QPoint(218, 152));
  EXPECT_EQ(window.size(), QSize(703, 398));
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.Label9.geometry(), QRect(92, 15, 253, 33));
  EXPECT_EQ(window.Button1.geometry(), QRect(96, 90, 120, 50));
  EXPECT_EQ(window.Button2.geometry(), QRect(226, 90, 120, 50));
  EXPECT_EQ(window.Button3.geometry(), QRect(356, 90, 120, 50));
  EXPECT_EQ(window.Button4.geometry(), QRect(496, 90, 120, 50));
  EXPECT_EQ(window.DBGrid1.geometry(), QRect(96, 200, 529, 81));
  EXPECT_EQ(window.DBGrid2.geometry(), QRect(96, 288, 529, 73));
}

TEST_F(MainWindow, ShowsItsCaptionsOnAUtf8Desktop) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("資料更新"));
  EXPECT_EQ(window.Label9.text(), QStringLiteral("薪資級距資料更新"));
  EXPECT_EQ(window.Button1.text(), QStringLiteral("健保級距"));
  EXPECT_EQ(window.Button2.text(), QStringLiteral("勞保級距"));
  EXPECT_EQ(window.Button3.text(), QStringLiteral("所得稅級距"));
  EXPECT_EQ(window.Button4.text(), QStringLiteral("勞退級距"));
}

TEST(MainWindowCaptions, PassThroughTheAnsiCodePage) {
  qtTestApp();
  RecordingShell shell;
  TTiermendFm1 big5(shell, settingsFor(950));
  EXPECT_EQ(big5.windowTitle(), QStringLiteral("資料更新"));
  EXPECT_EQ(big5.Button3.text(), QStringLiteral("所得稅級距"));
  TTiermendFm1 western(shell, settingsFor(1252));
  EXPECT_EQ(western.windowTitle(), QStringLiteral("????"));
  EXPECT_EQ(western.Label9.text(), QStringLiteral("????????"));
  EXPECT_EQ(western.Button3.text(), QStringLiteral("?????"));
}

TEST_F(MainWindow, AsksForTheDesignedFontsAndColours) {
  EXPECT_EQ(window.font().family(), QStringLiteral("Sans Serif"));
  EXPECT_EQ(window.font().pixelSize(), 11);
  EXPECT_FALSE(window.font().bold());

  const QFont label = window.Label9.font();
  EXPECT_EQ(label.family(), QStringLiteral("AR PL UKai TW"));
  EXPECT_EQ(label.pixelSize(), 27);
  EXPECT_TRUE(label.bold());
  EXPECT_EQ(QFontInfo(label).family(), QStringLiteral("AR PL UKai TW"));
  EXPECT_EQ(window.Label9.palette().color(QPalette::WindowText), QColor(0, 0, 128));

  for (int i = 0; i < 4; ++i) {
    const QFont font = window.button(i).font();
    EXPECT_EQ(font.family(), QStringLiteral("AR PL UMing TW")) << i;
    EXPECT_EQ(font.pixelSize(), 16) << i;
    EXPECT_FALSE(font.bold()) << i;
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("AR PL UMing TW")) << i;
  }
  EXPECT_EQ(window.DBGrid1.horizontalHeader()->font().pixelSize(), 11);
  EXPECT_EQ(window.palette().color(QPalette::Window), window.palette().color(QPalette::Button));
}

TEST_F(MainWindow, TabOrderRunsThroughTheButtonsAndSkipsTheHiddenGrids) {
  // The grids bring their own scroll bars and headers into the chain; only the named
  // controls count here.
  const std::vector<QWidget*> named = {&window.Button1, &window.Button2, &window.Button3,
                                       &window.DBGrid1, &window.DBGrid2, &window.Button4};
  std::vector<QWidget*> order;
  QWidget* widget = &window.Button1;
  do {
    if (std::find(named.begin(), named.end(), widget) != named.end()) order.push_back(widget);
    widget = widget->nextInFocusChain();
  } while (widget != &window.Button1);
  EXPECT_EQ(order, named);

  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  window.Button1.setFocus();
  const QWidget* expected[] = {&window.Button2, &window.Button3, &window.Button4, &window.Button1};
  for (const QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
}

TEST_F(MainWindow, StartsWithEnabledButtonsHiddenGridsAndClosedComponents) {
  window.show();
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(window.button(i).isEnabled()) << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(window.button(i).ModalResult, mrNone) << i;
  EXPECT_TRUE(window.Label9.isVisible());
  EXPECT_TRUE(window.Button4.isVisible());
  for (const DBGrid* grid : {&window.DBGrid1, &window.DBGrid2}) {
    EXPECT_FALSE(grid->isVisible());
    EXPECT_EQ(grid->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(grid->model(), nullptr);
    EXPECT_EQ(grid->imeName(), QStringLiteral("中文 (繁體) - 新注音"));
  }
  EXPECT_EQ(window.DBGrid1.dataSource()->DataSet, &window.ADOQ1);
  EXPECT_EQ(window.DBGrid2.dataSource()->DataSet, &window.ADOQ2);
  EXPECT_EQ(&window.ADOQ1.connection(), &window.ADOC1);
  EXPECT_EQ(&window.ADOQ2.connection(), &window.ADOC2);
  EXPECT_FALSE(window.ADOC1.connected());
  EXPECT_FALSE(window.ADOC2.connected());
  EXPECT_FALSE(window.ADOQ1.active());
  EXPECT_EQ(window.ADOQ1.sqlText(), "select * from health_insu\r\n");
  EXPECT_EQ(window.ADOQ2.sqlText(), "select * from health_insu\r\n");
  EXPECT_EQ(window.ADOC2.connectionString(), kPresetTargetConnectionString);
}

TEST_F(MainWindow, ScalesGeometryAndOwnFontsByTheTextHeight) {
  window.scaleToDisplay(26);
  EXPECT_EQ(window.size(), QSize(1406, 796));
  EXPECT_EQ(window.Label9.geometry(), QRect(184, 30, 506, 66));
  EXPECT_EQ(window.Button4.geometry(), QRect(992, 180, 240, 100));
  EXPECT_EQ(window.DBGrid2.geometry(), QRect(192, 576, 1058, 146));
  EXPECT_EQ(window.Label9.font().pixelSize(), 54);
  EXPECT_EQ(window.Button2.font().pixelSize(), 32);
  EXPECT_EQ(window.font().pixelSize(), 11);  // the window's own font is what was measured
}

TEST_F(MainWindow, ButtonActionCopiesTheModalResultAndIgnoresTheEnabledState) {
  int clicks = 0;
  window.Button2.OnClick = [&clicks] { ++clicks; };
  window.Button2.ModalResult = mrCancel;
  window.Button2.setEnabled(false);
  window.buttonAction(window.Button2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(window.ModalResult, mrCancel);
}

TEST_F(MainWindow, DisabledButton1StillRunsItsRefreshStep) {
  window.Button1.setEnabled(false);
  // The preset connection strings name a file that does not exist: the step runs,
  // disables the buttons and fails opening the target.
  const auto failure = failureTextOf<Exception>([&] { window.invokeButtonAction(0); });
  ASSERT_TRUE(failure) << "the refresh step did not fail";
  EXPECT_NE(failure->find("/nonexistent/tiermend/basedb.mdb"), std::string::npos) << *failure;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(window.button(i).isEnabled()) << i;
}

TEST_F(MainWindow, UserClickReportsTheFailureAndDisabledButtonsIgnoreClicks) {
  window.show();
  QTest::mouseClick(&window.Button3, Qt::LeftButton);
  ASSERT_EQ(shell.reported.size(), 1u);
  EXPECT_EQ(shell.reported[0].kind, FailureInfo::Kind::ToolFailure);
  EXPECT_NE(shell.reported[0].message.find("basedb.mdb"), std::string::npos);
  EXPECT_EQ(shell.completionMessages, 0);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(window.button(i).isEnabled()) << i;

  QTest::mouseClick(&window.Button3, Qt::LeftButton);
  EXPECT_EQ(shell.reported.size(), 1u);
}

TEST_F(MainWindow, ClosingTheWindowEndsTheRun) {
  window.show();
  EXPECT_EQ(shell.endRuns, 0);
  window.close();
  EXPECT_EQ(shell.endRuns, 1);
}

// Creation handler runs in a temporary working folder.
class CreationHandler : public ::testing::Test, public WithQtApp {
 protected:
  std::string target() const { return (dir_ / "basedb.mdb").string(); }
  int count(const std::string& table) {
    return std::stoi(SqliteFile(target()).value("select count(*) from " + table));
  }

  ::tiermend::testing::WorkingFolder folder_;
  fs::path dir_ = folder_.path();
  RecordingShell shell;
};

TEST_F(CreationHandler, MissingLinkFileStopsBeforeAnyConnection) {
  TTiermendFm1 window(shell, settingsFor(65001));
  EXPECT_EQ(failureTextOf<EInOutError>([&] { window.FormCreate(); }), "File not found");
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(window.button(i).isEnabled()) << i;
  EXPECT_EQ(window.ADOC2.connectionString(), kPresetTargetConnectionString);
  EXPECT_EQ(window.ADOC1.connectionString(), kPresetSourceConnectionString);
  EXPECT_FALSE(window.ADOC1.connected());
  EXPECT_FALSE(window.ADOC2.connected());
}

TEST_F(CreationHandler, RunsTheWholeChainAndEndsTheRun) {
  fs::copy_file(fs::path(TIERMEND_FIXTURES) / "tiermenddb.mdb", dir_ / "tiermenddb.mdb");
  SqliteFile(target()).exec(bracketTablesSql() + "INSERT INTO retire VALUES (1, 1, 1, 2, 2);");
  std::ofstream(dir_ / "Link.txt") << "2,x,x,x,x,x," << dir_.string() << "/,\r\n";

  TTiermendFm1 window(shell, settingsFor(65001));
  window.FormCreate();
  EXPECT_TRUE(shell.reported.empty());
  EXPECT_EQ(shell.completionMessages, 1);
  EXPECT_EQ(shell.endRuns, 1);
  EXPECT_EQ(count("health_insu"), 50);
  EXPECT_EQ(count("labor"), 38);
  EXPECT_EQ(count("incom_rep"), 151);
  EXPECT_EQ(count("retire"), 62);
  // Each step hands its counts to the shell for the run's record, in chain order.
  using Counts = refresh::TableCounts;
  EXPECT_EQ(shell.tables,
            (std::vector<std::pair<int, Counts>>{
                {0, Counts{0, 50}}, {1, Counts{0, 38}}, {2, Counts{0, 151}}, {3, Counts{1, 62}}}));
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(window.button(i).isEnabled()) << i;
  EXPECT_TRUE(window.linkFields().password.empty());
}

}  // namespace
}  // namespace tiermend::app
