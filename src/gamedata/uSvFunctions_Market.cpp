// The market: the cells market lines wrote, base after base in good-index order; every other cell is
// computed when it is read.

#include <algorithm>
#include <stdexcept>

#include "gamedata/uSvFunctions.h"

namespace qmz {

namespace {

bool GoodBefore(const TMarketEntry& e, std::size_t good) { return e.Good < good; }

const TMarketCell kZeroCell{};

}  // namespace

std::size_t TMarketRow::size() const { return m_ != nullptr ? m_->RowLength() : 0; }

const TMarketCell& TMarketRow::operator[](std::size_t good) const {
  if (m_ == nullptr || good == 0 || good >= m_->RowLength() || !m_->HasDefaults(base_)) return kZeroCell;
  const auto it = std::lower_bound(written_.begin(), written_.end(), good, GoodBefore);
  if (it != written_.end() && it->Good == good) return it->Cell;
  return m_->DefaultCell(good);
}

void TMarketMatrix::Reset(std::size_t rows, const TGoodArr& goods) {
  entries_.clear();
  rowEnd_.assign(1, 0);
  defaults_.assign(goods.size(), TMarketCell());
  for (std::size_t g = 1; g < goods.size(); ++g) defaults_[g] = {false, 1.0f, goods[g].price, -1.0f, 0.0f};
  rows_ = rows;
  defaulted_ = 1;
}

void TMarketMatrix::clear() {
  entries_ = {};
  rowEnd_ = {};
  defaults_ = {};
  rows_ = 0;
  defaulted_ = 1;
}

void TMarketMatrix::SetDefaults(std::size_t base) {
  if (base >= rows_) throw std::out_of_range("market base out of range");
  if (rowEnd_.empty()) rowEnd_.push_back(0);
  const auto end = std::uint32_t(entries_.size());
  for (; defaulted_ <= base; ++defaulted_) rowEnd_.push_back(end);
}

void TMarketMatrix::Write(std::size_t base, std::size_t good, const TMarketCell& cell) {
  if (base == 0 || base >= rows_ || good == 0 || good >= RowLength())
    throw std::out_of_range("market cell out of range");
  if (!HasDefaults(base)) throw std::logic_error("market cell written before its base's defaults");
  const std::uint32_t begin = rowEnd_[base - 1];
  const std::uint32_t end = rowEnd_[base];
  const auto first = entries_.begin() + std::ptrdiff_t(begin);
  const auto last = entries_.begin() + std::ptrdiff_t(end);
  const auto at = std::lower_bound(first, last, good, GoodBefore);
  if (at != last && at->Good == good) {
    at->Cell = cell;
    return;
  }
  entries_.insert(at, TMarketEntry{std::uint32_t(good), cell});
  for (std::size_t b = base; b < rowEnd_.size(); ++b) ++rowEnd_[b];
}

std::span<const TMarketEntry> TMarketMatrix::WrittenCells(std::size_t base) const {
  if (base == 0 || base >= defaulted_ || base >= rowEnd_.size()) return {};
  return {entries_.data() + rowEnd_[base - 1], entries_.data() + rowEnd_[base]};
}

}  // namespace qmz
