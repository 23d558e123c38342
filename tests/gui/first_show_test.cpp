// The first show fills every tab before the window is drawn, exactly once; an error anywhere in
// it leaves the rest for the next show.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/table_view.h"

namespace tiramon::desktop {
namespace {

QStringList Lines(QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }

void ExpectScrolledToTop(QPlainTextEdit* memo) {
  EXPECT_EQ(memo->textCursor().blockNumber(), 0) << memo->objectName().toStdString();
  EXPECT_EQ(memo->verticalScrollBar()->value(), 0) << memo->objectName().toStdString();
}

TEST_F(GuiTest, FirstShowFillsEveryTabAndSelectsTheFirst) {
  WriteCache(SamplePage());
  MainWindow& window = Open(false);
  window.model().PageControl1.activePageIndex = 4;
  window.Render();
  window.show();
  EXPECT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_FALSE(window.model().FirstShow);
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 0);
  EXPECT_GT(RowCount(Find<QTableView>("ListView1")), 20);
  EXPECT_EQ(Find<QLabel>("Label_Valuta")->text(), "EUR/USD");
  EXPECT_NE(Find<QLabel>("Zalog")->text(), "0");  // the assistant ran on the refreshed prices

  for (const char* name : {"mmo_lot", "mmo_lot2", "mmo_lot3"}) {
    auto* memo = Find<QPlainTextEdit>(name);
    EXPECT_EQ(Lines(memo).front(), "Экспоненциальный расчет:") << name;
    ExpectScrolledToTop(memo);
  }
  EXPECT_TRUE(Lines(Find<QPlainTextEdit>("mmo_lot3"))[1].startsWith("Реальный расчет, программа"));
  EXPECT_GT(Lines(Find<QPlainTextEdit>("mmo_lot2")).size(), 80);
}

TEST_F(GuiTest, ShowingAgainRerunsNothing) {
  WriteCache(SamplePage());
  MainWindow& window = Open();
  const QString growth = Find<QPlainTextEdit>("mmo_lot")->toPlainText();
  window.model().edt_Kapital.text = "500";
  window.Render();
  window.hide();
  window.show();
  EXPECT_EQ(Find<QPlainTextEdit>("mmo_lot")->toPlainText(), growth);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(GuiTest, FailedFirstShowRunsWholeAgainAtTheNextShow) {
  MainWindow& window = Open();  // neither feed nor cache
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_TRUE(window.model().FirstShow);
  EXPECT_EQ(Find<QPlainTextEdit>("mmo_lot3")->toPlainText(), "");
  EXPECT_EQ(Find<QPlainTextEdit>("mmo_lot")->toPlainText(), "mmo_lot");

  WriteCache(SamplePage());
  window.hide();
  window.show();
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_FALSE(window.model().FirstShow);
  EXPECT_EQ(Lines(Find<QPlainTextEdit>("mmo_lot")).front(), "Экспоненциальный расчет:");
}

TEST_F(GuiTest, ErrorInALaterStepStopsTheSequenceThere) {
  WriteCache(SamplePage());
  MainWindow& window = Open(false);
  window.model().edt_count3.text = "5O";  // a letter O: the series cannot start
  window.model().PageControl1.activePageIndex = 3;
  window.show();
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "'5O' is not a valid integer value.");
  EXPECT_EQ(Lines(Find<QPlainTextEdit>("mmo_lot2")).front(), "Экспоненциальный расчет:");
  EXPECT_EQ(Find<QPlainTextEdit>("mmo_lot3")->toPlainText(), "");
  EXPECT_TRUE(window.model().FirstShow);
  EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentIndex(), 3);  // step 9 never ran
}

}  // namespace
}  // namespace tiramon::desktop
