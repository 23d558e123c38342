// The quote sources in the real window, driven as a person does: choosing each source, typing the
// terminal's prices for one pair, and quitting while a page fetch hangs. Then the settings file.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <chrono>

#include "desktop/settings.h"
#include "tests/gui/gui_fixture.h"
#include "tests/gui/person.h"
#include "tests/gui/table_view.h"
#include "tests/support/canned_server.h"
#include "tests/support/feed_process.h"
#include "tests/support/test_files.h"

namespace tiramon::desktop {
namespace {

using testing::CannedConnection;
using testing::CannedServer;

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string TestData(const char* name) {
  return testing::ReadFile(std::string(TIRAMON_TEST_DATA) + "/" + name).value_or("");
}

class QuoteSourcesTest : public GuiTest {
 protected:
  QString Panel() { return Find<QLabel>("StatusBar1Panel1")->text(); }
  void ShowTab(int index) { Find<QTabWidget>("PageControl1")->setCurrentIndex(index); }
  // Saves a screenshot of the current tab when TIRAMON_SCREENSHOT_DIR names a folder.
  void Shot(const QString& name) {
    const QString folder = qEnvironmentVariable("TIRAMON_SCREENSHOT_DIR");
    if (!folder.isEmpty()) window_->grab().save(folder + "/" + name + ".png");
  }
};

TEST_F(QuoteSourcesTest, ATextLongerThanTheBarEndsInAnEllipsisAndTheTooltipHasAllOfIt) {
  WriteCache(SamplePage());
  Environment environment = MakeEnvironment();
  environment.settingsNote =
      "В файле настроек неверно: источник, адрес страницы, адрес новостей, "
      "курсы ЕЦБ, курсы ЦБ РФ, металлы, брокер; взяты исходные";
  window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  auto* panel = Find<QLabel>("StatusBar1Panel1");
  ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->text().endsWith(QChar(0x2026)); }))
      << panel->text().toStdString();
  EXPECT_LE(panel->fontMetrics().horizontalAdvance(panel->text()), panel->contentsRect().width());
  EXPECT_TRUE(panel->text().startsWith("Нет связи")) << panel->text().toStdString();
  EXPECT_TRUE(panel->toolTip().startsWith("Нет связи")) << panel->toolTip().toStdString();
  EXPECT_TRUE(panel->toolTip().endsWith(QString::fromStdString(environment.settingsNote)));
  Shot("status-long");
}

TEST_F(QuoteSourcesTest, EachSourceFillsTheTableAndSaysWhereItsPricesCameFrom) {
  if (std::string(TIRAMON_QUOTE_FEED).empty()) GTEST_SKIP() << "quote_feed not built";
  testing::FeedProcess feed(TIRAMON_QUOTE_FEED, {});
  const std::string ecb = TestData("eurofxref-daily-2023-01-03.xml");
  const std::string cbr = TestData("cbr-daily-sample.xml");
  const std::string metals = TestData("cbr-metals-sample.xml");
  CannedServer banks(CannedServer::Replies([&](const std::string& request) {
    if (request.rfind("GET /metals?", 0) == 0) return Ok(metals);
    return Ok(request.rfind("GET /ecb ", 0) == 0 ? ecb : cbr);
  }));
  const QString settings = QString::fromStdString((folder_ / "config/tiramon.conf").string());
  Environment environment = MakeEnvironment();
  environment.statusUrl = feed.Url("/down/news.txt");
  environment.quotesUrl = feed.Url("/quotes/streaming-forex-rates-%E2%80%93-majors");
  environment.ecbUrl = banks.Url("/ecb");
  environment.cbrUrl = banks.Url("/cbr");
  environment.metalsUrl = banks.Url("/metals");
  environment.saveSettings = [settings](const Environment& changed) {
    return SaveSettings(settings, changed);
  };
  window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  ASSERT_TRUE(errors_.empty()) << errors_.front();

  // The demo feed's prices are live, and made up: the panel and the assistant say so.
  EXPECT_EQ(Panel(), "ДЕМО: не рыночные цены");
  ShowTab(1);
  Shot("quotes-demo");
  ShowTab(2);
  EXPECT_EQ(Find<QLabel>("Label_PriceSource")->text(), "Цена: ДЕМО, не рыночная — не для ордеров");
  Shot("assistant-demo");

  ShowTab(1);
  person::Pick(Find<QComboBox>("ComboBox_Source"), "Официальные курсы ЕЦБ и ЦБ РФ");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Panel().contains("03.01.2023"); }));
  EXPECT_EQ(Panel(),
            "ЕЦБ: курсы на 03.01.2023, ЦБ РФ: на 14.03.2023 (средние, без спреда) — устарели");
  auto* table = Find<QTableView>("ListView1");
  ASSERT_EQ(RowCount(table), 35);               // 31 pairs, then the 4 metals
  EXPECT_EQ(CellText(table, 0, 1), "1.05450");  // EUR/USD: the ECB's 1.0545 dollars per euro
  EXPECT_EQ(CellText(table, 4, 1), "130.800");  // USD/JPY: 137.93 / 1.0545 = 130.80
  Shot("quotes-official");
  // The metals after the pairs: 4500.12 roubles a gram × 31.1034768 / 75.4321 = 1855.57 $/oz.
  EXPECT_EQ(CellText(table, 31, 0), "XAU/USD");
  EXPECT_EQ(CellText(table, 31, 1), "1855.57");  // with gold's two decimals
  table->scrollToBottom();
  Shot("quotes-official-metals");
  ShowTab(2);
  EXPECT_EQ(Find<QLabel>("Label_PriceSource")->text(),
            "Цена: официальный курс на 03.01.2023 — не для ордеров, устарела");
  Shot("assistant-official");
  // Gold chosen from the assistant's list: 0.1 × 100 oz × 1855.57 ÷ 500 = 37.11 of margin, a
  // point of 0.01 worth $0.10, the stop 150 points (1.50) below with gold's two decimals.
  person::Pick(Find<QComboBox>("ComboBox_Instrument"), "XAU/USD");
  EXPECT_EQ(Find<QLabel>("Zalog")->text(), "37.11");
  EXPECT_EQ(Find<QLabel>("Punkt")->text(), "0.10");
  EXPECT_EQ(Find<QLineEdit>("Edit_Loss")->text(), "1854.07");
  Shot("assistant-gold");
  {
    QSettings stored(settings, QSettings::IniFormat);
    EXPECT_EQ(stored.value("quotes/source").toString(), "official");
  }

  ShowTab(1);
  person::Pick(Find<QComboBox>("ComboBox_Source"), "Страница котировок");
  ASSERT_TRUE(QTest::qWaitFor([&] { return Panel() == "ДЕМО: не рыночные цены"; }));
  QSettings stored(settings, QSettings::IniFormat);
  EXPECT_EQ(stored.value("quotes/source").toString(), "page");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(QuoteSourcesTest, TheTerminalsPricesTypedForOnePairDriveTheAssistant) {
  WriteCache(SamplePage());
  Open();
  ShowTab(2);
  ASSERT_EQ(window_->model().SelectedPair, "EUR/USD");
  const QString before = Panel();
  person::Prepare(Find<QLineEdit>("Edit_OwnBid"), "1.2000", 6);
  person::Prepare(Find<QLineEdit>("Edit_OwnAsk"), "1.2003", 6);
  person::Click(Find<QPushButton>("Button_OwnPrices"));
  ASSERT_TRUE(errors_.empty()) << errors_.front();
  EXPECT_EQ(Find<QRadioButton>("RadioButton_Buy")->text(), "Покупка (ask): 1.2003");
  EXPECT_EQ(Find<QRadioButton>("RadioButton_sell")->text(), "Продажа (bid): 1.2000");
  EXPECT_EQ(Find<QLabel>("Label_PriceSource")->text(), "Цена: ваша, из терминала");
  EXPECT_EQ(Panel(), "Свои цены: EUR/USD; остальные — " + before);
  // Buying 0.1 lot at the ask of 1.2003 with leverage 500: 0.1 × 100000 × 1.2003 / 500 =
  // 24.006 dollars, to the cent.
  EXPECT_EQ(Find<QLabel>("Zalog")->text(), "24.01");
  Shot("assistant-own");

  person::Click(Find<QPushButton>("Button_ClearOwnPrices"));
  EXPECT_EQ(Panel(), before);
  // The source's price back, as the table shows it.
  EXPECT_EQ(Find<QRadioButton>("RadioButton_Buy")->text(), "Покупка (ask): 1.12360");

  // A price the terminal never shows is refused in the user's words.
  person::Prepare(Find<QLineEdit>("Edit_OwnBid"), "1..2", 4);
  person::Click(Find<QPushButton>("Button_OwnPrices"));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_.front().rfind("Bid введён неверно: «1..2».", 0), 0u) << errors_.front();
}

TEST_F(QuoteSourcesTest, ExitDuringAHungPageFetchEndsTheProgramWithinASecond) {
  WriteCache(SamplePage());
  // The status file gives the go-ahead; the page server accepts and never answers.
  CannedServer publisher([](CannedConnection& connection) {
    while (std::optional<std::string> request = connection.ReadRequest()) {
      if (request->rfind("GET /down/news.txt ", 0) == 0) {
        if (!connection.Send(Ok("1\r\n"))) return;
      } else {
        connection.ReadRequest(std::chrono::seconds(60));
        return;
      }
    }
  });
  Environment environment = MakeEnvironment();
  environment.statusUrl = publisher.Url("/down/news.txt");
  environment.quotesUrl = publisher.Url("/quotes/streaming-forex-rates-%E2%80%93-majors");
  window_ = std::make_unique<MainWindow>(environment, TrayMode::Enabled);
  window_->BuildEveryPage();
  window_->model().FirstShow = false;  // the window is up; the user presses the button
  QElapsedTimer sinceExit;
  bool waitedAtAll = false;
  QTimer::singleShot(300, window_.get(), [&] {
    waitedAtAll = true;
    for (QAction* action : window_->trayMenu()->actions()) {
      if (action->objectName() == "N3") action->trigger();
    }
    sinceExit.start();
  });
  QTest::mouseClick(Find<QPushButton>("Button9"), Qt::LeftButton);
  EXPECT_TRUE(waitedAtAll) << "the fetch ended before the user chose Выход";
  EXPECT_TRUE(window_->quitRequested());
  EXPECT_LT(sinceExit.elapsed(), 1000);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(QuoteSourcesTest, TheSettingsFileNeverStopsTheProgram) {
  const QString path = QString::fromStdString((folder_ / "tiramon.conf").string());
  struct Case {
    const char* name;
    QByteArray file;  // empty: no file
    QuoteSource source;
    std::string quotesUrl;
    std::string note;
  } cases[] = {
      {"no file: a fresh install", "", QuoteSource::Page, "", ""},
      {"official rates chosen", "[quotes]\nsource=official\n", QuoteSource::OfficialRates, "", ""},
      {"a page address", "[quotes]\nsource=page\npageUrl=http://example.net/q\n", QuoteSource::Page,
       "http://example.net/q", ""},
      {"an unknown source", "[quotes]\nsource=banana\n", QuoteSource::Page, "",
       "В файле настроек неверно: источник; взяты исходные"},
      {"an address that is no web address", "[quotes]\npageUrl=ftp://x/q\nsource=official\n",
       QuoteSource::OfficialRates, "", "В файле настроек неверно: адрес страницы; взяты исходные"},
      {"binary garbage", QByteArray("\x00\xff\xfe[[[=\n\x01", 10), QuoteSource::Page, "",
       "Файл настроек повреждён, взяты исходные настройки"},
      {"a line that is no setting", "[quotes]\nsource=official\nnonsense\n", QuoteSource::Page, "",
       "Файл настроек повреждён, взяты исходные настройки"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile::remove(path);
    if (!c.file.isEmpty()) {
      QFile file(path);
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.write(c.file);
    }
    Environment environment;
    LoadSettings(path, environment);
    EXPECT_EQ(environment.quoteSource, c.source);
    EXPECT_EQ(environment.quotesUrl, c.quotesUrl);
    EXPECT_EQ(environment.settingsNote, c.note);
  }

  // A folder where the file should be can be neither read nor written.
  QFile::remove(path);
  ASSERT_TRUE(QDir().mkpath(path));
  Environment unreadable;
  LoadSettings(path, unreadable);
  EXPECT_EQ(unreadable.settingsNote, "Файл настроек не читается, взяты исходные настройки");
  EXPECT_FALSE(SaveSettings(path, unreadable).empty());
  ASSERT_TRUE(QDir(path).removeRecursively());

  // What is saved is read back.
  Environment chosen;
  chosen.quoteSource = QuoteSource::OfficialRates;
  chosen.statusUrl = "https://example.net/down/news.txt";
  chosen.quotesUrl = "http://example.net/quotes";
  EXPECT_EQ(SaveSettings(path, chosen), "");
  Environment read;
  LoadSettings(path, read);
  EXPECT_EQ(read.quoteSource, QuoteSource::OfficialRates);
  EXPECT_EQ(read.statusUrl, chosen.statusUrl);
  EXPECT_EQ(read.quotesUrl, chosen.quotesUrl);
  EXPECT_EQ(read.settingsNote, "");
}

}  // namespace
}  // namespace tiramon::desktop
