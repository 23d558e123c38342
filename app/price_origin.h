// Where the prices of the quote table came from and how old they are. Plain model state: the
// refresh fills it, and the status bar and the assistant put it into words.
#pragma once

#include <chrono>
#include <string>

namespace tiramon {

struct PriceOrigin {
  enum class Kind { None, Page, Official };
  Kind kind = Kind::None;

  // The quote page: live (fetched with a go-ahead in the last refresh) or the cached copy.
  bool live = false;
  bool demo = false;                                 // the page carries the demo feed's mark
  std::chrono::system_clock::time_point pageTime{};  // when the shown page was fetched

  // The official rates: each document's own date ("DD.MM.YYYY"), empty when it was not used, and
  // whether it was downloaded in the last refresh or read from its cache.
  std::string ecbDate, cbrDate;
  bool ecbFetched = false, cbrFetched = false;
  // The Bank of Russia's metal prices, when the table has their rows: their day, and whether
  // downloaded in the last refresh.
  std::string metalsDate;
  bool metalsFetched = false;
  bool bundled = false;     // the rates that came with the program (ecbDate is theirs)
  bool refreshing = false;  // cached rates on screen while the downloads run

  bool unreachable = false;  // the source could not be reached in the last refresh
  std::string note;          // what else went wrong in the last refresh, in the user's words

  std::string ownPair;               // the pair whose prices the user typed in; empty: none
  std::string sourceBid, sourceAsk;  // that pair's prices as the source gave them
};

}  // namespace tiramon
