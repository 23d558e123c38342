// A window model prepared for the assistant's tests: a quote table with one row per kind of
// pair and the rates its rows give, and stale texts in every output so a test sees what a run
// rewrote.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/unit1.h"
#include "support/numtext.h"

namespace tiramon::assistant_test {

struct Quote {
  const char* pair;
  const char* bid;
  const char* ask;
};

inline const std::vector<Quote>& Quotes() {
  static const std::vector<Quote> quotes = {
      {"EUR/USD", "1.1", "1.1002"},    {"GBP/USD", "1.2500", "1.2502"},
      {"USD/JPY", "150", "150.02"},    {"USD/CHF", "0.9123", "0.9125"},
      {"USD/CAD", "1.25", "1.2502"},   {"USD/MXN", "17.1", "17.2"},
      {"USD/CNY", "7.1", "7.2"},       {"EUR/GBP", "0.8512", "0.8514"},
      {"EUR/JPY", "130.50", "130.53"}, {"CHF/JPY", "160.2", "160.25"},
      {"SGD/JPY", "80", "80.02"},      {"TRY/SEK", "1.23", "1.2302"},
  };
  return quotes;
}

inline void Select(TForm1& form, const std::string& pair) {
  for (std::size_t i = 0; i < form.ListView1.items.size(); ++i) {
    if (form.ListView1.items[i].caption == pair) {
      form.ListView1.selectedIndex = static_cast<int>(i);
      return;
    }
  }
  ADD_FAILURE() << "no row " << pair;
}

inline void Sell(TForm1& form) {
  form.RadioButton_Buy.checked = false;
  form.RadioButton_sell.checked = true;
}

inline void PercentMode(TForm1& form) {
  form.RadioButton11.checked = false;
  form.RadioButton9.checked = true;
}

// The rows as a source leaves them, with the rates they give; stale outputs everywhere else.
inline void FillMarket(TForm1& form) {
  for (const Quote& quote : Quotes()) {
    form.ListView1.items.push_back(TListItem{quote.pair, {quote.bid, quote.ask, "0.0002"}});
    form.TableRates.Add(quote.pair, ParseDecimal(quote.bid));
  }
  form.Zalog.caption = "77";
  form.Punkt.caption = "0.77";
  form.Label_Profit.caption = "old profit";
  form.Label_Loss.caption = "old loss";
  form.Label_Loss2.caption = "old count";
  form.Edit_Loss.text = "old stop";
  form.Edit_Teik.text = "old take";
  form.Memo1.lines = {"old warning"};
  form.Memo1.fontColor = colors::Red;
  form.Label42.fontColor = colors::Black;
  form.Label34.fontColor = colors::Black;
}

// Everything a recalculation may write.
struct Outputs {
  std::string valuta, buyCaption, sellCaption, selectedPair, selectedBid, selectedAsk;
  std::string zalog, punkt, procLot, procLot2;
  std::string profit, loss, lossCount, stopPrice, takePrice, ratio;
  std::vector<std::string> memo;
  TColor memoColour, label42Colour, label34Colour;
  friend bool operator==(const Outputs&, const Outputs&) = default;
};

inline Outputs Snapshot(const TForm1& form) {
  return Outputs{form.Label_Valuta.caption,
                 form.RadioButton_Buy.caption,
                 form.RadioButton_sell.caption,
                 form.SelectedPair,
                 form.SelectedBid,
                 form.SelectedAsk,
                 form.Zalog.caption,
                 form.Punkt.caption,
                 form.Edit_ProcLot.text,
                 form.Edit_ProcLot2.text,
                 form.Label_Profit.caption,
                 form.Label_Loss.caption,
                 form.Label_Loss2.caption,
                 form.Edit_Loss.text,
                 form.Edit_Teik.text,
                 form.Soot.caption,
                 form.Memo1.lines,
                 form.Memo1.fontColor,
                 form.Label42.fontColor,
                 form.Label34.fontColor};
}

inline std::ostream& operator<<(std::ostream& out, const TColor& c) {
  return out << "rgb(" << int{c.r} << "," << int{c.g} << "," << int{c.b} << ")";
}

inline std::ostream& operator<<(std::ostream& out, const Outputs& o) {
  out << "\n  valuta=" << o.valuta << " | " << o.buyCaption << " | " << o.sellCaption
      << "\n  selected=" << o.selectedPair << " " << o.selectedBid << " / " << o.selectedAsk
      << "\n  zalog=" << o.zalog << " punkt=" << o.punkt << " procLot=" << o.procLot
      << " procLot2=" << o.procLot2 << "\n  profit=" << o.profit << " loss=" << o.loss
      << " lossCount=" << o.lossCount << "\n  stop=" << o.stopPrice << " take=" << o.takePrice
      << " ratio=" << o.ratio << "\n  memo=[";
  for (const std::string& line : o.memo) out << line << ";";
  return out << "] memoColour=" << o.memoColour << " label42=" << o.label42Colour
             << " label34=" << o.label34Colour;
}

inline TForm1 MarketForm() {
  TForm1 form;
  FillMarket(form);
  return form;
}

// What the pickup of a table row writes.
inline void Picked(Outputs& o, const std::string& pair) {
  for (const Quote& quote : Quotes()) {
    if (pair != quote.pair) continue;
    o.valuta = o.selectedPair = quote.pair;
    o.buyCaption = std::string("Покупка (ask): ") + quote.ask;
    o.sellCaption = std::string("Продажа (bid): ") + quote.bid;
    o.selectedBid = quote.bid;
    o.selectedAsk = quote.ask;
    return;
  }
  ADD_FAILURE() << "no quote " << pair;
}

// A run: arrange the inputs, then list what the run must change; everything else must stay.
struct RunCase {
  const char* name;
  std::function<void(TForm1&)> arrange;
  std::function<void(Outputs&)> expect;
};

inline void CheckRuns(const std::vector<RunCase>& cases) {
  for (const RunCase& run : cases) {
    SCOPED_TRACE(run.name);
    TForm1 form = MarketForm();
    run.arrange(form);
    Outputs expected = Snapshot(form);
    expected.memo.clear();  // every run starts with an empty warnings box
    run.expect(expected);
    form.ListView1Click();
    EXPECT_EQ(Snapshot(form), expected);
  }
}

// The marks the program runs with once its window has been shown.
class AssistantTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DecimalMark = '.';
    ThousandsMark = ',';
  }
  void TearDown() override { SetUp(); }
};

inline const char* kNoFunds = "Не хватает средств!";
inline const char* kRiskTooHigh = "Слишком большой риск!";
inline const char* kRatioTooLow = "Слишком маленькое соотношение риск прибыль.";

}  // namespace tiramon::assistant_test
