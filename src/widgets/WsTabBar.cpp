#include "widgets/WsTabBar.h"

#include <QPainter>
#include <algorithm>

#include "widgets/WsPageList.h"

namespace qmz {

TWsCustomTabBar::TWsCustomTabBar(QWidget* parent) : QWidget(parent), tabs_(std::make_unique<TWsTabBarItems>(this)) {
  setMouseTracking(true);  // hot tab, hints and hot scroll buttons follow the mouse without a button down
  setAcceptDrops(true);    // a tab carried off the bar may come back; other drags reach OnDragOver
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  resize(200, 23);
}

TWsCustomTabBar::~TWsCustomTabBar() {
  // No event fires while the tabs go away.
  OnTabSelected = nullptr;
  OnTabSelecting = nullptr;
  OnChange = nullptr;
  OnScroll = nullptr;
  destroying_ = true;
  SetPainter(nullptr);
  tabs_.reset();
  defaultPainter_.reset();
}

QSize TWsCustomTabBar::sizeHint() const { return QSize(200, 23); }

// ---- properties

void TWsCustomTabBar::SetOrientation(TWsTabBarOrientation value) {
  if (orientation_ == value) return;
  orientation_ = value;
  CalcTabsRects();
  update();
}

void TWsCustomTabBar::SetCloseButton(bool value) {
  if (closeButton_ == value) return;
  closeButton_ = value;
  update();
}

void TWsCustomTabBar::SetMargin(int value) {
  if (margin_ == value) return;
  margin_ = value;
  update();
}

void TWsCustomTabBar::SetFlatScrollButtons(bool value) {
  if (flatScrollButtons_ == value) return;
  flatScrollButtons_ = value;
  buttons_[0].state = buttons_[1].state = ScrollButtonState::Hidden;
  UpdateScrollButtons();
}

void TWsCustomTabBar::SetImages(const QList<QPixmap>& images) {
  images_ = images;
  PainterChanged();
}

void TWsCustomTabBar::SetHint(const QString& hint) {
  hint_ = hint;
  setToolTip(hint);
}

IPageList* TWsCustomTabBar::PageListInterface() const { return qobject_cast<IPageList*>(pageList_.data()); }

void TWsCustomTabBar::SetPageList(QWidget* pageList) {
  if (pageList == pageList_) return;
  if (pageList) {
    auto* pages = qobject_cast<IPageList*>(pageList);
    if (!pages) return;
    pages->SetActivePageIndex(selectedTab_ ? selectedTab_->Index() : 0);
  }
  pageList_ = pageList;  // a guarded pointer: a freed page list clears it
}

void TWsCustomTabBar::SetPainter(TWsTabBarPainter* painter) {
  if (painter == painter_) return;
  if (painter_) std::erase(painter_->bars_, this);
  painter_ = painter;
  defaultPainter_.reset();
  if (painter_) painter_->bars_.push_back(this);
  if (!destroying_) update();
}

TWsTabBarPainter* TWsCustomTabBar::CurrentPainter() {
  if (painter_) return painter_;
  if (!defaultPainter_) {
    defaultPainter_ = std::make_unique<TWsModernTabBarPainter>();
    defaultPainter_->bars_.push_back(this);  // so changes to its colours repaint us
  }
  return defaultPainter_.get();
}

void TWsCustomTabBar::PainterFreed(TWsTabBarPainter* painter) {
  if (painter != painter_) return;
  painter_ = nullptr;
  if (!destroying_) update();
}

// ---- selection, closing, moving

void TWsCustomTabBar::SetSelectedTab(TWsTabBarItem* tab) {
  if (tab == selectedTab_) return;
  if (tab && !tab->CanSelect()) return;
  const QPointer<TWsTabBarItem> guard(tab);
  if (!TabSelecting(tab)) return;
  if (tab && !guard) return;  // the handler freed it
  selectedTab_ = tab;
  if (!destroying_) update();
  MakeVisible(selectedTab_);
  TabSelected(selectedTab_);
}

TWsTabBarItem* TWsCustomTabBar::FindSelectableTab(TWsTabBarItem* tab) const {
  TWsTabBarItem* result = tab;
  if (tab && !tab->CanSelect()) {
    result = nullptr;
    if (!allowUnselected_) {
      const int index = tab->Index();
      for (int i = index + 1; i < tabs_->Count() && !result; ++i)
        if (tabs_->Items(i)->CanSelect()) result = tabs_->Items(i);
      for (int i = index - 1; i >= 0 && !result; --i)
        if (tabs_->Items(i)->CanSelect()) result = tabs_->Items(i);
    }
  }
  if (!result && !allowUnselected_)
    for (int i = 0; i < tabs_->Count() && !result; ++i)
      if (tabs_->Items(i)->CanSelect()) result = tabs_->Items(i);
  return result;
}

bool TWsCustomTabBar::TabClosing(TWsTabBarItem* tab) {
  bool allowClose = true;
  if (OnTabClosing) OnTabClosing(this, tab, allowClose);
  return allowClose;
}

void TWsCustomTabBar::TabClosed(TWsTabBarItem* tab) {
  const QPointer<TWsTabBarItem> guard(tab);
  if (autoFreeClosed_) tab->SetVisible(false);
  if (guard && OnTabClosed) OnTabClosed(this, tab);
  // A tab that a handler freed already is not freed a second time.
  if (autoFreeClosed_ && guard) delete tab;
}

bool TWsCustomTabBar::TabSelecting(TWsTabBarItem* tab) {
  bool allowSelect = true;
  if (OnTabSelecting) OnTabSelecting(this, tab, allowSelect);
  return allowSelect;
}

void TWsCustomTabBar::TabSelected(TWsTabBarItem* tab) {
  if (IPageList* pages = PageListInterface()) pages->SetActivePageIndex(tab ? tab->Index() : -1);
  if (OnTabSelected) OnTabSelected(this, tab);
}

void TWsCustomTabBar::TabMoved(TWsTabBarItem* tab) {
  if (OnTabMoved) OnTabMoved(this, tab);
}

void TWsCustomTabBar::TabRemoving(TWsTabBarItem* tab) {
  if (tab == selectedTab_) SetSelectedTab(nullptr);
  // Cleared even when a handler refused: a refused change must not leave a reference to a tab that is going.
  if (tab == selectedTab_) {
    selectedTab_ = nullptr;
    update();
  }
  if (tab == hotTab_) hotTab_ = nullptr;
  if (tab == pressedCloseTab_) pressedCloseTab_ = nullptr;
  if (tab == closingTab_) closingTab_ = nullptr;
  if (tab == moveMarkTab_) moveMarkTab_ = nullptr;
}

void TWsCustomTabBar::Changed() {
  if (destroying_) return;
  SetSelectedTab(FindSelectableTab(selectedTab_));
  update();
  if (OnChange) OnChange(this);
  UpdateScrollButtons();
}

void TWsCustomTabBar::PainterChanged() {
  if (!destroying_) update();
}

void TWsCustomTabBar::Loaded() { SetSelectedTab(FindSelectableTab(nullptr)); }

void TWsCustomTabBar::EndLoad() {
  loading_ = false;
  Loaded();
}

// ---- layout and scrolling

void TWsCustomTabBar::CalcTabsRects() {
  if (destroying_) return;
  TWsTabBarPainter* painter = CurrentPainter();
  int x = margin_, hidden = 0, n = 0;
  for (int i = 0; i < tabs_->Count(); ++i) {
    TWsTabBarItem* tab = tabs_->Items(i);
    if (!tab->Visible()) {
      tab->left_ = -1;
      continue;
    }
    tab->left_ = x;
    x += painter->GetTabSize(tab).width() + painter->GetDividerWidth(tab);
    if (n < leftIndex_) {
      hidden += x;
      tab->left_ = -hidden - 10;
      x = 0;
    }
    ++n;
  }
  tabsWidth_ = hidden + x;
  shownTabsWidth_ = x;
}

TWsTabBarItem* TWsCustomTabBar::TabAt(int x, int y) {
  if (ButtonsShown() && x >= barLimit_) return nullptr;
  CalcTabsRects();
  for (int i = 0; i < tabs_->Count(); ++i) {
    TWsTabBarItem* tab = tabs_->Items(i);
    if (tab->Visible() && tab->GetDisplayRect().contains(x, y)) return tab;
  }
  return nullptr;
}

void TWsCustomTabBar::UpdateScrollButtons() {
  if (destroying_) return;
  CalcTabsRects();
  const int clientWidth = width();
  if (clientWidth > tabsWidth_ || (leftIndex_ == 0 && clientWidth >= shownTabsWidth_)) {
    const bool wasShown = ButtonsShown();
    buttons_[0].state = buttons_[1].state = ScrollButtonState::Hidden;
    leftIndex_ = 0;
    barLimit_ = clientWidth;
    if (wasShown) CalcTabsRects();
    update();
    return;
  }
  const int y = CurrentPainter()->Options().bottomScrollButtons ? height() - 14 : 2;
  buttons_[0].rect = EdgeRect(clientWidth - 26, y, clientWidth - 14, y + 12);
  buttons_[1].rect = EdgeRect(clientWidth - 14, y, clientWidth - 2, y + 12);
  if (!flatScrollButtons_) buttons_[1].rect.translate(-1, 0);
  barLimit_ = buttons_[0].rect.left() - 2;
  buttons_[0].state = leftIndex_ > 0 ? ScrollButtonState::Normal : ScrollButtonState::Disabled;
  // Measured against the end of the tab area, so a tab partly under the buttons can still be scrolled in.
  buttons_[1].state = shownTabsWidth_ > barLimit_ ? ScrollButtonState::Normal : ScrollButtonState::Disabled;
  buttons_[0].pressedOutside = buttons_[1].pressedOutside = false;
  update();
}

void TWsCustomTabBar::ScrollButtonClick(int button) {
  int visible = 0;
  for (int i = 0; i < tabs_->Count(); ++i) visible += tabs_->Items(i)->Visible();
  leftIndex_ = std::clamp(leftIndex_ + (button == 0 ? -1 : 1), 0, std::max(visible - 1, 0));
  UpdateScrollButtons();
  repaint();
  if (OnScroll) OnScroll(this, button);
}

void TWsCustomTabBar::MakeVisible(TWsTabBarItem* tab) {
  if (!tab || !tab->Visible()) return;
  const int old = leftIndex_;
  QRect r;
  if (barLimit_ >= 1) {
    for (;;) {
      CalcTabsRects();
      r = tab->GetDisplayRect();
      if (r.right() + 1 <= barLimit_ || leftIndex_ >= tabs_->Count() - 1) break;
      ++leftIndex_;
    }
    // A tab left of the shown area: step back until it starts inside it.
    while (r.left() < 0 && leftIndex_ >= 1) {
      --leftIndex_;
      CalcTabsRects();
      r = tab->GetDisplayRect();
    }
  } else {
    leftIndex_ = 0;
  }
  if (leftIndex_ != old) {
    UpdateScrollButtons();
    update();
  }
}

// ---- painting

void TWsCustomTabBar::PaintTab(QPainter& canvas, TWsTabBarItem* tab) {
  if (destroying_ || !tab->Visible()) return;
  QRect r = tab->GetDisplayRect();
  const int right = r.right() + 1;
  if (right < 0 || r.left() >= barLimit_) return;
  TWsTabBarPainter* painter = CurrentPainter();
  painter->DrawTab(canvas, tab, r);
  r = EdgeRect(right, r.top(), right + painter->GetDividerWidth(tab) - 1, r.bottom() + 1);
  painter->DrawDivider(canvas, tab, r);
}

void TWsCustomTabBar::DrawScrollButtons(QPainter& canvas) {
  for (int button = 0; button < 2; ++button) {
    const ScrollButton& b = buttons_[button];
    const ScrollButtonState shown = b.state == ScrollButtonState::Pressed && b.pressedOutside
                                        ? ScrollButtonState::Normal
                                        : b.state;
    CurrentPainter()->DrawScrollButton(canvas, this, button, shown, b.rect);
  }
}

void TWsCustomTabBar::paintEvent(QPaintEvent* /*e*/) {
  if (destroying_) return;
  CalcTabsRects();
  QPainter canvas(this);
  TWsTabBarPainter* painter = CurrentPainter();
  painter->DrawBackground(canvas, this, rect());
  if (ButtonsShown()) {
    DrawScrollButtons(canvas);
    canvas.setClipRect(QRect(0, 0, barLimit_, height()));  // tabs partly under the buttons are cut there
  }
  if (barLimit_ > 0)
    for (int i = 0; i < tabs_->Count(); ++i) PaintTab(canvas, tabs_->Items(i));
  if (moveMarkTab_ && selectedTab_)
    painter->DrawMoveDivider(canvas, moveMarkTab_, moveMarkTab_->Index() < selectedTab_->Index());
}

void TWsCustomTabBar::resizeEvent(QResizeEvent* e) {
  UpdateScrollButtons();
  QWidget::resizeEvent(e);
}

}  // namespace qmz
