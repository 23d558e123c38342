// Boxes typed as a person types them, in the real window: a value the assistant cannot use
// empties what it decides and says in the warnings which box is wrong; a decimal comma is a
// decimal point; the quote table's figures follow its own boxes as they are typed.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"
#include "tests/gui/table_view.h"

namespace tiramon::desktop {
namespace {

class AssistantInputsTest : public GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    WriteCache(SamplePage());  // EUR/USD at 1.1234 / 1.1236
    Open();
    ShowTab(2);
  }
  void ShowTab(int index) {
    QTabWidget* tabs = Find<QTabWidget>("PageControl1");
    person::Click(tabs->tabBar(), tabs->tabBar()->tabRect(index).center());
    ASSERT_EQ(tabs->currentIndex(), index);
  }
  QString Shown(const char* name) {
    if (auto* label = window_->findChild<QLabel*>(name)) return label->text();
    if (auto* combo = window_->findChild<QComboBox*>(name)) return combo->currentText();
    return Find<QLineEdit>(name)->text();
  }
  QString Warnings() { return Find<QPlainTextEdit>("Memo1")->toPlainText(); }
  void TypeInto(const char* box, const QString& text) {
    person::Prepare(Find<QWidget>(box), text, static_cast<int>(text.size()));
  }
};

// Bought at 1.1236 with the tab's defaults: 1.1236 × 10000 ÷ 500 = $22.472 of margin, to the cent
// 22.47; 150 points of $0.10 are $15.
TEST_F(AssistantInputsTest, ABoxTheAssistantCannotUseSaysSoAndLeavesNoFigure) {
  ASSERT_EQ(Shown("Zalog"), "22.47");
  const struct {
    const char* box;
    const char* typed;
    const char* said;
    const char* zalog;  // "—" when the box decides every figure
    const char* loss;
  } rows[] = {
      {"Edit_Deposit", "300000", "", "22.47", "15$ или 0.01%"},
      {"Edit_Deposit", "0", "Депозит должен быть больше нуля.", "—", "—"},
      {"Edit_Deposit", "", "Депозит: введите число, например 1000.", "—", "—"},
      {"Edit_Deposit", "100", "", "22.47", "15$ или 15%"},
      {"ComboBox_Lot", "abc", "Лот: «abc» — не число. Введите число, например 0.1.", "—", "—"},
      {"ComboBox_Lot", "", "Лот: введите число, например 0.1.", "—", "—"},
      {"ComboBox_Lot", "-5", "Лот должен быть больше нуля.", "—", "—"},
      {"ComboBox_Lot", "1e999", "Лот: «1e999» — не число. Введите число, например 0.1.", "—", "—"},
      {"ComboBox_Lot", "0.1", "", "22.47", "15$ или 15%"},
      {"ComboBox_los", "-5", "Стоп лосс должен быть от 0 до 100000000 пунктов.", "22.47", "—"},
      {"ComboBox_los", "150", "", "22.47", "15$ или 15%"},
      {"ComboBox_Plecho", "0", "Плечо должно быть от 1 до 10000.", "—", "—"},
      {"ComboBox_Plecho", "-5", "Плечо должно быть от 1 до 10000.", "—", "—"},
      {"ComboBox_Plecho", "500", "", "22.47", "15$ или 15%"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.box) + " «" + row.typed + "»");
    TypeInto(row.box, row.typed);
    EXPECT_EQ(Shown("Zalog"), row.zalog);
    EXPECT_EQ(Shown("Label_Loss"), row.loss);
    if (*row.said) {
      EXPECT_TRUE(Warnings().contains(row.said)) << Warnings().toStdString();
      // Nothing of the last input stays to be copied to the terminal.
      EXPECT_EQ(Shown("Edit_Loss"), "");
    } else {
      EXPECT_EQ(Shown("Edit_Loss"), "1.12210");  // 1.1236 − 0.0015
    }
  }
}

TEST_F(AssistantInputsTest, ADecimalCommaIsADecimalPoint) {
  TypeInto("ComboBox_Lot", "0,2");
  EXPECT_EQ(Shown("Zalog"), "44.94");  // 0.2 × 112360 ÷ 500 = 44.944
  TypeInto("ComboBox_Lot", "0,1");

  // 0.5 % of $100000 is $500 of margin at $224.72 a lot: 2.22 lots.
  TypeInto("Edit_Deposit", "100000");
  person::Click(Find<QRadioButton>("RadioButton9"));
  TypeInto("ComboBox_LotProc", "0,5");
  EXPECT_EQ(Shown("Edit_ProcLot"), "2.22");

  // A stop typed as a price with a comma: 1.1236 − 1.1086 is 1500 points.
  person::Click(Find<QRadioButton>("RadioButton11"));
  person::Click(Find<QCheckBox>("CheckBox_StopLevels"));
  TypeInto("Edit_Loss", "1,1086");
  EXPECT_EQ(Shown("ComboBox_los"), "1500");
}

// The lot and the deposit under the table decide its figures as they are typed, with no
// download: a fifth of a lot of EUR/USD at 1.1234 is $22468, at 1:50 $449.36, which $1000
// covers 2.2 times.
TEST_F(AssistantInputsTest, TheTableFollowsItsBoxesAsTheyAreTyped) {
  ShowTab(1);
  auto* table = Find<QTableView>("ListView1");
  ASSERT_EQ(CellText(table, 0, 0), "EUR/USD");
  ASSERT_EQ(CellText(table, 0, 4), "11234");
  TypeInto("edit_lot", "0.2");
  EXPECT_EQ(CellText(table, 0, 4), "22468");
  EXPECT_EQ(HeaderText(table, 4), "0.2 лот (без плеча)");
  TypeInto("Edit8", "1000");
  EXPECT_EQ(CellText(table, 0, 5), "449.36 (2.2)");
  // A lot the table cannot use leaves the prices and says which box is wrong.
  TypeInto("edit_lot", "");
  EXPECT_EQ(CellText(table, 0, 1), "1.12340");
  EXPECT_EQ(CellText(table, 0, 4), "");
  EXPECT_EQ(Shown("Label_TableNote"),
            "Размер позиции: «» — введите лот больше нуля, например 0.1.");
}

}  // namespace
}  // namespace tiramon::desktop
