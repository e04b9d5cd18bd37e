#include "app/uFormMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QThread>
#include <QVBoxLayout>

#include "app/FeedbackUpload.h"
#include "app/ModelAdapter.h"
#include "app/QmzApplication.h"
#include "app/SingleInstance.h"
#include "app/StatusMessageReceiver.h"
#include "app/uFormGrid.h"
#include "app/uFormMain_CalculatorPanel.h"
#include "app/uFormMain_CommodityPage.h"
#include "app/uFormMain_DebugPanel.h"
#include "app/uFormMain_InformationPage.h"
#include "app/uFormMain_PlacePage.h"
#include "platform/ExePath.h"
#include "support/DbgMonIntf.h"
#include "support/mRunJournal.h"
#include "widgets/WsPlainText.h"

namespace qmz {

TJournal* Journal = nullptr;

void CreateRunJournal(const std::string& folder) {
  if (!Journal) Journal = new TJournal(folder, "DebugOut", false, true, false, false);
}

void FreeRunJournal() {
  delete Journal;
  Journal = nullptr;
}

TformMain::TformMain(MainWindowSetup setup, QWidget* parent) : QMainWindow(parent), setup_(std::move(setup)) {
  journal_ = setup_.Journal;
  if (setup_.ProgramFolder.empty()) setup_.ProgramFolder = platform::ExecutableFolder();
  setObjectName(QStringLiteral("formMain"));
  setWindowTitle(QStringLiteral("Starvagant Kestrelmark - QMZ"));
  dialogs_ = setup_.Dialogs ? setup_.Dialogs(this) : MakeQtDialogs(this);
  receiver_ = std::make_unique<StatusMessageReceiver>();
  connect(receiver_.get(), &StatusMessageReceiver::statusMessage, this, &TformMain::WMStatusMessage);
  ftpFeedback = std::make_unique<FeedbackUpload>();
  BuildControls();
  ConnectHandlers();
  SetUpUpdateAndCommands();
  resize(900, 640);
}

TformMain::~TformMain() {
  // Whatever a close had to leave to the running step is freed now; the handler never outlives us.
  ReleaseOwned();
  if (handlerInstalled_) {
    if (auto* app = QmzApplication::Instance()) app->SetOnException(FOldOnException);
    handlerInstalled_ = false;
  }
  platform::CloseSharedMemory(FStatusMapping);
  // The journal may go with us.
  SetDebugSenderWindow(0, nullptr);
}

void TformMain::BuildControls() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  setCentralWidget(central);

  calculatorPanel_ = new CalculatorPanel(central);
  layout->addWidget(calculatorPanel_);
  auto* c = calculatorPanel_;
  panBackTop = c->panBackTop;
  panBackHeader = c->panBackHeader;
  reInfo = c->reInfo;
  gbControls = c->gbControls;
  gbOptions = c->gbOptions;
  btFuncTrade = c->btFuncTrade;
  btFuncLoot = c->btFuncLoot;
  btCalculate = c->btCalculate;
  btShowRoutes = c->btShowRoutes;
  btInfo = c->btInfo;
  btClearDefault = c->btClearDefault;
  btBeenden = c->btBeenden;
  edMoney = c->edMoney;
  edCargo = c->edCargo;
  edLevel = c->edLevel;
  edRepu = c->edRepu;
  edLinesCount = c->edLinesCount;
  cbUnlawful = c->cbUnlawful;
  cbPerishable = c->cbPerishable;
  LocationBox = c->LocationBox;
  rbAny = c->rbAny;
  rbCommodity = c->rbCommodity;
  tbRoutes = c->tbRoutes;
  plRoutes = c->plRoutes;

  sourcePage_ = new PlacePage(SourcePageNames(), plRoutes);
  destPage_ = new PlacePage(DestPageNames(), plRoutes);
  commodityPage_ = new CommodityPage(plRoutes);
  informationPage_ = new InformationPage(plRoutes);
  pageCustomSettings = MakePage(QStringLiteral("pageCustomSettings"), plRoutes);
  for (const char* caption : {"From Origin", "to Destination", "Commodity", "Information", "Custom Settings"})
    c->AddTab(QString::fromLatin1(caption));
  tbRoutes->Tabs()[4]->SetEnabled(false);
  c->Loaded();
  pageSource = sourcePage_;
  pageDest = destPage_;
  pageCommodity = commodityPage_;
  pageInformation = informationPage_;

  auto* s = sourcePage_;
  btFromBase = s->Buttons[0], btFromSystem = s->Buttons[1], btFromRegion = s->Buttons[2], btFromAny = s->Buttons[3];
  plFrom = s->PageList;
  pageFromBase = s->Pages[0], pageFromSystem = s->Pages[1], pageFromRegion = s->Pages[2], pageFromAny = s->Pages[3];
  lbFromBase = s->Lists[0], lbFromSystem = s->Lists[1], lbFromRegion = s->Lists[2], lbFromAny = s->Lists[3];
  btAddFrom = s->Add, btDelFrom = s->Del, btClearFrom = s->Clear, lbOrigin = s->Chosen;
  auto* d = destPage_;
  btDestBase = d->Buttons[0], btDestSystem = d->Buttons[1], btDestRegion = d->Buttons[2], btDestAny = d->Buttons[3];
  plDest = d->PageList;
  pageDestBase = d->Pages[0], pageDestSystem = d->Pages[1], pageDestRegion = d->Pages[2], pageDestAny = d->Pages[3];
  lbDestBase = d->Lists[0], lbDestSystem = d->Lists[1], lbDestRegion = d->Lists[2], lbDestAny = d->Lists[3];
  btAddTo = d->Add, btDelTo = d->Del, btClearDest = d->Clear, lbDestination = d->Chosen;
  tvCommoAll = commodityPage_->tvCommoAll;
  btAddCommo = commodityPage_->btAddCommo;
  btDelCommo = commodityPage_->btDelCommo;
  btClear = commodityPage_->btClear;
  lbCommo = commodityPage_->lbCommo;
  auto* i = informationPage_;
  btInfBase = i->btInfBase, btInfGood = i->btInfGood, plInformation = i->plInformation;
  pageInfBase = i->pageInfBase, pageInfGood = i->pageInfGood, lbInfBase = i->lbInfBase;
  tvInfBaseGood = i->tvInfBaseGood, tvInfCommos = i->tvInfCommos, reInformation = i->reInformation;

  debugPanel_ = new DebugPanel(panBackTop);
  panDebug = debugPanel_;
  btGroups = debugPanel_->btGroups, btCommos = debugPanel_->btCommos, btBases = debugPanel_->btBases;
  btSystems = debugPanel_->btSystems, Button1 = debugPanel_->Button1, btCloseDebug = debugPanel_->btCloseDebug;
  lbSection = debugPanel_->lbSection, lbSectionList = debugPanel_->lbSectionList, reIni = debugPanel_->reIni;

  // The start-up log covers the whole window until start-up ends.
  panStartup = MakePanel(QStringLiteral("panStartup"), central);
  lbStartup = new QTextEdit(panStartup);
  lbStartup->setObjectName(QStringLiteral("lbStartup"));
  lbStartup->setReadOnly(true);
  lbStartup->setFont(QFont(QStringLiteral("Courier New")));
  lbStartup->setStyleSheet(QStringLiteral("QTextEdit { background-color: #fffbf0; }"));
  auto* startupLayout = new QVBoxLayout(panStartup);
  startupLayout->setContentsMargins(0, 0, 0, 0);
  startupLayout->addWidget(lbStartup);
  panStartup->hide();

  StartUpTimer = new QTimer(this);
  StartUpTimer->setObjectName(QStringLiteral("StartUpTimer"));
  StartUpTimer->setInterval(250);

  BuildStatusBar();
}

void TformMain::ConnectHandler(QAbstractButton* button, std::function<void()> handler) {
  connect(button, &QAbstractButton::clicked, this,
          [button, handler = std::move(handler)] { QmzApplication::RunHandler(button, handler); });
}

void TformMain::ConnectHandlers() {
  connect(StartUpTimer, &QTimer::timeout, this,
          [this] { QmzApplication::RunHandler(StartUpTimer, [this] { StartUpTimerTimer(); }); });
  const auto on = [this](QAbstractButton* button, void (TformMain::*handler)()) {
    ConnectHandler(button, [this, handler] { (this->*handler)(); });
  };
  for (auto* b : {btFromBase, btFromSystem, btFromRegion, btFromAny}) on(b, &TformMain::OnFromClick);
  for (auto* b : {btDestBase, btDestSystem, btDestRegion, btDestAny}) on(b, &TformMain::OnDestClick);
  for (auto* b : {btInfBase, btInfGood}) on(b, &TformMain::OnInfClick);
  for (auto* b : {btFuncTrade, btFuncLoot}) on(b, &TformMain::FunctionClick);
  on(rbAny, &TformMain::rbAnyClick);
  on(rbCommodity, &TformMain::rbCommodityClick);
  on(btAddFrom, &TformMain::btAddFromClick);
  on(btAddTo, &TformMain::btAddToClick);
  on(btAddCommo, &TformMain::btAddCommoClick);
  on(btDelFrom, &TformMain::btDelFromClick);
  on(btDelTo, &TformMain::btDelToClick);
  on(btDelCommo, &TformMain::btDelCommoClick);
  on(btClearFrom, &TformMain::btClearFromClick);
  on(btClearDest, &TformMain::btClearDestClick);
  on(btClear, &TformMain::btClearClick);
  on(btCalculate, &TformMain::btCalculateClick);
  on(btShowRoutes, &TformMain::btShowRoutesClick);
  on(btInfo, &TformMain::btInfoClick);
  on(btBeenden, &TformMain::btBeendenClick);
  on(btClearDefault, &TformMain::btClearDefaultClick);
  on(btCloseDebug, &TformMain::btCloseDebugClick);
  on(btGroups, &TformMain::btGroupsClick);
  on(btBases, &TformMain::btBasesClick);
  on(btSystems, &TformMain::btSystemsClick);
  on(btCommos, &TformMain::btCommosClick);
  on(Button1, &TformMain::Button1Click);
  ConnectSelection();
  ConnectInfoAndDebug();
}

bool TformMain::FormCreate() {
  // One instance: a second start hands over to the first and ends before it shows anything.
  instance_ = std::move(setup_.Instance);
  if (!instance_) {
    instance_ = std::make_shared<SingleInstance>(setup_.InstanceKey);
    if (instance_->Acquire() != SingleInstance::Result::Acquired) return false;
  }
  connect(instance_.get(), &SingleInstance::raiseRequested, this, &TformMain::ShowOwnWindow);
  // The stop flag's synchronizer and the route list are members.
  FUpdateCheckDone = false;
  SetShowRoutesEnabled(false);
  SetCalculateEnabled(false);
  if (auto* app = QmzApplication::Instance()) {
    FOldOnException = app->OnException();
    app->SetOnException([this](QObject* sender, const std::exception& e) { HandleApplicationException(sender, e); });
    handlerInstalled_ = true;
  }
  FStatusMapping = OpenStatusMapping();
  receiver_->SetMapping(FStatusMapping);
  // The gauge already sits over panel 2 of the status bar (BuildStatusBar).
  LogSystemInformation();
  panBackHeader->setFixedHeight(0);
  // The window is not shown yet, so its layout has not placed the client area: place it now, so the
  // start-up log covers the window from the first paint on.
  if (layout()) layout()->activate();
  panStartup->setGeometry(centralWidget()->rect());
  panStartup->show();
  panStartup->raise();
  update();
  StartUpTimer->start();
  return true;
}

void TformMain::ShowOwnWindow() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TformMain::StartUpTimerTimer() {
  FStartupDone = false;
  Log("Starting up", jlStart, journal_);
  EnterBusy();
  auto finallyPart = [this] {
    LogFmt("Passed: %s ", {FStartupDone ? "True" : "False"}, jlWarning, journal_);
    if (!FStartupDone) close();
    Log("Form available", jlStart, journal_);
    LeaveBusy();
  };
  try {
    StartUpSequence();
  } catch (...) {
    finallyPart();
    throw;
  }
  finallyPart();
}

void TformMain::StartUpSequence() {
  StartUpTimer->stop();
  Log("Showing FileVersion", jlInfo, journal_);
  TVersionInfo version;
  GetFileVersionRecord(platform::ExecutablePath(), version);
  lbStartup->clear();
  StatusPanel(0)->setText(
      ToQString(Format(":: V%d.%d.%d build %d", version.Major, version.Minor, version.Release, version.Build)));
  // The update check compares this version with the page's.
  WebUpdate.ProductInfo.Version = version.FileVersion;
  for (const std::string& line :
       {std::string("Starvagant Kestrelmark"), Format("QMZ Version %s", version.FileVersion), std::string(),
        std::string("Please wait a few seconds for the application to setup itself...")})
    AppendPlainText(lbStartup, ToQString(line));
  repaint();
  // Each "/debug" adds one status-change line; the journal is on in every case.
  if (journal_) {
    journal_->SetActive(false);
    for (const QString& arg : setup_.Arguments)
      if (arg.toLower() == QStringLiteral("/debug")) journal_->SetActive(true);
    journal_->SetActive(true);
  }
  const int gaugeMin = Progress->minimum(), gaugeMax = Progress->maximum(), gaugePos = Progress->value();
  RunUpdateCheck();
  // Wait with a pause between the pumps, not in a tight loop.
  while (!FUpdateCheckDone && !closing_) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
  if (FUpdateDownloaded || closing_) return;
  Progress->setRange(gaugeMin, gaugeMax);
  Progress->setValue(gaugePos);
  // A close during loading reaches the loader through its user interface.
  {
    std::unique_ptr<TLoaderUserInterface> ui = setup_.LoaderUserInterface ? setup_.LoaderUserInterface(this) : nullptr;
    if (!ui) throw std::runtime_error("No installation chooser is available");
    struct StopOnClose : TLoaderUserInterface {
      TLoaderUserInterface& inner;
      const bool& closing;
      StopOnClose(TLoaderUserInterface& i, const bool& c) : inner(i), closing(c) {}
      std::optional<std::string> chooseInstallation() override { return inner.chooseInstallation(); }
      bool askYesNo(const std::string& text) override { return inner.askYesNo(text); }
      std::string inputText(const std::string& c, const std::string& p) override { return inner.inputText(c, p); }
      void showWarning(const std::string& text) override { inner.showWarning(text); }
      bool stopRequested() override { return closing || inner.stopRequested(); }
      bool choseDefault() const override { return inner.choseDefault(); }
    } stopOnClose(*ui, closing_);
    // A default installation that does not load would end every start the same way: the chooser comes
    // again, without the default confirming itself, until a load succeeds or the user leaves it.
    for (;;) {
      FData.reset();
      try {
        FData = std::make_unique<TSvData>(journal_, receiver_->Window(), FStatusMapping, stopOnClose);
      } catch (const std::exception& e) {
        if (closing_ || !stopOnClose.choseDefault()) throw;
        HandleApplicationException(this, e);
      }
      if (FData) LogFmt("Created SVData Struct: %s", {FData->DataValid ? "True" : "False"}, jlInfo, journal_);
      if ((FData && FData->DataValid) || closing_ || !stopOnClose.choseDefault()) break;
      Log("Default installation not loaded, choosing again", jlWarning, journal_);
    }
  }
  // A model that is not valid closes the window, and nothing is filled from it.
  if (!FData || !FData->DataValid) {
    close();
    return;
  }
  if (closing_) return;
  setWindowTitle(windowTitle() + ToQString(Format(" [%s]", FData->getActiveModNames().CommaText())));
  SetStatus("Ready", 0, 100, 0);
  (void)FData->getActiveModNames();
  panStartup->hide();
  FillPlaceLists();
  FillCommodityTrees();
  FStartupDone = true;
  panBackTop->show();
  panBackHeader->setFixedHeight(100);
  reInfo->raise();
  if (formGrid_) formGrid_->show();
  tbRoutes->SetSelectedTab(tbRoutes->Tabs()[0]);
  btDestBase->setChecked(true);
  OnDestClick();
  btFromBase->setChecked(true);
  OnFromClick();
  // On the still empty list this only toggles the sort direction three times.
  if (formGrid_)
    for (int i = 0; i < 3; ++i) formGrid_->lvRoutesColumnClick(0);
  ShowOwnWindow();
}

void TformMain::FillPlaceLists() {
  Log("Setting up Origin", jlInfo, journal_);
  FillListFromModel(lbFromBase, FData->getBaseNames(), 1);
  FillListFromModel(lbInfBase, FData->getBaseNames(), 1);
  FillListFromModel(lbFromSystem, FData->getSystemNames(), 2);
  lbFromAny->clear();
  AddTaggedItem(lbFromAny, QStringLiteral("Anywhere"), {0, 4});
  Log("Setting up Destination", jlInfo, journal_);
  FillListFromModel(lbDestBase, FData->getBaseNames(), 1);
  FillListFromModel(lbDestSystem, FData->getSystemNames(), 2);
  lbDestAny->clear();
  AddTaggedItem(lbDestAny, QStringLiteral("Anywhere"), {0, 4});
}

void TformMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void TformMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  // Before the window is first shown its children are not visible yet, though the log is to be shown.
  if (!panStartup->isHidden()) panStartup->setGeometry(centralWidget()->rect());
}

void TformMain::FormClose() {
  if (closed_) return;
  closed_ = true;
  closing_ = true;
  // Stop whatever runs: the loading (also before the model exists, through the loader's user
  // interface), a calculation, a route display.
  if (FData) FData->StopLoading = true;
  SetStopRequested(true);
  Log("Closing Application", jlStart, journal_);
  // Free only what no running step still uses; the rest goes when that step has returned.
  if (FStartupDone) {
    if (busy_ == 0) ReleaseOwned();
    else releasePending_ = true;
  }
  if (handlerInstalled_) {
    if (auto* app = QmzApplication::Instance()) app->SetOnException(FOldOnException);
    handlerInstalled_ = false;
  }
  // A page fetch or download of the update check stops at once; the instance lock stays until the
  // process ends, so a new start cannot run beside this one while it winds down.
  WebUpdate.Cancel();
  disconnect(instance_.get(), nullptr, this, nullptr);
  emit closed();
}

QAbstractItemView* TformMain::RoutesListView() const { return formGrid_ ? formGrid_->RoutesListView() : nullptr; }

void TformMain::LeaveBusy() {
  if (--busy_ == 0 && releasePending_) {
    releasePending_ = false;
    ReleaseOwned();
  }
}

void TformMain::ReleaseOwned() {
  if (busy_ > 0) return;
  FRoutes.Clear();
  FFromBases.clear();
  FToBases.clear();
  FCommodities.clear();
  FData.reset();
}

bool TformMain::GetStopRequested() {
  QReadLocker lock(&FSynchronizer);
  return FStopRequested;
}

void TformMain::SetStopRequested(bool Value) {
  QWriteLocker lock(&FSynchronizer);
  FStopRequested = Value;
}

void TformMain::SetCalculateEnabled(bool Value) {
  calculateEnabled_ = Value;
  btCalculate->setEnabled(Value);
}

void TformMain::SetShowRoutesEnabled(bool Value) {
  showRoutesEnabled_ = Value;
  btShowRoutes->setEnabled(Value);
}

}  // namespace qmz
