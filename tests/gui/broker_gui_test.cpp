// The broker's conditions in the real window, as a person sets them: the dialog from the assistant
// tab, the figures in roubles with a commission and a stop-out warning, then a restart that reads
// the same settings file. Then the settings file's broker section on its own.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QWindow>

#include "desktop/settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"

namespace tiramon::desktop {
namespace {

class BrokerGuiTest : public GuiTest {
 protected:
  MainWindow& Start() { return StartWithSettings(2); }

  QDialog* OpenDialog() {
    person::Click(Find<QPushButton>("Button_Broker"));
    auto* dialog = Find<QDialog>("BrokerDialog");
    EXPECT_TRUE(dialog->isVisible());
    Activate(dialog);
    return dialog;
  }

  QString Text(const char* label) { return Find<QLabel>(label)->text(); }

  void Shot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (!folder.isEmpty()) widget->grab().save(folder + "/" + name + ".png");
  }
};

TEST_F(BrokerGuiTest, ConditionsSetInTheDialogAreKeptAfterARestart) {
  WriteCache(SamplePage());
  Start();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(Text("Label42"), "Залог в $:");
  EXPECT_EQ(Text("Label_Broker"), "");

  QDialog* dialog = OpenDialog();
  person::Pick(Find<QComboBox>("ComboBox_AccountCurrency"), "RUB");
  Activate(dialog);
  person::Prepare(Find<QLineEdit>("Edit_Commission"), "7", 1);
  person::Prepare(Find<QLineEdit>("Edit_LotStep"), "0,01", 4);
  person::Prepare(Find<QLineEdit>("Edit_MinLot"), "0.01", 4);
  person::Prepare(Find<QLineEdit>("Edit_MaxLot"), "100", 3);
  person::Prepare(Find<QLineEdit>("Edit_StopOutLevel"), "50", 2);
  Shot(dialog, "broker-dialog");
  person::Click(Find<QPushButton>("Button_BrokerSave"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_FALSE(dialog->isVisible());
  Activate(window_.get());

  // Deposit 10000 roubles, 0.1 lot of EUR/USD bought at 1.1236, leverage 500, USD/RUB bid
  // 73.412: the margin is 1.1236 × 10000 ÷ 500 × 73.412 = 1649.714464 roubles, 1649.71 to the
  // kopeck, a point 0.1 × 73.412 = 7.3412 roubles, shown 7.341; 1500 points lose 11011.8 and the
  // commission 0.7 more, 110.125 % of the deposit. The stop-out at half the margin comes
  // (9999.3 − 824.857232) ÷ 7.3412 = 1249.7 points below the entry, shown at the whole point
  // before it: 1.1236 − 0.01249.
  person::Prepare(Find<QLineEdit>("Edit_Deposit"), "10000", 5);
  person::Prepare(Find<QComboBox>("ComboBox_los"), "1500", 4);
  person::Prepare(Find<QComboBox>("ComboBox_Teik"), "5000", 4);
  EXPECT_EQ(Text("Label38"), "₽");
  EXPECT_EQ(Text("Label42"), "Залог в ₽:");
  EXPECT_EQ(Text("Zalog"), "1649.71");
  EXPECT_EQ(Text("Punkt"), "7.341");
  EXPECT_EQ(Text("Label_Loss"), "11012.5₽ или 110.13%");
  const QString terms = QString("комиссия 7 ₽ за лот, шаг лота 0.01, ") +
                        "лот от 0.01, лот до 100, стоп-аут 50%";
  EXPECT_EQ(Text("Label_Broker"), "Счёт в RUB, курс USD/RUB (bid) 73.412\n" + terms);
  EXPECT_EQ(Text("Label_StopOut"), "стоп-аут на 1.11111");
  const QString memo = Find<QPlainTextEdit>("Memo1")->toPlainText();
  EXPECT_TRUE(memo.contains("Стоп-аут наступит раньше стопа: на 1.11111, а стоп на 1.10860."))
      << memo.toStdString();
  Shot(window_.get(), "assistant-broker-rub");
  {
    const QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("broker/accountCurrency").toString(), "RUB");
    EXPECT_EQ(stored.value("broker/lotStep").toString(), "0.01");
  }

  // A restart reads the same file.
  window_.reset();
  MainWindow& again = Start();
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(again.model().Broker, (BrokerConditions{"RUB", 7, 0.01, 0.01, 100, 50}));
  EXPECT_EQ(Text("Label42"), "Залог в ₽:");
  OpenDialog();
  EXPECT_EQ(Find<QComboBox>("ComboBox_AccountCurrency")->currentText(), "RUB");
  EXPECT_EQ(Find<QLineEdit>("Edit_Commission")->text(), "7");
  EXPECT_EQ(Find<QLineEdit>("Edit_StopOutLevel")->text(), "50");

  // A value the program cannot use: the message, and the dialog stays for the correction.
  person::Prepare(Find<QLineEdit>("Edit_MaxLot"), "0.001", 5);
  person::Click(Find<QPushButton>("Button_BrokerSave"));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_.front(), "Минимальный лот 0.01 больше максимального 0.001.");
  EXPECT_TRUE(Find<QDialog>("BrokerDialog")->isVisible());
  person::Click(Find<QPushButton>("Button_BrokerCancel"));
  EXPECT_FALSE(Find<QDialog>("BrokerDialog")->isVisible());
  EXPECT_EQ(again.model().BrokerDialogVisible, false);
  EXPECT_EQ(again.model().Broker.maxLot, 100);
}

TEST_F(BrokerGuiTest, StopsTypedAsPricesDriveTheFigures) {
  WriteCache(SamplePage());
  Start();
  auto* stopLevel = Find<QLineEdit>("Edit_Loss");
  EXPECT_FALSE(stopLevel->isEnabled());
  person::Click(Find<QCheckBox>("CheckBox_StopLevels"));
  EXPECT_TRUE(stopLevel->isEnabled());
  // Bought at 1.1236: a stop at 1.1216 is 200 points below, a take profit at 1.1836 6000 above.
  person::Prepare(stopLevel, "1.1216", 6);
  person::Prepare(Find<QLineEdit>("Edit_Teik"), "1.1836", 6);
  EXPECT_EQ(Find<QComboBox>("ComboBox_los")->currentText(), "200");
  EXPECT_EQ(Find<QComboBox>("ComboBox_Teik")->currentText(), "6000");
  EXPECT_EQ(Text("Label_Loss"), "20$ или 20%");
  person::Click(Find<QCheckBox>("CheckBox_StopLevels"));
  EXPECT_FALSE(stopLevel->isEnabled());
  EXPECT_EQ(Find<QComboBox>("ComboBox_los")->currentText(), "200");
  EXPECT_EQ(stopLevel->text(), "1.12160");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(BrokerGuiTest, TheSettingsFilesBrokerSection) {
  const QString path = QString::fromStdString((folder_ / "tiramon.conf").string());
  const std::string wrong = "В файле настроек неверно: условия брокера (";
  struct Case {
    const char* name;
    QByteArray file;
    BrokerConditions broker;
    std::string note;  // its start
  } cases[] = {
      {"none", "[quotes]\nsource=page\n", {}, ""},
      {"all",
       "[broker]\naccountCurrency=EUR\ncommissionPerLot=3.5\nlotStep=0.01\nminLot=0.01\n"
       "maxLot=50\nstopOutLevel=20\n",
       {"EUR", 3.5, 0.01, 0.01, 50, 20},
       ""},
      {"an unknown currency",
       "[broker]\naccountCurrency=XAU\ncommissionPerLot=7\n",
       {},
       wrong + "Валюта счёта «XAU» не поддерживается"},
      {"a word for a number",
       "[broker]\ncommissionPerLot=7\nlotStep=much\n",
       {},
       wrong + "Шаг лота указан неверно: «much»"},
      {"a minimum above the maximum",
       "[broker]\nminLot=5\nmaxLot=1\n",
       {},
       wrong + "Минимальный лот 5 больше максимального 1."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.file);
    file.close();
    Environment environment;
    LoadSettings(path, environment);
    EXPECT_EQ(environment.broker, c.broker);
    EXPECT_EQ(environment.settingsNote.rfind(c.note, 0), 0u) << environment.settingsNote;
    EXPECT_EQ(c.note.empty(), environment.settingsNote.empty()) << environment.settingsNote;
  }

  // The defaults are not written; conditions set are, and set back to the defaults they go.
  Environment chosen;
  chosen.broker = BrokerConditions{"RUB", 7, 0, 0, 0, 50};
  EXPECT_EQ(SaveSettings(path, chosen), "");
  EXPECT_TRUE(QSettings(path, QSettings::IniFormat).contains("broker/stopOutLevel"));
  EXPECT_FALSE(QSettings(path, QSettings::IniFormat).contains("broker/lotStep"));
  chosen.broker = BrokerConditions{};
  EXPECT_EQ(SaveSettings(path, chosen), "");
  EXPECT_TRUE(QSettings(path, QSettings::IniFormat).childGroups().indexOf("broker") < 0);
}

}  // namespace
}  // namespace tiramon::desktop
