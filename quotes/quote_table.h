// Completing the quote table: each row the page parser adds gets its margins, positions and pip
// value here, and the rows of the dollar pairs keep the reference bids and the selection current.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/unit1.h"
#include "support/checked.h"

namespace tiramon::quotes {

// The lot and the deposit as the row formulas read them. Each text is converted at its first use,
// so a text the conversion rejects stops the refresh at the first formula that needs it, with its
// message; the rows after it reuse the figure, since neither text can change while a page is read
// (converting them again for every cell was a tenth of a large page's refresh).
class QuoteInputs {
 public:
  explicit QuoteInputs(const TForm1& form) : form_(form) {}
  Ext Lot();
  Ext Deposit();
  std::string& Scratch() { return scratch_; }  // room to build one cell in
  // Column 10 of a pair quoted in dollars depends on the lot alone: worked out once.
  std::optional<std::string>& DollarPipCell() { return dollarPipCell_; }

 private:
  const TForm1& form_;
  std::optional<Ext> lot_;
  std::optional<Ext> deposit_;
  std::string scratch_;
  std::optional<std::string> dollarPipCell_;
};

// Appends columns 4 to 10 of a row that has its name, bid, ask and spread, as far as the pair
// calls for them, and updates the reference bids and the selection of the form. `row` must be
// the row as it sits in form.ListView1.items, so that a row cut short by an error stays in the
// table with the columns written before it. Throws ConversionError and FloatError.
void CompleteQuoteRow(TForm1& form, TListItem& row, std::string_view name, std::string_view bid,
                      std::string_view ask, QuoteInputs& inputs);
// The same for a single row, with the lot and deposit converted afresh.
void CompleteQuoteRow(TForm1& form, TListItem& row, std::string_view name, std::string_view bid,
                      std::string_view ask);

// Header of column 4 for the lot text as typed: "0.1" gives "0.1 лот (без плеча)".
std::string Column4Caption(std::string_view lotText);

}  // namespace tiramon::quotes
