// Reading the quote table the way its view shows it: the texts, colours and places of its cells.
#pragma once

#include <QAbstractItemModel>
#include <QBrush>
#include <QTableView>

namespace tiramon::desktop {

inline int RowCount(const QTableView* table) { return table->model()->rowCount(); }

inline QModelIndex CellIndex(const QTableView* table, int row, int column) {
  return table->model()->index(row, column);
}

inline QString CellText(const QTableView* table, int row, int column) {
  return CellIndex(table, row, column).data(Qt::DisplayRole).toString();
}

inline QBrush CellForeground(const QTableView* table, int row, int column) {
  return CellIndex(table, row, column).data(Qt::ForegroundRole).value<QBrush>();
}

inline QString HeaderText(const QTableView* table, int column) {
  return table->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

}  // namespace tiramon::desktop
