// The official-rates documents: the real ECB file and Bank of Russia files (rates and metals) in
// their real format, every derived price against figures worked out by hand, half-way rounding,
// which bank values which pair, and hostile documents that must be refused quickly with a Russian
// message.
#include "quotes/official_rates.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/quote_pages.h"

namespace tiramon::quotes {
namespace {

using namespace std::chrono_literals;

std::string DataFile(std::string_view name) {
  return test_pages::ReadDataFile(name, TIRAMON_TEST_DATA);
}

// The root element of an ECB document of one day with the given <Cube .../> lines.
std::string EcbRoot(std::string_view cubes, std::string_view time = "2023-01-03") {
  return "<gesmes:Envelope xmlns:gesmes=\"http://www.gesmes.org/xml/2002-08-01\" "
         "xmlns=\"http://www.ecb.int/vocabulary/2002-08-01/eurofxref\">\n"
         "<gesmes:subject>Reference rates</gesmes:subject>\n<Cube>\n<Cube time='" +
         std::string(time) + "'>\n" + std::string(cubes) + "</Cube>\n</Cube>\n</gesmes:Envelope>\n";
}

std::string Ecb(std::string_view cubes, std::string_view time = "2023-01-03") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + EcbRoot(cubes, time);
}

std::string Valute(std::string_view code, std::string_view nominal, std::string_view value) {
  return "<Valute ID=\"R0\"><NumCode>000</NumCode><CharCode>" + std::string(code) +
         "</CharCode><Nominal>" + std::string(nominal) +
         "</Nominal><Name>\xC2\xE0\xEB\xFE\xF2\xE0</Name><Value>" + std::string(value) +
         "</Value></Valute>";
}

// A Bank of Russia document (windows-1251) with the given <Valute> elements.
std::string Cbr(std::string_view valutes, std::string_view date = "14.03.2023") {
  return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<ValCurs Date=\"" +
         std::string(date) + "\" name=\"Foreign Currency Market\">" + std::string(valutes) +
         "</ValCurs>";
}

std::string Record(std::string_view date, std::string_view code, std::string_view buy,
                   std::string_view sell = "") {
  return "<Record Date=\"" + std::string(date) + "\" Code=\"" + std::string(code) + "\"><Buy>" +
         std::string(buy) + "</Buy><Sell>" + std::string(sell.empty() ? buy : sell) +
         "</Sell></Record>";
}

// A Bank of Russia metals document (windows-1251) with the given <Record> elements.
std::string Metals(std::string_view records) {
  return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<Metall FromDate=\"20230305\" "
         "ToDate=\"20230314\" name=\"Precious metals quotations\">" +
         std::string(records) + "</Metall>";
}

struct Row {
  const char* name;
  const char* price;
};

void ExpectQuotes(const std::vector<OfficialQuote>& quotes, const std::vector<Row>& expected) {
  ASSERT_EQ(quotes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(quotes[i].name, expected[i].name);
    EXPECT_EQ(quotes[i].price, expected[i].price);
  }
}

TEST(OfficialRatesEcb, ReferenceFileGivesEveryPairButTheRouble) {
  const RatesDocument ecb = ParseEcbRates(DataFile("eurofxref-daily-2023-01-03.xml"));
  EXPECT_EQ(ecb.date, "03.01.2023");
  EXPECT_EQ(ecb.day, std::chrono::sys_days{2023y / 1 / 3});
  EXPECT_EQ(ecb.rates.size(), 30u);
  // Units per euro from the file: USD 1.0545, JPY 137.93, GBP 0.88048, CHF 0.9879, CAD 1.4414,
  // AUD 1.5708, NZD 1.6932, SEK 11.1430, DKK 7.4370, NOK 10.5280, HKD 8.2392, SGD 1.4188,
  // TRY 19.7566, CNY 7.2863, MXN 20.5283, PLN 4.6831, ZAR 18.0190. B/Q = rate(Q) / rate(B).
  ExpectQuotes(DeriveQuotes(&ecb, nullptr),
               {
                   {"EUR/USD", "1.0545"},   // 1.0545 / 1
                   {"GBP/USD", "1.1976"},   // 1.0545 / 0.88048 = 1.197642...
                   {"AUD/USD", "0.6713"},   // 1.0545 / 1.5708 = 0.671313...
                   {"NZD/USD", "0.6228"},   // 1.0545 / 1.6932 = 0.622785...
                   {"USD/JPY", "130.80"},   // 137.93 / 1.0545 = 130.801327...
                   {"USD/CHF", "0.9368"},   // 0.9879 / 1.0545 = 0.936842...
                   {"USD/CAD", "1.3669"},   // 1.4414 / 1.0545 = 1.366903...
                   {"USD/SEK", "10.5671"},  // 11.1430 / 1.0545 = 10.567093...
                   {"USD/DKK", "7.0526"},   // 7.4370 / 1.0545 = 7.052631...
                   {"USD/NOK", "9.9839"},   // 10.5280 / 1.0545 = 9.983878...
                   {"USD/HKD", "7.8134"},   // 8.2392 / 1.0545 = 7.813371...
                   {"USD/SGD", "1.3455"},   // 1.4188 / 1.0545 = 1.345471...
                   {"USD/TRY", "18.7355"},  // 19.7566 / 1.0545 = 18.735514...
                   {"USD/CNY", "6.9097"},   // 7.2863 / 1.0545 = 6.909720...
                   // USD/RUB: the ECB has no rouble rate.
                   {"USD/MXN", "19.4673"},  // 20.5283 / 1.0545 = 19.467330...
                   {"USD/PLN", "4.4411"},   // 4.6831 / 1.0545 = 4.441062...
                   {"USD/ZAR", "17.0877"},  // 18.0190 / 1.0545 = 17.087719...
                   {"EUR/GBP", "0.8805"},   // 0.88048 / 1
                   {"EUR/JPY", "137.93"},   // 137.93 / 1
                   {"GBP/JPY", "156.65"},   // 137.93 / 0.88048 = 156.653189...
                   {"CHF/JPY", "139.62"},   // 137.93 / 0.9879 = 139.619394...
                   {"EUR/CHF", "0.9879"},   // 0.9879 / 1
                   {"AUD/NZD", "1.0779"},   // 1.6932 / 1.5708 = 1.077922...
                   {"CAD/JPY", "95.69"},    // 137.93 / 1.4414 = 95.691688...
                   {"AUD/JPY", "87.81"},    // 137.93 / 1.5708 = 87.808759...
                   {"NZD/JPY", "81.46"},    // 137.93 / 1.6932 = 81.461138...
                   {"EUR/AUD", "1.5708"},   // 1.5708 / 1
                   {"EUR/CAD", "1.4414"},   // 1.4414 / 1
                   {"GBP/CHF", "1.1220"},   // 0.9879 / 0.88048 = 1.122001...
                   {"SGD/JPY", "97.22"},    // 137.93 / 1.4188 = 97.215957...
               });
}

TEST(OfficialRatesCbr, SampleFileReadsNominalsAndDecimalCommas) {
  const RatesDocument cbr = ParseCbrRates(DataFile("cbr-daily-sample.xml"));
  EXPECT_EQ(cbr.date, "14.03.2023");
  EXPECT_EQ(cbr.day, std::chrono::sys_days{2023y / 3 / 14});
  ASSERT_EQ(cbr.rates.size(), 9u);
  // Roubles per one unit = Value / Nominal, held as an exact fraction: compared crosswise.
  struct Rate {
    const char* code;
    std::uint64_t numerator, denominator;
  };
  const Rate expected[] = {
      {"USD", 754321, 10000},    // "75,4321" per 1
      {"JPY", 570125, 1000000},  // "57,0125" per 100
      {"HUF", 206350, 1000000},  // "20,6350" per 100
      {"SEK", 723456, 100000},   // "72,3456" per 10
      {"CNY", 1098765, 100000},  // "109,8765" per 10
      {"TRY", 401200, 100000},   // "40,1200" per 10
  };
  for (const Rate& rate : expected) {
    SCOPED_TRACE(rate.code);
    ASSERT_EQ(cbr.rates.count(rate.code), 1u);
    const DecimalRate& got = cbr.rates.at(rate.code);
    EXPECT_EQ(got.numerator * rate.denominator, got.denominator * rate.numerator);
  }
  // Without the ECB every pair of two listed currencies comes from roubles per unit:
  // B/Q = roubles per B / roubles per Q. USD 75.4321, EUR 80.1234, GBP 91.0010, CHF 81.9900,
  // JPY 0.570125, SEK 7.23456, CNY 10.98765, TRY 4.012.
  ExpectQuotes(DeriveQuotes(nullptr, &cbr),
               {
                   {"EUR/USD", "1.0622"},   // 80.1234 / 75.4321 = 1.062192...
                   {"GBP/USD", "1.2064"},   // 91.0010 / 75.4321 = 1.206396...
                   {"USD/JPY", "132.31"},   // 75.4321 / 0.570125 = 132.308002...
                   {"USD/CHF", "0.9200"},   // 75.4321 / 81.9900 = 0.920015...
                   {"USD/SEK", "10.4266"},  // 75.4321 / 7.23456 = 10.426632...
                   {"USD/TRY", "18.8016"},  // 75.4321 / 4.012 = 18.801620...
                   {"USD/CNY", "6.8652"},   // 75.4321 / 10.98765 = 6.865171...
                   {"USD/RUB", "75.4321"},  // 75.4321 / 1
                   {"EUR/GBP", "0.8805"},   // 80.1234 / 91.0010 = 0.880467...
                   {"EUR/JPY", "140.54"},   // 80.1234 / 0.570125 = 140.536549...
                   {"GBP/JPY", "159.62"},   // 91.0010 / 0.570125 = 159.615873...
                   {"CHF/JPY", "143.81"},   // 81.9900 / 0.570125 = 143.810567...
                   {"EUR/CHF", "0.9772"},   // 80.1234 / 81.9900 = 0.977233...
                   {"GBP/CHF", "1.1099"},   // 91.0010 / 81.9900 = 1.109903...
               });
}

TEST(OfficialRates, TheRoubleComesFromTheBankOfRussiaAndGapsFromEither) {
  const RatesDocument ecbFile = ParseEcbRates(DataFile("eurofxref-daily-2023-01-03.xml"));
  const RatesDocument cbrFile = ParseCbrRates(DataFile("cbr-daily-sample.xml"));
  const std::vector<OfficialQuote> both = DeriveQuotes(&ecbFile, &cbrFile);
  ASSERT_EQ(both.size(), 31u);
  EXPECT_EQ(both[0].price, "1.0545");  // EUR/USD from the ECB, not the Bank of Russia's 1.0622
  EXPECT_EQ(both[14].name, "USD/RUB");
  EXPECT_EQ(both[14].price, "75.4321");

  // An ECB document with the dollar only: EUR/USD from it, the yen pairs from the Bank of
  // Russia (USD/JPY = 75.4321 / 0.570125 = 132.308...), the rest of the table left out.
  const RatesDocument ecbDollar = ParseEcbRates(Ecb("<Cube currency='USD' rate='1.25'/>\n"));
  const RatesDocument cbr =
      ParseCbrRates(Cbr(Valute("USD", "1", "75,4321") + Valute("JPY", "100", "57,0125")));
  ExpectQuotes(DeriveQuotes(&ecbDollar, &cbr),
               {{"EUR/USD", "1.2500"}, {"USD/JPY", "132.31"}, {"USD/RUB", "75.4321"}});
  // A rouble pair the Bank of Russia cannot value comes from an ECB document that lists RUB.
  const RatesDocument ecbRouble =
      ParseEcbRates(Ecb("<Cube currency='USD' rate='1.25'/><Cube currency='RUB' rate='100'/>\n"));
  ExpectQuotes(DeriveQuotes(&ecbRouble, nullptr), {{"EUR/USD", "1.2500"}, {"USD/RUB", "80.0000"}});
  EXPECT_TRUE(DeriveQuotes(nullptr, nullptr).empty());
}

TEST(OfficialRates, MidsRoundHalfUpOnTheExactValue) {
  struct Case {
    const char* usd;
    const char* jpy;
    std::vector<Row> expected;  // EUR/USD, USD/JPY, EUR/JPY
  };
  const Case cases[] = {
      // Ties written out: 1.23455 is half-way between 1.2345 and 1.2346.
      {"1.23455", "123.455", {{"EUR/USD", "1.2346"}, {"USD/JPY", "100.00"}, {"EUR/JPY", "123.46"}}},
      {"1.234549",
       "123.454",
       {{"EUR/USD", "1.2345"}, {"USD/JPY", "100.00"}, {"EUR/JPY", "123.45"}}},
      // A tie only after a division: 246.91 / 2 = 123.455 (in binary floating point
      // 123.4549999...).
      {"2", "246.91", {{"EUR/USD", "2.0000"}, {"USD/JPY", "123.46"}, {"EUR/JPY", "246.91"}}},
      // 1 / 3 = 0.3333..., 1 / 6 = 0.1666...: no tie, one way each.
      {"3", "1", {{"EUR/USD", "3.0000"}, {"USD/JPY", "0.33"}, {"EUR/JPY", "1.00"}}},
      {"6", "1", {{"EUR/USD", "6.0000"}, {"USD/JPY", "0.17"}, {"EUR/JPY", "1.00"}}},
      // A mid that rounds to zero is no price: USD/JPY = EUR/JPY = 0.004 are left out; the ties
      // 0.00005 and 0.005 round up to the least price.
      {"1", "0.004", {{"EUR/USD", "1.0000"}}},
      {"0.00005", "0.005", {{"EUR/USD", "0.0001"}, {"USD/JPY", "100.00"}, {"EUR/JPY", "0.01"}}},
      // Large mids keep all their digits: 99999999999999 / 0.000001 = 99999999999999000000;
      // EUR/USD = 0.000001 rounds to nothing.
      {"0.000001",
       "99999999999999",
       {{"USD/JPY", "99999999999999000000.00"}, {"EUR/JPY", "99999999999999.00"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.usd) + " " + c.jpy);
    const RatesDocument ecb = ParseEcbRates(Ecb(std::string("<Cube currency='USD' rate='") + c.usd +
                                                "'/><Cube currency='JPY' rate='" + c.jpy + "'/>"));
    std::vector<OfficialQuote> quotes = DeriveQuotes(&ecb, nullptr);
    ExpectQuotes(quotes, c.expected);
  }
}

TEST(OfficialRates, BankOfRussiaTiesAfterTheNominal) {
  // "12,3455" roubles per 10 dollars = 1.23455 per dollar: a tie, up.
  const RatesDocument cbr = ParseCbrRates(Cbr(Valute("USD", "10", "12,3455")));
  ExpectQuotes(DeriveQuotes(nullptr, &cbr), {{"USD/RUB", "1.2346"}});
}

TEST(OfficialRates, DatesAreCalendarDays) {
  struct Case {
    bool ecb;
    const char* date;
    const char* shown;  // nullptr: refused
  };
  const Case cases[] = {
      {true, "2024-02-29", "29.02.2024"},  {true, "2023-02-29", nullptr},
      {true, "2023-1-03", nullptr},        {true, "03.01.2023", nullptr},
      {true, "2023-12-31", "31.12.2023"},  {true, "2023-00-10", nullptr},
      {false, "29.02.2024", "29.02.2024"}, {false, "31.04.2023", nullptr},
      {false, "2023-01-03", nullptr},      {false, "3.1.2023", nullptr},
      {false, "01.01.1899", nullptr},      {false, "+1.01.2023", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.date);
    const std::string source = c.ecb ? "ЕЦБ" : "ЦБ РФ";
    try {
      const RatesDocument document =
          c.ecb ? ParseEcbRates(Ecb("<Cube currency='USD' rate='1.1'/>", c.date))
                : ParseCbrRates(Cbr(Valute("USD", "1", "75,0"), c.date));
      ASSERT_NE(c.shown, nullptr) << "accepted";
      EXPECT_EQ(document.date, c.shown);
    } catch (const RatesError& e) {
      EXPECT_EQ(c.shown, nullptr) << e.what();
      EXPECT_EQ(e.what(), source + ": дата указана неверно («" + c.date + "»)");
    }
  }
  const RatesDocument document = ParseEcbRates(Ecb("<Cube currency='USD' rate='1.1'/>"));
  EXPECT_EQ(AgeInDays(document, std::chrono::sys_days{2023y / 1 / 7}), 4);
  EXPECT_EQ(AgeInDays(document, std::chrono::sys_days{2022y / 12 / 31}), -3);
}

TEST(OfficialRates, Windows1251DecodesToUtf8) {
  EXPECT_EQ(Windows1251ToUtf8("A\xC0\xFF\xA8\xB8"), "AАяЁё");
  EXPECT_EQ(Windows1251ToUtf8("\xB9\x88\x98"), "№€\xEF\xBF\xBD");
  EXPECT_EQ(Windows1251ToUtf8("\xC4\xEE\xEB\xEB\xE0\xF0 \xD1\xD8\xC0"), "Доллар США");
}

// Every way a body can be unusable, each refused with its message, and quickly: the entity bomb
// and the 32 MiB body are the ones that would otherwise take time and memory.
TEST(OfficialRates, HostileDocumentsAreRefusedQuickly) {
  const std::string ecbFile = DataFile("eurofxref-daily-2023-01-03.xml");
  const std::string usd = "<Cube currency='USD' rate='1.0545'/>\n";
  std::string bomb =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n<!ENTITY lol \"lol\">\n"
      "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
  for (int level = 2; level <= 9; ++level) {
    const std::string previous = "&lol" + std::to_string(level - 1) + ";";
    bomb += "<!ENTITY lol" + std::to_string(level) + " \"";
    for (int i = 0; i < 10; ++i) bomb += previous;
    bomb += "\">\n";
  }
  const std::string ecbBomb = bomb + "]>\n" + EcbRoot(usd + "<Cube currency='JPY' rate='&lol9;'/>");
  std::string huge(32u << 20, ' ');
  huge.replace(0, ecbFile.size(), ecbFile);
  std::string justOver = ecbFile;
  justOver.resize(kMaxRatesDocumentBytes + 1, ' ');
  const std::string usdCbr = Valute("USD", "1", "75,4321");
  // Half a million levels of elements: a parser or a walk that recursed would run out of stack.
  std::string deep;
  for (int i = 0; i < 500000; ++i) deep += "<a>";
  std::string closed = deep;
  for (int i = 0; i < 500000; ++i) closed += "</a>";

  struct Case {
    bool ecb;
    std::string body;
    std::string message;
  };
  const Case cases[] = {
      {true, "", "ЕЦБ: пустой ответ"},
      {false, " \r\n\t", "ЦБ РФ: пустой ответ"},
      {true, "<!DOCTYPE html>\n<html><head><title>503</title></head><body><p>Busy</body></html>",
       "ЕЦБ: ответ не является документом XML"},
      {false, "<html><body>\xCE\xF8\xE8\xE1\xEA\xE0</body></html>",
       "ЦБ РФ: ответ не является документом XML"},
      {true, "Service Unavailable", "ЕЦБ: ответ не является документом XML"},
      {true, "{\"USD\": 1.0545}", "ЕЦБ: ответ не является документом XML"},
      {true, ecbFile.substr(0, ecbFile.size() / 2), "ЕЦБ: документ XML повреждён или обрезан"},
      {true, ecbFile.substr(0, ecbFile.rfind("</gesmes:Envelope>")),
       "ЕЦБ: документ XML повреждён или обрезан"},
      {false, Cbr(usdCbr).substr(0, 120), "ЦБ РФ: документ XML повреждён или обрезан"},
      {true, Ecb("<Cube currency='USD' rate='1.0545'>"), "ЕЦБ: документ XML повреждён или обрезан"},
      {true, huge, "ЕЦБ: ответ больше 4 МиБ"},
      {false, huge, "ЦБ РФ: ответ больше 4 МиБ"},
      {true, justOver, "ЕЦБ: ответ больше 4 МиБ"},
      {true, ecbBomb, "ЕЦБ: документ с DOCTYPE не принимается"},
      {false, bomb + "]>\n<ValCurs Date=\"14.03.2023\">" + usdCbr + "</ValCurs>",
       "ЦБ РФ: документ с DOCTYPE не принимается"},
      {true,
       "<Envelope><Cube><Cube time='2023-01-03'><Cube currency='USD' rate='&lol9;'/>"
       "</Cube></Cube></Envelope>",
       "ЕЦБ: курс USD указан неверно («&lol9;»)"},
      {true, "<rates><USD>1.0545</USD></rates>", "ЕЦБ: неизвестный формат документа"},
      {true, deep, "ЕЦБ: документ XML повреждён или обрезан"},
      {false, closed, "ЦБ РФ: неизвестный формат документа"},
      {false, ecbFile, "ЦБ РФ: неизвестный формат документа"},
      {true, "<Envelope><Cube><Cube><Cube currency='USD' rate='1.05'/></Cube></Cube></Envelope>",
       "ЕЦБ: в документе нет даты"},
      {false, "<ValCurs>" + usdCbr + "</ValCurs>", "ЦБ РФ: в документе нет даты"},
      {true, Ecb(usd, ""), "ЕЦБ: дата указана неверно («»)"},
      {true, Ecb("<Cube currency='USD' rate='0'/>"), "ЕЦБ: курс USD указан неверно («0»)"},
      {true, Ecb("<Cube currency='USD' rate='0.0000'/>"),
       "ЕЦБ: курс USD указан неверно («0.0000»)"},
      {true, Ecb("<Cube currency='USD' rate='-1.05'/>"), "ЕЦБ: курс USD указан неверно («-1.05»)"},
      {true, Ecb("<Cube currency='USD' rate='NaN'/>"), "ЕЦБ: курс USD указан неверно («NaN»)"},
      {true, Ecb("<Cube currency='USD' rate='1e400'/>"), "ЕЦБ: курс USD указан неверно («1e400»)"},
      {true, Ecb("<Cube currency='USD' rate='1.05E0'/>"),
       "ЕЦБ: курс USD указан неверно («1.05E0»)"},
      {true, Ecb("<Cube currency='USD' rate=''/>"), "ЕЦБ: курс USD указан неверно («»)"},
      {true, Ecb("<Cube currency='USD'/>"), "ЕЦБ: курс USD указан неверно («»)"},
      {true, Ecb("<Cube currency='USD' rate='1,0545'/>"),
       "ЕЦБ: курс USD указан неверно («1,0545»)"},
      {true, Ecb("<Cube currency='USD' rate='.5'/>"), "ЕЦБ: курс USD указан неверно («.5»)"},
      {true, Ecb("<Cube currency='USD' rate='1.0000000000001'/>"),
       "ЕЦБ: курс USD указан неверно («1.0000000000001»)"},
      {true, Ecb("<Cube currency='USD' rate='1234567890.123456'/>"),
       "ЕЦБ: курс USD указан неверно («1234567890.12345…»)"},
      {true, Ecb("<Cube currency='USD' rate='18446744073709551617'/>"),
       "ЕЦБ: курс USD указан неверно («1844674407370955…»)"},
      {false, Cbr(Valute("USD", "1", "75.4321")), "ЦБ РФ: курс USD указан неверно («75.4321»)"},
      {false, Cbr(Valute("USD", "1", "\xED/\xE4")), "ЦБ РФ: курс USD указан неверно («н/д»)"},
      {false, Cbr(Valute("USD", "1", "Inf")), "ЦБ РФ: курс USD указан неверно («Inf»)"},
      {false, Cbr(Valute("JPY", "0", "57,0125") + usdCbr),
       "ЦБ РФ: номинал JPY указан неверно («0»)"},
      {false, Cbr(Valute("JPY", "-100", "57,0125") + usdCbr),
       "ЦБ РФ: номинал JPY указан неверно («-100»)"},
      {false, Cbr(Valute("JPY", "1,5", "57,0125") + usdCbr),
       "ЦБ РФ: номинал JPY указан неверно («1,5»)"},
      {false, Cbr(Valute("JPY", "", "57,0125") + usdCbr), "ЦБ РФ: номинал JPY указан неверно («»)"},
      {false, Cbr(Valute("JPY", "10000000", "57,0125") + usdCbr),
       "ЦБ РФ: номинал JPY указан неверно («10000000»)"},
      {true, Ecb("<Cube currency='JPY' rate='137.93'/>"), "ЕЦБ: в документе нет курса USD"},
      {false, Cbr(Valute("EUR", "1", "80,1")), "ЦБ РФ: в документе нет курса USD"},
      {true, Ecb(usd + usd), "ЕЦБ: курс USD указан дважды"},
      {false, Cbr(usdCbr + Valute("USD", "1", "75,0")), "ЦБ РФ: курс USD указан дважды"},
      {true, Ecb(usd + "<Cube currency='EUR' rate='1'/>"), "ЕЦБ: курс EUR указан дважды"},
      {false, Cbr(usdCbr + Valute("RUB", "1", "1,0")), "ЦБ РФ: курс RUB указан дважды"},
      {true, Ecb("<Cube currency='usd' rate='1.05'/>"), "ЕЦБ: код валюты указан неверно («usd»)"},
      {false, Cbr(Valute("\x80\x01", "1", "1,0")), "ЦБ РФ: код валюты указан неверно («Ђ?»)"},
      {true, Ecb(""), "ЕЦБ: в документе нет курсов"},
      {true, "<Envelope/>", "ЕЦБ: в документе нет курсов"},
      {false, Cbr(""), "ЦБ РФ: в документе нет курсов"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.body.substr(0, 200));
    const auto start = std::chrono::steady_clock::now();
    try {
      if (c.ecb) {
        ParseEcbRates(c.body);
      } else {
        ParseCbrRates(c.body);
      }
      ADD_FAILURE() << "accepted, expected: " << c.message;
    } catch (const RatesError& e) {
      EXPECT_EQ(e.what(), c.message);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  }
}

TEST(OfficialMetals, TheLatestDayInDollarsPerOunce) {
  const RatesDocument metals = ParseCbrMetals(DataFile("cbr-metals-sample.xml"));
  EXPECT_EQ(metals.date, "14.03.2023");
  EXPECT_EQ(metals.day, std::chrono::sys_days{2023y / 3 / 14});
  ASSERT_EQ(metals.rates.size(), 4u);
  const RatesDocument cbr = ParseCbrRates(DataFile("cbr-daily-sample.xml"));
  // Roubles per gram on 14.03.2023 (the sample's last of four days) × 31.1034768 grams per troy
  // ounce ÷ the bank's 75.4321 roubles per dollar; 2 decimals, silver 3.
  ExpectQuotes(DeriveMetalQuotes(&metals, &cbr),
               {
                   {"XAU/USD", "1855.57"},  // 4500.12 × 31.1034768 / 75.4321 = 1855.5678...
                   {"XAG/USD", "21.594"},   // 52.37 × 31.1034768 / 75.4321 = 21.59411...
                   {"XPT/USD", "969.26"},   // 2350.65 × 31.1034768 / 75.4321 = 969.2609...
                   {"XPD/USD", "1401.95"},  // 3400.00 × 31.1034768 / 75.4321 = 1401.9471...
               });
  // Without the bank's dollar the metals have no price in dollars.
  EXPECT_TRUE(DeriveMetalQuotes(&metals, nullptr).empty());
  EXPECT_TRUE(DeriveMetalQuotes(nullptr, &cbr).empty());
}

TEST(OfficialMetals, DaysInAnyOrderAndTiesRoundUp) {
  // A dollar of 31.1034768 roubles makes a price per ounce equal to the price per gram, so the
  // ties are written out: 1000.005 is half-way between 1000.00 and 1000.01, silver's 20.0005
  // between 20.000 and 20.001; 3.0049 is below half of 3.00..3.01. The newest day comes first
  // and an unknown metal (code 5) has no row.
  const RatesDocument cbr = ParseCbrRates(Cbr(Valute("USD", "1", "31,1034768")));
  const RatesDocument metals = ParseCbrMetals(
      Metals(Record("14.03.2023", "1", "1000,005") + Record("14.03.2023", "2", "20,0005") +
             Record("14.03.2023", "4", "3,0049") + Record("14.03.2023", "5", "1,0") +
             Record("13.03.2023", "1", "999,0") + Record("13.03.2023", "3", "900,0") +
             Record("13.03.2023", "1", "999,0")));
  EXPECT_EQ(metals.date, "14.03.2023");
  // Platinum had no price on the latest day: no row rather than an older day's price.
  ExpectQuotes(DeriveMetalQuotes(&metals, &cbr),
               {{"XAU/USD", "1000.01"}, {"XAG/USD", "20.001"}, {"XPD/USD", "3.00"}});
}

// The faults a body shares with the daily rates (empty, a web page, truncated, a DOCTYPE) are
// refused by the same code and tried end to end; these are the metals' own.
TEST(OfficialMetals, HostileDocumentsAreRefused) {
  const std::string gold = Record("14.03.2023", "1", "4500,12");
  const std::pair<std::string, const char*> cases[] = {
      {DataFile("cbr-daily-sample.xml"), "ЦБ РФ, металлы: неизвестный формат документа"},
      {Metals(""), "ЦБ РФ, металлы: в документе нет цен"},
      {Metals(Record("14.03.2023", "7", "1,0")), "ЦБ РФ, металлы: в документе нет цен"},
      {Metals(Record("14.03.2023", "2", "-52,37")),
       "ЦБ РФ, металлы: цена серебра указана неверно («-52,37»)"},
      {Metals(Record("14.03.2023", "3", "2350.65")),
       "ЦБ РФ, металлы: цена платины указана неверно («2350.65»)"},
      {Metals(Record("14.03.2023", "4", "3400,00", "-1")),
       "ЦБ РФ, металлы: цена палладия указана неверно («-1»)"},
      // Beyond the bounds that keep the arithmetic exact: 10^9 hundredths and more, five decimals.
      {Metals(Record("14.03.2023", "1", "10000000,01")),
       "ЦБ РФ, металлы: цена золота указана неверно («10000000,01»)"},
      {Metals(Record("14.03.2023", "1", "4500,12345")),
       "ЦБ РФ, металлы: цена золота указана неверно («4500,12345»)"},
      {Metals(gold + gold), "ЦБ РФ, металлы: цена золота на 14.03.2023 указана дважды"},
      {Metals(Record("31.02.2023", "1", "4500,12")),
       "ЦБ РФ, металлы: дата указана неверно («31.02.2023»)"},
      {Metals("<Record Code=\"1\"><Buy>4500,12</Buy></Record>"),
       "ЦБ РФ, металлы: в документе нет даты"},
  };
  for (const auto& [body, message] : cases) {
    SCOPED_TRACE(body.substr(0, 200));
    try {
      ParseCbrMetals(body);
      ADD_FAILURE() << "accepted, expected: " << message;
    } catch (const RatesError& e) {
      EXPECT_EQ(e.what(), std::string(message));
    }
  }
}

TEST(OfficialRates, BodiesUpToTheLimitAreRead) {
  // Padding after the root element is allowed in XML: exactly 4 MiB is still a document.
  std::string body = DataFile("eurofxref-daily-2023-01-03.xml");
  body.resize(kMaxRatesDocumentBytes, '\n');
  EXPECT_EQ(ParseEcbRates(body).rates.size(), 30u);
  // A byte-order mark and blanks around the numbers are tolerated.
  const RatesDocument ecb =
      ParseEcbRates("\xEF\xBB\xBF" + Ecb("<Cube currency='USD' rate=' 1.0545 '/>"));
  ExpectQuotes(DeriveQuotes(&ecb, nullptr), {{"EUR/USD", "1.0545"}});
  const RatesDocument cbr = ParseCbrRates(Cbr(Valute("USD", " 1 ", "\n 075,43210 \n")));
  ExpectQuotes(DeriveQuotes(nullptr, &cbr), {{"USD/RUB", "75.4321"}});
}

}  // namespace
}  // namespace tiramon::quotes
