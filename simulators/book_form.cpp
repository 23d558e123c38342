// The handlers of the "Портфель" tab: the assistant's trade taken into the book, the editor row of
// the selected position, the account's balance and leverage, the prop firm's limits, the book's
// file, and every figure of the tab, worded here from the engine's numbers.
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "app/book.h"
#include "app/book_file.h"
#include "app/book_trades.h"
#include "app/figure_texts.h"
#include "app/market.h"
#include "app/prop_limits.h"
#include "app/unit1.h"
#include "support/errors.h"
#include "support/files.h"
#include "support/numtext.h"
#include "support/typed_number.h"

namespace tiramon {
namespace simulators {
namespace {

constexpr const char* kNoFigure = "—";
constexpr const char* kBuy = "покупка";
constexpr const char* kSell = "продажа";
constexpr const char* kOpen = "открыта";
constexpr const char* kPlanned = "планируется";

std::string Money(const TForm1& form, long double money) {
  return MoneyText(money) + " " + std::string(CurrencySign(form.Broker.accountCurrency));
}

// A result or a position, with its sign: "+12.5 $", "-110000 $".
std::string SignedMoney(const TForm1& form, long double money) {
  const std::string text = Money(form, money);
  return RoundedMoney(money) > 0 ? "+" + text : text;
}

std::string PercentOf(long double part, long double whole) {
  return PercentText(part / whole * 100) + " %";
}

// A price with the decimals of the instrument's point at least (1.10020, 150.020, 2000.00) and
// any further ones it has, so a level typed between two points shows as typed.
std::string PriceText(const std::optional<Instrument>& instrument, double price) {
  if (!instrument) return FormatGeneral(price);
  const auto places = static_cast<std::size_t>(PriceDecimals(*instrument));
  return FormatPattern((places > 0 ? "0." + std::string(places, '0') : "0.") + "###", price);
}

// The balance and the leverage as their boxes hold them; nothing for a box that cannot be used,
// with a note saying why.
std::optional<double> AccountValue(const std::string& text, double low, double high,
                                   const std::string& refusal, std::vector<std::string>& notes) {
  const std::optional<double> value = ReadTypedNumber(text);
  if (value && *value >= low && *value <= high) return value;
  notes.push_back(refusal);
  return std::nullopt;
}

std::optional<double> BalanceOf(const TForm1& form, std::vector<std::string>& notes) {
  const std::string refusal =
      TrimSpaces(form.Edit_BookBalance.text).empty()
          ? "Введите баланс счёта: от него считаются проценты и свободная маржа."
          : "Баланс счёта: «" + form.Edit_BookBalance.text +
                "» — не баланс. Введите число больше нуля, например 10000.";
  std::optional<double> balance =
      AccountValue(form.Edit_BookBalance.text, 0, kMaxDeposit, refusal, notes);
  if (balance && !(*balance > 0)) {
    notes.push_back(refusal);
    balance.reset();
  }
  return balance;
}

std::optional<double> LeverageOf(const TForm1& form, std::vector<std::string>& notes) {
  return AccountValue(
      form.ComboBox_BookLeverage.text, 1, kMaxLeverage,
      "Плечо счёта: введите число от 1 до " + FormatGeneral(kMaxLeverage) + ", например 100.",
      notes);
}

// The first cells of a position's row: what the trader gave, readable whether or not it counts.
TListItem PositionRow(const TForm1& form, const BookPosition& position) {
  const std::optional<Instrument> instrument = InstrumentFor(form.OwnInstruments, position.symbol);
  TListItem row{position.symbol, {}};
  row.subItems.push_back(position.buying ? kBuy : kSell);
  row.subItems.push_back(LotText(position.lots));
  row.subItems.push_back(PriceText(instrument, position.openPrice));
  row.subItems.push_back(position.stopLevel ? PriceText(instrument, *position.stopLevel) : "нет");
  row.subItems.push_back(position.takeLevel ? PriceText(instrument, *position.takeLevel) : "нет");
  row.subItems.push_back(position.planned ? kPlanned : kOpen);
  return row;
}

bool SameItems(const std::vector<TListItem>& a, const std::vector<TListItem>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].caption != b[i].caption || a[i].subItems.size() != b[i].subItems.size()) return false;
    for (std::size_t j = 0; j < a[i].subItems.size(); ++j) {
      if (a[i].subItems[j] != b[i].subItems[j]) return false;
    }
  }
  return true;
}

void ClearTotals(TForm1& form) {
  for (TLabel* value : {&form.BookLoss, &form.BookMargin, &form.BookFreeMargin, &form.BookLevelNow,
                        &form.BookLevelAtStops, &form.BookResult}) {
    value->caption = kNoFigure;
    value->fontColor = colors::Black;
  }
  form.BookWarning.caption.clear();
}

// What the results of the open positions come to at the table's prices now.
struct ResultsNow {
  long double sum = 0;
  int priced = 0, unpriced = 0;
};

// The stop-out before the stops, a loss beyond the balance, more margin than the balance.
std::string WarningOf(const TForm1& form, const BookFigures& f, double balance) {
  const bool unbounded = std::isinf(f.lossAtStops);
  const double stopOut = form.Broker.stopOutLevel;
  std::vector<std::string> lines;
  if (f.freeMargin < 0)
    lines.emplace_back("Залог больше баланса: все эти сделки брокер не откроет.");
  if (stopOut > 0 && unbounded) {
    lines.emplace_back("У позиции нет стопа: стоп-аут может наступить раньше любого стопа.");
  } else if (stopOut > 0 && f.marginLevelAtStops && *f.marginLevelAtStops < stopOut) {
    lines.push_back("Стоп-аут наступит раньше, чем сработают все стопы: уровень маржи на стопах " +
                    PercentText(*f.marginLevelAtStops) + " % ниже стоп-аута " +
                    PercentText(stopOut) + " %.");
  } else if (stopOut == 0 && !unbounded && f.lossAtStops >= balance && f.margin > 0) {
    lines.emplace_back("Убыток по всем стопам не меньше баланса: средства кончатся раньше стопов.");
  }
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

void ShowTotals(TForm1& form, const std::vector<PricedTrade>& trades, double balance,
                const ResultsNow& now) {
  const BookFigures f = SumOfBook(trades, balance, BookRates(form));
  if (std::isinf(f.lossAtStops)) {
    std::string without;
    for (const PricedTrade& trade : trades) {
      if (trade.request.stopPoints > 0) continue;
      without += (without.empty() ? "" : ", ") + trade.request.instrument.symbol;
    }
    form.BookLoss.caption = "не ограничен: без стопа " + without;
    form.BookLoss.fontColor = colors::Red;
  } else {
    form.BookLoss.caption =
        Money(form, f.lossAtStops) + " или " + PercentOf(f.lossAtStops, balance) + " баланса";
  }
  form.BookMargin.caption = Money(form, f.margin);
  form.BookFreeMargin.caption = Money(form, f.freeMargin);
  form.BookFreeMargin.fontColor = f.freeMargin < 0 ? colors::Red : colors::Black;
  if (f.margin > 0) {
    form.BookLevelNow.caption = PercentOf(static_cast<long double>(balance) + now.sum, f.margin);
  }
  if (f.marginLevelAtStops)
    form.BookLevelAtStops.caption = PercentText(*f.marginLevelAtStops) + " %";
  if (now.priced > 0) form.BookResult.caption = SignedMoney(form, now.sum);
  if (now.unpriced > 0) {
    form.BookResult.caption += std::string(now.priced > 0 ? " " : "") +
                               "(без цены в таблице: " + std::to_string(now.unpriced) + ")";
  }
  form.BookWarning.caption = WarningOf(form, f, balance);

  std::vector<TListItem> exposure;
  for (const CurrencyPosition& position : LargestFirst(f.exposure)) {
    TListItem row{position.currency, {}};
    row.subItems.push_back(SignedMoney(form, position.net));
    row.subItems.push_back(position.currency == form.Broker.accountCurrency
                               ? "валюта счёта"
                               : Money(form, position.lossAtOnePercent));
    exposure.push_back(std::move(row));
  }
  if (!SameItems(exposure, form.BookExposure.items)) {
    form.BookExposure.items = std::move(exposure);
    ++form.BookRevision;
  }

  // The room under each limit once every stop is hit.
  if (!LimitsSet(form.Prop)) return;
  std::string room = "Запас, если сработают все стопы:";
  bool breached = false;
  for (const LimitFloor& floor : FloorsOf(form.Prop)) {
    room += "\n• " + floor.name + " (не ниже " + Money(form, floor.floor) + "): ";
    if (std::isinf(f.lossAtStops)) {
      room += "не посчитать, у позиции нет стопа";
      breached = true;
      continue;
    }
    const long double left = static_cast<long double>(balance) - f.lossAtStops - floor.floor;
    breached = breached || RoundedMoney(left) < 0;
    room += RoundedMoney(left) < 0 ? "превышен на " + Money(form, -left) : Money(form, left);
  }
  form.PropRoom.caption = std::move(room);
  form.PropRoom.fontColor = breached ? colors::Red : colors::Black;
}

void Present(TForm1& form) {
  std::vector<std::string> notes;
  const std::optional<double> balance = BalanceOf(form, notes);
  const std::optional<double> leverage = LeverageOf(form, notes);
  const bool account = balance && leverage;
  // An empty book needs no account to be counted.
  if (form.BookKept.positions.empty()) notes.clear();
  const std::vector<CountedPosition> counted =
      account ? CountBook(form, *balance, *leverage) : std::vector<CountedPosition>();
  const AccountRates rates = BookRates(form);

  std::vector<TListItem> rows;
  std::vector<PricedTrade> trades;
  ResultsNow now;
  int open = 0;
  for (std::size_t i = 0; i < form.BookKept.positions.size(); ++i) {
    const BookPosition& position = form.BookKept.positions[i];
    TListItem row = PositionRow(form, position);
    open += position.planned ? 0 : 1;
    const CountedPosition* count = account ? &counted[i] : nullptr;
    if (count && !count->trade) notes.push_back(count->problem);
    if (!count || !count->trade) {
      for (int cell = 0; cell < 4; ++cell) row.subItems.push_back(kNoFigure);
      rows.push_back(std::move(row));
      continue;
    }
    const PricedTrade& trade = *count->trade;
    const TradeFigures& figures = trade.figures;
    row.subItems.push_back(MoneyText(figures.margin));
    row.subItems.push_back(trade.request.stopPoints > 0 ? MoneyText(figures.lossAtStop)
                                                        : "не ограничен");
    row.subItems.push_back(trade.request.takePoints > 0 ? MoneyText(figures.profitAtTake)
                                                        : kNoFigure);
    std::string result = kNoFigure;
    const std::optional<TablePrices> prices = TablePricesOf(form, position.symbol);
    if (!position.planned && prices) {
      try {
        const double money = ResultAt(trade, prices->bid, prices->ask, rates);
        now.sum += money;
        ++now.priced;
        result = MoneyText(money);
      } catch (const TradeError& error) {
        notes.push_back(position.symbol + ": " + error.what());
        ++now.unpriced;
      }
    } else if (!position.planned) {
      ++now.unpriced;
    }
    row.subItems.push_back(result);
    rows.push_back(std::move(row));
    trades.push_back(trade);
  }
  if (!SameItems(rows, form.BookList.items)) {
    form.BookList.items = std::move(rows);
    ++form.BookRevision;
  }
  const int count = static_cast<int>(form.BookKept.positions.size());
  if (form.BookList.selectedIndex >= count) form.BookList.selectedIndex = -1;
  form.BookCount.caption = count == 0
                               ? std::string("0")
                               : std::to_string(count) + " (открыто " + std::to_string(open) +
                                     ", планируется " + std::to_string(count - open) + ")";

  ClearTotals(form);
  form.PropRoom.caption = LimitsSet(form.Prop) ? "Запас под лимитами: —" : "Лимиты не заданы.";
  form.PropRoom.fontColor = LimitsSet(form.Prop) ? colors::Black : colors::Gray;
  const bool whole = account && trades.size() == form.BookKept.positions.size();
  if (whole) {
    try {
      ShowTotals(form, trades, *balance, now);
    } catch (const TradeError& error) {
      ClearTotals(form);
      notes.emplace_back(error.what());
    }
  } else if (!form.BookExposure.items.empty()) {
    form.BookExposure.items.clear();
    ++form.BookRevision;
  }
  if (account && !whole) notes.emplace_back("Итоги без всех позиций не считаются.");

  // Where the prices of the results come from, as the status bar says it.
  const std::string& origin =
      form.StatusBar1.panels.size() > 1 ? form.StatusBar1.panels[1].text : std::string();
  form.Label_BookPrices.caption = form.ListView1.items.empty()
                                      ? "Результат сейчас: в таблице котировок нет цен."
                                      : "Результат сейчас — по bid и ask таблицы котировок" +
                                            (origin.empty() ? std::string(".") : ": " + origin);

  for (const std::string* note : {&form.BookLoadNote, &form.BookSaveNote}) {
    if (!note->empty()) notes.push_back(*note);
  }
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "\n") + note;
  form.Label_BookNote.caption = std::move(text);
}

// ---- The editor row ---------------------------------------------------------------------------

[[noreturn]] void Refuse(TForm1& form, std::string_view control, const std::string& message) {
  form.Focus.MoveTo(std::string(control));
  throw UserError(message);
}

double EditorNumber(TForm1& form, const TEdit& edit, std::string_view control, const char* name,
                    const char* example, double high) {
  const std::optional<double> value = ReadTypedNumber(edit.text);
  if (!value || !(*value > 0) || *value > high) {
    Refuse(form, control,
           std::string(name) + ": «" + edit.text + "» — введите число больше нуля, например " +
               example + ".");
  }
  return *value;
}

std::optional<double> EditorLevel(TForm1& form, const TEdit& edit, std::string_view control,
                                  const char* name) {
  if (TrimSpaces(edit.text).empty()) return std::nullopt;
  return EditorNumber(form, edit, control, name, "1.0850", 1e15);
}

// The editor row as a position. The fields are checked as the book counts them, so a position
// that would show only dashes is refused before it is kept.
BookPosition EditedPosition(TForm1& form) {
  BookPosition position;
  position.symbol = std::string(TrimSpaces(form.Edit_BookSymbol.text));
  const std::optional<Instrument> instrument = InstrumentFor(form.OwnInstruments, position.symbol);
  if (position.symbol.empty()) {
    Refuse(form, "Edit_BookSymbol",
           "Инструмент: введите его, как в таблице котировок, например EUR/USD.");
  }
  if (!instrument) {
    Refuse(form, "Edit_BookSymbol",
           "Инструмент «" + position.symbol + "» программе не известен: нет его спецификации.");
  }
  position.buying = form.ComboBox_BookSide.itemIndex != 1;
  position.lots = EditorNumber(form, form.Edit_BookLots, "Edit_BookLots", "Лот", "0.1", kMaxLots);
  position.openPrice =
      EditorNumber(form, form.Edit_BookOpen, "Edit_BookOpen", "Цена открытия", "1.0850", 1e15);
  position.stopLevel = EditorLevel(form, form.Edit_BookStop, "Edit_BookStop", "Стоп лосс");
  position.takeLevel = EditorLevel(form, form.Edit_BookTake, "Edit_BookTake", "Тейк профит");
  position.planned = form.ComboBox_BookState.itemIndex == 1;
  try {
    RequestOf(position, *instrument, 1, 1);
  } catch (const TradeError& error) {
    Refuse(form, error.field() == TradeField::Stop ? "Edit_BookStop" : "Edit_BookTake",
           error.what());
  }
  return position;
}

void ShowInEditor(TForm1& form, const BookPosition& position) {
  form.Edit_BookSymbol.text = position.symbol;
  form.ComboBox_BookSide.itemIndex = position.buying ? 0 : 1;
  form.ComboBox_BookSide.text = position.buying ? kBuy : kSell;
  form.Edit_BookLots.text = LotText(position.lots);
  form.Edit_BookOpen.text = FormatGeneral(position.openPrice);
  form.Edit_BookStop.text = position.stopLevel ? FormatGeneral(*position.stopLevel) : "";
  form.Edit_BookTake.text = position.takeLevel ? FormatGeneral(*position.takeLevel) : "";
  form.ComboBox_BookState.itemIndex = position.planned ? 1 : 0;
  form.ComboBox_BookState.text = position.planned ? kPlanned : kOpen;
}

std::size_t Selected(TForm1& form) {
  const int selected = form.BookList.selectedIndex;
  if (selected < 0 || static_cast<std::size_t>(selected) >= form.BookKept.positions.size()) {
    throw UserError("Выберите позицию: щёлкните её строку в таблице портфеля.");
  }
  return static_cast<std::size_t>(selected);
}

void CheckRoom(const TForm1& form) {
  if (form.BookKept.positions.size() >= kMaxBookPositions) {
    throw UserError("В портфеле уже " + std::to_string(kMaxBookPositions) +
                    " позиций: удалите закрытые, прежде чем добавлять новые.");
  }
}

void ShowAccount(TForm1& form) {
  const Book& book = form.BookKept;
  form.Edit_BookBalance.text = book.balance > 0 ? FormatGeneral(book.balance) : "";
  form.ComboBox_BookLeverage.text = book.leverage > 0 ? FormatGeneral(book.leverage) : "";
  form.ComboBox_BookLeverage.itemIndex = -1;
  for (std::size_t i = 0; i < form.ComboBox_BookLeverage.items.size(); ++i) {
    if (form.ComboBox_BookLeverage.items[i] == form.ComboBox_BookLeverage.text) {
      form.ComboBox_BookLeverage.itemIndex = static_cast<int>(i);
    }
  }
}

}  // namespace
}  // namespace simulators

void TForm1::ShowBook() { simulators::Present(*this); }

void TForm1::Button_ToBookClick() {
  if (!AssistantFigures) {
    throw UserError("В портфель нечего добавить: " +
                    (AssistantIssue.empty() ? std::string("помощник ещё не посчитал сделку.")
                                            : AssistantIssue));
  }
  simulators::CheckRoom(*this);
  const TradeRequest& request = AssistantFigures->request;
  const TradeFigures& figures = AssistantFigures->figures;
  if (!(figures.lots > 0)) {
    throw UserError("В портфель нечего добавить: у сделки помощника нет лота.");
  }
  BookPosition position;
  position.symbol = request.instrument.symbol;
  position.buying = request.buying;
  position.lots = figures.lots;
  position.openPrice = figures.entry;
  if (request.stopPoints > 0) position.stopLevel = figures.stopLevel;
  if (request.takePoints > 0) position.takeLevel = figures.takeLevel;
  // The balance and leverage the trade was sized with, until the trader gives the book its own.
  if (!(BookKept.balance > 0)) BookKept.balance = request.deposit;
  if (!(BookKept.leverage > 0)) BookKept.leverage = request.leverage;
  simulators::ShowAccount(*this);
  BookKept.positions.push_back(position);
  BookChanged = true;
  Label_ToBook.caption = "В портфеле: " + position.symbol + ", " +
                         (position.buying ? "покупка " : "продажа ") + LotText(position.lots) +
                         " по " + simulators::PriceText(request.instrument, position.openPrice) +
                         "; сделок в портфеле: " + std::to_string(BookKept.positions.size());
  ShowBook();
}

void TForm1::BookListClick() {
  const int selected = BookList.selectedIndex;
  if (selected < 0 || static_cast<std::size_t>(selected) >= BookKept.positions.size()) return;
  simulators::ShowInEditor(*this, BookKept.positions[static_cast<std::size_t>(selected)]);
}

void TForm1::Button_BookApplyClick() {
  const std::size_t selected = simulators::Selected(*this);
  BookPosition position = simulators::EditedPosition(*this);
  // What a newer version of the program kept with the position stays with it.
  position.unknown = BookKept.positions[selected].unknown;
  if (position == BookKept.positions[selected]) return;
  BookKept.positions[selected] = std::move(position);
  BookChanged = true;
  ShowBook();
}

void TForm1::Button_BookAddClick() {
  simulators::CheckRoom(*this);
  BookKept.positions.push_back(simulators::EditedPosition(*this));
  BookList.selectedIndex = static_cast<int>(BookKept.positions.size()) - 1;
  BookChanged = true;
  ShowBook();
}

void TForm1::Button_BookRemoveClick() {
  const std::size_t selected = simulators::Selected(*this);
  BookKept.positions.erase(BookKept.positions.begin() + static_cast<std::ptrdiff_t>(selected));
  BookList.selectedIndex = -1;
  BookChanged = true;
  ShowBook();
}

void TForm1::BookAccountChange() {
  // Typed: a value that cannot be used yet is said under the table and changes nothing kept.
  std::vector<std::string> notes;
  if (const std::optional<double> balance = simulators::BalanceOf(*this, notes);
      balance && *balance != BookKept.balance) {
    BookKept.balance = *balance;
    BookChanged = true;
  }
  if (const std::optional<double> leverage = simulators::LeverageOf(*this, notes);
      leverage && *leverage != BookKept.leverage) {
    BookKept.leverage = *leverage;
    BookChanged = true;
  }
  ShowBook();
}

void TForm1::Button_PropSaveClick() {
  const PropLimits limits = ParsePropLimits(
      PropTexts{Edit_PropStart.text, Edit_PropDayStart.text, Edit_PropHighest.text,
                Edit_PropDaily.text, Edit_PropMax.text, CheckBox_PropTrailing.checked ? "1" : ""});
  if (limits == Prop) return;
  Prop = limits;
  SettingsChanged = true;
  ShowBook();
}

void TForm1::LoadBookFile() {
  if (environment.programFolder.empty()) return;
  const auto now = environment.now ? environment.now() : std::chrono::system_clock::now();
  LoadedBook loaded = LoadBook(environment.programFolder / kBookFileName, now);
  BookKept = std::move(loaded.book);
  BookWritable = loaded.writable;
  BookLoadNote = std::move(loaded.note);
  simulators::ShowAccount(*this);
  ShowBook();
}

void TForm1::StoreBook() {
  if (!BookChanged) return;
  BookChanged = false;
  // A model without a program folder (a test) keeps its book in memory only.
  if (environment.programFolder.empty()) return;
  std::string note;
  if (!BookWritable) {
    note = "Портфель не сохранён: его файл не прочитан, и он не будет записан поверх.";
  } else {
    try {
      SaveBook(environment.programFolder / kBookFileName, BookKept);
    } catch (const InOutError& error) {
      note = "Портфель не сохранён: " + std::string(error.what());
    }
  }
  if (note == BookSaveNote) return;
  BookSaveNote = std::move(note);
  ShowBook();
}

}  // namespace tiramon
