#include "desktop/quote_table_model.h"

#include <QBrush>
#include <QColor>
#include <QString>
#include <algorithm>
#include <cmath>
#include <functional>

namespace tiramon::desktop {

QuoteTableModel::QuoteTableModel(const TForm1& form, QObject* parent)
    : QAbstractTableModel(parent), form_(form) {
  for (const TListColumn& column : form_.ListView1.columns) headers_.push_back(column.caption);
}

int QuoteTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int QuoteTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant QuoteTableModel::data(const QModelIndex& index, int role) const {
  const std::vector<TListItem>& items = form_.ListView1.items;
  // The list may have changed since the views last heard of it; a row it no longer has is
  // blank until the next Sync.
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= items.size()) return {};
  const TListItem& item = items[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    const int column = index.column();
    if (column == 0) return QString::fromStdString(item.caption);
    const auto sub = static_cast<std::size_t>(column - 1);
    if (sub >= item.subItems.size()) return QString();
    const std::string_view text = item.subItems[sub];
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  }
  if (role == Qt::ForegroundRole) {
    const std::optional<TColor> colour = form_.ListView1CustomDrawItem(item);
    if (colour) return QBrush(QColor(colour->r, colour->g, colour->b));
  }
  return {};
}

QVariant QuoteTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      static_cast<std::size_t>(section) >= headers_.size()) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return QString::fromStdString(headers_[static_cast<std::size_t>(section)]);
}

bool QuoteTableModel::Sync() {
  const int rows = static_cast<int>(form_.ListView1.items.size());
  // Rows are removed and inserted rather than the model reset, which would also forget the
  // column widths.
  if (rows < rows_) {
    beginRemoveRows(QModelIndex(), rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  } else if (rows > rows_) {
    beginInsertRows(QModelIndex(), rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  // A handler that left the rows alone (a keystroke in the assistant) costs the views nothing.
  if (form_.ListView1.changes != shownChanges_ ||
      shownRows_.size() != form_.ListView1.items.size()) {
    shownChanges_ = form_.ListView1.changes;
    SignalChangedRows();
  }

  bool captionsChanged = false;
  const std::vector<TListColumn>& shown = form_.ListView1.columns;
  for (std::size_t i = 0; i < shown.size() && i < headers_.size(); ++i) {
    if (headers_[i] == shown[i].caption) continue;
    headers_[i] = shown[i].caption;
    emit headerDataChanged(Qt::Horizontal, static_cast<int>(i), static_cast<int>(i));
    captionsChanged = true;
  }
  return captionsChanged;
}

void QuoteTableModel::SignalChangedRows() {
  const std::vector<TListItem>& items = form_.ListView1.items;
  const int columns = static_cast<int>(headers_.size());
  shownRows_.resize(items.size(), 0);
  int first = -1;
  const auto flush = [&](int end) {
    if (first >= 0 && columns > 0) emit dataChanged(index(first, 0), index(end - 1, columns - 1));
    first = -1;
  };
  for (std::size_t row = 0; row < items.size(); ++row) {
    std::size_t print = std::hash<std::string>{}(items[row].caption);
    for (const std::string_view cell : items[row].subItems) {
      print = print * 1000003u ^ std::hash<std::string_view>{}(cell);
    }
    const bool changed = print != shownRows_[row];
    shownRows_[row] = print;
    if (changed && first < 0) first = static_cast<int>(row);
    if (!changed) flush(static_cast<int>(row));
  }
  flush(static_cast<int>(items.size()));
}

std::vector<double> QuoteTableModel::WidestTexts(const QFontMetricsF& metrics, int limit) const {
  std::vector<double> widest(headers_.size(), 0.0);
  const int rows = std::min(rows_, limit);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < static_cast<int>(widest.size()); ++column) {
      const QString text = data(index(row, column), Qt::DisplayRole).toString();
      double& width = widest[static_cast<std::size_t>(column)];
      width = std::max(width, metrics.horizontalAdvance(text));
    }
  }
  return widest;
}

double TwoLineWidth(const QFontMetricsF& metrics, const QString& caption) {
  double narrowest = metrics.horizontalAdvance(caption);
  for (qsizetype space = caption.indexOf(' '); space >= 0;
       space = caption.indexOf(' ', space + 1)) {
    const double first = metrics.horizontalAdvance(caption.left(space));
    const double second = metrics.horizontalAdvance(caption.mid(space + 1));
    narrowest = std::min(narrowest, std::max(first, second));
  }
  return narrowest;
}

std::vector<int> QuoteColumnWidths(const std::vector<QuoteColumnNeeds>& needs, int available) {
  std::vector<int> widths;
  int used = 0;
  for (const QuoteColumnNeeds& need : needs) {
    widths.push_back(std::max(need.content, std::min(need.caption, need.wrappedCaption)));
    used += widths.back();
  }
  if (!widths.empty() && used <= available) {
    // Room to spare: widen the columns whose caption would wrap, those that need least first,
    // so that as few captions as possible take two lines; then share out what is left.
    std::vector<std::size_t> wrapped;
    for (std::size_t i = 0; i < needs.size(); ++i) {
      if (needs[i].caption > widths[i]) wrapped.push_back(i);
    }
    std::stable_sort(wrapped.begin(), wrapped.end(), [&](std::size_t a, std::size_t b) {
      return needs[a].caption - widths[a] < needs[b].caption - widths[b];
    });
    for (const std::size_t i : wrapped) {
      const int missing = needs[i].caption - widths[i];
      if (used + missing > available) break;
      widths[i] += missing;
      used += missing;
    }
    const int share = (available - used) / static_cast<int>(widths.size());
    for (int& width : widths) width += share;
  }
  // Otherwise every caption and figure stays whole and the table scrolls sideways.
  return widths;
}

}  // namespace tiramon::desktop
