// Quote pages made up for the tests and the benchmark: single entries in the page's row layout,
// large ordinary pages with a few quote tables, and pages built to make a backtracking search slow.
#pragma once

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace tiramon::test_pages {

// One table row of the quotes page for a pair, in the layout the parser reads.
inline std::string QuoteEntry(std::string_view name, std::string_view bid, std::string_view ask,
                              std::string_view title = "Currency pair") {
  std::string slug(name);
  for (char& c : slug) c = c == '/' ? '-' : static_cast<char>(c | 0x20);
  std::string row = "<tr><td class=\"pair\"><a href=\"/currencies/";
  row.append(slug).append("\"  title=\"").append(title).append("\" >").append(name);
  row.append("</a></td><td class=\"bid\">").append(bid);
  row.append("</td><td class=\"ask\">").append(ask);
  row.append("</td><td class=\"chg\">+0.01%</td></tr>\n");
  return row;
}

inline std::string ReadDataFile(std::string_view name, std::string_view dataDir) {
  std::ifstream in(std::string(dataDir) + "/" + std::string(name), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A block of ordinary page content: a menu whose /currencies links lack the entry's title part,
// news text, and a table of another kind, about 1.2 KB.
inline std::string OrdinaryHtmlBlock(int n) {
  const std::string k = std::to_string(n);
  std::string block;
  block += "<div class=\"box\" id=\"box" + k + "\">\n<ul class=\"menu\">\n";
  block += "  <li><a href=\"/currencies\">Currencies</a></li>\n";
  block += "  <li><a href=\"/currencies/majors\" title=\"Majors\">Majors</a></li>\n";
  block += "  <li><a href=\"/currencies/news-" + k + "\" title=\"News\" >News</a></li>\n";
  block += "  <li><a href=\"/indices\">Indices</a></li>\n</ul>\n";
  block += "<p class=\"news\">Markets were quiet in session " + k +
           " as traders waited for the central bank; the dollar held its ground against the "
           "euro and the yen while commodity currencies edged higher on firmer metal prices.</p>"
           "\n";
  block += "<table class=\"calendar\"><tr><th>Time</th><th>Event</th><th>Forecast</th></tr>\n";
  for (int i = 0; i < 5; ++i) {
    block += "<tr><td class=\"time\">1" + std::to_string(i) +
             ":30</td><td class=\"event\">Retail "
             "sales m/m</td><td class=\"fc\">0." +
             std::to_string(i) + "%</td></tr>\n";
  }
  block += "</table>\n<!-- box " + k + " -->\n</div>\n";
  return block;
}

// About `bytes` of ordinary HTML with `rows` quote entries in four tables spread over it.
inline std::string RealisticPage(std::size_t bytes, int rows) {
  static constexpr const char* kNames[] = {"EUR/USD", "GBP/USD", "USD/JPY", "USD/CHF", "AUD/USD",
                                           "USD/CAD", "EUR/GBP", "EUR/JPY", "NZD/USD", "GBP/JPY"};
  static constexpr const char* kBids[] = {"1.1234", "1.3051", "110.25", "0.9123", "0.7412",
                                          "1.2518", "0.8512", "130.50", "0.6893", "143.88"};
  static constexpr const char* kAsks[] = {"1.1236", "1.3054", "110.27", "0.9125", "0.7415",
                                          "1.2521", "0.8515", "130.53", "0.6897", "143.93"};
  std::string page = "<!DOCTYPE html>\n<html><head><title>Rates</title></head><body>\n";
  const int tables = 4;
  const std::size_t share = bytes / (tables + 1);
  int block = 0;
  int row = 0;
  for (int t = 0; t <= tables; ++t) {
    while (page.size() < share * (t + 1) - 200) page += OrdinaryHtmlBlock(block++);
    if (t == tables) break;
    page += "<table class=\"quotes\">\n";
    for (int end = rows * (t + 1) / tables; row < end; ++row) {
      page += QuoteEntry(kNames[row % 10], kBids[row % 10], kAsks[row % 10]);
    }
    page += "</table>\n";
  }
  page += "</body></html>\n";
  return page;
}

// Repeats `unit` until the page holds at least `bytes`.
inline std::string Repeated(std::string_view unit, std::size_t bytes) {
  std::string page;
  page.reserve(bytes + unit.size());
  while (page.size() < bytes) page.append(unit);
  return page;
}

// Pages that make a backtracking search slow.
// Menu links to /currencies without the entry's title part: every one is a place to start.
inline constexpr std::string_view kLinkWithoutTitle =
    "<li><a href=\"/currencies/eur-usd\">EUR/USD</a></li>\n";
// Entries with one blank before title: the title part is never found.
inline constexpr std::string_view kOneBlankEntry =
    "<tr><td><a href=\"/currencies/eur-usd\" title=\"Euro\" >EUR/USD</a></td><td class=\"bid\">"
    "1.1234</td><td class=\"ask\">1.1236</td></tr>\n";
// Entries that end after the link: the bid cell never comes.
inline constexpr std::string_view kUnclosedEntry =
    "<tr><td><a href=\"/currencies/eur-usd\"  title=\"Euro\" >EUR/USD</a></td></tr>\n";

// Entries whose bid cell never closes its opening tag: every lazy run before it has every later
// entry to try, so a backtracking search grows with a high power of the page size.
inline constexpr std::string_view kUnclosedCellEntry =
    "<tr><td><a href=\"/currencies/eur-usd\"  title=\"Euro\" >EUR/USD</a></td><td class=\"bid\n";

}  // namespace tiramon::test_pages
