#pragma once
// The control classes the main window's pages are built from, in one place, so the pages name them by
// role.

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>

#include "widgets/WsPageList.h"
#include "widgets/WsPanel.h"
#include "widgets/WsSpin.h"
#include "widgets/WsTabBar.h"
#include "widgets/WsTreeView.h"

namespace qmz {

using MainTabBar = TWsTabBar;
using MainPageList = TWsPageList;
using MainPage = TWsStandardPage;
using MainPanel = TWsPanel;
using MainTreeView = TWsTreeView;
using MainSpinEdit = TWsSpinEdit;
using MainFloatSpinEdit = TWsSpinEdit;

// The status bar's gauge. A position beyond the range is held at its nearer end, so a bar whose work outruns
// its estimate fills up; an empty range (0..0) shows an empty gauge, not Qt's busy indicator.
class TGauge : public QProgressBar {
 public:
  using QProgressBar::QProgressBar;
  void SetProgress(int value) { setValue(std::clamp(value, minimum(), maximum())); }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A list box of the selection pages: multi-select, optionally sorted, at least 150 pixels wide.
QListWidget* MakeListBox(const QString& name, bool sorted, QWidget* parent);
// A speed button: checkable, no focus.
QToolButton* MakeSpeedButton(const QString& name, const QString& caption, QWidget* parent);
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
MainPanel* MakePanel(const QString& name, QWidget* parent);
// A page of a page list, joined to it.
MainPage* MakePage(const QString& name, MainPageList* list);

}  // namespace qmz
