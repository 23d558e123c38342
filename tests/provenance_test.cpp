// The words for where the prices came from and how old they are: each source, live and cached,
// fresh and stale, the user's own prices over them, and the assistant's line about its price.
#include "quotes/provenance.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "app/environment.h"

namespace tiramon::quotes {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using namespace std::chrono_literals;

// 09.12.2026 12:00 in UTC, the zone these tests read local time in.
const Clock::time_point kNow = std::chrono::sys_days{2026y / 12 / 9} + 12h;

class ProvenanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* zone = std::getenv("TZ");
    savedZone_ = zone ? zone : "";
    hadZone_ = zone != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (hadZone_) {
      setenv("TZ", savedZone_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  std::string savedZone_;
  bool hadZone_ = false;
};

PriceOrigin Official(std::string ecbDate, std::string cbrDate, bool ecbFetched, bool cbrFetched) {
  PriceOrigin origin;
  origin.kind = PriceOrigin::Kind::Official;
  origin.ecbDate = std::move(ecbDate);
  origin.cbrDate = std::move(cbrDate);
  origin.ecbFetched = ecbFetched;
  origin.cbrFetched = cbrFetched;
  return origin;
}

// The Bank of Russia's metal prices of `date` beside the two banks' rates.
PriceOrigin WithMetals(PriceOrigin origin, std::string date, bool fetched) {
  origin.metalsDate = std::move(date);
  origin.metalsFetched = fetched;
  return origin;
}

PriceOrigin Bundled(std::string note = "", bool refreshing = false) {
  PriceOrigin origin;
  origin.kind = PriceOrigin::Kind::Official;
  origin.bundled = true;
  origin.ecbDate = "03.01.2023";
  origin.note = std::move(note);
  origin.refreshing = refreshing;
  return origin;
}

PriceOrigin Page(bool live, Clock::time_point time, bool demo = false, bool unreachable = false) {
  PriceOrigin origin;
  origin.kind = PriceOrigin::Kind::Page;
  origin.live = live;
  origin.pageTime = time;
  origin.demo = demo;
  origin.unreachable = unreachable;
  return origin;
}

TEST_F(ProvenanceTest, PanelNamesTheSourceAndTheAge) {
  PriceOrigin cachedOffline = Official("08.12.2026", "08.12.2026", false, false);
  cachedOffline.unreachable = true;
  PriceOrigin refreshing = Official("08.12.2026", "09.12.2026", false, false);
  refreshing.refreshing = true;
  PriceOrigin badAnswer = Official("08.12.2026", "08.12.2026", false, false);
  badAnswer.note = "ЕЦБ: ответ не является документом XML";
  PriceOrigin nothing;
  nothing.note = "нет связи с ЕЦБ и ЦБ РФ";
  PriceOrigin own = Page(true, kNow - 2min);
  own.ownPair = "EUR/USD";
  PriceOrigin noDollar = Official("08.12.2026", "", true, false);
  noDollar.note = "ЦБ РФ, металлы: нет курса USD ЦБ РФ для пересчёта";
  struct Case {
    const char* name;
    PriceOrigin origin;
    const char* text;
    TColor colour;
  } cases[] = {
      {"both banks today", Official("08.12.2026", "08.12.2026", true, true),
       "ЕЦБ и ЦБ РФ: курсы на 08.12.2026 (средние, без спреда)", colors::Black},
      {"the banks on different days", Official("08.12.2026", "09.12.2026", true, true),
       "ЕЦБ: курсы на 08.12.2026, ЦБ РФ: на 09.12.2026 (средние, без спреда)", colors::Black},
      {"only the ECB", Official("08.12.2026", "", true, false),
       "ЕЦБ: курсы на 08.12.2026 (средние, без спреда)", colors::Black},
      {"no connection, from the cache", cachedOffline,
       "Нет связи, из кэша: ЕЦБ и ЦБ РФ, курсы на 08.12.2026", colors::Black},
      {"a bad answer, from the cache", badAnswer,
       "ЕЦБ: ответ не является документом XML. Из кэша: ЕЦБ и ЦБ РФ, курсы на 08.12.2026",
       colors::Black},
      {"one fetched, one cached", Official("08.12.2026", "08.12.2026", true, false),
       "ЕЦБ и ЦБ РФ: курсы на 08.12.2026 (средние, без спреда); ЦБ РФ из кэша", colors::Black},
      {"cached while refreshing", refreshing,
       "ЕЦБ: курсы на 08.12.2026, ЦБ РФ: на 09.12.2026 (из кэша, обновляются…)", colors::Black},
      // 09.12 − 05.12 is four days: still current; 04.12 is five: stale.
      {"four days old", Official("05.12.2026", "05.12.2026", true, true),
       "ЕЦБ и ЦБ РФ: курсы на 05.12.2026 (средние, без спреда)", colors::Black},
      {"five days old", Official("04.12.2026", "05.12.2026", true, true),
       "ЕЦБ: курсы на 04.12.2026, ЦБ РФ: на 05.12.2026 (средние, без спреда) — устарели",
       colors::Red},
      {"the page, live", Page(true, kNow - 28min), "Страница котировок: 11:32", colors::Black},
      {"the page an hour and a minute old", Page(true, kNow - 61min),
       "Страница котировок: 10:59 — устарели", colors::Red},
      {"the page from yesterday's cache", Page(false, kNow - 25h, false, true),
       "Нет связи, из кэша: страница котировок от 08.12.2026 11:00 — устарели", colors::Red},
      {"the page from the cache, gate closed", Page(false, kNow - 5min),
       "Из кэша: страница котировок от 11:55", colors::Black},
      {"demo, live", Page(true, kNow, true), "ДЕМО: не рыночные цены", colors::Red},
      {"demo, cached and old", Page(false, kNow - 48h, true),
       "ДЕМО: не рыночные цены (из кэша от 07.12.2026 12:00)", colors::Red},
      {"own prices over the page", own, "Свои цены: EUR/USD; остальные — Страница котировок: 11:58",
       colors::Black},
      {"no prices at all", nothing, "Котировок нет: нет связи с ЕЦБ и ЦБ РФ", colors::Red},
      {"metals of the Bank of Russia's day",
       WithMetals(Official("08.12.2026", "08.12.2026", true, true), "08.12.2026", true),
       "ЕЦБ и ЦБ РФ: курсы на 08.12.2026 (средние, без спреда)", colors::Black},
      {"metals of another day",
       WithMetals(Official("08.12.2026", "09.12.2026", true, true), "08.12.2026", true),
       "ЕЦБ: курсы на 08.12.2026, ЦБ РФ: на 09.12.2026, металлы: на 08.12.2026 (средние, без "
       "спреда)",
       colors::Black},
      {"metals cached with a bank",
       WithMetals(Official("08.12.2026", "08.12.2026", false, true), "08.12.2026", false),
       "ЕЦБ и ЦБ РФ: курсы на 08.12.2026 (средние, без спреда); ЕЦБ и металлы из кэша",
       colors::Black},
      {"old metals",
       WithMetals(Official("08.12.2026", "08.12.2026", true, true), "04.12.2026", true),
       "ЕЦБ и ЦБ РФ: курсы на 08.12.2026, металлы: на 04.12.2026 (средние, без спреда) — устарели",
       colors::Red},
      {"a source that gave nothing says why", noDollar,
       "ЕЦБ: курсы на 08.12.2026 (средние, без спреда); ЦБ РФ, металлы: нет курса USD ЦБ РФ для "
       "пересчёта",
       colors::Black},
      // The rates that came with the program are old whatever the day.
      {"the program's own rates, refreshing", Bundled("", true),
       "Курсы, поставленные с программой: ЕЦБ на 03.01.2023 (обновляются…) — устарели",
       colors::Red},
      {"the program's own rates, banks down", Bundled("Нет связи с ЕЦБ и ЦБ РФ"),
       "Нет связи с ЕЦБ и ЦБ РФ. Курсы, поставленные с программой: ЕЦБ на "
       "03.01.2023 — устарели",
       colors::Red},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OriginWords words = PanelWords(c.origin, kNow);
    EXPECT_EQ(words.text, c.text);
    EXPECT_EQ(words.colour, c.colour);
  }
}

TEST_F(ProvenanceTest, AssistantSaysWhereItsPriceComesFrom) {
  PriceOrigin own = Official("08.12.2026", "09.12.2026", true, true);
  own.ownPair = "EUR/USD";
  struct Case {
    const char* name;
    PriceOrigin origin;
    const char* pair;
    const char* text;
    TColor colour;
  } cases[] = {
      {"no pair", Page(true, kNow), "", "", colors::Black},
      {"the user's own", own, "EUR/USD", "Цена: ваша, из терминала", colors::Green},
      {"another pair than the user's", own, "GBP/USD",
       "Цена: официальный курс на 08.12.2026 — не для ордеров", colors::Maroon},
      {"a rouble pair takes the Bank of Russia's date", own, "USD/RUB",
       "Цена: официальный курс на 09.12.2026 — не для ордеров", colors::Maroon},
      {"old official rates", Official("01.12.2026", "01.12.2026", true, true), "EUR/USD",
       "Цена: официальный курс на 01.12.2026 — не для ордеров, устарела", colors::Red},
      {"demo", Page(true, kNow, true), "EUR/USD", "Цена: ДЕМО, не рыночная — не для ордеров",
       colors::Red},
      {"the page", Page(true, kNow - 10min), "EUR/USD", "Цена: страница котировок, 11:50",
       colors::Gray},
      {"an old page", Page(false, kNow - 2h), "EUR/USD",
       "Цена: страница котировок, 10:00, устарела", colors::Red},
      {"a metal takes the metals' day",
       WithMetals(Official("08.12.2026", "09.12.2026", true, true), "07.12.2026", true), "XAU/USD",
       "Цена: учётная ЦБ РФ на 07.12.2026 — не для ордеров", colors::Maroon},
      {"an old metal price",
       WithMetals(Official("08.12.2026", "09.12.2026", true, true), "01.12.2026", true), "XAG/USD",
       "Цена: учётная ЦБ РФ на 01.12.2026 — не для ордеров, устарела", colors::Red},
      {"the program's own rates", Bundled(), "EUR/USD",
       "Цена: курс из программы на 03.01.2023 — не для ордеров, устарела", colors::Red},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const OriginWords words = WorkingPriceWords(c.origin, c.pair, kNow);
    EXPECT_EQ(words.text, c.text);
    EXPECT_EQ(words.colour, c.colour);
  }
}

TEST_F(ProvenanceTest, AgesAreTakenByTheEnvironmentsClockOrElseTheSystems) {
  Environment environment;
  const Clock::time_point before = std::chrono::system_clock::now();
  const Clock::time_point now = NowOf(environment);
  EXPECT_GE(now, before);
  EXPECT_LE(now, std::chrono::system_clock::now());
  environment.now = [] { return kNow; };
  EXPECT_EQ(NowOf(environment), kNow);
}

TEST_F(ProvenanceTest, ReadsOnlyRealCalendarDates) {
  EXPECT_EQ(ParseRatesDate("29.02.2024"), std::chrono::sys_days{2024y / 2 / 29});
  for (const char* bad :
       {"29.02.2023", "2023-01-03", "3.1.2023", "00.01.2023", "01.13.2023", "ab.cd.efgh", ""}) {
    EXPECT_FALSE(ParseRatesDate(bad)) << bad;
  }
}

}  // namespace
}  // namespace tiramon::quotes
