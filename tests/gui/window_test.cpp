// The window as a user meets it: tabs, defaults, hidden parts, the growth tab and the error box.
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "app/build_config.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"
#include "tests/gui/table_view.h"

namespace tiramon::desktop {
namespace {

QStringList MemoLines(QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }

void Retype(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
}

TEST_F(GuiTest, WindowHasItsTabsInOrderAndAFixedClientArea) {
  MainWindow& window = Open();
  auto* tabs = Find<QTabWidget>("PageControl1");
  ASSERT_NE(tabs, nullptr);
  const QStringList expected = {
      "О программе", "Форекс валютные пары", "Помощник", "Рост депозита", "Слив депозита",
      "Для умных",   "Анализ риска",         "Портфель"};
  ASSERT_EQ(tabs->count(), expected.size());
  for (int i = 0; i < tabs->count(); ++i) EXPECT_EQ(tabs->tabText(i), expected[i]);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(window.size(), QSize(936, 702));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(window.windowTitle().toStdString(),
            std::string("Тирамон 1.4 - Блог трейдера ") + build::kBlogHost);
}

TEST_F(GuiTest, DefaultsAreShownAndHiddenControlsStayHidden) {
  Open();
  EXPECT_EQ(Find<QLineEdit>("Edit_Deposit")->text(), "100");
  EXPECT_EQ(Find<QComboBox>("edit_lot")->currentText(), "0.1");
  EXPECT_EQ(Find<QComboBox>("edit_lot")->count(), 28);
  EXPECT_EQ(Find<QComboBox>("ComboBox_los")->currentText(), "150");
  EXPECT_EQ(Find<QComboBox>("ComboBox_los")->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("ComboBox_Teik")->currentIndex(), 6);
  EXPECT_EQ(Find<QComboBox>("ComboBox_Plecho")->currentIndex(), -1);
  EXPECT_EQ(Find<QComboBox>("ComboBox_Plecho")->currentText(), "500");
  EXPECT_EQ(Find<QLabel>("Label_Valuta")->text(), "Выберите валюту");
  EXPECT_TRUE(Find<QRadioButton>("RadioButton_Buy")->isChecked());
  EXPECT_EQ(Find<QRadioButton>("RadioButton_Buy")->palette().color(QPalette::WindowText),
            QColor(0, 0, 255));
  EXPECT_FALSE(Find<QLineEdit>("Edit_Loss")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>("edit_risk")->toolTip(), "Экспонтациальный рост");
  EXPECT_EQ(Find<QLabel>("Label38")->toolTip(), "TWR - Terminal Wealth Relative");

  auto* table = Find<QTableView>("ListView1");
  ASSERT_EQ(table->model()->columnCount(), 11);
  EXPECT_EQ(HeaderText(table, 0), "Валюта");
  EXPECT_EQ(HeaderText(table, 10), "1 pip в $");
  EXPECT_FALSE(table->horizontalHeader()->sectionsClickable());

  for (const char* hidden : {"Memo_Back", "edt_count2", "Label8", "Button2", "Button3"}) {
    SCOPED_TRACE(hidden);
    QWidget* widget = Find<QWidget>(hidden);
    ASSERT_NE(widget, nullptr);
    EXPECT_FALSE(widget->isVisible());
  }
}

QString Shown(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) return memo->toPlainText();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* table = qobject_cast<QTableView*>(widget)) return QString::number(RowCount(table));
  return "?";
}

QString Joined(const TMemo& memo) {
  QStringList lines;
  for (const std::string& line : memo.lines) lines << QString::fromStdString(line);
  return lines.join('\n');
}

TEST_F(GuiTest, EachTabIsMadeWhenFirstOpenedAndShowsTheModelAsItIsThen) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  TForm1& m = window.model();
  // Changed while its tab was never opened: the tab must show the new lines, not the first ones.
  m.edt_Kapital.text = "250";
  window.RunHandler([&m] { m.Button1Click(); });
  ASSERT_EQ(m.mmo_lot.lines.at(1), "1) Депозит:250, риск:12.5, прибыль:50");

  struct Row {
    int tab;
    const char* widget;
    QString expected;
    std::vector<const char*> hidden;
  };
  const Row rows[] = {
      {1, "ListView1", QString::number(m.ListView1.items.size()), {"Memo_Back"}},
      {2, "Label_Valuta", "EUR/USD", {}},
      {3, "mmo_lot", Joined(m.mmo_lot), {}},
      {4, "mmo_lot2", Joined(m.mmo_lot2), {"edt_count2", "Label8", "Button2", "Button3"}},
      {5, "mmo_lot3", Joined(m.mmo_lot3), {}},
      {6, "RiskSeries", "10000", {}},
  };
  auto* tabs = Find<QTabWidget>("PageControl1");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.widget);
    EXPECT_EQ(window.findChild<QWidget*>(row.widget), nullptr) << "made before its tab opened";
    person::Click(tabs->tabBar(), tabs->tabBar()->tabRect(row.tab).center());
    ASSERT_EQ(tabs->currentIndex(), row.tab);
    EXPECT_EQ(m.PageControl1.activePageIndex, row.tab);
    auto* widget = window.findChild<QWidget*>(row.widget);
    ASSERT_NE(widget, nullptr);
    EXPECT_TRUE(widget->isVisible());
    EXPECT_EQ(Shown(widget), row.expected);
    for (const char* name : row.hidden) {
      auto* hidden = window.findChild<QWidget*>(name);
      ASSERT_NE(hidden, nullptr) << name;
      EXPECT_FALSE(hidden->isVisible()) << name;
    }
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(GuiTest, FirstStartWithoutFeedOrCacheShowsTheFileErrorAndKeepsDesignTexts) {
  Open();
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].rfind("Cannot open file \"", 0), 0u) << errors_[0];
  EXPECT_NE(errors_[0].find("kotirovki.dat"), std::string::npos);
  EXPECT_EQ(MemoLines(Find<QPlainTextEdit>("mmo_lot")), QStringList{"mmo_lot"});
  EXPECT_EQ(MemoLines(Find<QPlainTextEdit>("mmo_lot2")), QStringList{"mmo_lot"});
  EXPECT_TRUE(window_->model().FirstShow);
}

TEST_F(GuiTest, TypingADepositAndCalculatingRewritesTheGrowthTable) {
  Open();
  Find<QTabWidget>("PageControl1")->setCurrentIndex(3);
  Retype(Find<QLineEdit>("edt_Kapital"), "200");
  EXPECT_EQ(window_->model().edt_Kapital.text, "200");
  QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
  const QStringList lines = MemoLines(Find<QPlainTextEdit>("mmo_lot"));
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[0], "Экспоненциальный расчет:");
  EXPECT_EQ(lines[1], "1) Депозит:200, риск:10, прибыль:40");
  EXPECT_EQ(lines.back(), "Итого депозит:1031.9560704");
}

TEST_F(GuiTest, BadFieldShowsTheErrorBoxWithTheTextQuoted) {
  Open();
  errors_.clear();
  Retype(Find<QLineEdit>("edit_sootonoshenie"), "1,5");
  QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "'1,5' is not a valid floating point value.");
  EXPECT_EQ(Find<QPlainTextEdit>("mmo_lot")->toPlainText(), "");
}

TEST_F(GuiTest, ModeButtonsRecolourAndSwitchTheCalculation) {
  Open();
  auto* money = Find<QRadioButton>("RadioButton2");
  QTest::mouseClick(money, Qt::LeftButton);
  EXPECT_EQ(money->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_EQ(Find<QRadioButton>("RadioButton1")->palette().color(QPalette::WindowText),
            QColor(0, 0, 0));
  QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
  const QStringList lines = MemoLines(Find<QPlainTextEdit>("mmo_lot"));
  EXPECT_EQ(lines.front(), "Линейный расчет:");
  EXPECT_EQ(lines.back(), "Итого депозит:1000");
}

TEST_F(GuiTest, AboutTabLinksOpenTheirPages) {
  Open();
  QTest::mouseClick(Find<QLabel>("lbl30"), Qt::LeftButton);
  QTest::mouseClick(Find<QLabel>("Image3"), Qt::LeftButton);
  ASSERT_EQ(openedPages_.size(), 2u);
  EXPECT_EQ(openedPages_[0], build::kBlogUrl);
  EXPECT_EQ(openedPages_[1], window_->model().Image3.url);
  EXPECT_FALSE(Find<QLabel>("Image6")->pixmap().isNull());  // decoded from its JPEG
  EXPECT_EQ(Find<QLabel>("Image6")->toolTip(), "Узнать больше...");
}

}  // namespace
}  // namespace tiramon::desktop
