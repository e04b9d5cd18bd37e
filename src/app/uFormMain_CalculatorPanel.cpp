#include "app/uFormMain_CalculatorPanel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <limits>

namespace qmz {

namespace {

// No range (both bounds 0): the boxes never clamp what the user types.
MainSpinEdit* MakeSpinEdit(const QString& name, int value, QWidget* parent) {
  auto* spin = new MainSpinEdit(parent);
  spin->setObjectName(name);
  spin->SetValue(value);
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
  edMoney->SetSpinType(TWsSpinType::sptFloat);
  edMoney->SetPrecision(0);
  edMoney->SetFloatValue(1000000);
  edCargo = MakeSpinEdit(QStringLiteral("edCargo"), 250, gbOptions);
  edLevel = MakeSpinEdit(QStringLiteral("edLevel"), 0, gbOptions);
  // The level's bounds: every value below 1 reads as 1; applied as the form finishes loading, so the box
  // starts at 1.
  edLevel->BeginLoad();
  edLevel->SetMinValue(1);
  // The form's maximum of 0 below the minimum would turn every level typed into 0 on leaving the box, and
  // the level filter would then hide every route: the level has no upper bound here.
  edLevel->SetMaxValue(std::numeric_limits<int>::max());
  edLevel->EndLoad();
  // The reputation is shown, never typed or consulted.
  edRepu = new MainFloatSpinEdit(gbOptions);
  edRepu->setObjectName(QStringLiteral("edRepu"));
  edRepu->SetSpinType(TWsSpinType::sptFloat);
  edRepu->SetSigned(true);
  edRepu->SetReadOnly(true);
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

  LocationBox = new QGroupBox(QStringLiteral("Location"), panBackTop);
  LocationBox->setObjectName(QStringLiteral("LocationBox"));
  rbAny = new QRadioButton(QStringLiteral("Any"), LocationBox);
  rbAny->setObjectName(QStringLiteral("rbAny"));
  rbAny->setChecked(true);
  rbCommodity = new QRadioButton(QStringLiteral("Commodity"), LocationBox);
  rbCommodity->setObjectName(QStringLiteral("rbCommodity"));
  auto* location = new QVBoxLayout(LocationBox);
  location->addWidget(rbAny);
  location->addWidget(rbCommodity);
  LocationBox->hide();

  tbRoutes = new MainTabBar(panBackTop);
  tbRoutes->setObjectName(QStringLiteral("tbRoutes"));
  tbRoutes->SetCloseButton(false);
  tbRoutes->SetAllowUnselected(true);
  tbRoutes->SetMargin(5);
  tbRoutes->SetAllowTabMoving(true);
  // A moved tab takes its page along, so every tab keeps showing its own page.
  tbRoutes->SetPageListTabLink(true);
  // The bar's own painter, a child of the bar: white selected tab with a bold caption on a button-face bar.
  tabPainter_ = new TWsModernTabBarPainter(tbRoutes);
  tabPainter_->SetTabColor(RgbColor(255, 255, 255));
  tabPainter_->SetColor(colors::BtnFace);
  tabPainter_->SetBorderColor(colors::BtnFace);
  tabPainter_->SetCloseColor(colors::BtnFace);
  tabPainter_->SetDividerColor(colors::BtnFace);
  WsFont selectedFont = tabPainter_->Font();
  selectedFont.font.setBold(true);
  tabPainter_->SetSelectedFont(selectedFont);
  tbRoutes->SetPainter(tabPainter_);
  tbRoutes->setFixedHeight(26);
  plRoutes = new MainPageList(panBackTop);
  plRoutes->setObjectName(QStringLiteral("plRoutes"));

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

void CalculatorPanel::AddTab(const QString& caption) { tbRoutes->Tabs().Add(caption); }

void CalculatorPanel::Loaded() {
  plRoutes->Loaded();
  // Selecting a tab shows the page of the same index.
  tbRoutes->SetPageList(plRoutes);
  tbRoutes->Loaded();
  // The window never gets so narrow that a tab hides behind the scroll buttons, whichever tab is selected
  // (and so bold): measured with every caption bold.
  const WsFont font = tabPainter_->Font();
  tabPainter_->SetFont(tabPainter_->SelectedFont());
  int width = tbRoutes->Margin();
  for (int i = 0; i < tbRoutes->Tabs().Count(); ++i) {
    TWsTabBarItem* tab = tbRoutes->Tabs()[i];
    width += tabPainter_->GetTabSize(tab).width() + tabPainter_->GetDividerWidth(tab);
  }
  tabPainter_->SetFont(font);
  tbRoutes->setMinimumWidth(width);
}

}  // namespace qmz
