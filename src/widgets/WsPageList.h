#pragma once
// A container of full-size pages of which one (or none) is shown, with no tabs of its own: the program or a
// tab bar chooses the page.

#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

#include "widgets/WsControls.h"

class QPainter;

namespace qmz {

class TWsCustomPageList;

// What a tab bar needs of a page list. The list's lifetime is its owner's, not the interface users'.
class IPageList {
 public:
  virtual bool CanChange(int index) = 0;
  virtual void SetActivePageIndex(int index) = 0;
  virtual int GetPageCount() const = 0;
  virtual QString GetPageCaption(int index) const = 0;
  virtual void AddPage(const QString& caption) = 0;
  virtual void DeletePage(int index) = 0;
  virtual void MovePage(int curIndex, int newIndex) = 0;
  virtual void PageCaptionChanged(int index, const QString& newCaption) = 0;

 protected:
  ~IPageList() = default;
};

}  // namespace qmz

// The interface's identifier, so that a tab bar finds it on any control by qobject_cast.
Q_DECLARE_INTERFACE(qmz::IPageList, "{3D1F6A52-8C07-4B9E-A2D4-71C5E0B8F913}")

namespace qmz {

enum class TWsShowDesignCaption {
  sdcNone,
  sdcTopLeft,
  sdcTopCenter,
  sdcTopRight,
  sdcLeftCenter,
  sdcCenter,
  sdcRightCenter,
  sdcBottomLeft,
  sdcBottomCenter,
  sdcBottomRight,
  sdcRunTime
};

class TWsCustomPage : public TWsCustomControl {
  Q_OBJECT

 public:
  using PaintEvent = std::function<void(TWsCustomPage* sender, QPainter& canvas, const QRect& rect)>;
  using BeforePaintEvent =
      std::function<void(TWsCustomPage* sender, QPainter& canvas, const QRect& rect, bool& defaultDraw)>;

  explicit TWsCustomPage(QWidget* parent = nullptr);
  ~TWsCustomPage() override;

  BeforePaintEvent OnBeforePaint;
  PaintEvent OnPaint;
  PaintEvent OnAfterPaint;
  NotifyEvent OnShow;
  NotifyEvent OnHide;

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  TWsCustomPageList* PageList() const { return pageList_; }
  int PageIndex() const { return GetPageIndex(); }

  virtual void SetPageIndex(int value);
  virtual int GetPageIndex() const;
  virtual void SetPageList(TWsCustomPageList* list);

 protected:
  virtual void DoPaint(QPainter& canvas, const QRect& rect);
  virtual void DoShow();
  virtual void DoHide();
  virtual bool DoBeforePaint(QPainter& canvas, const QRect& rect);
  virtual void DoAfterPaint(QPainter& canvas, const QRect& rect);

  void paintEvent(QPaintEvent* event) override;
  // With themes, the themed background in the page's Color; without, nothing (the paint covers it).
  bool DoEraseBackground(QPainter& canvas, std::intptr_t param) override;
  void ShowingChanged(bool showing) override;

 private:
  friend class TWsCustomPageList;

  TWsCustomPageList* pageList_ = nullptr;
  int pageIndex_ = -1;
  QString caption_;
};

class TWsStandardPage : public TWsCustomPage {
  Q_OBJECT

 public:
  using TWsCustomPage::BorderWidth;
  using TWsCustomPage::SetBorderWidth;
  using TWsCustomPage::TWsCustomPage;
};

// The class of a list's new pages, standing in for a class reference: the class's name and a way to make one.
struct TWsPageClass {
  const QMetaObject* metaObject;
  TWsCustomPage* (*create)();

  template <class Page>
  static TWsPageClass Of() {
    return {&Page::staticMetaObject, []() -> TWsCustomPage* { return new Page(); }};
  }
};

class TWsCustomPageList : public TWsCustomControl, public IPageList {
  Q_OBJECT
  Q_INTERFACES(qmz::IPageList)

 public:
  using ChangingEvent = std::function<void(TWsCustomPageList* sender, int pageIndex, bool& allowChange)>;

  explicit TWsCustomPageList(QWidget* parent = nullptr);
  ~TWsCustomPageList() override;

  NotifyEvent OnChange;
  ChangingEvent OnChanging;

  TWsCustomPage* ActivePage() const { return activePage_; }
  int ActivePageIndex() const { return GetActivePageIndex(); }
  const QList<TWsCustomPage*>& Pages() const { return pages_; }
  QList<TWsCustomPage*> HiddenPages() const;
  bool PropagateEnable() const { return propagateEnable_; }
  void SetPropagateEnable(bool value);
  // Where the form designer draws page captions; kept for the windows that set it, not drawn at run time.
  TWsShowDesignCaption ShowDesignCaption() const { return showDesignCaption_; }
  void SetShowDesignCaption(TWsShowDesignCaption value) { showDesignCaption_ = value; }

  // IPageList and the list's own operations.
  bool CanChange(int index) override;
  virtual int GetActivePageIndex() const;
  void SetActivePageIndex(int index) override;
  virtual TWsCustomPage* GetPage(int index) const;
  int GetPageCount() const override;
  QString GetPageCaption(int index) const override;
  virtual void SetPageCaption(int index, const QString& caption);
  virtual void SetActivePage(TWsCustomPage* page);
  virtual void InsertPage(TWsCustomPage* page);
  virtual void RemovePage(TWsCustomPage* page);
  virtual TWsCustomPage* HidePage(TWsCustomPage* page);
  virtual TWsCustomPage* ShowPage(TWsCustomPage* page, int pageIndex);

  // Creates a page of the list's page class, named after the class and the first free number, appended last
  // and not activated.
  void AddPage(const QString& caption) override;
  void DeletePage(int index) override;
  void MovePage(int curIndex, int newIndex) override;
  void PageCaptionChanged(int index, const QString& newCaption) override;

  // Brings control to view: the page that holds it (or control itself, when it is a page) becomes active,
  // then the same is asked of a page list further out.
  virtual void ShowControl(QWidget* control);

  // Call once the pages are built: with pages and no active page, the first one becomes active.
  void Loaded();

  // Every page fills the list's client area, so the list needs what its largest page needs and its border.
  QSize minimumSizeHint() const override;

 protected:
  // The class of the pages AddPage makes.
  virtual TWsPageClass GetPageClass() const;
  virtual void Change();

  void EnabledChanged() override;
  void BoundsChanged() override;

 private:
  TWsCustomPage* FindNextPage(TWsCustomPage* page, bool goForward, bool includeDisabled) const;
  void SelectNextAfterActive();
  void ShowActive(TWsCustomPage* page);
  void Propagate();

  friend class TWsCustomPage;

  QList<TWsCustomPage*> pages_;
  TWsCustomPage* activePage_ = nullptr;
  QList<QPointer<TWsCustomPage>> hiddenPages_;
  bool propagateEnable_ = false;
  TWsShowDesignCaption showDesignCaption_ = TWsShowDesignCaption::sdcCenter;
};

class TWsPageList : public TWsCustomPageList {
  Q_OBJECT

 public:
  using TWsCustomPageList::BorderWidth;
  using TWsCustomPageList::SetBorderWidth;
  using TWsCustomPageList::TWsCustomPageList;

 protected:
  TWsPageClass GetPageClass() const override;
};

}  // namespace qmz
