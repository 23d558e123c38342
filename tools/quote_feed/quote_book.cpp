// Prices are kept as whole numbers of their last decimal, so a moving price never picks up a
// rounding tail and always prints with its pair's number of decimals.
#include "quote_book.h"

#include <algorithm>
#include <cstdio>

namespace tiramon::feed {
namespace {

struct PairInfo {
  const char* name;
  const char* title;
  int digits;
  std::int64_t bid;
  std::int64_t spread;
};

// Majors, the dollar against the currencies of the pip table, and the usual crosses.
constexpr PairInfo kPairs[] = {
    {"EUR/USD", "Евро / Доллар США", 4, 10852, 2},
    {"GBP/USD", "Британский фунт / Доллар США", 4, 12674, 3},
    {"AUD/USD", "Австралийский доллар / Доллар США", 4, 6581, 2},
    {"NZD/USD", "Новозеландский доллар / Доллар США", 4, 6093, 3},
    {"USD/JPY", "Доллар США / Японская иена", 2, 15142, 2},
    {"USD/CHF", "Доллар США / Швейцарский франк", 4, 9012, 3},
    {"USD/CAD", "Доллар США / Канадский доллар", 4, 13621, 3},
    {"USD/SEK", "Доллар США / Шведская крона", 4, 105614, 40},
    {"USD/DKK", "Доллар США / Датская крона", 4, 68723, 30},
    {"USD/NOK", "Доллар США / Норвежская крона", 4, 106842, 40},
    {"USD/HKD", "Доллар США / Гонконгский доллар", 4, 78231, 15},
    {"USD/SGD", "Доллар США / Сингапурский доллар", 4, 13472, 8},
    {"USD/TRY", "Доллар США / Турецкая лира", 4, 323517, 150},
    {"USD/CNY", "Доллар США / Китайский юань", 4, 72391, 20},
    {"USD/RUB", "Доллар США / Российский рубль", 4, 924150, 300},
    {"USD/MXN", "Доллар США / Мексиканское песо", 4, 169870, 60},
    {"USD/PLN", "Доллар США / Польский злотый", 4, 39612, 30},
    {"USD/ZAR", "Доллар США / Южноафриканский рэнд", 4, 187390, 80},
    {"EUR/GBP", "Евро / Британский фунт", 4, 8563, 2},
    {"EUR/JPY", "Евро / Японская иена", 2, 16432, 3},
    {"GBP/JPY", "Британский фунт / Японская иена", 2, 19187, 4},
    {"CHF/JPY", "Швейцарский франк / Японская иена", 2, 16803, 4},
    {"EUR/CHF", "Евро / Швейцарский франк", 4, 9781, 3},
    {"AUD/NZD", "Австралийский доллар / Новозеландский доллар", 4, 10802, 4},
    {"CAD/JPY", "Канадский доллар / Японская иена", 2, 11117, 3},
    {"AUD/JPY", "Австралийский доллар / Японская иена", 2, 9965, 3},
    {"NZD/JPY", "Новозеландский доллар / Японская иена", 2, 9226, 3},
    {"EUR/AUD", "Евро / Австралийский доллар", 4, 16489, 4},
    {"EUR/CAD", "Евро / Канадский доллар", 4, 14781, 4},
    {"GBP/CHF", "Британский фунт / Швейцарский франк", 4, 11421, 4},
    {"SGD/JPY", "Сингапурский доллар / Японская иена", 2, 11240, 5},
};

std::string Slug(const std::string& name) {
  std::string slug;
  for (char c : name) {
    if (c == '/')
      slug += '-';
    else
      slug += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return slug;
}

constexpr const char* kHead =
    "<!DOCTYPE html>\n"
    "<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
    // Says to the program that these prices are made up, live or from its cache.
    "<meta name=\"tiramon-demo-data\" content=\"демо-данные, не рыночные цены\">\n"
    "<title>Потоковые курсы валют \xE2\x80\x93 основные пары</title>\n"
    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
    "<link rel=\"stylesheet\" href=\"/css/main.css\">\n"
    "<script src=\"/js/streaming.js\" defer></script>\n"
    "</head>\n<body>\n"
    "<div id=\"header\">\n<a href=\"/\" class=\"logo\">Курсы онлайн</a>\n"
    "<form action=\"/search\" class=\"search\"><input type=\"text\" name=\"q\" "
    "placeholder=\"Поиск\"></form>\n</div>\n"
    "<ul id=\"navMenu\" class=\"menu\">\n"
    "<li><a href=\"/\">Главная</a></li>\n"
    "<li><a href=\"/markets\">Рынки</a>\n<ul class=\"sub\">\n"
    "<li><a href=\"/currencies\">Валюты</a></li>\n"
    "<li><a href=\"/currencies/streaming-forex-rates-majors\">Основные пары</a></li>\n"
    "<li><a href=\"/currencies/exotic\">Экзотические пары</a></li>\n"
    "<li><a href=\"/indices\">Индексы</a></li>\n"
    "<li><a href=\"/commodities\">Сырьё</a></li>\n</ul></li>\n"
    "<li><a href=\"/news\">Новости</a></li>\n"
    "<li><a href=\"/analysis\">Аналитика</a></li>\n"
    "<li><a href=\"/calendar\">Календарь</a></li>\n"
    "<li><a href=\"/tools\">Инструменты</a></li>\n"
    "</ul>\n"
    "<div id=\"content\">\n<h1>Потоковые курсы валют: основные пары</h1>\n"
    "<p class=\"intro\">Котировки обновляются в реальном времени. Цены индикативные.</p>\n"
    "<table class=\"genTbl closedTbl crossRatesTbl\" id=\"cr1\">\n<thead>\n<tr>"
    "<th class=\"icon\">&nbsp;</th><th>Пара</th><th>Bid</th><th>Ask</th><th>Макс.</th>"
    "<th>Мин.</th><th>Изм.</th><th>Изм. %</th><th>Время</th></tr>\n</thead>\n<tbody>\n";

constexpr const char* kNewsHeadlines[] = {
    "Доллар укрепляется перед публикацией данных по занятости",
    "Евро снижается на фоне слабой статистики из Германии",
    "Иена растёт: инвесторы уходят от риска",
    "Фунт стерлингов колеблется в ожидании решения по ставке",
    "Сырьевые валюты дорожают вслед за нефтью",
    "Аналитики ждут повышения волатильности в конце недели",
};

}  // namespace

QuoteBook::QuoteBook(std::uint32_t seed) : random_(seed) {
  for (const PairInfo& info : kPairs) {
    Quote quote{info.name,   Slug(info.name), std::string(info.name) + " - " + info.title,
                info.digits, info.bid,        info.spread,
                info.bid,    info.bid,        info.bid};
    quotes_.push_back(std::move(quote));
  }
}

void QuoteBook::Step() {
  ++steps_;
  for (Quote& quote : quotes_) {
    std::uniform_int_distribution<int> move(-3, 3);
    std::int64_t step = move(random_);
    if (step == 0) step = 1;  // every price moves a little
    const std::int64_t band = std::max<std::int64_t>(quote.base / 50, 10);
    std::int64_t bid = quote.bid + step;
    if (bid > quote.base + band || bid < quote.base - band) bid = quote.bid - step;
    quote.bid = bid;
    quote.high = std::max(quote.high, bid);
    quote.low = std::min(quote.low, bid);
  }
}

std::string QuoteBook::FormatPrice(std::int64_t units, int digits) {
  std::int64_t scale = 1;
  for (int i = 0; i < digits; ++i) scale *= 10;
  const bool negative = units < 0;
  const std::int64_t magnitude = negative ? -units : units;
  char text[64];
  if (digits == 0) {
    std::snprintf(text, sizeof text, "%s%lld", negative ? "-" : "",
                  static_cast<long long>(magnitude));
  } else {
    std::snprintf(text, sizeof text, "%s%lld.%0*lld", negative ? "-" : "",
                  static_cast<long long>(magnitude / scale), digits,
                  static_cast<long long>(magnitude % scale));
  }
  return text;
}

std::string QuoteBook::Page(std::size_t minimumBytes) const {
  std::string page = kHead;
  const unsigned long long seconds = steps_ % 86400;
  char time[16];
  std::snprintf(time, sizeof time, "%02llu:%02llu:%02llu", (seconds / 3600) % 24,
                (seconds / 60) % 60, seconds % 60);
  int id = 1;
  for (const Quote& q : quotes_) {
    const std::string pid = "pid-" + std::to_string(id);
    const std::int64_t change = q.bid - q.base;
    const char* colour = change >= 0 ? "greenFont" : "redFont";
    char percent[32];
    std::snprintf(percent, sizeof percent, "%+.2f%%",
                  100.0 * static_cast<double>(change) / static_cast<double>(q.base));
    page += "<tr id=\"pair_" + std::to_string(id) + "\">";
    page += "<td class=\"flag\"><span class=\"ceFlags " + q.slug + "\">&nbsp;</span></td>";
    // The pair cell: two blanks before title and one before ">", as the site writes it.
    page += "<td class=\"pair left bold noWrap\"><a href=\"/currencies/" + q.slug + "\"  title=\"" +
            q.title + "\" >" + q.name + "</a></td>";
    page += "<td class=\"" + pid + "-bid\">" + FormatPrice(q.bid, q.digits) + "</td>";
    page += "<td class=\"" + pid + "-ask\">" + FormatPrice(q.bid + q.spread, q.digits) + "</td>";
    page += "<td class=\"" + pid + "-high\">" + FormatPrice(q.high, q.digits) + "</td>";
    page += "<td class=\"" + pid + "-low\">" + FormatPrice(q.low, q.digits) + "</td>";
    page += "<td class=\"bold " + std::string(colour) + " " + pid + "-pc\">" +
            FormatPrice(change, q.digits) + "</td>";
    page += "<td class=\"bold " + std::string(colour) + " " + pid + "-pcp\">" + percent + "</td>";
    page += "<td class=\"" + pid + "-time\">" + time + "</td></tr>\n";
    ++id;
  }
  page += "</tbody>\n</table>\n";
  page += "<div class=\"news\">\n<h2>Новости рынка</h2>\n<ul class=\"newsList\">\n";
  const std::string footer =
      "</ul>\n</div>\n</div>\n<div id=\"footer\">\n<ul class=\"links\">\n"
      "<li><a href=\"/about\">О сайте</a></li>\n<li><a href=\"/contacts\">Контакты</a></li>\n"
      "<li><a href=\"/risk\">Предупреждение о рисках</a></li>\n</ul>\n"
      "<p class=\"disclaimer\">Торговля на валютном рынке связана с высоким уровнем риска. "
      "Котировки приводятся только для ознакомления.</p>\n</div>\n</body>\n</html>\n";
  // News items until the page has the size asked for; they carry no links to pair pages.
  std::size_t item = 0;
  do {
    const char* headline = kNewsHeadlines[item % std::size(kNewsHeadlines)];
    page += "<li class=\"item\"><a href=\"/news/article-" + std::to_string(1000 + item) +
            "\" class=\"title\">" + headline + "</a><span class=\"date\">" +
            std::to_string(1 + item % 28) +
            " марта</span><p>Участники рынка оценивают свежие макроэкономические данные; "
            "динамика основных валютных пар остаётся умеренной, объёмы торгов "
            "ниже средних.</p></li>\n";
    ++item;
  } while (page.size() + footer.size() < minimumBytes);
  page += footer;
  return page;
}

std::string QuoteBook::LargePage(std::size_t rows) const {
  // 104 bytes a row, so that 320,000 rows still fit the client's 32 MiB body limit.
  const auto row = [](const Quote& q) {
    return "<td><a href=\"/currencies\"  title=\"\" >" + q.name + "</a></td><td class=\"b\">" +
           FormatPrice(q.bid, q.digits) + "</td><td class=\"a\">" +
           FormatPrice(q.bid + q.spread, q.digits) + "</td>\n";
  };
  const std::string first = row(quotes_[0]);
  const std::string other = row(quotes_[1]);
  std::string page = kHead;
  page.reserve(page.size() + first.size() + rows * other.size() + 64);
  if (rows > 0) page += first;
  for (std::size_t i = 1; i < rows; ++i) page += other;
  page += "</tbody>\n</table>\n</div>\n</body>\n</html>\n";
  return page;
}

}  // namespace tiramon::feed
