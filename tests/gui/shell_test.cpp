// Life in the tray: close and minimise hide the window, the tray toggles it, values survive,
// "Выход" ends the event loop, and without a tray the window can never become unreachable.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QToolButton>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"

namespace tiramon::desktop {
namespace {

QAction* MenuAction(MainWindow& window, const char* name) {
  for (QAction* action : window.trayMenu()->actions()) {
    if (action->objectName() == name) return action;
  }
  ADD_FAILURE() << "no menu item " << name;
  return nullptr;
}

TEST_F(GuiTest, TrayMenuHasItsItemsInOrder) {
  MainWindow& window = Open(false);
  QStringList captions;
  for (QAction* action : window.trayMenu()->actions()) {
    captions << (action->isSeparator() ? QString("-") : action->text());
  }
  EXPECT_EQ(captions, (QStringList{"Скопировать тэйк профит", "Скопировать стоп лосс",
                                   "Скопировать лот", "-", "Развернуть", "-", "Выход"}));
  ASSERT_NE(window.trayIcon(), nullptr);
  EXPECT_EQ(window.trayIcon()->contextMenu(), window.trayMenu());
  EXPECT_TRUE(window.trayIcon()->toolTip().isEmpty());
  EXPECT_FALSE(window.trayIcon()->icon().isNull());
}

TEST_F(GuiTest, CloseHidesToTheTrayAndValuesSurvive) {
  MainWindow& window = Open();
  window.model().Edit_Deposit.text = "250";
  window.Render();
  EXPECT_FALSE(window.close());  // refused
  EXPECT_FALSE(window.isVisible());
  MenuAction(window, "N6")->trigger();  // "Развернуть"
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(Find<QLineEdit>("Edit_Deposit")->text(), "250");
  // Shown again: the first-show sequence does not run twice once it has finished.
}

TEST_F(GuiTest, RestoreToggleHidesAVisibleWindowAndCaptionStays) {
  MainWindow& window = Open();
  QAction* restore = MenuAction(window, "N6");
  restore->trigger();
  EXPECT_FALSE(window.isVisible());
  restore->trigger();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(restore->text(), "Развернуть");
  window.trayIcon()->activated(QSystemTrayIcon::Trigger);  // a single click does nothing
  EXPECT_TRUE(window.isVisible());
  window.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(GuiTest, MinimiseSendsTheWindowToTheTray) {
  MainWindow& window = Open();
  window.showMinimized();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }));
  window.model().N6Click();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.isMinimized());
}

TEST_F(GuiTest, ExitEndsTheEventLoopWithCodeZero) {
  MainWindow& window = Open();
  QTimer::singleShot(0, [&window] { MenuAction(window, "N3")->trigger(); });
  EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(GuiTest, WithoutATrayCloseEndsTheProgram) {
  MainWindow& window = Open(true, TrayMode::Disabled);
  EXPECT_FALSE(window.trayActive());
  QTimer::singleShot(0, [&window] { window.close(); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(GuiTest, WithoutATrayMinimiseStaysOnTheTaskbar) {
  MainWindow& window = Open(true, TrayMode::Disabled);
  window.showMinimized();
  QTest::qWait(20);
  EXPECT_TRUE(window.isVisible());
}

TEST_F(GuiTest, CopyCommandsPutTheirBoxOnTheClipboard) {
  MainWindow& window = Open();
  TForm1& model = window.model();
  model.Edit_Loss.text = "1.09850";
  model.Edit_Teik.text = "1.10500";
  model.Edit_ProcLot.text = "0.41";
  model.Edit_ProcLot2.text = "";
  window.Render();
  struct Case {
    const char* control;
    const char* expected;
  };
  for (const Case& c : {Case{"SpeedButton3", "1.09850"}, Case{"SpeedButton2", "1.10500"},
                        Case{"SpeedButton1", "0.41"}, Case{"SpeedButton4", ""}}) {
    SCOPED_TRACE(c.control);
    QApplication::clipboard()->setText("stale");
    QTest::mouseClick(Find<QToolButton>(c.control), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), c.expected);
  }
  for (const Case& c : {Case{"N1", "1.10500"}, Case{"N4", "1.09850"}, Case{"N5", "0.1"}}) {
    SCOPED_TRACE(c.control);
    QApplication::clipboard()->setText("stale");
    MenuAction(window, c.control)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), c.expected);
  }
}

struct KeyCase {
  const char* start;
  int caret;
  QString typed;
  const char* expected;
};

// Clicks into the box, brings it to the start text and caret, then types; keys go to whatever
// holds the focus, which for a combo box is the combo box itself.
void TypeInto(MainWindow& window, QWidget* box, const KeyCase& c) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  person::Prepare(box, c.start, c.caret);
  person::Type(c.typed);
}

TEST_F(GuiTest, DepositBoxKeepsToWholeAndTwoDecimalNumbers) {
  MainWindow& window = Open();
  window.model().PageControl1.activePageIndex = 2;
  window.Render();
  auto* edit = Find<QLineEdit>("Edit_Deposit");
  const KeyCase cases[] = {
      {"", 0, "100.5", "100.5"}, {"", 0, ",5", "5"},         {"12", 2, ",", "12."},
      {"12.3", 4, ".", "12.3"},  {"12.34", 5, "5", "12.34"}, {"12.34", 0, "9", "912.34"},
      {"100", 3, "a$ ", "100"},  {"100", 3, "\b", "10"},     {"12.3", 4, "4", "12.34"},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " + " + c.typed.toStdString());
    TypeInto(window, edit, c);
    EXPECT_EQ(edit->text(), c.expected);
    EXPECT_EQ(window_->model().Edit_Deposit.text, c.expected);
  }
}

TEST_F(GuiTest, LotBoxTurnsSeparatorKeysIntoADotAndIgnoresOthers) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  window.model().PageControl1.activePageIndex = 1;
  window.Render();
  auto* combo = Find<QComboBox>("edit_lot");
  const KeyCase cases[] = {
      {"", 0, "0ю05", "0.05"}, {"1", 1, "/", "1."},    {"1", 1, "Б", "1."},
      {"0.1", 3, ".", "0.1"},  {"0.1", 3, "б", "0.1"}, {"0.1", 3, "x-", "0.1"},
      {"0.1", 3, "\b", "0.1"}, {"2", 1, ",5", "2.5"},  {"", 0, "1a,5/x", "1.5"},  // once "1a,5/"
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " + " + c.typed.toStdString());
    TypeInto(window, combo, c);
    EXPECT_EQ(combo->currentText(), c.expected);
    EXPECT_EQ(window_->model().edit_lot.text, c.expected);
  }
  // Delete types no character and is not filtered.
  TypeInto(window, combo, {"0.25", 0, "", "0.25"});
  person::Key(Qt::Key_Delete);
  EXPECT_EQ(combo->currentText(), ".25");
  EXPECT_EQ(window_->model().edit_lot.text, ".25");
  // A lot typed with a comma is read by the next refresh without an error.
  TypeInto(window, combo, {"", 0, "0,1", "0.1"});
  errors_.clear();
  person::Click(Find<QPushButton>("Button9"));
  EXPECT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_GT(window.model().ListView1.items.size(), 20u);
}

TEST_F(GuiTest, LotFromMarginBoxTakesAtMostFourTypedCharacters) {
  MainWindow& window = Open();
  window.model().PageControl1.activePageIndex = 2;
  window.Render();
  auto* edit = Find<QLineEdit>("Edit_ProcLot");
  TypeInto(window, edit, {"", 0, "0.12345", "0.12"});
  EXPECT_EQ(edit->text(), "0.12");
  window.model().Edit_ProcLot.text = "0.409090909090909";  // what the program writes is not cut
  window.Render();
  EXPECT_EQ(edit->text(), "0.409090909090909");
}

}  // namespace
}  // namespace tiramon::desktop
