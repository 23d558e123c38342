// Instruments in the real window, as a person uses them: one of his own added in the dialog and
// found again after a restart; and a first start with no network and no cache, where the rates
// that came with the program fill the table and an instrument chosen from the assistant's list
// with the terminal's prices typed in gives every figure.
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"
#include "tests/gui/table_view.h"

namespace tiramon::desktop {
namespace {

class InstrumentsGuiTest : public GuiTest {
 protected:
  QString Text(const char* name) {
    if (auto* label = window_->findChild<QLabel*>(name)) return label->text();
    return Find<QLineEdit>(name)->text();
  }
  void Shot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
  }
  void TypeOwnPrices(const QString& bid, const QString& ask) {
    person::Prepare(Find<QLineEdit>("Edit_OwnBid"), bid, static_cast<int>(bid.size()));
    person::Prepare(Find<QLineEdit>("Edit_OwnAsk"), ask, static_cast<int>(ask.size()));
    person::Click(Find<QPushButton>("Button_OwnPrices"));
  }
};

TEST_F(InstrumentsGuiTest, AnInstrumentAddedInTheDialogIsThereAfterARestart) {
  WriteCache(SamplePage());
  StartWithSettings(2);
  person::Click(Find<QPushButton>("Button_Instruments"));
  auto* dialog = Find<QDialog>("InstrumentsDialog");
  ASSERT_TRUE(dialog->isVisible());
  Activate(dialog);
  person::Prepare(Find<QLineEdit>("Edit_InstSymbol"), "US500", 5);
  person::Prepare(Find<QLineEdit>("Edit_InstPoint"), "0,25", 4);
  person::Prepare(Find<QLineEdit>("Edit_InstMargin"), "5", 1);
  Shot(dialog, "instruments-dialog");
  person::Click(Find<QPushButton>("Button_InstrumentSave"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(Text("Label_InstrumentsNote"), "US500 записан.");
  person::Click(Find<QPushButton>("Button_InstrumentsClose"));
  EXPECT_FALSE(dialog->isVisible());
  Activate(window_.get());

  // Chosen from the assistant's list, with the terminal's prices: 0.1 lot of 5000.25 is 500.025,
  // 5 % of it 25 of margin; a point of 0.25 of 0.1 lot is $0.025, 150 points $3.75, the stop
  // 5000.25 − 37.5.
  person::Pick(Find<QComboBox>("ComboBox_Instrument"), "US500");
  EXPECT_EQ(Text("Label_Valuta"), "US500");
  TypeOwnPrices("5000", "5000.25");
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(Text("Zalog"), "25");
  EXPECT_EQ(Text("Punkt"), "0.025");
  EXPECT_EQ(Text("Label_Loss"), "3.75$ или 3.75%");
  EXPECT_EQ(Text("Edit_Loss"), "4962.75");
  Shot(window_.get(), "assistant-us500");
  {
    const QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("instruments/1").toString(), "US500;;USD;1;0.25;5");
  }

  window_.reset();
  MainWindow& again = StartWithSettings(2);
  ASSERT_EQ(again.model().OwnInstruments.size(), 1u);
  auto* list = Find<QComboBox>("ComboBox_Instrument");
  EXPECT_GE(list->findText("US500"), 0);
  person::Click(Find<QPushButton>("Button_Instruments"));
  EXPECT_GE(Find<QComboBox>("ComboBox_InstrumentEdit")->findText("US500"), 0);
}

// A new user's first start without a network: the table holds the rates of 03.01.2023 that came
// with the program, said to be stale in red; EUR/USD chosen from the list and the terminal's
// prices typed give every figure.
TEST_F(InstrumentsGuiTest, WithNoNetworkAndNoCacheEveryFigureWorks) {
  Environment environment = MakeEnvironment();
  environment.quoteSource = QuoteSource::OfficialRates;
  environment.ecbUrl = environment.cbrUrl = environment.metalsUrl = "http://127.0.0.1:9/rates";
  environment.bundledRates =
      std::filesystem::path(TIRAMON_BUILD_DIR) / "share/tiramon/eurofxref-daily-2023-01-03.xml";
  window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  auto* panel = Find<QLabel>("StatusBar1Panel1");
  ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->text().startsWith("Нет связи"); }))
      << panel->text().toStdString();
  EXPECT_TRUE(panel->text().contains("Курсы, поставленные с программой: ЕЦБ на 03.01.2023"));
  EXPECT_EQ(panel->palette().color(QPalette::WindowText), QColor(255, 0, 0));
  auto* table = Find<QTableView>("ListView1");
  ASSERT_EQ(CellText(table, 0, 0), "EUR/USD");
  EXPECT_EQ(CellText(table, 0, 1), "1.05450");
  Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
  Shot(window_.get(), "offline-quotes");

  Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
  Activate(window_.get());
  person::Pick(Find<QComboBox>("ComboBox_Instrument"), "EUR/USD");
  TypeOwnPrices("1.0850", "1.0852");
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  // Bought at 1.0852: 0.1 × 108520 ÷ 500 = 21.704 of margin; 150 points of $0.10, the stop
  // 1.0852 − 0.0015.
  EXPECT_EQ(Text("Label_Valuta"), "EUR/USD");
  EXPECT_EQ(Text("Zalog"), "21.7");
  EXPECT_EQ(Text("Punkt"), "0.10");
  EXPECT_EQ(Text("Label_Loss"), "15$ или 15%");
  EXPECT_EQ(Text("Edit_Loss"), "1.08370");
  EXPECT_EQ(Text("Label_PriceSource"), "Цена: ваша, из терминала");
  Shot(window_.get(), "offline-assistant");
}

}  // namespace
}  // namespace tiramon::desktop
