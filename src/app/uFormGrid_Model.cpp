#include "app/uFormGrid_Model.h"

#include <QColor>
#include <QString>

#include "support/SysUtils.h"
#include "support/mGlobalFunctions.h"

namespace qmz {

RouteRowsModel::RouteRowsModel(QObject* parent) : QAbstractItemModel(parent) {}

QModelIndex RouteRowsModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= RouteColumnCount) return {};
  return createIndex(row, column);
}

QModelIndex RouteRowsModel::parent(const QModelIndex&) const { return {}; }

int RouteRowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(rows_.size()); }

int RouteRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : RouteColumnCount; }

QVariant RouteRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || std::size_t(index.row()) >= rows_.size()) return {};
  const TRouteRow& row = rows_[std::size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(row.Column(index.column()));
    case Qt::BackgroundRole:
      return RouteRowBackground(row, index.row());
    case Qt::ForegroundRole:
      return RouteRowText(row);
    default:
      return {};
  }
}

QVariant RouteRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= RouteColumnCount) return {};
  const std::string_view h = RouteColumnHeaders[std::size_t(section)];
  return QString::fromUtf8(h.data(), qsizetype(h.size()));
}

void RouteRowsModel::SetRows(std::vector<TRouteRow> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

void RouteRowsModel::AppendRows(std::vector<TRouteRow> rows) {
  if (rows.empty()) return;
  beginInsertRows({}, rowCount(), rowCount() + int(rows.size()) - 1);
  for (auto& r : rows) rows_.push_back(std::move(r));
  endInsertRows();
}

void RouteRowsModel::Clear() { SetRows({}); }

void RouteRowsModel::Sort(int paramSort) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const std::vector<std::size_t> order = RouteRowsOrder(rows_, paramSort);
  std::vector<int> newRow(rows_.size());
  std::vector<TRouteRow> sorted;
  sorted.reserve(rows_.size());
  for (std::size_t n = 0; n < order.size(); ++n) {
    newRow[order[n]] = int(n);
    sorted.push_back(std::move(rows_[order[n]]));
  }
  rows_ = std::move(sorted);
  const QModelIndexList before = persistentIndexList();
  QModelIndexList after;
  after.reserve(before.size());
  for (const QModelIndex& i : before) after.append(index(newRow[std::size_t(i.row())], i.column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

namespace {

// $00BBGGRR as the list draws it.
QColor FromBgr(unsigned bgr) { return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF)); }

bool ReadsAsFalse(const std::string& text) {
  if (SameText(Trim(text), "False")) return true;
  const auto n = TryStrToInt(text);
  return n && *n == 0;
}

}  // namespace

QColor RouteRowBackground(const TRouteRow& row, int position) {
  if (row.SubItems.size() >= std::size_t(RouteSubItemCount)) {
    // A decay written with the user's decimal mark (or the other one, from a file); no number: none.
    const auto decay = TextToExtended(row.SubItems[std::size_t(RouteSubItemDecay)]);
    if (decay && *decay > 0.0L) return FromBgr(0x0080FF);
  }
  return FromBgr(position % 2 ? 0xCCFFCC : 0xFFFFFF);
}

QColor RouteRowText(const TRouteRow& row) {
  if (row.SubItems.size() >= std::size_t(RouteSubItemCount) &&
      ReadsAsFalse(row.SubItems[std::size_t(RouteSubItemLawful)]))
    return FromBgr(0x0000FF);
  return FromBgr(0x000000);
}

}  // namespace qmz
