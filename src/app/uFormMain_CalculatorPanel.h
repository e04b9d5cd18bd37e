#pragma once
// The calculator page under the start-up panel: the hint box in the header, the mode and command
// buttons, the options, and the tab bar with its page list that holds the selection pages.

#include <QWidget>

#include "app/uFormMain_Widgets.h"

namespace qmz {

class CalculatorPanel : public QWidget {
  Q_OBJECT

 public:
  explicit CalculatorPanel(QWidget* parent = nullptr);

  // Adds the tab of a page made in plRoutes; Loaded ends the building.
  void AddTab(const QString& caption);
  void Loaded();

  MainPanel* panBackTop = nullptr;
  MainPanel* panBackHeader = nullptr;
  QTextEdit* reInfo = nullptr;
  QGroupBox *gbControls = nullptr, *gbOptions = nullptr;
  QToolButton *btFuncTrade = nullptr, *btFuncLoot = nullptr, *btCalculate = nullptr, *btShowRoutes = nullptr;
  QPushButton *btInfo = nullptr, *btClearDefault = nullptr, *btBeenden = nullptr;
  MainFloatSpinEdit *edMoney = nullptr, *edRepu = nullptr;
  MainSpinEdit *edCargo = nullptr, *edLinesCount = nullptr, *edLevel = nullptr;
  QCheckBox *cbUnlawful = nullptr, *cbPerishable = nullptr;
  // The location choice of earlier versions, kept hidden: its buttons only enable Calculate.
  QGroupBox* LocationBox = nullptr;
  QRadioButton *rbAny = nullptr, *rbCommodity = nullptr;
  MainTabBar* tbRoutes = nullptr;
  MainPageList* plRoutes = nullptr;

 private:
  TWsModernTabBarPainter* tabPainter_ = nullptr;
};

}  // namespace qmz
