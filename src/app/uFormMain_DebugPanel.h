#pragma once
// The hidden debug panel: lists of the model's records, the stored fields of the chosen one.

#include <QWidget>

#include "app/uFormMain_Widgets.h"

namespace qmz {

class DebugPanel : public MainPanel {
  Q_OBJECT

 public:
  explicit DebugPanel(QWidget* parent = nullptr);

  QPushButton *btGroups = nullptr, *btCommos = nullptr, *btBases = nullptr, *btSystems = nullptr;
  QPushButton *Button1 = nullptr, *btCloseDebug = nullptr;
  QListWidget *lbSection = nullptr, *lbSectionList = nullptr;
  QTextEdit* reIni = nullptr;
};

}  // namespace qmz
