// The words for where the prices came from. A price shown without its source and age could be a
// demo figure or last week's rate posing as this minute's; these texts say which, every time.
#include "quotes/provenance.h"

#include <algorithm>
#include <ctime>
#include <iterator>

#include "app/unit1.h"
#include "quotes/official_rates.h"

namespace tiramon::quotes {
namespace {

constexpr const char* kEcb = "ЕЦБ";
constexpr const char* kCbr = "ЦБ РФ";
constexpr const char* kStaleMark = " — устарели";

std::tm LocalTime(Clock::time_point moment) {
  const std::time_t seconds = Clock::to_time_t(moment);
  std::tm local{};
  localtime_r(&seconds, &local);
  return local;
}

std::string TwoDigits(int value) {
  return std::string(1, static_cast<char>('0' + value / 10)) + static_cast<char>('0' + value % 10);
}

bool RatesStale(const std::string& date, Clock::time_point now) {
  if (date.empty()) return false;
  const std::optional<std::chrono::sys_days> day = ParseRatesDate(date);
  // A date we cannot read cannot vouch for the rates.
  if (!day) return true;
  return (LocalDay(now) - *day).count() > kStaleRatesDays;
}

bool IsMetal(std::string_view pair) {
  return std::find(std::begin(kMetalNames), std::end(kMetalNames), pair) != std::end(kMetalNames);
}

// "ЕЦБ и ЦБ РФ: курсы на 08.12.2026" (or ", курсы" after another colon), or each with its own
// date when they differ; the metals' day when it is not the Bank of Russia's.
std::string RatesDates(const PriceOrigin& origin, const char* separator = ": ") {
  const bool ecb = !origin.ecbDate.empty();
  const bool cbr = !origin.cbrDate.empty();
  std::string dates;
  if (ecb && cbr && origin.ecbDate != origin.cbrDate) {
    dates =
        std::string(kEcb) + ": курсы на " + origin.ecbDate + ", " + kCbr + ": на " + origin.cbrDate;
  } else {
    const std::string names = ecb && cbr ? std::string(kEcb) + " и " + kCbr : ecb ? kEcb : kCbr;
    dates = names + separator + "курсы на " + (ecb ? origin.ecbDate : origin.cbrDate);
  }
  if (!origin.metalsDate.empty() && origin.metalsDate != origin.cbrDate) {
    dates += ", металлы: на " + origin.metalsDate;
  }
  return dates;
}

// The rates that came with the program: old by nature, whatever the refresh says besides.
OriginWords BundledWords(const PriceOrigin& origin) {
  OriginWords words;
  words.text = std::string("Курсы, поставленные с программой: ") + kEcb + " на " + origin.ecbDate;
  if (origin.refreshing) {
    words.text += " (обновляются…)";
  } else if (!origin.note.empty()) {
    words.text = origin.note + ". " + words.text;
  }
  words.stale = true;
  return words;
}

OriginWords OfficialWords(const PriceOrigin& origin, Clock::time_point now) {
  if (origin.bundled) return BundledWords(origin);
  OriginWords words;
  const bool ecb = !origin.ecbDate.empty();
  const bool cbr = !origin.cbrDate.empty();
  const bool metals = !origin.metalsDate.empty();
  const bool allFetched = (!ecb || origin.ecbFetched) && (!cbr || origin.cbrFetched) &&
                          (!metals || origin.metalsFetched);
  const bool noneFetched = !origin.ecbFetched && !origin.cbrFetched && !origin.metalsFetched;
  if (origin.refreshing) {
    words.text = RatesDates(origin) + " (из кэша, обновляются…)";
  } else if (allFetched) {
    words.text = RatesDates(origin) + " (средние, без спреда)";
    // What went wrong beside the fresh rates (a bank's refusal, a cache not written), and why a
    // source that gave nothing at all is missing, is said too.
    if (!origin.note.empty()) words.text += "; " + origin.note;
  } else if (noneFetched) {
    const std::string why = !origin.note.empty() ? origin.note + ". Из кэша: "
                            : origin.unreachable ? "Нет связи, из кэша: "
                                                 : "Из кэша: ";
    words.text = why + RatesDates(origin, ", ");
  } else {
    std::string cached;
    const auto add = [&cached](const char* name) {
      cached += (cached.empty() ? "" : " и ") + std::string(name);
    };
    if (ecb && !origin.ecbFetched) add(kEcb);
    if (cbr && !origin.cbrFetched) add(kCbr);
    if (metals && !origin.metalsFetched) add("металлы");
    words.text = RatesDates(origin) + " (средние, без спреда); " + cached + " из кэша";
    if (!origin.note.empty()) {
      words.text += ": " + origin.note;
    } else if (origin.unreachable) {
      words.text += ": нет связи";
    }
  }
  words.stale = RatesStale(origin.ecbDate, now) || RatesStale(origin.cbrDate, now) ||
                RatesStale(origin.metalsDate, now);
  return words;
}

OriginWords PageWords(const PriceOrigin& origin, Clock::time_point now) {
  OriginWords words;
  const std::string when = MomentText(origin.pageTime, now);
  if (origin.demo) {
    words.text = "ДЕМО: не рыночные цены";
    if (!origin.live) words.text += " (из кэша от " + when + ")";
    // Made-up prices are flagged whatever their age.
    words.colour = colors::Red;
    return words;
  }
  if (origin.live) {
    words.text = "Страница котировок: " + when;
  } else {
    words.text = std::string(origin.unreachable ? "Нет связи, из кэша: " : "Из кэша: ") +
                 "страница котировок от " + when;
  }
  if (!origin.note.empty()) words.text = origin.note + ". " + words.text;
  words.stale = now - origin.pageTime > kStalePage;
  return words;
}

OriginWords SourceWords(const PriceOrigin& origin, Clock::time_point now) {
  switch (origin.kind) {
    case PriceOrigin::Kind::Page:
      return PageWords(origin, now);
    case PriceOrigin::Kind::Official:
      return OfficialWords(origin, now);
    case PriceOrigin::Kind::None:
      break;
  }
  OriginWords words;
  if (origin.refreshing) {
    words.text = "Курсов ещё нет: загружаются…";
  } else if (!origin.note.empty()) {
    words.text = "Котировок нет: " + origin.note;
    words.colour = colors::Red;
  }
  return words;
}

}  // namespace

std::chrono::sys_days LocalDay(Clock::time_point moment) {
  const std::tm local = LocalTime(moment);
  return std::chrono::year_month_day{std::chrono::year{local.tm_year + 1900},
                                     std::chrono::month{static_cast<unsigned>(local.tm_mon + 1)},
                                     std::chrono::day{static_cast<unsigned>(local.tm_mday)}};
}

std::optional<std::chrono::sys_days> ParseRatesDate(std::string_view text) {
  if (text.size() != 10 || text[2] != '.' || text[5] != '.') return std::nullopt;
  int parts[3] = {0, 0, 0};
  const std::size_t starts[3] = {0, 3, 6};
  const std::size_t lengths[3] = {2, 2, 4};
  for (int i = 0; i < 3; ++i) {
    for (std::size_t k = 0; k < lengths[i]; ++k) {
      const char c = text[starts[i] + k];
      if (c < '0' || c > '9') return std::nullopt;
      parts[i] = parts[i] * 10 + (c - '0');
    }
  }
  const std::chrono::year_month_day date{std::chrono::year{parts[2]},
                                         std::chrono::month{static_cast<unsigned>(parts[1])},
                                         std::chrono::day{static_cast<unsigned>(parts[0])}};
  if (!date.ok()) return std::nullopt;
  return std::chrono::sys_days{date};
}

std::string MomentText(Clock::time_point moment, Clock::time_point now) {
  const std::tm local = LocalTime(moment);
  const std::string time = TwoDigits(local.tm_hour) + ":" + TwoDigits(local.tm_min);
  if (LocalDay(moment) == LocalDay(now)) return time;
  return TwoDigits(local.tm_mday) + "." + TwoDigits(local.tm_mon + 1) + "." +
         std::to_string(local.tm_year + 1900) + " " + time;
}

OriginWords PanelWords(const PriceOrigin& origin, Clock::time_point now) {
  OriginWords base = SourceWords(origin, now);
  if (base.stale) {
    base.text += kStaleMark;
    base.colour = colors::Red;
  }
  if (origin.ownPair.empty()) return base;
  OriginWords words = base;
  words.text = "Свои цены: " + origin.ownPair;
  if (!base.text.empty()) words.text += "; остальные — " + base.text;
  return words;
}

OriginWords WorkingPriceWords(const PriceOrigin& origin, std::string_view pair,
                              Clock::time_point now) {
  OriginWords words;
  if (pair.empty()) return words;
  if (!origin.ownPair.empty() && origin.ownPair == pair) {
    words.text = "Цена: ваша, из терминала";
    words.colour = colors::Green;
    return words;
  }
  switch (origin.kind) {
    case PriceOrigin::Kind::None:
      return words;
    case PriceOrigin::Kind::Page:
      if (origin.demo) {
        words.text = "Цена: ДЕМО, не рыночная — не для ордеров";
        words.colour = colors::Red;
        return words;
      }
      words.text = "Цена: страница котировок, " + MomentText(origin.pageTime, now);
      words.stale = now - origin.pageTime > kStalePage;
      words.colour = colors::Gray;
      break;
    case PriceOrigin::Kind::Official: {
      if (origin.bundled) {
        words.text = "Цена: курс из программы на " + origin.ecbDate + " — не для ордеров";
        words.stale = true;
        words.colour = colors::Maroon;
        break;
      }
      if (IsMetal(pair) && !origin.metalsDate.empty()) {
        words.text = "Цена: учётная ЦБ РФ на " + origin.metalsDate + " — не для ордеров";
        words.stale = RatesStale(origin.metalsDate, now);
        words.colour = colors::Maroon;
        break;
      }
      const bool rouble = pair.find("RUB") != std::string_view::npos;
      const std::string& date = (rouble || origin.ecbDate.empty()) && !origin.cbrDate.empty()
                                    ? origin.cbrDate
                                    : origin.ecbDate;
      words.text = "Цена: официальный курс на " + date + " — не для ордеров";
      words.stale = RatesStale(date, now);
      words.colour = colors::Maroon;
      break;
    }
  }
  if (words.stale) {
    words.text += ", устарела";
    words.colour = colors::Red;
  }
  return words;
}

}  // namespace tiramon::quotes

namespace tiramon {

void TForm1::ShowPriceOrigin() {
  const quotes::Clock::time_point now = NowOf(environment);
  const quotes::OriginWords panel = quotes::PanelWords(Prices, now);
  TStatusPanel& status = StatusBar1.panels[1];
  status.text = panel.text;
  status.fontColor = panel.colour;
  status.hint = panel.text;
  if (!environment.settingsNote.empty()) {
    status.text += (status.text.empty() ? "" : " · ") + environment.settingsNote;
    status.hint = status.text;
  }
  const quotes::OriginWords price = quotes::WorkingPriceWords(Prices, SelectedPair, now);
  Label_PriceSource.caption = price.text;
  Label_PriceSource.fontColor = price.colour;
  Label_PriceSource.hint =
      Prices.kind == PriceOrigin::Kind::Official && Prices.ownPair != SelectedPair
          ? "Официальные курсы — средние за день: годятся для маржи и стоимости пункта. Для "
            "уровней стопа и тэйка введите цены своего терминала ниже."
          : "";
}

void TForm1::Timer_AgeTimer() { ShowPriceOrigin(); }

}  // namespace tiramon
