#pragma once
// The rows of the route list behind lvRoutes: one model over all rows (up to millions of them), not an
// item per cell. Columns are the route columns; the row colours, drawn by the window's custom-draw handler,
// come from the row's own texts.

#include <QAbstractItemModel>
#include <memory>
#include <vector>

#include "app/core/uFormGrid_Rows.h"
#include "app/core/uFormGrid_Table.h"

namespace qmz {

class RouteRowsModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit RouteRowsModel(QObject* parent = nullptr);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  const TRouteTable& Table() const { return *table_; }
  // Shows table in place of the rows; gives back those before, which a running sort or save may still share.
  std::shared_ptr<TRouteTable> SetTable(TRouteTable table);
  // The rows as they are now, kept alive and unchanged for a long read (a save) while the list changes.
  std::shared_ptr<const TRouteTable> SharedTable() const { return table_; }
  void AppendRows(const std::vector<TRouteRow>& rows);
  // Reorders the rows by the list's comparison (stable); selection and current row move with their rows.
  // Tick may pump the message queue: when the rows change meanwhile (a load, a clear, another sort), this
  // sort's order is stale and dropped, and the result is false.
  bool Sort(int paramSort, const TRouteTick& tick = {});

 private:
  // Shared with a running sort, which keeps the texts it reads alive; changed rows get a table of their own.
  std::shared_ptr<TRouteTable> table_;
  std::uint64_t generation_ = 0;
};

// Row colours, in the class library's values turned into Qt colours.
QColor RouteRowBackground(const TRouteTable& rows, std::size_t row);
QColor RouteRowText(const TRouteTable& rows, std::size_t row);

}  // namespace qmz
