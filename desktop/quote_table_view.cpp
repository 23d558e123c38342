// The quote table's view beside its model (quote_table_model.*): a report list of fixed-height
// rows whose columns share the window's width, rows coloured by the model, clicks wired.
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <cmath>

#include "desktop/layout.h"
#include "desktop/main_window.h"
#include "desktop/quote_table_model.h"

namespace tiramon::desktop {

QTableView* MainWindow::Table(QWidget* parent, int x, int y, int w, int h) {
  auto* table = new QTableView(parent);
  table->setObjectName("ListView1");
  table->setGeometry(x, y, w, h);
  auto* rows = new QuoteTableModel(*model_, table);
  table->setModel(rows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setShowGrid(true);
  table->setWordWrap(false);
  table->verticalHeader()->setVisible(false);
  // Fixed row heights let the view place any of a few hundred thousand rows without measuring.
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(20);
  table->horizontalHeader()->setSectionsClickable(false);
  table->horizontalHeader()->setHighlightSections(false);
  // A caption wider than its column breaks onto a second line rather than being cut. The header
  // always has room for two, so the rows stay where they are whichever captions wrap.
  table->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter |
                                                 Qt::Alignment::fromInt(Qt::TextWordWrap));
  table->horizontalHeader()->setTextElideMode(Qt::ElideNone);
  table->horizontalHeader()->setMinimumHeight(
      table->horizontalHeader()->sizeHint().height() +
      static_cast<int>(std::ceil(QFontMetricsF(table->horizontalHeader()->font()).lineSpacing())));
  connect(table, &QTableView::clicked, this, [this](const QModelIndex& index) {
    model_->ListView1.selectedIndex = index.row();
    Fire("ListView1", Event::Click);
  });
  connect(table, &QTableView::doubleClicked, this,
          [this] { Fire("ListView1", Event::DoubleClick); });
  connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, table] {
    if (rendering_) return;
    const auto selected = table->selectionModel()->selectedRows();
    model_->ListView1.selectedIndex = selected.isEmpty() ? -1 : selected.front().row();
  });

  // Columns as wide as their captions and contents need, measured again when the rows or the
  // captions change (the lot column's caption follows the lot). All eleven share the fixed
  // window: a caption may take two lines to leave room for the figures.
  const auto fitColumns = [table, rows, w] {
    QHeaderView* header = table->horizontalHeader();
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table);
    // The style cuts a text wider than its cell less the grid line and a margin on either side.
    const int padding = 2 * (margin + 1) + (table->showGrid() ? 1 : 0);
    const int frame = 2 * table->frameWidth();
    const int scrollBar = table->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table);
    const QFontMetricsF captionMetrics(header->font());
    const std::vector<double> contents = rows->WidestTexts(QFontMetricsF(table->font()), 1000);
    std::vector<QuoteColumnNeeds> needs;
    for (int column = 0; column < rows->columnCount(); ++column) {
      const QString caption = rows->headerData(column, Qt::Horizontal).toString();
      const int oneLine = header->sectionSizeHint(column);
      // The header's own padding around the text, as its size hint counts it, and a pixel for
      // the wrapped line's rounding.
      const int captionPadding =
          oneLine - static_cast<int>(std::ceil(captionMetrics.horizontalAdvance(caption)));
      QuoteColumnNeeds need;
      need.caption = oneLine;
      need.wrappedCaption =
          std::min(oneLine, static_cast<int>(std::ceil(TwoLineWidth(captionMetrics, caption))) +
                                captionPadding + 1);
      need.content =
          static_cast<int>(std::ceil(contents[static_cast<std::size_t>(column)])) + padding;
      needs.push_back(need);
    }
    const std::vector<int> widths = QuoteColumnWidths(needs, w - frame - scrollBar);
    for (std::size_t column = 0; column < widths.size(); ++column) {
      table->setColumnWidth(static_cast<int>(column), widths[column]);
    }
  };
  fitColumns();
  auto fittedRows = std::make_shared<std::size_t>(0);
  auto fittedFirst = std::make_shared<std::string>();
  renderers_.push_back([this, table, rows, fitColumns, fittedRows, fittedFirst] {
    // A refresh changes the row count or at least the first row's prices.
    const TListView& list = model_->ListView1;
    std::string first;
    if (!list.items.empty()) {
      first = list.items.front().caption;
      for (const std::string_view cell : list.items.front().subItems) first.append(cell);
    }
    const bool captionsChanged = rows->Sync();
    if (captionsChanged || list.items.size() != *fittedRows || first != *fittedFirst) {
      fitColumns();
      *fittedRows = list.items.size();
      *fittedFirst = first;
    }
    const int selected = model_->ListView1.selectedIndex;
    const auto shown = table->selectionModel()->selectedRows();
    const int current = shown.isEmpty() ? -1 : shown.front().row();
    if (selected != current) {
      if (selected < 0 || selected >= rows->rowCount()) {
        table->clearSelection();
      } else {
        table->selectRow(selected);
      }
    }
  });
  return table;
}

}  // namespace tiramon::desktop
