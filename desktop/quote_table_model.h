// The quote table as Qt's views read it: every text and colour comes straight from the window
// model's list at painting time. A page of hundreds of thousands of rows thus costs neither a
// copy of the rows nor an item object per cell, and only the rows on screen are ever read.
#pragma once

#include <QAbstractTableModel>
#include <QFontMetricsF>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "app/unit1.h"

namespace tiramon::desktop {

class QuoteTableModel : public QAbstractTableModel {
 public:
  QuoteTableModel(const TForm1& form, QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Tells the views what the list did since the last call: rows added or removed, texts that may
  // have changed, new column captions. True when a caption changed.
  bool Sync();

  // The widest text of each column in `metrics` over the first `limit` rows: a realistic page
  // has a few dozen, and a huge one is not measured to its end.
  std::vector<double> WidestTexts(const QFontMetricsF& metrics, int limit) const;

 private:
  // The rows whose texts differ from what the views were last told, as ranges of rows.
  void SignalChangedRows();

  const TForm1& form_;
  int rows_ = 0;
  std::vector<std::string> headers_;
  // What the views were last told of: the list's count of changes, and a fingerprint per row.
  std::uint64_t shownChanges_ = 0;
  std::vector<std::size_t> shownRows_;
};

// The narrowest width at which a caption fits on two lines, broken at one of its spaces (the
// caption's own width when it has none).
double TwoLineWidth(const QFontMetricsF& metrics, const QString& caption);

// What one column of the quote table needs, in pixels: its widest text (cell padding included),
// its caption on one line and on two (header padding included).
struct QuoteColumnNeeds {
  int content = 0;
  int caption = 0;
  int wrappedCaption = 0;
};

// Widths of the quote table's columns for a viewport `available` pixels wide. No text is ever
// cut: a column is at least as wide as its widest text and its caption on two lines. When that
// fits, the room left over first keeps as many captions as it can on one line (the cheapest
// first), and the rest is shared out evenly; when it does not, the table scrolls sideways.
std::vector<int> QuoteColumnWidths(const std::vector<QuoteColumnNeeds>& needs, int available);

}  // namespace tiramon::desktop
