// The book in the real window, as a person builds it: two trades sized on the assistant tab and
// sent with «В портфель», the book's tab with their totals, the prop limits typed in and their
// warning back on the assistant tab, then a restart that finds the same book and limits. Its
// figures and refusals are the model's, tested in tests/book_form_test.cpp.
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>

#include "desktop/settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"
#include "tests/gui/table_view.h"

namespace tiramon::desktop {
namespace {

class BookGuiTest : public GuiTest {
 protected:
  // The window as the program starts it: the settings file read, and written on a change.
  void Start() {
    Environment environment = MakeEnvironment();
    const QString path = QString::fromStdString((folder_ / "config/tiramon.conf").string());
    LoadSettings(path, environment);
    environment.saveSettings = [path](const Environment& changed) {
      return SaveSettings(path, changed);
    };
    window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  void OpenTab(int index) {
    auto* tabs = Find<QTabWidget>("PageControl1");
    person::Click(tabs->tabBar(), tabs->tabBar()->tabRect(index).center());
    ASSERT_EQ(tabs->currentIndex(), index);
  }

  void ClickRow(const char* table, const QString& caption) {
    auto* view = Find<QTableView>(table);
    for (int row = 0; row < RowCount(view); ++row) {
      if (CellText(view, row, 0) != caption) continue;
      QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                        view->visualRect(CellIndex(view, row, 0)).center());
      return;
    }
    ADD_FAILURE() << "no row " << caption.toStdString();
  }

  QString Text(const char* label) { return Find<QLabel>(label)->text(); }

  void Shot(const QString& name) {
    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    EXPECT_TRUE(window_->grab().save(folder + "/" + name + ".png"));
  }

  QStringList Row(const char* table, int row) {
    auto* view = Find<QTableView>(table);
    QStringList cells;
    for (int column = 0; column < view->model()->columnCount(); ++column) {
      cells << CellText(view, row, column);
    }
    return cells;
  }
};

TEST_F(BookGuiTest, TwoTradesFromTheAssistantAreKeptAcrossARestart) {
  WriteCache(SamplePage());
  Start();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  // EUR/USD, the pair the assistant opens with, bought at 1.1236: 0.2 lot, 150 points of stop.
  OpenTab(2);
  person::Prepare(Find<QComboBox>("ComboBox_Lot"), "0.2", 3);
  person::Click(Find<QPushButton>("Button_ToBook"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(Text("Label_ToBook"),
            "В портфеле: EUR/USD, покупка 0.2 по 1.12360; сделок в портфеле: 1");
  // GBP/USD from the quote table, sold at its bid 1.3051.
  OpenTab(1);
  ClickRow("ListView1", "GBP/USD");
  OpenTab(2);
  auto* sell = Find<QRadioButton>("RadioButton_sell");
  person::Click(sell, QPoint(8, sell->height() / 2));
  person::Click(Find<QPushButton>("Button_ToBook"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();

  OpenTab(7);
  EXPECT_EQ(RowCount(Find<QTableView>("BookList")), 2);
  // Each 150 points of 0.2 $ lose 30; margins 0.2 × 112360 ÷ 500 = 44.944 and 0.2 × 130510 ÷
  // 500 = 52.204; now −0.0002 × 20000 = −4 (sold at the bid 1.1234) and −0.0003 × 20000 = −6
  // (bought back at the ask 1.3054).
  EXPECT_EQ(Row("BookList", 0), (QStringList{"EUR/USD", "покупка", "0.2", "1.12360", "1.12210",
                                             "1.12860", "открыта", "44.94", "30", "100", "-4"}));
  EXPECT_EQ(Row("BookList", 1), (QStringList{"GBP/USD", "продажа", "0.2", "1.30510", "1.30660",
                                             "1.30010", "открыта", "52.2", "30", "100", "-6"}));
  EXPECT_EQ(Text("BookLoss"), "60 $ или 60 % баланса");
  // Pounds −20000 × 1.3051 first, then euros +20000 at the table's 1.1234 and dollars.
  EXPECT_EQ(Row("BookExposure", 0), (QStringList{"GBP", "-26102 $", "261.02 $"}));
  EXPECT_EQ(RowCount(Find<QTableView>("BookExposure")), 3);
  Shot("book-two-trades");

  // A daily limit of 50 % of a start of 100 puts the floor at 50; the stops leave 100 − 60 = 40.
  person::Prepare(Find<QLineEdit>("Edit_PropStart"), "100", 3);
  person::Prepare(Find<QLineEdit>("Edit_PropDayStart"), "100", 3);
  person::Prepare(Find<QLineEdit>("Edit_PropDaily"), "50", 2);
  person::Click(Find<QPushButton>("Button_PropSave"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  Shot("book-prop-limits");
  OpenTab(2);
  // No room left: the largest lot is 0, and the trade on screen breaches the limit, in red.
  auto* memo = Find<QPlainTextEdit>("Memo1");
  EXPECT_EQ(memo->toPlainText(),
            "Лимиты проп-фирмы: лот не больше 0,\n"
            "держит дневной лимит убытка.\n"
            "При всех стопах портфеля можно потерять ещё 0 $.\n"
            "Сделка нарушит дневной лимит убытка:\n"
            "убыток по стопу 30 $ больше запаса 0 $.");
  EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(255, 0, 0));
  Shot("assistant-prop-breach");

  window_.reset();
  Start();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  OpenTab(7);
  EXPECT_EQ(RowCount(Find<QTableView>("BookList")), 2);
  EXPECT_EQ(Find<QLineEdit>("Edit_BookBalance")->text(), "100");
  EXPECT_EQ(Text("BookLoss"), "60 $ или 60 % баланса");
  EXPECT_EQ(Row("BookList", 1).front(), "GBP/USD");
  // The limits came back from the settings file.
  EXPECT_EQ(Find<QLineEdit>("Edit_PropDaily")->text(), "50");
  EXPECT_TRUE(Text("PropRoom").contains("превышен на 10 $")) << Text("PropRoom").toStdString();
  Shot("book-after-restart");

  // A row chosen with the mouse, then the one above it with the keyboard, goes into the editor
  // row; a lot typed there and «Изменить» change that position: 0.3 × 150 points lose 45.
  ClickRow("BookList", "GBP/USD");
  EXPECT_EQ(Find<QLineEdit>("Edit_BookSymbol")->text(), "GBP/USD");
  person::Key(Qt::Key_Up);
  EXPECT_EQ(Find<QLineEdit>("Edit_BookSymbol")->text(), "EUR/USD");
  person::Prepare(Find<QLineEdit>("Edit_BookLots"), "0.3", 3);
  person::Click(Find<QPushButton>("Button_BookApply"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(Row("BookList", 0)[2], "0.3");
  EXPECT_EQ(Text("BookLoss"), "75 $ или 75 % баланса");
}

}  // namespace
}  // namespace tiramon::desktop
