#include "app/uFormMain_CalculatorPanel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <limits>

namespace qmz {

namespace {

MainSpinEdit* MakeSpinEdit(const QString& name, int value, QWidget* parent) {
  auto* spin = new MainSpinEdit(parent);
  spin->setObjectName(name);
  // No range: the boxes never clamp what the user types.
  spin->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
  spin->setValue(value);
  return spin;
}

}  // namespace

CalculatorPanel::CalculatorPanel(QWidget* parent) : QWidget(parent) {
  panBackTop = MakePanel(QStringLiteral("panBackTop"), this);
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(panBackTop);

  panBackHeader = MakePanel(QStringLiteral("panBackHeader"), panBackTop);
  panBackHeader->setFixedHeight(0);
  reInfo = new QTextEdit(panBackHeader);
  reInfo->setObjectName(QStringLiteral("reInfo"));
  reInfo->setReadOnly(true);
  auto* header = new QVBoxLayout(panBackHeader);
  header->setContentsMargins(8, 8, 8, 8);
  header->addWidget(reInfo);

  gbControls = new QGroupBox(QStringLiteral(":: Controls ::"), panBackTop);
  gbControls->setObjectName(QStringLiteral("gbControls"));
  btFuncTrade = MakeSpeedButton(QStringLiteral("btFuncTrade"), QStringLiteral("TRADE"), gbControls);
  btFuncLoot = MakeSpeedButton(QStringLiteral("btFuncLoot"), QStringLiteral("SELL LOOT"), gbControls);
  btFuncLoot->setToolTip(
      QStringLiteral("If you have got a special commodity and whant to know where to sell it best.. thats your point"));
  auto* modes = new QButtonGroup(gbControls);
  modes->addButton(btFuncTrade);
  modes->addButton(btFuncLoot);
  btFuncTrade->setChecked(true);
  btCalculate = MakeSpeedButton(QStringLiteral("btCalculate"), QStringLiteral("&Calculate"), gbControls);
  btCalculate->setCheckable(false);
  btShowRoutes = MakeSpeedButton(QStringLiteral("btShowRoutes"), QStringLiteral("&Reshow routes"), gbControls);
  btShowRoutes->setCheckable(false);
  btInfo = MakeButton(QStringLiteral("btInfo"), QStringLiteral("&Info"), gbControls);
  btClearDefault = MakeButton(QStringLiteral("btClearDefault"), QStringLiteral("Clear Default"), gbControls);
  btBeenden = MakeButton(QStringLiteral("btBeenden"), QStringLiteral("&Exit"), gbControls);
  auto* controls = new QVBoxLayout(gbControls);
  auto* modeRow = new QHBoxLayout;
  modeRow->addWidget(btFuncTrade);
  modeRow->addWidget(btFuncLoot);
  controls->addLayout(modeRow);
  controls->addWidget(btCalculate);
  controls->addWidget(btShowRoutes);
  controls->addStretch();
  controls->addWidget(btInfo);
  controls->addWidget(btClearDefault);
  controls->addWidget(btBeenden);

  gbOptions = new QGroupBox(QStringLiteral(":: Options ::"), panBackTop);
  gbOptions->setObjectName(QStringLiteral("gbOptions"));
  edMoney = new MainFloatSpinEdit(gbOptions);
  edMoney->setObjectName(QStringLiteral("edMoney"));
  edMoney->setDecimals(0);
  edMoney->setRange(-1e15, 1e15);
  edMoney->setValue(1000000);
  edCargo = MakeSpinEdit(QStringLiteral("edCargo"), 250, gbOptions);
  edLevel = MakeSpinEdit(QStringLiteral("edLevel"), 0, gbOptions);
  edRepu = MakeSpinEdit(QStringLiteral("edRepu"), 0, gbOptions);
  edRepu->setEnabled(false);
  edLinesCount = MakeSpinEdit(QStringLiteral("edLinesCount"), 4000, gbOptions);
  cbUnlawful = new QCheckBox(QStringLiteral("Unlawful routes"), gbOptions);
  cbUnlawful->setObjectName(QStringLiteral("cbUnlawful"));
  cbUnlawful->setChecked(true);
  cbPerishable = new QCheckBox(QStringLiteral("Perishable commodity"), gbOptions);
  cbPerishable->setObjectName(QStringLiteral("cbPerishable"));
  cbPerishable->setChecked(true);
  auto* options = new QFormLayout(gbOptions);
  options->addRow(QStringLiteral("Money"), edMoney);
  options->addRow(QStringLiteral("Cargo"), edCargo);
  options->addRow(QStringLiteral("Level"), edLevel);
  options->addRow(QStringLiteral("Reputation"), edRepu);
  options->addRow(QStringLiteral("Routes"), edLinesCount);
  options->addRow(cbUnlawful);
  options->addRow(cbPerishable);

  tbRoutes = new MainTabBar(panBackTop);
  tbRoutes->setObjectName(QStringLiteral("tbRoutes"));
  tbRoutes->setMovable(true);
  tbRoutes->setTabsClosable(false);
  plRoutes = new MainPageList(panBackTop);
  plRoutes->setObjectName(QStringLiteral("plRoutes"));
  connect(tbRoutes, &MainTabBar::currentChanged, plRoutes, [this](int index) {
    if (index >= 0 && index < plRoutes->count()) plRoutes->setCurrentIndex(index);
  });

  auto* left = new QVBoxLayout;
  left->addWidget(gbControls);
  left->addWidget(gbOptions);
  auto* right = new QVBoxLayout;
  right->addWidget(tbRoutes);
  right->addWidget(plRoutes, 1);
  auto* body = new QHBoxLayout;
  body->addLayout(left);
  body->addLayout(right, 1);
  auto* back = new QVBoxLayout(panBackTop);
  back->setContentsMargins(4, 4, 4, 4);
  back->addWidget(panBackHeader);
  back->addLayout(body, 1);
}

void CalculatorPanel::AddPage(QWidget* page, const QString& caption) {
  plRoutes->addWidget(page);
  tbRoutes->addTab(caption);
}

}  // namespace qmz
