// The main window as a data model: every control the user sees, with its defaults, the few
// process-wide values of the program, and the handler of every user event. Each handler names
// the file that defines it; which control event runs it is the wiring table of app/wiring.h.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/book.h"
#include "app/book_file.h"
#include "app/controls.h"
#include "app/environment.h"
#include "app/market.h"
#include "app/price_origin.h"
#include "app/risk_analysis.h"
#include "app/trade.h"

namespace tiramon {

inline constexpr const char* kApplicationTitle = "Тирамон";

class TForm1 {
 public:
  explicit TForm1(Environment environment = {});

  // ---- Window -------------------------------------------------------------------------------
  std::string caption;
  TPageControl PageControl1;
  TStatusBar StatusBar1;
  std::vector<TMenuItem> PopupMenu1;

  // ---- Tab 0 "О программе" ------------------------------------------------------------------
  TGroupBox grp5;
  TLabel lbl28, lbl29, lbl30;
  TImage Image1, Image2, Image3, Image4, Image5, Image6;
  TGroupBox Panel_Ads;  // "Реклама для брокеров"
  TLabel Label_Ads;     // "Реклама брокеров"

  // ---- Tab 1 "Форекс валютные пары" ---------------------------------------------------------
  TGroupBox GroupBox11;
  TLabel Label52;
  TComboBox edit_lot;
  TLabel Label55;
  TEdit Edit8;
  TLabel Label53, Label41;
  TButton Button9;
  TListView ListView1;
  TLabel Label39;
  TLabel Label_TableNote;  // why the table's boxes give no figures
  TMemo Memo_Back;         // hidden
  // Where the quotes come from, and the quote page's two addresses.
  TLabel Label_Source;
  TComboBox ComboBox_Source;  // a list to choose from, not to type into
  TLabel Label_StatusUrl;
  TEdit Edit_StatusUrl;
  TLabel Label_QuotesUrl;
  TEdit Edit_QuotesUrl;
  TButton Button_SaveUrls;

  // ---- Tab 2 "Помощник" ---------------------------------------------------------------------
  TGroupBox GroupBox12;
  TLabel Label_Valuta;
  // Every instrument the program knows and the trader's own, to choose without the table.
  TComboBox ComboBox_Instrument;  // a list to choose from
  TRadioButton RadioButton_Buy, RadioButton_sell;
  TLabel Label_PriceSource;  // where the working price comes from
  // The trader's own prices for the selected pair, as his terminal shows them.
  TLabel Label_OwnPrices;
  TEdit Edit_OwnBid, Edit_OwnAsk;
  TButton Button_OwnPrices, Button_ClearOwnPrices;

  TGroupBox GroupBox13;
  TLabel Label35;
  TComboBox ComboBox_los;
  TEdit Edit_Loss;
  TButton SpeedButton3;
  TLabel Label44;
  TComboBox ComboBox_Teik;
  TEdit Edit_Teik;
  TButton SpeedButton2;
  TLabel Label59, Label_Loss, Label_Loss2, Label43, Label_Profit, Label34, Soot;

  TGroupBox GroupBox8;
  TLabel Label36;
  TEdit Edit_Deposit;
  TLabel Label38, Label50;
  TComboBox ComboBox_Plecho;
  TLabel Label54;
  TRadioButton RadioButton11;
  TComboBox ComboBox_Lot;
  TRadioButton RadioButton9;
  TComboBox ComboBox_LotProc;
  TLabel Label49;
  TEdit Edit_ProcLot;
  TButton SpeedButton1;
  TLabel Label51;
  TEdit Edit_ProcLot2;
  TButton SpeedButton4;
  TLabel Label42, Zalog, Label45, Punkt;
  // The trader's broker: the button that opens its dialog and what the figures count with.
  TButton Button_Broker;
  TLabel Label_Broker;
  // The stop loss and take profit typed as prices into Edit_Loss and Edit_Teik.
  TCheckBox CheckBox_StopLevels;
  TLabel Label_StopOut;  // the price at which the broker's stop-out closes the position

  // The trader's own instruments: the button beside the broker's, and its dialog.
  TButton Button_Instruments;
  TGroupBox GroupBox_Instruments;
  bool InstrumentsDialogVisible = false;
  TLabel Label_InstrumentEdit;
  TComboBox ComboBox_InstrumentEdit;  // a list to choose from: a new one, or one to change
  TLabel Label_InstSymbol, Label_InstBase, Label_InstQuote, Label_InstContract, Label_InstPoint,
      Label_InstMargin;
  TEdit Edit_InstSymbol, Edit_InstBase, Edit_InstQuote, Edit_InstContract, Edit_InstPoint,
      Edit_InstMargin;
  TLabel Label_InstrumentsNote;
  TButton Button_InstrumentSave, Button_InstrumentRemove, Button_InstrumentsClose;

  // The broker's dialog, opened from the assistant tab.
  TGroupBox GroupBox_Broker;
  bool BrokerDialogVisible = false;
  TLabel Label_AccountCurrency;
  TComboBox ComboBox_AccountCurrency;  // a list to choose from
  TLabel Label_Commission;
  TEdit Edit_Commission;
  TLabel Label_LotStep;
  TEdit Edit_LotStep;
  TLabel Label_MinLot;
  TEdit Edit_MinLot;
  TLabel Label_MaxLot;
  TEdit Edit_MaxLot;
  TLabel Label_StopOutLevel;
  TEdit Edit_StopOutLevel;
  TLabel Label_BrokerNote;
  TButton Button_BrokerSave, Button_BrokerCancel;

  TGroupBox GroupBox10;
  TMemo Memo1;

  // The assistant's trade into the book.
  TButton Button_ToBook;
  TLabel Label_ToBook;  // what the last «В портфель» added

  // ---- Tab 3 "Рост депозита" ----------------------------------------------------------------
  TLabel Label5;
  TGroupBox grp1;
  TLabel lbl1;
  TEdit edt_Kapital;
  TLabel lbl6, lbl3;
  TEdit edt_count;
  TLabel Label46;
  TGroupBox GroupBox1;
  TRadioButton RadioButton1;
  TEdit edit_risk;
  TLabel Label11;
  TRadioButton RadioButton2;
  TEdit edit_risk2;
  TLabel Label6, Label1, Label2;
  TEdit edit_sootonoshenie;
  TButton Button1;
  TMemo mmo_lot;
  TGroupBox GroupBox7;
  TLabel Label3, Label32, Label4, Label33;

  // ---- Tab 4 "Слив депозита" ----------------------------------------------------------------
  TLabel Label17;
  TGroupBox GroupBox2;
  TLabel Label7;
  TEdit edt_Kapital2;
  TLabel Label9;
  TLabel Label8;     // hidden, labels edt_count2
  TEdit edt_count2;  // hidden; read and not used
  TGroupBox GroupBox3;
  TRadioButton RadioButton3;
  TEdit edit_riska1;
  TLabel Label15;
  TRadioButton RadioButton4;
  TEdit edit_riska2;
  TLabel Label16;
  TButton Button4;
  TButton Button2, Button3;  // hidden under mmo_lot2; both run Button1Click
  TLabel Label10, Label12, Label13;
  TMemo mmo_lot2;
  TGroupBox GroupBox4;
  TLabel Label14, Label19, Label18, Label20, Label21, Label22;

  // ---- Tab 5 "Для умных" --------------------------------------------------------------------
  TLabel Label47;
  TGroupBox GroupBox5;
  TLabel Label23;
  TEdit edt_Kapital3;
  TLabel Label25, Label24;
  TEdit edt_count3;
  TGroupBox GroupBox6;
  TRadioButton RadioButton31;
  TEdit edit_risk3;
  TLabel Label30;
  TRadioButton RadioButton32;
  TEdit edit_risk3a;
  TLabel Label31, Label26, Label27;
  TEdit edit_sootonoshenie3;
  TLabel Label28;
  TEdit kol_prib3;
  TLabel Label29;
  TCheckBox CheckBox_Real;
  TButton Button5;
  TMemo mmo_lot3;
  TGroupBox GroupBox9;
  TLabel Label62, Label65, Label66, Label67;

  // ---- Tab 6 "Анализ риска" ----------------------------------------------------------------
  TGroupBox RiskInputsBox;  // "Параметры"
  TLabel Label_RiskDeposit, Label_RiskDepositUnit;
  TEdit RiskDeposit;
  TLabel Label_RiskTrades;
  TEdit RiskTrades;
  TLabel Label_RiskMode;
  TRadioButton RiskPercentMode, RiskMoneyMode;
  TLabel Label_RiskAmount, RiskAmountUnit;  // the unit follows the mode: % or $
  TEdit RiskAmount;
  TLabel Label_RiskRatio;
  TEdit RiskRatio;
  TLabel Label_RiskWinShare, Label_RiskWinShareUnit;
  TEdit RiskWinShare;
  TLabel Label_RiskRuin, Label_RiskRuinUnit;
  TEdit RiskRuin;
  TLabel Label_RiskSeries;
  TEdit RiskSeries;
  TLabel Label_RiskSeed;
  TEdit RiskSeed;
  TButton RiskFromAssistant, RiskCalculate, RiskCancel;
  TProgressBar RiskProgress;  // in the place of RiskStatus while a long run goes on
  TLabel RiskStatus;          // what was computed, or why not
  TGroupBox RiskSummaryBox;   // "Итоги": a caption and a value per figure
  TLabel Label_RiskRuinProbability, RiskRuinProbability;
  TLabel Label_RiskFinalP05, RiskFinalP05;
  TLabel Label_RiskFinalP25, RiskFinalP25;
  TLabel Label_RiskFinalMedian, RiskFinalMedian;
  TLabel Label_RiskFinalP75, RiskFinalP75;
  TLabel Label_RiskFinalP95, RiskFinalP95;
  TLabel Label_RiskDrawdownMedian, RiskDrawdownMedian;
  TLabel Label_RiskDrawdownP95, RiskDrawdownP95;
  TLabel Label_RiskLosingRunMedian, RiskLosingRunMedian;
  TLabel Label_RiskLosingRunP95, RiskLosingRunP95;
  TLabel Label_RiskExpectancy, RiskExpectancy;
  RiskPictures RiskCharts;  // the fan of deposits and the histogram of final deposits
  TTimer Timer_Risk;        // runs while a long run goes on, to show its progress and its end
  std::shared_ptr<RiskRun> RiskJob;  // the long run under way; empty when none
  TFocus Focus;                      // where a refusal sends the keyboard

  // ---- Tab 7 "Портфель" --------------------------------------------------------------------
  TLabel Label_BookBalance;
  TEdit Edit_BookBalance;
  TLabel Label_BookLeverage;
  TComboBox ComboBox_BookLeverage;
  TLabel Label_BookPrices;  // where the prices of the results now come from
  TListView BookList;       // one row per position, with its figures
  // The selected position's editor row: a caption and a box for each of its fields.
  TLabel Label_BookSymbol, Label_BookSide, Label_BookLots, Label_BookOpen, Label_BookStop,
      Label_BookTake, Label_BookState;
  TEdit Edit_BookSymbol;
  TComboBox ComboBox_BookSide;  // a list to choose from
  TEdit Edit_BookLots, Edit_BookOpen, Edit_BookStop, Edit_BookTake;
  TComboBox ComboBox_BookState;  // a list to choose from
  TButton Button_BookApply, Button_BookAdd, Button_BookRemove;
  TLabel Label_BookNote;    // what could not be counted, kept or saved
  TGroupBox BookTotalsBox;  // "Весь портфель": a caption and a value per figure
  TLabel Label_BookCount, BookCount;
  TLabel Label_BookLoss, BookLoss;
  TLabel Label_BookMargin, BookMargin;
  TLabel Label_BookFreeMargin, BookFreeMargin;
  TLabel Label_BookLevelNow, BookLevelNow;
  TLabel Label_BookLevelAtStops, BookLevelAtStops;
  TLabel Label_BookResult, BookResult;
  TLabel BookWarning;         // the stop-out before the stops, a loss beyond the balance
  TGroupBox BookExposureBox;  // "Позиция по валютам"
  TListView BookExposure;     // largest first
  TGroupBox PropBox;          // "Лимиты проп-фирмы"
  TLabel Label_PropStart, Label_PropDayStart, Label_PropHighest, Label_PropDaily, Label_PropMax;
  TEdit Edit_PropStart, Edit_PropDayStart, Edit_PropHighest, Edit_PropDaily, Edit_PropMax;
  TCheckBox CheckBox_PropTrailing;
  TButton Button_PropSave;
  TLabel PropRoom;  // the room under each limit if every stop is hit
  // The book as its file keeps it, and whether it is to be written (BookChanged) and may be
  // (a file that could not be read or set aside is never written over).
  Book BookKept;
  bool BookChanged = false;
  bool BookWritable = true;
  int BookRevision = 0;  // grows whenever the book's lists change, for the view to redraw them
  std::string BookLoadNote, BookSaveNote;  // what reading and writing the file had to say
  // The prop firm's limits, which the book and the assistant count with.
  PropLimits Prop;

  // ---- Process-wide values ------------------------------------------------------------------
  // Reference bids and the selection: texts as captured from the page, empty at start, never
  // reset by a refresh.
  std::string RefBid_EURUSD, RefBid_GBPUSD, RefBid_AUDUSD, RefBid_NZDUSD, RefBid_USDCHF,
      RefBid_USDCAD;
  std::string SelectedPair, SelectedBid, SelectedAsk;
  bool QuotesAvailable = false;
  bool FirstShow = false;
  // Where the table's prices came from and how old they are.
  PriceOrigin Prices;
  // The age of the prices is said in words that go stale themselves ("10:32" turns red after an
  // hour): they are worded afresh twice a minute.
  TTimer Timer_Age;
  // What the currencies of the table are worth, from its rows; rebuilt with the table.
  DollarRates TableRates;
  // Instruments the trader has specified himself; they stand before the ones the program knows.
  std::vector<Instrument> OwnInstruments;
  // The trade the assistant shows, as the engine counted it; empty when a box of it cannot be
  // used, and then AssistantIssue says which, in the words of the warnings box.
  std::optional<PricedTrade> AssistantFigures;
  std::string AssistantIssue;
  // The trader's broker, which every figure of the assistant counts with.
  BrokerConditions Broker;
  // A handler changed what the settings file keeps; storing them follows it in the wiring.
  bool SettingsChanged = false;
  // The first show put up the cached official rates; the download waits until the window is up.
  bool RefreshAfterShow = false;

  Environment environment;

  // ---- Handlers -----------------------------------------------------------------------------
  void FormCreate();                    // app/shell.cpp
  void FormShow();                      // app/first_show.cpp
  void FormCloseQuery(bool& canClose);  // app/shell.cpp
  void N6Click();                       // app/shell.cpp
  void N3Click();                       // app/shell.cpp
  void lbl30Click();                    // app/about.cpp
  void Image1Click();                   // app/about.cpp
  void Image2Click();                   // app/about.cpp
  void Image3Click();                   // app/about.cpp
  void Image4Click();                   // app/about.cpp
  void Image5Click();                   // app/about.cpp
  void Image6Click();                   // app/about.cpp

  void FormActivate();                // app/first_show.cpp: the window has just appeared
  void Button9Click();                // quotes/refresh.cpp
  void edit_lotChange();              // quotes/quote_table.cpp: also Edit8
  void ComboBox_SourceChange();       // quotes/source_choice.cpp
  void Button_SaveUrlsClick();        // quotes/source_choice.cpp
  void Button_OwnPricesClick();       // quotes/own_prices.cpp
  void Button_ClearOwnPricesClick();  // quotes/own_prices.cpp
  void Timer_AgeTimer();              // quotes/provenance.cpp: the prices have aged
  // Puts Prices into words: status-bar panel 1 and the assistant's price source.
  void ShowPriceOrigin();  // quotes/provenance.cpp
  // The page's two addresses and their button are there only while the page is the source.
  void ShowSourceControls();  // quotes/source_choice.cpp
  // Stores the settings when a handler has changed them (SettingsChanged); a file that cannot be
  // written is said in the status bar.
  void StoreSettings();  // app/settings_rules.cpp
  // The cached official rates, for a first show that must not wait on the network.
  void ShowCachedRates();  // quotes/official_refresh.cpp
  // Text colour of a table row; nullopt keeps the list's normal colour.
  std::optional<TColor> ListView1CustomDrawItem(
      const TListItem& item) const;           // quotes/indicator.cpp
  TPanelDrawing StatusBar1DrawPanel() const;  // quotes/indicator.cpp

  void ListView1Click();                     // assistant/recalc.cpp
  void ListView1DblClick();                  // assistant/direction.cpp
  void RadioButton_BuyClick();               // assistant/direction.cpp
  void RadioButton_sellClick();              // assistant/direction.cpp
  void SpeedButton1Click();                  // assistant/clipboard.cpp
  void SpeedButton2Click();                  // assistant/clipboard.cpp
  void SpeedButton3Click();                  // assistant/clipboard.cpp
  void SpeedButton4Click();                  // assistant/clipboard.cpp
  void N5Click();                            // assistant/clipboard.cpp
  void Edit_DepositKeyPress(char32_t& key);  // assistant/key_filters.cpp
  void Button_BrokerClick();                 // assistant/broker.cpp: opens the dialog
  void Button_BrokerSaveClick();             // assistant/broker.cpp
  void Button_BrokerCancelClick();           // assistant/broker.cpp
  void CheckBox_StopLevelsClick();           // assistant/broker.cpp
  void ComboBox_InstrumentChange();          // assistant/instruments.cpp: chosen from the list
  void Button_InstrumentsClick();            // assistant/instruments.cpp: opens the dialog
  void ComboBox_InstrumentEditChange();      // assistant/instruments.cpp
  void Button_InstrumentSaveClick();         // assistant/instruments.cpp
  void Button_InstrumentRemoveClick();       // assistant/instruments.cpp
  void Button_InstrumentsCloseClick();       // assistant/instruments.cpp
  // Signs of the account's currency where the tab writes money.
  void ShowAccountCurrency();            // assistant/broker.cpp
  void edit_lotKeyPress(char32_t& key);  // assistant/key_filters.cpp

  void Button1Click();        // simulators/growth.cpp (also Button2, Button3)
  void Button4Click();        // simulators/drain.cpp
  void Button5Click();        // simulators/trade_series.cpp
  void RadioButton1Click();   // simulators/risk_mode.cpp
  void RadioButton2Click();   // simulators/risk_mode.cpp
  void RadioButton3Click();   // simulators/risk_mode.cpp
  void RadioButton4Click();   // simulators/risk_mode.cpp
  void RadioButton31Click();  // simulators/risk_mode.cpp
  void RadioButton32Click();  // simulators/risk_mode.cpp

  void RiskModeClick();           // simulators/risk_form.cpp: RiskPercentMode, RiskMoneyMode
  void RiskFromAssistantClick();  // simulators/risk_form.cpp
  void RiskCalculateClick();      // simulators/risk_form.cpp
  void RiskCancelClick();         // simulators/risk_form.cpp
  void Timer_RiskTimer();         // simulators/risk_form.cpp: a long run's progress and end

  void Button_ToBookClick();      // simulators/book_form.cpp: the assistant's trade into the book
  void BookListClick();           // simulators/book_form.cpp: a position into the editor row
  void Button_BookApplyClick();   // simulators/book_form.cpp
  void Button_BookAddClick();     // simulators/book_form.cpp
  void Button_BookRemoveClick();  // simulators/book_form.cpp
  void BookAccountChange();       // simulators/book_form.cpp: Edit_BookBalance, the leverage
  void Button_PropSaveClick();    // simulators/book_form.cpp
  // The figures of the book, after its positions, the prices or the broker changed.
  void ShowBook();  // simulators/book_form.cpp
  // Reads the book's file when the window is created; a damaged one is set aside with a note.
  void LoadBookFile();  // simulators/book_form.cpp
  // Writes the book's file when a handler has changed the book (BookChanged).
  void StoreBook();  // simulators/book_form.cpp
};

}  // namespace tiramon
