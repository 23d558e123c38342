// The window driven as a person drives it: clicks give the focus, keys go to the focused widget.
// Each test holds the expected result and, where it differs, the wrong one it once gave.
#include "tests/gui/person.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QToolButton>

#include "app/wiring.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/canned_server.h"

namespace tiramon::desktop {
namespace {

using namespace std::chrono_literals;

class PersonTest : public GuiTest {
 protected:
  MainWindow& OpenActive(TrayMode tray = TrayMode::Enabled) {
    WriteCache(SamplePage());
    MainWindow& window = Open(true, tray);
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    return window;
  }
  void ShowTab(int index) {
    QTabWidget* tabs = Find<QTabWidget>("PageControl1");
    person::Click(tabs->tabBar(), tabs->tabBar()->tabRect(index).center());
    ASSERT_EQ(tabs->currentIndex(), index);
  }
  QString Text(const char* box) {
    window_->BuildEveryPage();
    if (auto* combo = window_->findChild<QComboBox*>(box)) return combo->currentText();
    return Find<QLineEdit>(box)->text();
  }
  QAction* MenuItem(const char* name) {
    for (QAction* action : window_->trayMenu()->actions()) {
      if (action->objectName() == name) return action;
    }
    ADD_FAILURE() << "no menu item " << name;
    return nullptr;
  }
};

TEST_F(PersonTest, EveryWiredControlIsOnTheWindow) {
  MainWindow& window = Open(false);
  window.BuildEveryPage();
  for (const Wire& wire : Wiring()) {
    const QString name = QString::fromUtf8(wire.control.data(), wire.control.size());
    EXPECT_TRUE(window.objectName() == name || window.findChild<QObject*>(name)) << wire.control;
  }
}

TEST_F(PersonTest, TypingInTheMiddleOfABoxTypesThere) {
  MainWindow& window = OpenActive();
  struct Row {
    int tab;
    const char* box;
    const char* picked;  // an item picked from the list first, or nullptr
    int caret;
    const char* typed;
    const char* expected;
    const char* fault;  // what the keys once gave
  };
  const Row rows[] = {
      {2, "ComboBox_los", nullptr, 1, "23", "12350", "12503"},
      {1, "edit_lot", "1", 0, "0.5", "0.51", "01.5"},
      {2, "ComboBox_Lot", "0.5", 0, "12", "120.5", "10.52"},
      {2, "Edit_Deposit", nullptr, 1, "50", "15000", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.box);
    ShowTab(row.tab);
    QWidget* box = Find<QWidget>(row.box);
    if (row.picked) {
      person::Pick(static_cast<QComboBox*>(box), row.picked);
    } else {
      person::Click(box);
    }
    person::Key(Qt::Key_Home);
    for (int i = 0; i < row.caret; ++i) person::Key(Qt::Key_Right);
    person::Type(row.typed);
    EXPECT_EQ(Text(row.box), row.expected);
    if (row.fault) {
      EXPECT_NE(Text(row.box), row.fault);
    }
  }
  // The assistant worked from what was typed.
  EXPECT_EQ(window.model().ComboBox_los.text, "12350");
  EXPECT_EQ(window.model().ComboBox_Lot.text, "120.5");
  EXPECT_EQ(window.model().ComboBox_Lot.itemIndex, -1);
  EXPECT_NE(Find<QLabel>("Label_Loss")->text(), "введите стоп лосс");
}

TEST_F(PersonTest, ALongTextTheProgramWroteCanBeShortenedButNotLengthened) {
  MainWindow& window = OpenActive();
  window.model().Edit_ProcLot.text = "1234.57";
  window.model().Edit_ProcLot2.text = "10.37";
  window.Render();
  ShowTab(2);
  struct Row {
    const char* box;
    Qt::Key key;
    bool atEnd;
    const char* expected;  // once the text stayed whole
  };
  const Row rows[] = {
      {"Edit_ProcLot", Qt::Key_Backspace, true, "1234.5"},
      {"Edit_ProcLot", Qt::Key_Delete, false, "234.5"},
      {"Edit_ProcLot2", Qt::Key_Backspace, true, "10.3"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.box);
    person::Click(Find<QLineEdit>(row.box));
    person::Key(row.atEnd ? Qt::Key_End : Qt::Key_Home);
    person::Key(row.key);
    EXPECT_EQ(Text(row.box), row.expected);
  }
  person::Type("9");  // "10.3" is four characters: a fifth is refused
  EXPECT_EQ(Text("Edit_ProcLot2"), "10.3");
  person::Click(Find<QLineEdit>("Edit_ProcLot"));
  person::Key(Qt::Key_End);
  person::Type("99");
  EXPECT_EQ(Text("Edit_ProcLot"), "234.5");
  EXPECT_EQ(window.model().Edit_ProcLot.text, "234.5");
}

TEST_F(PersonTest, APasteKeepsWhatTheFilterWouldLetThrough) {
  MainWindow& window = OpenActive();
  struct Row {
    int tab;
    const char* box;
    const char* start;
    const char* clipboard;
    const char* expected;
  };
  const Row rows[] = {
      {2, "Edit_Deposit", "100", "abc", "100"},  // once "100abc"
      {2, "Edit_Deposit", "100", "5.255", "1005.25"},
      {1, "edit_lot", "", "0,5 лота", "0.5"},
      {2, "Edit_ProcLot", "", "123456", "1234"},
      {2, "ComboBox_Lot", "", "0.15", "0.15"},  // no filter: the paste stays whole
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.box) + " + " + row.clipboard);
    ShowTab(row.tab);
    person::Prepare(Find<QWidget>(row.box), row.start, QString(row.start).size());
    QApplication::clipboard()->setText(row.clipboard);
    person::Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text(row.box), row.expected);
  }
  EXPECT_EQ(window.model().Edit_Deposit.text, "1005.25");
  EXPECT_EQ(window.model().ComboBox_Lot.text, "0.15");
}

// A status server that never answers, so the first show or a refresh waits in its download.
testing::CannedServer SilentServer() {
  return testing::CannedServer([](testing::CannedConnection& c) {
    if (c.ReadRequest()) c.WaitForClose(30000ms);
  });
}

TEST_F(PersonTest, QuitDuringAStalledDownloadEndsAtOnceWithoutAnErrorBox) {
  testing::CannedServer silent = SilentServer();
  WriteCache(SamplePage());
  for (const bool duringFirstShow : {true, false}) {
    SCOPED_TRACE(duringFirstShow ? "during the first show" : "during a refresh");
    errors_.clear();
    window_ = std::make_unique<MainWindow>(MakeEnvironment(), TrayMode::Enabled);
    MainWindow& window = *window_;
    if (!duringFirstShow) {
      window.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
      ASSERT_TRUE(errors_.empty());
    }
    window.model().environment.statusUrl = silent.Url("/down/news.txt");
    QElapsedTimer sinceQuit;
    QTimer::singleShot(300, [this, &sinceQuit] {
      sinceQuit.start();
      MenuItem("N3")->trigger();  // "Выход" from the tray menu
    });
    QElapsedTimer whole;
    whole.start();
    if (duringFirstShow) {
      window.show();
    } else {
      QTest::mouseClick(Find<QPushButton>("Button9"), Qt::LeftButton);
    }
    ASSERT_TRUE(sinceQuit.isValid()) << "the download never pumped the events";
    EXPECT_LT(sinceQuit.elapsed(), 1000);
    EXPECT_LT(whole.elapsed(), 5000);  // not the download's own 20 s limit
    EXPECT_TRUE(window.quitRequested());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(errors_.empty()) << errors_.front();
    EXPECT_FALSE(window.trayIcon()->isVisible());
  }
}

TEST_F(PersonTest, ATrayDoubleClickDuringTheFirstShowWaitsForIt) {
  testing::CannedServer slow([](testing::CannedConnection& c) {
    if (!c.ReadRequest()) return;
    c.Pause(600ms);
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n1\r\n");
  });
  WriteCache(SamplePage());
  Environment environment = MakeEnvironment();
  environment.statusUrl = slow.Url("/down/news.txt");
  window_ = std::make_unique<MainWindow>(std::move(environment), TrayMode::Enabled);
  MainWindow& window = *window_;
  bool clicked = false, visibleAfterClick = true, trayWhileWaiting = false;
  QTimer::singleShot(200, [&] {
    clicked = true;
    trayWhileWaiting = window.trayIcon()->isVisible();  // there to be double-clicked at all
    emit window.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    visibleAfterClick = window.isVisible();  // once mapped here, over an empty table
  });
  window.show();
  ASSERT_TRUE(clicked);
  EXPECT_TRUE(trayWhileWaiting);
  EXPECT_FALSE(visibleAfterClick);
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.model().FirstShow);
  ASSERT_NE(Find<QTableView>("ListView1"), nullptr);
  EXPECT_GT(Find<QTableView>("ListView1")->model()->rowCount(), 20);
}

TEST_F(PersonTest, TheTrayIsLookedForAtEachCloseAndMinimise) {
  struct Row {
    TrayMode atStart, atRequest;
    bool hidden, quit;
  };
  const Row rows[] = {
      {TrayMode::Disabled, TrayMode::Enabled, true, false},  // a panel came after the start
      {TrayMode::Enabled, TrayMode::Disabled, false, true},  // the panel has gone
  };
  for (const Row& row : rows) {
    MainWindow& window = Open(true, row.atStart);
    ASSERT_NE(window.trayIcon(), nullptr);  // waiting for a notification area
    window.setTrayMode(row.atRequest);
    window.close();
    EXPECT_EQ(!window.isVisible(), row.hidden || row.quit);
    EXPECT_EQ(window.quitRequested(), row.quit);
  }
  MainWindow& window = Open(true, TrayMode::Disabled);
  window.setTrayMode(TrayMode::Enabled);
  window.showMinimized();
  EXPECT_TRUE(QTest::qWaitFor([&window] { return !window.isVisible(); }));
}

TEST_F(PersonTest, CopyButtonsShowTheDesktopCopyIcon) {
  // A theme of one icon, a plain magenta square, stands for the desktop's.
  const QString themes = QString::fromStdString((folder_ / "icons").string());
  QDir().mkpath(themes + "/plain/16x16");
  QImage square(16, 16, QImage::Format_ARGB32);
  square.fill(QColor(255, 0, 255));
  ASSERT_TRUE(square.save(themes + "/plain/16x16/edit-copy.png"));
  QFile index(themes + "/plain/index.theme");
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write("[Icon Theme]\nName=plain\nDirectories=16x16\n[16x16]\nSize=16\nType=Fixed\n");
  index.close();
  const QStringList searchPaths = QIcon::themeSearchPaths();
  const QString themeName = QIcon::themeName();
  const QImage magnifier =
      QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(16).toImage();

  for (const bool themed : {true, false}) {
    SCOPED_TRACE(themed ? "with the theme" : "without one");
    QIcon::setThemeSearchPaths({themes});
    QIcon::setThemeName(themed ? "plain" : "none-such");
    Open(true);
    ShowTab(2);  // the assistant, where the copy buttons are
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4"}) {
      const QImage icon = Find<QToolButton>(name)->icon().pixmap(16).toImage();
      ASSERT_FALSE(icon.isNull()) << name;
      EXPECT_NE(icon.convertToFormat(QImage::Format_ARGB32),
                magnifier.convertToFormat(QImage::Format_ARGB32))
          << name;
      EXPECT_EQ(icon.pixelColor(8, 8) == QColor(255, 0, 255), themed) << name;
    }
  }
  QIcon::setThemeSearchPaths(searchPaths);
  QIcon::setThemeName(themeName);
}

TEST_F(PersonTest, CalculatingLeavesEachMemoAtItsTotal) {
  OpenActive();
  struct Row {
    int tab;
    const char* button;
    const char* memo;
  };
  for (const Row& row : {Row{3, "Button1", "mmo_lot"}, Row{4, "Button4", "mmo_lot2"},
                         Row{5, "Button5", "mmo_lot3"}}) {
    SCOPED_TRACE(row.memo);
    ShowTab(row.tab);
    auto* memo = Find<QPlainTextEdit>(row.memo);
    EXPECT_EQ(memo->verticalScrollBar()->value(), 0);  // the first show put it at the top
    person::Click(Find<QPushButton>(row.button));
    QApplication::processEvents();
    EXPECT_EQ(memo->textCursor().blockNumber(), memo->blockCount() - 1);
    const QRect total = memo->cursorRect(QTextCursor(memo->document()->lastBlock()));
    EXPECT_TRUE(memo->viewport()->rect().contains(total)) << "the last line is out of sight";
    // Once it showed its first lines again, wherever the total was.
    if (memo->verticalScrollBar()->maximum() > 0) {
      EXPECT_GT(memo->verticalScrollBar()->value(), 0);
    }
  }
}

}  // namespace
}  // namespace tiramon::desktop
