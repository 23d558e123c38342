// The official-rates source end to end on loopback: the central banks' documents (rates and
// metals) served by test servers fill the quote table and its caches; hostile answers leave the
// table and the caches as they were and say why in the status panel; with no bank and no cache
// the rates that came with the program stand in, marked as old.
#include "quotes/official_refresh.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/quote_sources.h"
#include "app/unit1.h"
#include "app/wiring.h"
#include "support/download.h"
#include "support/numtext.h"
#include "tests/support/canned_server.h"
#include "tests/support/test_files.h"

namespace tiramon {
namespace {

using testing::CannedConnection;
using testing::CannedServer;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using namespace std::chrono_literals;

std::string Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string TestData(const char* name) {
  return ReadFile(std::string(TIRAMON_TEST_DATA) + "/" + name).value_or("");
}

const std::string kEcb = TestData("eurofxref-daily-2023-01-03.xml");
const std::string kCbr = TestData("cbr-daily-sample.xml");
const std::string kMetals = TestData("cbr-metals-sample.xml");
const std::string kRefused = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n";

// Serves the three documents; any answer can be swapped for a hostile one.
class Banks {
 public:
  Banks(std::string ecbAnswer, std::string cbrAnswer, std::string metalsAnswer = Ok(kMetals))
      : server_(CannedServer::Replies([=](const std::string& request) {
          if (request.rfind("GET /ecb.xml ", 0) == 0) return ecbAnswer;
          if (request.rfind("GET /cbr.asp ", 0) == 0) return cbrAnswer;
          if (request.rfind("GET /metals.asp?", 0) == 0) return metalsAnswer;
          return std::string("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
        })) {}
  Environment At(const std::filesystem::path& folder) const {
    Environment environment;
    environment.programFolder = folder;
    environment.quoteSource = QuoteSource::OfficialRates;
    environment.ecbUrl = server_.Url("/ecb.xml");
    environment.cbrUrl = server_.Url("/cbr.asp");
    environment.metalsUrl = server_.Url("/metals.asp");
    return environment;
  }
  std::vector<std::string> requests() const { return server_.requests(); }

 private:
  CannedServer server_;
};

struct Row {
  std::string name, price;
};

std::vector<Row> Rows(const TForm1& form) {
  std::vector<Row> rows;
  for (const TListItem& item : form.ListView1.items) {
    EXPECT_GE(item.subItems.size(), 3u) << item.caption;
    if (item.subItems.size() < 3) continue;
    // A mid rate is both the bid and the ask, so no spread. The table shows it with the decimals
    // its pair uses (five, three for yen and roubles); the banks' rates have two for yen pairs
    // and four for the rest, and the zeros beyond those are the table's.
    EXPECT_EQ(item.subItems[0], item.subItems[1]) << item.caption;
    EXPECT_EQ(item.subItems[2], "0") << item.caption;
    std::string bid(item.subItems[0]);
    const std::size_t official = item.caption.find("JPY") != std::string::npos ? 2 : 4;
    const std::size_t point = bid.find('.');
    if (point != std::string::npos && bid.size() > point + 1 + official) {
      EXPECT_EQ(bid.find_first_not_of('0', point + 1 + official), std::string::npos) << bid;
      bid.resize(point + 1 + official);
    }
    rows.push_back(Row{item.caption, bid});
  }
  return rows;
}

class OfficialRefreshTest : public ::testing::Test {
 protected:
  void SetUp() override { DecimalMark = '.'; }
  TempDir dir_;
};

TEST_F(OfficialRefreshTest, TheBanksRatesBecomeTheTable) {
  Banks banks(Ok(kEcb), Ok(kCbr));
  TForm1 form(banks.At(dir_.path()));
  form.Button9Click();

  // Units per euro on 03.01.2023: USD 1.0545, JPY 137.93, GBP 0.88048, CHF 0.9879, CAD 1.4414,
  // AUD 1.5708, NZD 1.6932, SGD 1.4188 ... A pair's mid is quote ÷ base, rounded half up to 4
  // decimals (2 for yen). USD/RUB comes from the Bank of Russia's sample: 75,4321 roubles per
  // dollar.
  const std::vector<Row> expected = {
      {"EUR/USD", "1.0545"},   // 1.0545 / 1
      {"GBP/USD", "1.1976"},   // 1.0545 / 0.88048 = 1.19764...
      {"AUD/USD", "0.6713"},   // 1.0545 / 1.5708 = 0.67131...
      {"NZD/USD", "0.6228"},   // 1.0545 / 1.6932 = 0.62278...
      {"USD/JPY", "130.80"},   // 137.93 / 1.0545 = 130.801...
      {"USD/CHF", "0.9368"},   // 0.9879 / 1.0545 = 0.93684...
      {"USD/CAD", "1.3669"},   // 1.4414 / 1.0545 = 1.36690...
      {"USD/SEK", "10.5671"},  // 11.1430 / 1.0545 = 10.56709...
      {"USD/DKK", "7.0526"},   // 7.4370 / 1.0545 = 7.05263...
      {"USD/NOK", "9.9839"},   // 10.5280 / 1.0545 = 9.98388...
      {"USD/HKD", "7.8134"},   // 8.2392 / 1.0545 = 7.81337...
      {"USD/SGD", "1.3455"},   // 1.4188 / 1.0545 = 1.34547...
      {"USD/TRY", "18.7355"},  // 19.7566 / 1.0545 = 18.73551...
      {"USD/CNY", "6.9097"},   // 7.2863 / 1.0545 = 6.90972...
      {"USD/RUB", "75.4321"},  // Bank of Russia: 75,4321 / 1
      {"USD/MXN", "19.4673"},  // 20.5283 / 1.0545 = 19.46733...
      {"USD/PLN", "4.4411"},   // 4.6831 / 1.0545 = 4.44106...
      {"USD/ZAR", "17.0877"},  // 18.0190 / 1.0545 = 17.08772...
      {"EUR/GBP", "0.8805"},   // 0.88048 / 1 → half up at the 4th decimal
      {"EUR/JPY", "137.93"},   // 137.93 / 1
      {"GBP/JPY", "156.65"},   // 137.93 / 0.88048 = 156.652...
      {"CHF/JPY", "139.62"},   // 137.93 / 0.9879 = 139.619...
      {"EUR/CHF", "0.9879"},   // 0.9879 / 1
      {"AUD/NZD", "1.0779"},   // 1.6932 / 1.5708 = 1.07792...
      {"CAD/JPY", "95.69"},    // 137.93 / 1.4414 = 95.692...
      {"AUD/JPY", "87.81"},    // 137.93 / 1.5708 = 87.809...
      {"NZD/JPY", "81.46"},    // 137.93 / 1.6932 = 81.461...
      {"EUR/AUD", "1.5708"},   // 1.5708 / 1
      {"EUR/CAD", "1.4414"},   // 1.4414 / 1
      {"GBP/CHF", "1.1220"},   // 0.9879 / 0.88048 = 1.12200...
      {"SGD/JPY", "97.22"},    // 137.93 / 1.4188 = 97.216...
      // After the pairs the metals of the latest day of the sample (14.03.2023), in roubles per
      // gram × 31.1034768 grams per ounce ÷ 75.4321 roubles per dollar.
      {"XAU/USD", "1855.57"},  // 4500.12 × 31.1034768 / 75.4321 = 1855.5678...
      {"XAG/USD", "21.594"},   // 52.37 × 31.1034768 / 75.4321 = 21.59411...
      {"XPT/USD", "969.26"},   // 2350.65 × 31.1034768 / 75.4321 = 969.2609...
      {"XPD/USD", "1401.95"},  // 3400.00 × 31.1034768 / 75.4321 = 1401.9471...
  };
  const std::vector<Row> rows = Rows(form);
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].name, expected[i].name);
    EXPECT_EQ(rows[i].price, expected[i].price) << expected[i].name;
  }
  // The derived columns as for any source: 0.1 lot of EUR/USD is 0.1 × 100000 × 1.0545 dollars.
  EXPECT_EQ(form.ListView1.items[0].subItems[3], "10545");
  // The first refresh chooses EUR/USD, at the mid as both prices.
  EXPECT_EQ(form.SelectedPair, "EUR/USD");
  EXPECT_EQ(form.RadioButton_Buy.caption, "Покупка (ask): 1.0545");

  EXPECT_TRUE(form.QuotesAvailable);
  EXPECT_EQ(form.StatusBar1.panels[1].text,
            "ЕЦБ: курсы на 03.01.2023, ЦБ РФ: на 14.03.2023 (средние, без спреда) — устарели");
  EXPECT_EQ(form.StatusBar1.panels[1].fontColor, colors::Red);
  EXPECT_EQ(ReadFile(dir_ / "ecb-rates.xml"), kEcb);
  EXPECT_EQ(ReadFile(dir_ / "cbr-rates.xml"), kCbr);
  EXPECT_EQ(ReadFile(dir_ / "cbr-metals.xml"), kMetals);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "ecb-rates.xml.part"));
}

TEST_F(OfficialRefreshTest, WithoutAnAnswerTheCachesServe) {
  {
    Banks banks(Ok(kEcb), Ok(kCbr));
    TForm1 form(banks.At(dir_.path()));
    form.Button9Click();
  }
  Banks down(kRefused, kRefused, kRefused);
  TForm1 form(down.At(dir_.path()));
  form.Button9Click();
  EXPECT_EQ(form.ListView1.items.size(), 35u);  // 31 pairs and 4 metals
  EXPECT_FALSE(form.QuotesAvailable);
  EXPECT_EQ(form.StatusBar1.panels[1].text,
            "Нет связи, из кэша: ЕЦБ: курсы на 03.01.2023, ЦБ РФ: на 14.03.2023 — устарели");
}

TEST_F(OfficialRefreshTest, FirstStartWithoutNetworkOrCacheSaysSoWithoutAnErrorBox) {
  Banks down(kRefused, kRefused, kRefused);
  TForm1 form(down.At(dir_.path()));
  form.FirstShow = true;
  EXPECT_NO_THROW(form.FormShow());
  EXPECT_EQ(form.StatusBar1.panels[1].text, "Курсов ещё нет: загружаются…");
  EXPECT_TRUE(form.RefreshAfterShow);
  EXPECT_NO_THROW(form.FormActivate());
  EXPECT_TRUE(form.ListView1.items.empty());
  EXPECT_EQ(form.StatusBar1.panels[1].text, "Котировок нет: нет связи с ЕЦБ и ЦБ РФ");
}

TEST_F(OfficialRefreshTest, FirstShowPutsUpTheCacheAndRefreshesOnceTheWindowIsUp) {
  WriteFile(dir_ / "ecb-rates.xml", kEcb);
  Banks banks(Ok(kEcb), Ok(kCbr));
  TForm1 form(banks.At(dir_.path()));
  form.FirstShow = true;
  form.FormShow();
  EXPECT_EQ(form.ListView1.items.size(), 30u);  // no rouble rates cached: USD/RUB left out
  EXPECT_EQ(form.StatusBar1.panels[1].text,
            "ЕЦБ: курсы на 03.01.2023 (из кэша, обновляются…) — устарели");
  EXPECT_FALSE(form.QuotesAvailable);
  form.FormActivate();
  EXPECT_EQ(form.ListView1.items.size(), 35u);  // 31 pairs and 4 metals
  EXPECT_TRUE(form.QuotesAvailable);
  EXPECT_FALSE(form.RefreshAfterShow);
}

std::string Ecb(const std::string& usdRate) {
  std::string document = kEcb;
  const std::string usd = "currency='USD' rate='1.0545'";
  document.replace(document.find(usd), usd.size(), "currency='USD' rate='" + usdRate + "'");
  return document;
}

TEST_F(OfficialRefreshTest, HostileAnswersKeepTheTableAndTheCache) {
  std::string bomb =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [<!ENTITY lol \"lol\">"
      "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">";
  for (int i = 2; i < 10; ++i) {
    bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) bomb += "&lol" + std::to_string(i - 1) + ";";
    bomb += "\">";
  }
  bomb +=
      "]>\n<gesmes:Envelope><Cube><Cube time='2023-01-03'><Cube currency='USD' "
      "rate='&lol9;'/></Cube></Cube></gesmes:Envelope>";
  std::string huge = kEcb.substr(0, kEcb.find("</Cube>"));
  huge.append((32u << 20) - huge.size() - 16, ' ');
  huge += "</Cube></Cube>";
  std::string twice = kEcb;
  const std::string jpy = "<Cube currency='JPY' rate='137.93'/>";
  twice.insert(twice.find(jpy), jpy);
  std::string noUsd = kEcb;
  const std::string usd = "<Cube currency='USD' rate='1.0545'/>";
  noUsd.erase(noUsd.find(usd), usd.size());
  struct Case {
    const char* name;
    std::string answer;
    const char* said;  // what the status panel says of the answer
  } cases[] = {
      {"an empty body", Ok(""), "ЕЦБ из кэша: нет связи"},
      {"an HTML page", Ok("<!DOCTYPE html><html><body>Maintenance</body></html>"),
       "ЕЦБ: ответ не является документом XML"},
      {"truncated XML", Ok(kEcb.substr(0, kEcb.size() / 2)), "ЕЦБ: документ XML повреждён"},
      {"an entity-expansion bomb", Ok(bomb), "ЕЦБ: документ с DOCTYPE не принимается"},
      {"a 32 MiB document", Ok(huge), "ЕЦБ: ответ больше 4 МиБ"},
      {"a rate of 0", Ok(Ecb("0")), "ЕЦБ: курс USD указан неверно («0»)"},
      {"a negative rate", Ok(Ecb("-1.0545")), "ЕЦБ: курс USD указан неверно («-1.0545»)"},
      {"NaN", Ok(Ecb("NaN")), "ЕЦБ: курс USD указан неверно («NaN»)"},
      {"1e400", Ok(Ecb("1e400")), "ЕЦБ: курс USD указан неверно («1e400»)"},
      {"no USD", Ok(noUsd), "ЕЦБ: в документе нет курса USD"},
      {"a currency twice", Ok(twice), "ЕЦБ: курс JPY указан дважды"},
  };
  {
    Banks banks(Ok(kEcb), Ok(kCbr));
    TForm1 form(banks.At(dir_.path()));
    form.Button9Click();
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Banks banks(c.answer, Ok(kCbr));
    TForm1 form(banks.At(dir_.path()));
    form.Button9Click();
    form.Prices.ownPair.clear();
    const std::vector<Row> rows = Rows(form);
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[4].price, "130.80");  // USD/JPY from the cached ECB rates
    EXPECT_FALSE(form.QuotesAvailable);
    EXPECT_NE(form.StatusBar1.panels[1].text.find(c.said), std::string::npos)
        << form.StatusBar1.panels[1].text;
    EXPECT_EQ(ReadFile(dir_ / "ecb-rates.xml"), kEcb);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "ecb-rates.xml.part"));
  }
}

TEST_F(OfficialRefreshTest, ALinkPlantedAsACacheIsRefusedAndWhatItPointsAtKept) {
  const std::string refused = "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n";
  const std::string link = "Это символическая ссылка: программа не читает и не пишет свои файлы";
  struct Case {
    const char* name;
    const char* planted;
    bool answered;     // the banks send their documents
    const char* said;  // the panel's note on it, before the file's path
  } cases[] = {
      {"the ECB cache after a download", "ecb-rates.xml", true, "кэш не записан (Cannot create"},
      {"the CBR cache after a download", "cbr-rates.xml", true, "кэш не записан (Cannot create"},
      {"the ECB cache read offline", "ecb-rates.xml", false, "кэш не читается (Cannot open"},
      {"the CBR cache read offline", "cbr-rates.xml", false, "кэш не читается (Cannot open"},
      {"the ECB download's own file", "ecb-rates.xml.part", true, "файл не записан (Cannot create"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir folder;
    TempDir home;
    const auto letter = home / "letter.txt";
    WriteFile(letter, kEcb);
    std::filesystem::create_symlink(letter, folder / c.planted);
    Banks banks(c.answered ? Ok(kEcb) : refused, c.answered ? Ok(kCbr) : refused);
    TForm1 form(banks.At(folder.path()));
    EXPECT_NO_THROW(form.Button9Click());
    const std::string panel = form.StatusBar1.panels[1].text;
    const std::string expected =
        std::string(c.said) + " file \"" + (folder / c.planted).string() + "\". " + link;
    EXPECT_NE(panel.find(expected), std::string::npos) << panel;
    EXPECT_EQ(ReadFile(letter), kEcb);
  }
}

TEST_F(OfficialRefreshTest, QuittingDuringAStalledDownloadEndsAtOnceAndKeepsEverything) {
  WriteFile(dir_ / "ecb-rates.xml", kEcb);
  // Accepts, reads the request, then says nothing until the test ends.
  CannedServer stalled([](CannedConnection& connection) {
    if (connection.ReadRequest()) connection.ReadRequest(60s);
  });
  Environment environment;
  environment.programFolder = dir_.path();
  environment.quoteSource = QuoteSource::OfficialRates;
  environment.ecbUrl = stalled.Url("/ecb.xml");
  environment.cbrUrl = stalled.Url("/cbr.asp");
  environment.metalsUrl = stalled.Url("/metals.asp");
  const auto start = std::chrono::steady_clock::now();
  environment.processEvents = [start] {
    return std::chrono::steady_clock::now() - start < 300ms;  // the user quits after 0.3 s
  };
  TForm1 form(environment);
  form.ShowCachedRates();
  const std::size_t rows = form.ListView1.items.size();
  EXPECT_THROW(form.Button9Click(), DownloadAborted);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1300ms);
  EXPECT_EQ(form.ListView1.items.size(), rows);
  EXPECT_EQ(ReadFile(dir_ / "ecb-rates.xml"), kEcb);
}

// 14.03.2023 at noon UTC: the same day in every zone a trader is likely to be in.
const std::chrono::system_clock::time_point kMarch14 =
    std::chrono::sys_days{std::chrono::year{2023} / 3 / 14} + std::chrono::hours(12);

TEST_F(OfficialRefreshTest, TheMetalsAskForTheTenDaysUpToToday) {
  Banks banks(Ok(kEcb), Ok(kCbr));
  Environment environment = banks.At(dir_.path());
  environment.now = [] { return kMarch14; };
  TForm1 form(environment);
  form.Button9Click();
  // Ten days up to today, 14.03.2023: from 05.03.2023.
  const std::vector<std::string> requests = banks.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].substr(0, requests[2].find(" HTTP/")),
            "GET /metals.asp?date_req1=05/03/2023&date_req2=14/03/2023");
  // An address with a query of its own gets the days after an "&".
  environment.metalsUrl += "?lang=ru";
  TForm1 second(environment);
  second.Button9Click();
  const std::vector<std::string> again = banks.requests();
  ASSERT_EQ(again.size(), 6u);
  EXPECT_EQ(again[5].substr(0, again[5].find(" HTTP/")),
            "GET /metals.asp?lang=ru&date_req1=05/03/2023&date_req2=14/03/2023");
}

TEST_F(OfficialRefreshTest, MetalsComeFromTheirCacheWhenTheBankIsDown) {
  {
    Banks banks(Ok(kEcb), Ok(kCbr));
    TForm1 form(banks.At(dir_.path()));
    form.Button9Click();
  }
  Banks metalsDown(Ok(kEcb), Ok(kCbr), kRefused);
  TForm1 form(metalsDown.At(dir_.path()));
  form.Button9Click();
  const std::vector<Row> rows = Rows(form);
  ASSERT_EQ(rows.size(), 35u);
  EXPECT_EQ(rows[31].price, "1855.57");  // XAU/USD as the cached 14.03.2023 prices give it
  EXPECT_EQ(form.StatusBar1.panels[1].text,
            "ЕЦБ: курсы на 03.01.2023, ЦБ РФ: на 14.03.2023 (средние, без спреда); металлы из "
            "кэша: нет связи — устарели");
  EXPECT_EQ(ReadFile(dir_ / "cbr-metals.xml"), kMetals);
}

TEST_F(OfficialRefreshTest, HostileMetalDocumentsKeepTheTableAndTheCache) {
  const std::string record = "<Record Date=\"14.03.2023\" Code=\"1\"><Buy>";
  const auto gold = [&](const std::string& price) {
    std::string document = kMetals;
    const std::string at = record + "4500,12</Buy><Sell>4500,12</Sell>";
    document.replace(document.find(at), at.size(),
                     record + price + "</Buy><Sell>" + price + "</Sell>");
    return document;
  };
  const std::string bomb =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE m [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
      "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n"
      "<Metall>" +
      record + "&c;</Buy></Record></Metall>";
  std::string noUsd = kCbr;
  const std::size_t usd = noUsd.find("<Valute ID=\"R01235\">");
  noUsd.erase(usd, noUsd.find("</Valute>", usd) + 9 - usd);
  struct Case {
    const char* name;
    std::string cbrAnswer, metalsAnswer;
    const char* said;
  } cases[] = {
      {"an empty body", Ok(kCbr), Ok(""), "металлы из кэша: нет связи"},
      {"an HTML page", Ok(kCbr), Ok("<html><body>Technical work</body></html>"),
       "ЦБ РФ, металлы: ответ не является документом XML"},
      {"truncated XML", Ok(kCbr), Ok(kMetals.substr(0, kMetals.size() / 2)),
       "ЦБ РФ, металлы: документ XML повреждён или обрезан"},
      {"a price of zero", Ok(kCbr), Ok(gold("0,00")),
       "ЦБ РФ, металлы: цена золота указана неверно («0,00»)"},
      {"a negative price", Ok(kCbr), Ok(gold("-4500,12")),
       "ЦБ РФ, металлы: цена золота указана неверно («-4500,12»)"},
      {"an entity bomb", Ok(kCbr), Ok(bomb), "ЦБ РФ, металлы: документ с DOCTYPE не принимается"},
      // The dollar of the cached daily rates prices the metals.
      {"no USD/RUB", Ok(noUsd), Ok(kMetals), "ЦБ РФ: в документе нет курса USD"},
  };
  {
    Banks banks(Ok(kEcb), Ok(kCbr));
    TForm1 form(banks.At(dir_.path()));
    form.Button9Click();
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Banks banks(Ok(kEcb), c.cbrAnswer, c.metalsAnswer);
    TForm1 form(banks.At(dir_.path()));
    form.Button9Click();
    const std::vector<Row> rows = Rows(form);
    ASSERT_EQ(rows.size(), 35u);
    EXPECT_EQ(rows[31].price, "1855.57");  // XAU/USD from the cache: 4500.12 roubles a gram
    EXPECT_NE(form.StatusBar1.panels[1].text.find(c.said), std::string::npos)
        << form.StatusBar1.panels[1].text;
    EXPECT_EQ(ReadFile(dir_ / "cbr-metals.xml"), kMetals);
    EXPECT_EQ(ReadFile(dir_ / "cbr-rates.xml"), kCbr);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "cbr-metals.xml.part"));
  }
}

TEST_F(OfficialRefreshTest, MetalsWithoutTheBanksDollarAreLeftOutAndSaidSo) {
  Banks banks(Ok(kEcb), kRefused);
  TForm1 form(banks.At(dir_.path()));
  form.Button9Click();
  EXPECT_EQ(form.ListView1.items.size(), 30u);  // the ECB's pairs: no rouble, no metal
  EXPECT_NE(form.StatusBar1.panels[1].text.find("ЦБ РФ, металлы: нет курса USD ЦБ РФ"),
            std::string::npos)
      << form.StatusBar1.panels[1].text;
}

// The build's copy of the rates that came with the program (the ctest entry bundled_rates holds
// it to the ECB's published document).
const std::filesystem::path kBundled =
    std::filesystem::path(TIRAMON_BUILD_DIR) / "share/tiramon/eurofxref-daily-2023-01-03.xml";

TEST_F(OfficialRefreshTest, WithoutBanksOrCacheTheRatesThatCameWithTheProgramStandIn) {
  Banks down(kRefused, kRefused, kRefused);
  Environment environment = down.At(dir_.path());
  environment.bundledRates = kBundled;
  TForm1 form(environment);
  form.FirstShow = true;
  form.FormShow();
  // At once, before any download: the ECB's pairs of 03.01.2023, without the rouble.
  EXPECT_EQ(form.ListView1.items.size(), 30u);
  EXPECT_EQ(form.StatusBar1.panels[1].text,
            "Курсы, поставленные с программой: ЕЦБ на 03.01.2023 (обновляются…) — устарели");
  form.FormActivate();
  const std::vector<Row> rows = Rows(form);
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_EQ(rows[0].price, "1.0545");  // EUR/USD: the document's 1.0545 dollars per euro
  EXPECT_EQ(rows[4].price, "130.80");  // USD/JPY: 137.93 / 1.0545 = 130.801...
  EXPECT_FALSE(form.QuotesAvailable);
  EXPECT_EQ(form.StatusBar1.panels[1].text,
            "Нет связи с ЕЦБ и ЦБ РФ. Курсы, поставленные с программой: ЕЦБ "
            "на 03.01.2023 — устарели");
  EXPECT_EQ(form.StatusBar1.panels[1].fontColor, colors::Red);
  EXPECT_EQ(form.SelectedPair, "EUR/USD");
  EXPECT_EQ(form.Label_PriceSource.caption,
            "Цена: курс из программы на 03.01.2023 — не для ордеров, устарела");
  // Nothing was cached from them: a cache holds what a bank sent.
  EXPECT_FALSE(std::filesystem::exists(dir_ / "ecb-rates.xml"));
  // A refresh into an empty table, without the first show, says the same.
  TForm1 refreshed(environment);
  refreshed.Button9Click();
  EXPECT_EQ(refreshed.ListView1.items.size(), 30u);
  EXPECT_EQ(refreshed.StatusBar1.panels[1].text, form.StatusBar1.panels[1].text);
}

TEST_F(OfficialRefreshTest, NoOtherFileIsEverShownAsTheRatesThatCameWithTheProgram) {
  // A document of the right format and name, but not of the day the program came with.
  std::string other = kEcb;
  other.replace(other.find("2023-01-03"), 10, "2024-05-06");
  WriteFile(dir_ / "eurofxref-daily-2023-01-03.xml", other);
  Banks down(kRefused, kRefused, kRefused);
  Environment environment = down.At(dir_.path());
  environment.bundledRates = dir_ / "eurofxref-daily-2023-01-03.xml";
  TForm1 form(environment);
  form.Button9Click();
  EXPECT_TRUE(form.ListView1.items.empty());
  EXPECT_EQ(form.StatusBar1.panels[1].text, "Котировок нет: нет связи с ЕЦБ и ЦБ РФ");
}

TEST_F(OfficialRefreshTest, OnlyThePageSourceShowsItsAddresses) {
  const auto shown = [](const TForm1& form) {
    const bool page = form.Button_SaveUrls.visible;
    for (bool visible : {form.Label_StatusUrl.visible, form.Edit_StatusUrl.visible,
                         form.Label_QuotesUrl.visible, form.Edit_QuotesUrl.visible}) {
      EXPECT_EQ(visible, page) << "the page's controls shown in part";
    }
    return page;
  };
  Banks banks(Ok(kEcb), Ok(kCbr));
  Environment environment = banks.At(dir_.path());
  // As the window creates it: the controls follow the source once it is created.
  TForm1 official(environment);
  RunHandler(official, WiredHandler("Form1", Event::Create));
  EXPECT_FALSE(shown(official));
  environment.quoteSource = QuoteSource::Page;
  TForm1 form(environment);
  RunHandler(form, WiredHandler("Form1", Event::Create));
  EXPECT_TRUE(shown(form));
  form.ComboBox_Source.itemIndex = QuoteSourceIndex(QuoteSource::OfficialRates);
  form.ComboBox_SourceChange();
  EXPECT_FALSE(shown(form));
}

}  // namespace
}  // namespace tiramon
