#pragma once
// The Qt pieces behind TWsStringGrid: a model that shows the grid's column storage, a delegate that paints
// and edits through the grid, the header that paints the header row, and a selection model that asks the
// grid before a cell becomes current. None keeps state of its own.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyledItemDelegate>

#include "widgets/WsControls.h"
#include "widgets/WsStringGrid.h"

namespace qmz {

// The grid's colours go through ToQColor (WsControls.h), the one mapping of colour values to Qt.
QFont GridQFont(const GridFont& font);

// Where index pos is after the entry at fromIndex moved to toIndex: a moved row or column takes the current
// cell along, as the base grid's moving does, so the current cell stays on the same data.
inline int MoveAdjust(int pos, int fromIndex, int toIndex) {
  if (pos == fromIndex) return toIndex;
  if (pos > fromIndex && pos <= toIndex) return pos - 1;
  if (pos < fromIndex && pos >= toIndex) return pos + 1;
  return pos;
}

class WsGridModel : public QAbstractTableModel {
 public:
  explicit WsGridModel(TWsStringGrid& grid) : QAbstractTableModel(&grid), grid_(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  void BeginInsert(int row) { beginInsertRows({}, row, row); }
  void EndInsert() { endInsertRows(); }
  void BeginRemove(int first, int last) { beginRemoveRows({}, first, last); }
  void EndRemove() { endRemoveRows(); }
  void BeginReset() { beginResetModel(); }
  void EndReset() { endResetModel(); }
  void CellsChanged();
  void CellChanged(int row, int col);

 private:
  TWsStringGrid& grid_;
};

class WsGridDelegate : public QStyledItemDelegate {
 public:
  explicit WsGridDelegate(TWsStringGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
  void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const override;
  // Ends editing from inside the editor, storing its text.
  void CommitAndClose(QWidget* editor) {
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
  }

 private:
  TWsStringGrid& grid_;
};

class WsGridHeader : public QHeaderView {
 public:
  explicit WsGridHeader(TWsStringGrid& grid) : QHeaderView(Qt::Horizontal, &grid), grid_(grid) {}

  // The header column whose inside (a pixel clear of either edge) holds x, -1 when none.
  int HeaderColumnAt(int x) const;

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TWsStringGrid& grid_;
};

class WsGridSelectionModel : public QItemSelectionModel {
 public:
  WsGridSelectionModel(TWsStringGrid& grid, QAbstractItemModel* model)
      : QItemSelectionModel(model, &grid), grid_(grid) {}
  void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;

 private:
  TWsStringGrid& grid_;
};

}  // namespace qmz
