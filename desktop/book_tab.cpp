// The layout of the "Портфель" tab: the account's boxes, the table of positions and the editor
// row under it, the book's totals, its currency positions and the prop firm's limits. Every text
// and figure it shows is the model's; the two tables read the model's lists at painting time and
// are told to read them afresh whenever the model says its book changed.
#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <memory>
#include <vector>

#include "desktop/layout.h"
#include "desktop/main_window.h"

namespace tiramon::desktop {
namespace {

// One of the model's lists as a table: the row caption in column 0, its sub-items after it. It
// shows a copy taken at each render that found the list changed, never the list itself: Qt may
// ask for a header's size while the window is being taken down, after the model is gone.
class ListTableModel : public QAbstractTableModel {
 public:
  ListTableModel(std::vector<int> rightAligned, QObject* parent)
      : QAbstractTableModel(parent), rightAligned_(std::move(rightAligned)) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
  }
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override {
    const auto row = static_cast<std::size_t>(index.row());
    const auto column = static_cast<std::size_t>(index.column());
    if (!index.isValid() || row >= rows_.size() || column >= rows_[row].size()) return {};
    if (role == Qt::TextAlignmentRole) {
      for (const int right : rightAligned_) {
        if (right == index.column()) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
      }
      return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return role == Qt::DisplayRole ? QVariant(rows_[row][column]) : QVariant();
  }
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override {
    const auto column = static_cast<std::size_t>(section);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || column >= headers_.size()) {
      return {};
    }
    return headers_[column];
  }
  void Reread(const TListView& list) {
    beginResetModel();
    headers_.clear();
    for (const TListColumn& column : list.columns) headers_.push_back(Q(column.caption));
    rows_.clear();
    for (const TListItem& item : list.items) {
      std::vector<QString> cells{Q(item.caption)};
      for (const std::string_view cell : item.subItems) cells.push_back(Q(std::string(cell)));
      rows_.push_back(std::move(cells));
    }
    endResetModel();
  }

 private:
  std::vector<int> rightAligned_;
  std::vector<QString> headers_;
  std::vector<std::vector<QString>> rows_;
};

QLabel* Wrapped(QLabel* label, int x, int y, int w, int h) {
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setGeometry(x, y, w, h);
  return label;
}

}  // namespace

QTableView* MainWindow::ListTable(QWidget* parent, const char* name, TListView& list,
                                  std::vector<int> rightAligned, int x, int y, int w, int h) {
  auto* table = new QTableView(parent);
  table->setObjectName(name);
  table->setGeometry(x, y, w, h);
  auto* rows = new ListTableModel(std::move(rightAligned), table);
  rows->Reread(list);
  table->setModel(rows);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setWordWrap(false);
  table->verticalHeader()->setVisible(false);
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(22);
  table->horizontalHeader()->setSectionsClickable(false);
  table->horizontalHeader()->setHighlightSections(false);
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  table->horizontalHeader()->setStretchLastSection(true);
  // A row chosen with the mouse or the keyboard is the model's selection at once, so a button
  // under the table acts on the row the user sees selected.
  connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this, table, &list, control = std::string(name)] {
            // Not while rendering, nor while the window is hidden or being taken down.
            if (rendering_ || !isVisible()) return;
            const auto selected = table->selectionModel()->selectedRows();
            list.selectedIndex = selected.isEmpty() ? -1 : selected.front().row();
            Fire(control, Event::Click);
          });
  // A click on the row already selected takes it up again (into the editor row, say).
  connect(table, &QTableView::clicked, this,
          [this, &list, control = std::string(name)](const QModelIndex& index) {
            list.selectedIndex = index.row();
            Fire(control, Event::Click);
          });
  auto shownRevision = std::make_shared<int>(-1);
  renderers_.push_back([this, table, rows, &list, shownRevision] {
    if (model_->BookRevision != *shownRevision) {
      *shownRevision = model_->BookRevision;
      rows->Reread(list);
    }
    const auto shown = table->selectionModel()->selectedRows();
    const int current = shown.isEmpty() ? -1 : shown.front().row();
    if (list.selectedIndex == current) return;
    if (list.selectedIndex < 0 || list.selectedIndex >= rows->rowCount()) {
      table->clearSelection();
    } else {
      table->selectRow(list.selectedIndex);
    }
  });
  return table;
}

void MainWindow::BuildBookTab(QWidget* page) {
  TForm1& m = *model_;
  Label(page, "Label_BookBalance", m.Label_BookBalance, 12, 12, 0, kBold);
  Edit(page, "Edit_BookBalance", m.Edit_BookBalance, 118, 8, 110);
  Label(page, "Label_BookLeverage", m.Label_BookLeverage, 244, 12, 0, kBold);
  Combo(page, "ComboBox_BookLeverage", m.ComboBox_BookLeverage, 300, 8, 90);
  Wrapped(Label(page, "Label_BookPrices", m.Label_BookPrices, 404, 4, 520, kSmall), 404, 4, 520,
          32);

  ListTable(page, "BookList", m.BookList, {2, 3, 4, 5, 7, 8, 9, 10}, 10, 40, 914, 200);

  struct Field {
    const char* labelName;
    const TLabel& label;
    const char* boxName;
    int x, w;
  };
  const Field fields[] = {
      {"Label_BookSymbol", m.Label_BookSymbol, "Edit_BookSymbol", 10, 90},
      {"Label_BookSide", m.Label_BookSide, "ComboBox_BookSide", 104, 96},
      {"Label_BookLots", m.Label_BookLots, "Edit_BookLots", 204, 60},
      {"Label_BookOpen", m.Label_BookOpen, "Edit_BookOpen", 268, 90},
      {"Label_BookStop", m.Label_BookStop, "Edit_BookStop", 362, 90},
      {"Label_BookTake", m.Label_BookTake, "Edit_BookTake", 456, 90},
      {"Label_BookState", m.Label_BookState, "ComboBox_BookState", 550, 106},
  };
  for (const Field& field : fields)
    Label(page, field.labelName, field.label, field.x, 248, 0, kSmall);
  Edit(page, "Edit_BookSymbol", m.Edit_BookSymbol, 10, 266, 90);
  Choice(page, "ComboBox_BookSide", m.ComboBox_BookSide, 104, 266, 96);
  Edit(page, "Edit_BookLots", m.Edit_BookLots, 204, 266, 60);
  Edit(page, "Edit_BookOpen", m.Edit_BookOpen, 268, 266, 90);
  Edit(page, "Edit_BookStop", m.Edit_BookStop, 362, 266, 90);
  Edit(page, "Edit_BookTake", m.Edit_BookTake, 456, 266, 90);
  Choice(page, "ComboBox_BookState", m.ComboBox_BookState, 550, 266, 106);
  Button(page, "Button_BookApply", m.Button_BookApply, 664, 264, 84, 28);
  Button(page, "Button_BookAdd", m.Button_BookAdd, 752, 264, 84, 28);
  Button(page, "Button_BookRemove", m.Button_BookRemove, 840, 264, 84, 28);
  Wrapped(Label(page, "Label_BookNote", m.Label_BookNote, 12, 298, 910), 12, 298, 910, 36);

  QGroupBox* totals = Group(page, "BookTotalsBox", m.BookTotalsBox, 10, 338, 320, 300);
  struct Figure {
    const char* captionName;
    const TLabel& caption;
    const char* valueName;
    const TLabel& value;
  };
  const Figure figures[] = {
      {"Label_BookCount", m.Label_BookCount, "BookCount", m.BookCount},
      {"Label_BookLoss", m.Label_BookLoss, "BookLoss", m.BookLoss},
      {"Label_BookMargin", m.Label_BookMargin, "BookMargin", m.BookMargin},
      {"Label_BookFreeMargin", m.Label_BookFreeMargin, "BookFreeMargin", m.BookFreeMargin},
      {"Label_BookLevelNow", m.Label_BookLevelNow, "BookLevelNow", m.BookLevelNow},
      {"Label_BookLevelAtStops", m.Label_BookLevelAtStops, "BookLevelAtStops", m.BookLevelAtStops},
      {"Label_BookResult", m.Label_BookResult, "BookResult", m.BookResult},
  };
  int y = 24;
  for (const Figure& figure : figures) {
    Wrapped(Label(totals, figure.captionName, figure.caption, 10, y, 150), 10, y, 150, 30);
    Wrapped(Label(totals, figure.valueName, figure.value, 164, y, 148, kBold), 164, y, 148, 30);
    y += 32;
  }
  Wrapped(Label(totals, "BookWarning", m.BookWarning, 10, y, 300, kSmall), 10, y, 300, 290 - y);

  QGroupBox* exposure = Group(page, "BookExposureBox", m.BookExposureBox, 338, 338, 290, 300);
  ListTable(exposure, "BookExposure", m.BookExposure, {1, 2}, 8, 22, 274, 270);

  QGroupBox* prop = Group(page, "PropBox", m.PropBox, 636, 338, 288, 300);
  struct Limit {
    const char* labelName;
    const TLabel& label;
    const char* editName;
    TEdit& edit;
  };
  const Limit limits[] = {
      {"Label_PropStart", m.Label_PropStart, "Edit_PropStart", m.Edit_PropStart},
      {"Label_PropDayStart", m.Label_PropDayStart, "Edit_PropDayStart", m.Edit_PropDayStart},
      {"Label_PropHighest", m.Label_PropHighest, "Edit_PropHighest", m.Edit_PropHighest},
      {"Label_PropDaily", m.Label_PropDaily, "Edit_PropDaily", m.Edit_PropDaily},
      {"Label_PropMax", m.Label_PropMax, "Edit_PropMax", m.Edit_PropMax},
  };
  y = 24;
  for (const Limit& limit : limits) {
    Label(prop, limit.labelName, limit.label, 10, y + 4, 0, kSmall);
    Edit(prop, limit.editName, limit.edit, 176, y, 100);
    y += 28;
  }
  Check(prop, "CheckBox_PropTrailing", m.CheckBox_PropTrailing, 10, y, 270);
  Button(prop, "Button_PropSave", m.Button_PropSave, 10, y + 28, 150, 28);
  Wrapped(Label(prop, "PropRoom", m.PropRoom, 10, y + 62, 270, kSmall), 10, y + 62, 270,
          300 - (y + 66));

  // A refusal names a box; the keyboard goes there, as it does each time it is asked to.
  auto shownRequests = std::make_shared<int>(m.Focus.requests);
  renderers_.push_back([&m, page, shownRequests] {
    if (m.Focus.requests == *shownRequests) return;
    *shownRequests = m.Focus.requests;
    if (auto* target = page->findChild<QWidget*>(QString::fromStdString(m.Focus.control))) {
      target->setFocus();
    }
  });
}

}  // namespace tiramon::desktop
