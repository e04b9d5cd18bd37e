#pragma once
// The control classes the main window's pages are built from, in one place, so the pages name them by
// role.

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFrame>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace qmz {

using MainTabBar = QTabBar;
using MainPageList = QStackedWidget;
using MainPanel = QFrame;
using MainTreeView = QTreeWidget;
using MainSpinEdit = QSpinBox;
using MainFloatSpinEdit = QDoubleSpinBox;

// A list box of the selection pages: multi-select, optionally sorted.
QListWidget* MakeListBox(const QString& name, bool sorted, QWidget* parent);
// A speed button: checkable, no focus.
QToolButton* MakeSpeedButton(const QString& name, const QString& caption, QWidget* parent);
QPushButton* MakeButton(const QString& name, const QString& caption, QWidget* parent);
MainPanel* MakePanel(const QString& name, QWidget* parent);

}  // namespace qmz
