#include "app/uFormGrid_Model.h"

#include <QColor>
#include <QString>
#include <utility>

#include "app/ModelAdapter.h"
#include "support/SysUtils.h"
#include "widgets/WsControls.h"

namespace qmz {

RouteRowsModel::RouteRowsModel(QObject* parent) : QAbstractItemModel(parent), table_(std::make_shared<TRouteTable>()) {}

QModelIndex RouteRowsModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= RouteColumnCount) return {};
  return createIndex(row, column);
}

QModelIndex RouteRowsModel::parent(const QModelIndex&) const { return {}; }

int RouteRowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(table_->Count()); }

int RouteRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RouteColumnCount; }

QVariant RouteRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || std::size_t(index.row()) >= table_->Count()) return {};
  const std::size_t row = std::size_t(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return ToQString(table_->Field(row, index.column()));
    default:
      return {};
  }
}

QVariant RouteRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= RouteColumnCount) return {};
  return ToQString(RouteColumnHeaders[std::size_t(section)]);
}

std::shared_ptr<TRouteTable> RouteRowsModel::SetTable(TRouteTable table) {
  beginResetModel();
  std::shared_ptr<TRouteTable> before = std::exchange(table_, std::make_shared<TRouteTable>(std::move(table)));
  ++generation_;
  endResetModel();
  return before;
}

void RouteRowsModel::AppendRows(const std::vector<TRouteRow>& rows) {
  if (rows.empty()) return;
  beginInsertRows({}, rowCount(), rowCount() + int(rows.size()) - 1);
  if (table_.use_count() > 1) table_ = std::make_shared<TRouteTable>(*table_);
  for (const TRouteRow& r : rows) table_->Append(r);
  ++generation_;
  endInsertRows();
}

bool RouteRowsModel::Sort(int paramSort, const TRouteTick& tick) {
  const std::shared_ptr<TRouteTable> table = table_;
  const std::uint64_t generation = generation_;
  const std::vector<std::uint32_t> order = RouteOrder(*table, paramSort, tick);
  if (generation != generation_ || table != table_) return false;
  // A save under way writes the rows it started with: the sorted rows get a table of their own.
  if (table_.use_count() > 2) table_ = std::make_shared<TRouteTable>(*table_);

  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  std::vector<int> newRow(order.size());
  for (std::size_t n = 0; n < order.size(); ++n) newRow[order[n]] = int(n);
  table_->Reorder(order);
  ++generation_;
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& i : before) after.append(index(newRow[std::size_t(i.row())], i.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
  return true;
}

namespace {

bool ReadsAsFalse(std::string_view text) {
  if (SameText(Trim(text), "False")) return true;
  const auto n = TryStrToInt(text);
  return n && *n == 0;
}

// Only a row with all its sub-items has its own colours: a shorter one, loaded from a file, never reads
// another column's text in their place.
bool HasAllSubItems(const TRouteTable& rows, std::size_t row) {
  return rows.FieldCount(row) >= std::size_t(RouteSubItemCount) + 1;
}

}  // namespace

QColor RouteRowBackground(const TRouteTable& rows, std::size_t row) {
  // A decay written with the user's decimal mark (or the other one, from a file); no number: none.
  if (HasAllSubItems(rows, row) && RouteFloatNumber(rows.Field(row, RouteSubItemDecay + 1)) > 0.0)
    return ToQColor(0x0080FF);
  return ToQColor(row % 2 ? 0xCCFFCC : 0xFFFFFF);
}

QColor RouteRowText(const TRouteTable& rows, std::size_t row) {
  if (HasAllSubItems(rows, row) && ReadsAsFalse(rows.Field(row, RouteSubItemLawful + 1))) return ToQColor(0x0000FF);
  return ToQColor(0x000000);
}

}  // namespace qmz
