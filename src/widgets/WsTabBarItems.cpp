#include "widgets/WsTabBarItems.h"

#include <algorithm>

#include "widgets/WsPageList.h"
#include "widgets/WsTabBar.h"

namespace qmz {

// ---- tab

TWsTabBarItem::TWsTabBarItem(TWsTabBarItems* collection) : collection_(collection) {
  collection_->items_.push_back(this);
  collection_->Added(this);
}

TWsTabBarItem::~TWsTabBarItem() {
  popupMenu_ = nullptr;
  SetVisible(false);
  if (collection_) collection_->Removing(this);
}

TWsCustomTabBar* TWsTabBarItem::TabBar() const { return collection_ ? collection_->owner_ : nullptr; }

int TWsTabBarItem::Index() const { return collection_ ? collection_->IndexOf(this) : -1; }

void TWsTabBarItem::Changed() {
  if (TWsCustomTabBar* bar = TabBar()) bar->Changed();
}

void TWsTabBarItem::SetCaption(const QString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
  if (TWsCustomTabBar* bar = TabBar(); bar && bar->PageListTabLink() && !bar->Loading())
    if (IPageList* pages = bar->PageListInterface()) pages->PageCaptionChanged(Index(), caption_);
  Changed();
}

bool TWsTabBarItem::Selected() const {
  const TWsCustomTabBar* bar = TabBar();
  return bar && bar->SelectedTab() == this;
}

void TWsTabBarItem::SetSelected(bool value) {
  if (TWsCustomTabBar* bar = TabBar(); bar && value) bar->SetSelectedTab(this);
}

bool TWsTabBarItem::Enabled() const {
  bool value = enabled_;
  if (OnGetEnabled) OnGetEnabled(const_cast<TWsTabBarItem*>(this), value);
  return value;
}

void TWsTabBarItem::SetEnabled(bool value) {
  if (enabled_ == value) return;
  enabled_ = value;
  Changed();
}

bool TWsTabBarItem::Modified() const {
  bool value = modified_;
  if (OnGetModified) OnGetModified(const_cast<TWsTabBarItem*>(this), value);
  return value;
}

void TWsTabBarItem::SetModified(bool value) {
  if (modified_ == value) return;
  modified_ = value;
  Changed();
}

void TWsTabBarItem::SetImageIndex(int value) {
  if (imageIndex_ == value) return;
  imageIndex_ = value;
  Changed();
}

void TWsTabBarItem::SetVisible(bool value) {
  if (visible_ == value) return;
  visible_ = value;
  left_ = -1;
  Changed();
}

void TWsTabBarItem::SetIndex(int newIndex) {
  if (!collection_) return;
  auto& items = collection_->items_;
  const int oldIndex = Index();
  newIndex = std::clamp(newIndex, 0, int(items.size()) - 1);
  if (newIndex != oldIndex) {
    TWsCustomTabBar* bar = TabBar();
    IPageList* pages = bar ? bar->PageListInterface() : nullptr;
    const bool linked = bar && bar->PageListTabLink() && !bar->Loading() && pages;
    items.erase(items.begin() + oldIndex);
    items.insert(items.begin() + newIndex, this);
    if (linked) pages->MovePage(oldIndex, newIndex);
  }
  Changed();
}

QRect TWsTabBarItem::GetDisplayRect() const {
  TWsCustomTabBar* bar = TabBar();
  if (!visible_ || !bar) return EdgeRect(-1, -1, -1, -1);
  if (left_ == -1) bar->CalcTabsRects();
  const QSize size = bar->CurrentPainter()->GetTabSize(const_cast<TWsTabBarItem*>(this));
  const int clientHeight = bar->height();
  if (bar->Orientation() == TWsTabBarOrientation::toTop)
    return EdgeRect(left_, clientHeight - size.height(), left_ + size.width(), clientHeight);
  return EdgeRect(left_, 0, left_ + size.width(), size.height());
}

TWsTabBarItem* TWsTabBarItem::NextVisibleTab() const {
  if (!collection_) return nullptr;
  for (int i = Index() + 1; i < collection_->Count(); ++i)
    if (collection_->items_[i]->visible_) return collection_->items_[i];
  return nullptr;
}

void TWsTabBarItem::Assign(const TWsTabBarItem& source) {
  imageIndex_ = source.imageIndex_;
  enabled_ = source.enabled_;
  visible_ = source.visible_;
  tag_ = source.tag_;
  hint_ = source.hint_;
  showHint_ = source.showHint_;
  caption_ = source.caption_;
  modified_ = source.modified_;
  data1_ = source.data1_;
  data2_ = source.data2_;
  dataText_ = source.dataText_;
  left_ = -1;
  Changed();
}

// ---- collection

TWsTabBarItems::~TWsTabBarItems() { Clear(); }

TWsTabBarItem* TWsTabBarItems::Add() { return new TWsTabBarItem(this); }

TWsTabBarItem* TWsTabBarItems::Add(const QString& caption) {
  TWsTabBarItem* item = Add();
  item->SetCaption(caption);
  return item;
}

TWsTabBarItem* TWsTabBarItems::Insert(int index) {
  TWsTabBarItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TWsTabBarItems::Delete(int index) { delete Items(index); }

void TWsTabBarItems::Clear() {
  while (!items_.empty()) delete items_.back();
}

void TWsTabBarItems::Assign(const TWsTabBarItems& source) {
  if (&source == this) return;
  Clear();
  for (const TWsTabBarItem* item : source.items_) Add()->Assign(*item);
}

TWsTabBarItem* TWsTabBarItems::Items(int index) const {
  return index >= 0 && index < Count() ? items_[std::size_t(index)] : nullptr;
}

int TWsTabBarItems::IndexOf(const TWsTabBarItem* item) const {
  const auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

void TWsTabBarItems::Added(TWsTabBarItem* item) {
  if (!owner_ || owner_->destroying_) return;
  if (owner_->PageListTabLink() && !owner_->Loading())
    if (IPageList* pages = owner_->PageListInterface()) pages->AddPage(item->Caption());
  owner_->Changed();
}

void TWsTabBarItems::Removing(TWsTabBarItem* item) {
  const int index = IndexOf(item);
  if (index < 0) return;
  if (owner_ && !owner_->destroying_) {
    owner_->TabRemoving(item);
    if (owner_->PageListTabLink() && !owner_->Loading())
      if (IPageList* pages = owner_->PageListInterface()) pages->DeletePage(index);
  }
  items_.erase(items_.begin() + index);
  item->collection_ = nullptr;
  if (owner_ && !owner_->destroying_) owner_->Changed();
}

}  // namespace qmz
