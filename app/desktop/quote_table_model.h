// The quote table as Qt's views read it: every text and colour comes straight from the window
// model's list at painting time. A page of hundreds of thousands of rows thus costs neither a
// copy of the rows nor an item object per cell, and only the rows on screen are ever read.
#pragma once

#include <QAbstractTableModel>
#include <QFontMetricsF>
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
  const TForm1& form_;
  int rows_ = 0;
  std::vector<std::string> headers_;
};

// Widths of the quote table's columns for a viewport `available` pixels wide. Each column needs
// its caption's width (`captionWidths`, as the header draws them) or its widest text in
// `contentWidths` (cell padding included), whichever is more; the room left over is shared out.
// When the needs do not fit, no column is cut: the table scrolls sideways.
std::vector<int> QuoteColumnWidths(const std::vector<int>& captionWidths,
                                   const std::vector<int>& contentWidths, int available);

}  // namespace tiramon::desktop
