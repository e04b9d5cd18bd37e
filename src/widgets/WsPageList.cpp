#include "widgets/WsPageList.h"

#include <QApplication>
#include <QPainter>

#include "widgets/WsThemes.h"

namespace qmz {

// ---- page

TWsCustomPage::TWsCustomPage(QWidget* parent) : TWsCustomControl(nullptr) {
  SetColor(colors::Window);
  setAttribute(Qt::WA_OpaquePaintEvent);
  hide();
  // A page made inside a page list joins it, as one loaded inside it does.
  if (auto* list = qobject_cast<TWsCustomPageList*>(parent)) SetPageList(list);
  else if (parent) setParent(parent);
}

TWsCustomPage::~TWsCustomPage() {
  // Leaves its list first; QObject takes it off its parent.
  if (pageList_) pageList_->RemovePage(this);
}

void TWsCustomPage::SetCaption(const QString& caption) {
  if (caption_ == caption) return;
  caption_ = caption;
}

int TWsCustomPage::GetPageIndex() const { return pageList_ ? int(pageList_->pages_.indexOf(this)) : pageIndex_; }

void TWsCustomPage::SetPageIndex(int value) {
  if (value != GetPageIndex() && pageList_ && value >= 0 && value < pageList_->GetPageCount())
    pageList_->pages_.move(GetPageIndex(), value);
  pageIndex_ = value;
}

void TWsCustomPage::SetPageList(TWsCustomPageList* list) {
  if (pageList_ == list) return;
  if (pageList_) pageList_->RemovePage(this);
  pageList_ = list;
  setParent(list);
  // Explicitly hidden, so showing the list does not show every page.
  hide();
  if (list) list->InsertPage(this);
}

bool TWsCustomPage::DoBeforePaint(QPainter& canvas, const QRect& rect) {
  bool defaultDraw = true;
  if (OnBeforePaint) OnBeforePaint(this, canvas, rect, defaultDraw);
  return defaultDraw;
}

void TWsCustomPage::DoPaint(QPainter& canvas, const QRect& rect) {
  canvas.setFont(font());
  canvas.setBrush(ToQColor(Color(), palette()));
  DrawThemedBackground(this, canvas, rect, Color(), true);
  if (OnPaint) OnPaint(this, canvas, rect);
}

void TWsCustomPage::DoAfterPaint(QPainter& canvas, const QRect& rect) {
  if (OnAfterPaint) OnAfterPaint(this, canvas, rect);
}

void TWsCustomPage::paintEvent(QPaintEvent* /*event*/) {
  QPainter canvas(this);
  // The client area: inside the border, which the control base paints.
  const QRect r = contentsRect();
  canvas.setClipRect(r);
  if (DoBeforePaint(canvas, r)) DoPaint(canvas, r);
  DoAfterPaint(canvas, r);
}

bool TWsCustomPage::DoEraseBackground(QPainter& canvas, std::intptr_t /*param*/) {
  if (ThemeServicesEnabled()) DrawThemedBackground(this, canvas, contentsRect(), Color(), ParentBackground());
  return true;
}

void TWsCustomPage::DoShow() {
  if (OnShow) OnShow(this);
}

void TWsCustomPage::DoHide() {
  if (OnHide) OnHide(this);
}

void TWsCustomPage::ShowingChanged(bool showing) {
  TWsCustomControl::ShowingChanged(showing);
  // What OnShow or OnHide raises goes no further than this notification: a page switch that showed the new
  // page still hides the old one, and no exception unwinds through Qt's show and hide.
  HandExceptionsToApplication(this, [this, showing] {
    if (showing) DoShow();
    else DoHide();
  });
}

// ---- page list

TWsCustomPageList::TWsCustomPageList(QWidget* parent) : TWsCustomControl(parent) { resize(300, 200); }

TWsCustomPageList::~TWsCustomPageList() {
  // Pages are detached without further calls; Qt then frees them as our children.
  for (TWsCustomPage* page : pages_) page->pageList_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
  // Hidden pages have no parent while hidden; the list that hid them frees them.
  for (const QPointer<TWsCustomPage>& page : hiddenPages_)
    if (page && !page->parent()) delete page.data();
}

QList<TWsCustomPage*> TWsCustomPageList::HiddenPages() const {
  QList<TWsCustomPage*> result;
  for (const QPointer<TWsCustomPage>& page : hiddenPages_)
    if (page) result.append(page.data());
  return result;
}

int TWsCustomPageList::GetPageCount() const { return int(pages_.size()); }

TWsCustomPage* TWsCustomPageList::GetPage(int index) const {
  return index >= 0 && index < GetPageCount() ? pages_[index] : nullptr;
}

int TWsCustomPageList::GetActivePageIndex() const { return activePage_ ? int(pages_.indexOf(activePage_)) : -1; }

void TWsCustomPageList::SetActivePageIndex(int index) { SetActivePage(GetPage(index)); }

QString TWsCustomPageList::GetPageCaption(int index) const {
  const TWsCustomPage* page = GetPage(index);
  return page ? page->Caption() : QString();
}

void TWsCustomPageList::SetPageCaption(int index, const QString& caption) {
  if (TWsCustomPage* page = GetPage(index)) page->SetCaption(caption);
}

bool TWsCustomPageList::CanChange(int index) {
  if (index < 0 || index >= GetPageCount()) return false;
  bool allowChange = true;
  if (OnChanging) OnChanging(this, index, allowChange);
  return allowChange;
}

void TWsCustomPageList::InsertPage(TWsCustomPage* page) {
  if (!page || pages_.contains(page)) return;
  pages_.append(page);
  page->setGeometry(contentsRect());
  updateGeometry();
}

void TWsCustomPageList::ShowActive(TWsCustomPage* page) {
  page->setGeometry(contentsRect());
  page->raise();
  page->show();
  page->update();
}

void TWsCustomPageList::SetActivePage(TWsCustomPage* page) {
  if (pages_.isEmpty()) activePage_ = nullptr;
  if (!page || page->pageList_ != this) return;
  if (page == activePage_) {
    // Shown again; the change is still asked for, though nothing changes whatever the answer.
    ShowActive(page);
    CanChange(int(pages_.indexOf(page)));
    return;
  }
  // The change is asked for before the new page is shown, so a refusal never leaves two pages visible.
  if (!CanChange(int(pages_.indexOf(page)))) return;
  TWsCustomPage* old = activePage_;
  QWidget* focus = QApplication::focusWidget();
  const bool focusInOld = old && focus && (focus == old || old->isAncestorOf(focus));
  ShowActive(page);
  if (old) old->hide();
  activePage_ = page;
  if (focusInOld) {
    // Focus follows the page: its first focusable control, else the list.
    QWidget* next = nullptr;
    for (QWidget* child : page->findChildren<QWidget*>())
      if (child->isVisibleTo(page) && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus)) {
        next = child;
        break;
      }
    if (next) next->setFocus();
    else setFocus();
  }
  Change();
}

void TWsCustomPageList::Change() {
  if (OnChange) OnChange(this);
}

TWsCustomPage* TWsCustomPageList::FindNextPage(TWsCustomPage* page, bool goForward, bool includeDisabled) const {
  const int count = GetPageCount();
  if (count == 0) return nullptr;
  int start = int(pages_.indexOf(page));
  if (start < 0) start = goForward ? count - 1 : 0;
  int i = start;
  for (int n = 0; n < count; ++n) {
    i = goForward ? (i + 1) % count : (i - 1 + count) % count;
    if (includeDisabled || pages_[i]->isEnabled()) return pages_[i];
  }
  return nullptr;
}

void TWsCustomPageList::RemovePage(TWsCustomPage* page) {
  if (!page || !pages_.contains(page)) return;
  TWsCustomPage* next = FindNextPage(page, true, true);
  page->hide();
  page->pageList_ = nullptr;
  pages_.removeOne(page);
  updateGeometry();
  if (next != page) SetActivePage(next);
  // Still pointing at the removed page (a refused change, or no neighbour): the first remaining page takes
  // over without events. It is shown, so an active page is never invisible and never a page of no list.
  if (activePage_ == page || !activePage_) {
    activePage_ = pages_.isEmpty() ? nullptr : pages_.first();
    if (activePage_) ShowActive(activePage_);
  }
}

void TWsCustomPageList::SelectNextAfterActive() {
  const int active = GetActivePageIndex();
  const int count = GetPageCount();
  if (active < count - 1 && count >= 2) SetActivePageIndex(active + 1);
  else SetActivePageIndex(count > 0 ? 0 : -1);
}

TWsCustomPage* TWsCustomPageList::HidePage(TWsCustomPage* page) {
  if (!page || page->pageList_ != this) return nullptr;
  if (page == activePage_) {
    SelectNextAfterActive();
    if (page == activePage_) SetActivePage(nullptr);
  }
  const int index = page->GetPageIndex();
  page->SetPageList(nullptr);
  page->pageIndex_ = index;
  hiddenPages_.append(page);
  return page;
}

TWsCustomPage* TWsCustomPageList::ShowPage(TWsCustomPage* page, int pageIndex) {
  if (!page || page->pageList_) return nullptr;
  const int index = page->pageIndex_;
  page->SetPageList(this);
  if (pageIndex >= 0) page->SetPageIndex(pageIndex);
  else if (index > -1) page->SetPageIndex(index);
  hiddenPages_.removeAll(page);
  return page;
}

void TWsCustomPageList::ShowControl(QWidget* control) {
  if (!control) return;
  for (QWidget* w = control; w && w != this; w = w->parentWidget()) {
    auto* page = qobject_cast<TWsCustomPage*>(w);
    if (page && page->pageList_ == this) {
      SetActivePage(page);
      break;
    }
    if (w->parentWidget() == nullptr) return;  // not inside this list
  }
  // A list that sits on a page of another list needs that page shown as well.
  for (QWidget* w = parentWidget(); w; w = w->parentWidget())
    if (auto* outer = qobject_cast<TWsCustomPageList*>(w)) {
      outer->ShowControl(this);
      break;
    }
}

TWsPageClass TWsCustomPageList::GetPageClass() const { return TWsPageClass::Of<TWsCustomPage>(); }

void TWsCustomPageList::AddPage(const QString& caption) {
  const TWsPageClass pageClass = GetPageClass();
  TWsCustomPage* page = pageClass.create();
  page->SetCaption(caption);
  // The class name without namespace and its first letter, then the first number not yet taken in the window.
  QString base = QString::fromLatin1(pageClass.metaObject->className());
  base = base.mid(base.lastIndexOf(QLatin1Char(':')) + 1).mid(1);
  QWidget* owner = window();
  auto taken = [&](const QString& name) {
    if (owner->objectName() == name || owner->findChild<QObject*>(name)) return true;
    for (const QPointer<TWsCustomPage>& hidden : hiddenPages_)
      if (hidden && hidden->objectName() == name) return true;
    return false;
  };
  int number = 1;
  while (taken(base + QString::number(number))) ++number;
  page->setObjectName(base + QString::number(number));
  page->SetPageList(this);
}

void TWsCustomPageList::DeletePage(int index) { delete GetPage(index); }

void TWsCustomPageList::MovePage(int curIndex, int newIndex) {
  if (curIndex >= 0 && curIndex < GetPageCount() && newIndex >= 0 && newIndex < GetPageCount())
    pages_.move(curIndex, newIndex);
}

void TWsCustomPageList::PageCaptionChanged(int index, const QString& newCaption) { SetPageCaption(index, newCaption); }

void TWsCustomPageList::Loaded() {
  if (!pages_.isEmpty() && !activePage_) SetActivePage(pages_.first());
}

void TWsCustomPageList::SetPropagateEnable(bool value) {
  if (propagateEnable_ == value) return;
  propagateEnable_ = value;
  Propagate();
}

void TWsCustomPageList::Propagate() {
  if (!propagateEnable_) return;
  const bool enabled = isEnabled();
  for (QWidget* child : findChildren<QWidget*>()) child->setEnabled(enabled);
}

void TWsCustomPageList::EnabledChanged() {
  TWsCustomControl::EnabledChanged();
  Propagate();
}

QSize TWsCustomPageList::minimumSizeHint() const {
  QSize size(0, 0);
  for (const TWsCustomPage* page : pages_) size = size.expandedTo(page->minimumSizeHint());
  return size.grownBy(contentsMargins());
}

void TWsCustomPageList::BoundsChanged() {
  for (TWsCustomPage* page : pages_) page->setGeometry(contentsRect());
}

TWsPageClass TWsPageList::GetPageClass() const { return TWsPageClass::Of<TWsStandardPage>(); }

}  // namespace qmz
