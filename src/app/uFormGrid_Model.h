#pragma once
// The rows of the route list behind lvRoutes: one model over all rows (thousands of them), not an item
// per cell. Columns are the route columns; the row colours come from the row's own texts.

#include <QAbstractItemModel>
#include <vector>

#include "app/core/uFormGrid_Rows.h"

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

  const std::vector<TRouteRow>& Rows() const { return rows_; }
  void SetRows(std::vector<TRouteRow> rows);
  void AppendRows(std::vector<TRouteRow> rows);
  void Clear();
  // Reorders the rows by CompareRouteRows (stable); selection and current row move with their rows.
  void Sort(int paramSort);

 private:
  std::vector<TRouteRow> rows_;
};

// Row colours, in the class library's values turned into Qt colours.
QColor RouteRowBackground(const TRouteRow& row, int position);
QColor RouteRowText(const TRouteRow& row);

}  // namespace qmz
