#pragma once
// The tabs of a tab bar and their collection, which keeps the bar's references and a coupled page list in step
// when tabs come, go or move.

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <functional>
#include <vector>

namespace qmz {

class TWsCustomTabBar;
class TWsTabBarItems;

// A tab. A QObject only so that the bar can tell whether an event handler freed it.
class TWsTabBarItem : public QObject {
 public:
  using StateEvent = std::function<void(TWsTabBarItem* sender, bool& value)>;

  // Appends the new tab to collection.
  explicit TWsTabBarItem(TWsTabBarItems* collection);
  // Hides the tab (the bar re-validates its selection), then leaves the collection.
  ~TWsTabBarItem() override;

  StateEvent OnGetModified;
  StateEvent OnGetEnabled;

  QString Caption() const { return caption_; }
  void SetCaption(const QString& caption);
  // True asks the bar to select this tab; False does nothing.
  bool Selected() const;
  void SetSelected(bool value);
  bool Enabled() const;
  void SetEnabled(bool value);
  bool Modified() const;
  void SetModified(bool value);
  QString Hint() const { return hint_; }
  void SetHint(const QString& hint) { hint_ = hint; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int value);
  int Tag() const { return tag_; }
  void SetTag(int value) { tag_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  QMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool value) { showHint_ = value; }
  // Values of the program's own that only Assign copies.
  qint32 Data1() const { return data1_; }
  void SetData1(qint32 value) { data1_ = value; }
  qint32 Data2() const { return data2_; }
  void SetData2(qint32 value) { data2_ = value; }
  QString DataText() const { return dataText_; }
  void SetDataText(const QString& value) { dataText_ = value; }

  int Index() const;
  // Moves the tab inside the collection (the page list follows when the bar links them).
  void SetIndex(int newIndex);
  TWsTabBarItems* Collection() const { return collection_; }
  TWsCustomTabBar* TabBar() const;

  bool CanSelect() const { return visible_ && Enabled(); }
  // The tab's rectangle in the bar; (-1, -1, -1, -1) for an invisible tab.
  QRect GetDisplayRect() const;
  TWsTabBarItem* NextVisibleTab() const;
  // The left edge the bar's layout gave the tab; -1 while not laid out or hidden.
  int Left() const { return left_; }

  void Assign(const TWsTabBarItem& source);

 private:
  friend class TWsCustomTabBar;
  friend class TWsTabBarItems;

  void Changed();

  TWsTabBarItems* collection_;
  QString caption_;
  QString hint_;
  int imageIndex_ = -1;
  int tag_ = 0;
  bool enabled_ = true;
  bool modified_ = false;
  bool visible_ = true;
  bool showHint_ = true;
  QPointer<QMenu> popupMenu_;
  qint32 data1_ = 0;
  qint32 data2_ = 0;
  QString dataText_;
  int left_ = -1;
};

// The tabs of one bar in display order. Owns its tabs.
class TWsTabBarItems {
 public:
  explicit TWsTabBarItems(TWsCustomTabBar* owner) : owner_(owner) {}
  TWsTabBarItems(const TWsTabBarItems&) = delete;
  TWsTabBarItems& operator=(const TWsTabBarItems&) = delete;
  ~TWsTabBarItems();

  TWsTabBarItem* Add();
  TWsTabBarItem* Add(const QString& caption);
  TWsTabBarItem* Insert(int index);
  void Delete(int index);
  void Clear();
  // Replaces the tabs by copies of source's.
  void Assign(const TWsTabBarItems& source);

  int Count() const { return int(items_.size()); }
  TWsTabBarItem* Items(int index) const;
  TWsTabBarItem* operator[](int index) const { return Items(index); }
  int IndexOf(const TWsTabBarItem* item) const;
  TWsCustomTabBar* Owner() const { return owner_; }

 private:
  friend class TWsTabBarItem;

  void Added(TWsTabBarItem* item);
  void Removing(TWsTabBarItem* item);

  TWsCustomTabBar* owner_;
  std::vector<TWsTabBarItem*> items_;
};

}  // namespace qmz
