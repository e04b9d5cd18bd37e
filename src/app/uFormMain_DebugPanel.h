#pragma once
// The hidden debug panel: lists of the model's records, the stored fields of the chosen one.

#include <QWidget>
#include <string>
#include <vector>

#include "app/core/uFormMain_Debug.h"
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

  // The list mode (lbSection's Tag): which kind of record the lists show.
  int ListMode() const;
  // Shows the lists of one mode; the lists and reIni are expected empty.
  void FillLists(int Mode, const TDebugLists& Lists);
  void ShowRecordLines(const std::vector<std::string>& Lines);
  // Whether the panel covers its parent (shown by a double-click on the options box).
  bool FillsParent() const { return fillsParent_; }
  void SetFillsParent(bool Value);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool fillsParent_ = false;
};

}  // namespace qmz
