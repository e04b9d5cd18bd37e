#pragma once
// The main window: a shell that owns the controls and the handlers, and the program's start-up and
// shutdown. Each page of the tab bar is its own class (uFormMain_*Page, the calculator's controls
// uFormMain_CalculatorPanel, the debug page uFormMain_DebugPanel); the handlers are grouped below by the
// file that holds them.

#include <QAbstractButton>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QReadWriteLock>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <QAbstractItemView>
#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "app/MainWindowDialogs.h"
#include "app/core/uFormMain_Calc.h"
#include "app/uFormMain_Widgets.h"
#include "gamedata/LoaderUserInterface.h"
#include "gamedata/uSvFunctions.h"
#include "platform/SharedMemory.h"
#include "support/mGlobalFunctions.h"
#include "update/wuWebUpdate.h"

namespace qmz {

class TJournal;
class StatusMessageReceiver;
class SingleInstance;
class FeedbackUpload;
class PlacePage;
class CommodityPage;
class InformationPage;
class CalculatorPanel;
class DebugPanel;

// The run journal: created by the program entry before any window, freed after the last one.
extern TJournal* Journal;
void CreateRunJournal(const std::string& folder);
void FreeRunJournal();

// What the main window takes from its surroundings. The program entry fills it from the process; tests
// give their own journal, folder, instance key and boxes.
struct MainWindowSetup {
  TJournal* Journal = nullptr;
  std::string ProgramFolder;  // holds QMZ.ini, with a trailing '/'
  QStringList Arguments;      // the command-line arguments after the program name
  QString InstanceKey = QStringLiteral("QMZ");
  // The program entry may have taken the instance already (before the journal re-creates its file, so a
  // second start never empties the running instance's journal); FormCreate then keeps it.
  std::shared_ptr<SingleInstance> Instance;
  std::string StatusMappingName = kStatusMappingName;
  // The user of the loader (installation chooser and its boxes); made when loading starts.
  std::function<std::unique_ptr<TLoaderUserInterface>(QWidget* parent)> LoaderUserInterface;
  // Message and input boxes; Qt's when empty.
  std::function<std::unique_ptr<MainWindowDialogs>(QWidget* parent)> Dialogs;
};

class TformGrid;

class TformMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TformMain(MainWindowSetup setup, QWidget* parent = nullptr);
  ~TformMain() override;

  // ---- lifecycle (uFormMain.cpp) -------------------------------------------------------------------
  // The creation step. False: the instance lock was not taken (another instance runs and has been asked
  // to show itself, or the lock cannot be used); this one ends.
  bool FormCreate();
  void StartUpTimerTimer();
  void FormClose();
  bool GetStopRequested();
  void SetStopRequested(bool Value);
  void SetCalculateEnabled(bool Value);
  void SetShowRoutesEnabled(bool Value);
  // Connects a button's click to a handler that runs guarded: an exception it raises reaches the
  // application's unhandled-exception handler with the button as sender.
  void ConnectHandler(QAbstractButton* button, std::function<void()> handler);
  // The start-up sequence has ended with the window ready.
  bool StartupDone() const { return FStartupDone; }
  // The code the process ends with once this window has closed: 0 after a start-up that completed or
  // that ended for a downloaded update, 1 after a start-up that failed or was broken off.
  int ExitCode() const { return FStartupDone || FUpdateDownloaded ? 0 : 1; }
  bool Closed() const { return closed_; }
  // The route-list window, created after this one; shown when start-up ends.
  void SetFormGrid(TformGrid* grid) { formGrid_ = grid; }
  QAbstractItemView* RoutesListView() const;
  TSvData* Data() const { return FData.get(); }

  // ---- status and progress (uFormMain_Status.cpp) --------------------------------------------------
  static constexpr std::uint32_t KeepMax = 2147483647u;
  void SetStatus(const std::string& Text, std::uint32_t Min, std::uint32_t Max, std::uint32_t Position,
                 bool AddToStartupLog = false, bool ReplaceStartupLine = false, bool EchoToJournal = false);
  platform::SharedMemoryHandle OpenStatusMapping();
  void WMStatusMessage(const QString& Text, const TStatusMessage& Message);
  void LogSystemInformation();
  void RefreshSourceLists();
  QString StatusText() const;   // panel 3
  QString VersionText() const;  // panel 0
  platform::WindowHandle StatusWindow() const;
  platform::SharedMemoryHandle StatusMapping() const { return FStatusMapping; }

  // ---- unhandled errors and feedback upload (uFormMain_Feedback.cpp) --------------------------------
  void HandleApplicationException(QObject* Sender, const std::exception& E);
  void ftpFeedbackStatus(const std::string& AStatusText);
  void ftpFeedbackWorkBegin(std::int64_t AWorkCountMax);
  void ftpFeedbackWork(std::int64_t AWorkCount);
  void ftpFeedbackWorkEnd();

  // ---- selection of places and chosen goods (uFormMain_Selection.cpp) -------------------------------
  void OnFromClick();
  void OnDestClick();
  void FunctionClick();
  // The radio buttons of the hidden location box: they only enable Calculate.
  void rbAnyClick();
  void rbCommodityClick();
  void btAddFromClick();
  void btAddToClick();
  void btDelFromClick();
  void btDelToClick();
  void btDelCommoClick();
  void btClearFromClick();
  void btClearDestClick();
  void btClearClick();
  // Enter in a source list or tree adds its selection.
  void lbFromSystemKeyPress(QChar& Key);
  void lbDestSystemKeyPress(QChar& Key);
  void tvCommoAllKeyPress(QChar& Key);
  void pageCommodityMouseDown(Qt::KeyboardModifiers Shift);
  // No route tab can be closed.
  void tbRoutesTabClosing(TWsCustomTabBar* Sender, TWsTabBarItem* Item, bool& AllowClose);
  // Roots of the commodity tree bold, every other node regular.
  void tvCommoAllCustomDrawItem(TWsTreeView* Sender, TWsTreeNode* Node, QPainter* Painter, QStyleOptionViewItem& Option,
                                bool& DefaultDraw);
  // Hover highlight and the hint line for the control under the mouse.
  void OnMouseMove(QObject* Sender);

  // ---- commodity trees (uFormMain_CommodityTrees.cpp) ----------------------------------------------
  void FillCommodityTrees();
  void btAddCommoClick();

  // ---- route calculation and display (uFormMain_Calculate.cpp) -------------------------------------
  void btCalculateClick();
  void btShowRoutesClick();
  void ShowRoutes();
  // Sorts FRoutes[Lo .. Hi] by profit per unit, highest first; FSortCalls counts the calls.
  void SortRoutes(std::int64_t Lo, std::int64_t Hi);
  const TRouteList& Routes() const { return FRoutes; }
  std::uint32_t SortCalls() const { return FSortCalls; }

  // ---- information page (uFormMain_InfoHandlers.cpp) -----------------------------------------------
  void OnInfClick();
  void FillBaseMarketTrees();
  void FillBaseSellsTree(int Base);
  void lbInfBaseClick();
  void tvInfBaseGoodClick();
  void tvInfBaseGoodCustomDrawItem(TWsTreeView* Sender, TWsTreeNode* Node, QPainter* Painter,
                                   QStyleOptionViewItem& Option, bool& DefaultDraw);
  // ---- debug page (uFormMain_DebugHandlers.cpp) ------------------------------------------------------
  void panBackTopClick();
  void gbOptionsDblClick();
  void btCloseDebugClick();
  void btGroupsClick();
  void btBasesClick();
  void btSystemsClick();
  void btCommosClick();
  void lbSectionClick();
  void lbSectionListClick();
  void Button1Click();

  // ---- about box and small commands (uFormMain_Commands.cpp) ---------------------------------------
  void btInfoClick();
  void btBeendenClick();
  void btClearDefaultClick();
  // The priority switch: only the modifier keys held on the press count.
  void gbControlsMouseDown(Qt::KeyboardModifiers Shift);
  void lbStartupMouseDown(Qt::KeyboardModifiers Shift);

  // ---- update check (uFormMain_Update.cpp) ---------------------------------------------------------
  void WebUpdateBeforeGetInfo(TwuWebUpdate& Sender);
  void WebUpdateAfterGetInfo(TwuWebUpdate& Sender);
  void WebUpdateNoUpdateFound(TwuWebUpdate& Sender);
  void WebUpdateUpdateAvailable(TwuWebUpdate& Sender, const std::string& ActualVersion, const std::string& NewVersion,
                                bool& CanUpdate);
  void WebUpdateBeforeShowInfo(TwuWebUpdate& Sender, bool& ShowInfo, bool& CheckForUpdate);
  void WebUpdateGetClientFileName(TwuWebUpdate& Sender, std::string& FileName);
  void WebUpdateClientFileExists(TwuWebUpdate& Sender, std::string& FileName, bool& Overwrite);
  void WebUpdateBeforeDownload(TwuWebUpdate& Sender, const std::string& FileName);
  void WebUpdateDownload(TwuWebUpdate& Sender, std::int64_t Total, std::int64_t Downloaded);
  void WebUpdateAfterDownload(TwuWebUpdate& Sender, const std::string& FileName);
  void WebUpdateCannotExecute(TwuWebUpdate& Sender);
  void WebUpdateDownloadError(TwuWebUpdate& Sender);
  // The address of the update information page: QMZ.ini's MAIN/UpdateURL when the key is there (an
  // empty value switches the check off), else the page on QMZ.ini's MAIN/UpdateHost or, without that
  // key, on the build's host; empty (no host): no check.
  std::string UpdateInfoUrl() const;
  // The update information page on Host: "http://" unless Host names its scheme, then the page's path.
  // Empty for an empty Host.
  static std::string UpdatePageAddress(const std::string& Host);

  // ---- controls (member name = objectName) ---------------------------------------------------------
  QStatusBar* StatusBar = nullptr;
  TGauge* Progress = nullptr;
  MainPanel* panStartup = nullptr;
  QTextEdit* lbStartup = nullptr;
  QTimer* StartUpTimer = nullptr;
  MainPanel* panBackTop = nullptr;
  MainPanel* panBackHeader = nullptr;
  QTextEdit* reInfo = nullptr;
  QGroupBox* gbOptions = nullptr;
  QGroupBox* gbControls = nullptr;
  MainTabBar* tbRoutes = nullptr;
  MainPageList* plRoutes = nullptr;
  MainPage* pageSource = nullptr;
  MainPage* pageDest = nullptr;
  MainPage* pageCommodity = nullptr;
  MainPage* pageInformation = nullptr;
  MainPage* pageCustomSettings = nullptr;
  // origin page
  QToolButton *btFromBase = nullptr, *btFromSystem = nullptr, *btFromRegion = nullptr, *btFromAny = nullptr;
  MainPageList* plFrom = nullptr;
  MainPage *pageFromBase = nullptr, *pageFromSystem = nullptr, *pageFromRegion = nullptr, *pageFromAny = nullptr;
  QListWidget *lbFromBase = nullptr, *lbFromSystem = nullptr, *lbFromRegion = nullptr, *lbFromAny = nullptr;
  QPushButton *btAddFrom = nullptr, *btDelFrom = nullptr, *btClearFrom = nullptr;
  QListWidget* lbOrigin = nullptr;
  // destination page
  QToolButton *btDestBase = nullptr, *btDestSystem = nullptr, *btDestRegion = nullptr, *btDestAny = nullptr;
  MainPageList* plDest = nullptr;
  MainPage *pageDestBase = nullptr, *pageDestSystem = nullptr, *pageDestRegion = nullptr, *pageDestAny = nullptr;
  QListWidget *lbDestBase = nullptr, *lbDestSystem = nullptr, *lbDestRegion = nullptr, *lbDestAny = nullptr;
  QPushButton *btAddTo = nullptr, *btDelTo = nullptr, *btClearDest = nullptr;
  QListWidget* lbDestination = nullptr;
  // commodity page
  MainTreeView* tvCommoAll = nullptr;
  QPushButton *btAddCommo = nullptr, *btDelCommo = nullptr, *btClear = nullptr;
  QListWidget* lbCommo = nullptr;
  // information page
  QToolButton *btInfBase = nullptr, *btInfGood = nullptr;
  MainPageList* plInformation = nullptr;
  MainPage *pageInfBase = nullptr, *pageInfGood = nullptr;
  QListWidget* lbInfBase = nullptr;
  MainTreeView *tvInfBaseGood = nullptr, *tvInfCommos = nullptr;
  QTextEdit* reInformation = nullptr;
  // calculator controls
  QToolButton *btFuncTrade = nullptr, *btFuncLoot = nullptr;
  QToolButton *btCalculate = nullptr, *btShowRoutes = nullptr;
  MainFloatSpinEdit *edMoney = nullptr, *edRepu = nullptr;
  MainSpinEdit *edCargo = nullptr, *edLinesCount = nullptr, *edLevel = nullptr;
  QCheckBox *cbUnlawful = nullptr, *cbPerishable = nullptr;
  QGroupBox* LocationBox = nullptr;  // hidden
  QRadioButton *rbAny = nullptr, *rbCommodity = nullptr;
  QPushButton *btBeenden = nullptr, *btInfo = nullptr, *btClearDefault = nullptr;
  // debug panel
  MainPanel* panDebug = nullptr;
  QPushButton *btGroups = nullptr, *btCommos = nullptr, *btBases = nullptr, *btSystems = nullptr;
  QPushButton *Button1 = nullptr, *btCloseDebug = nullptr;
  QListWidget *lbSection = nullptr, *lbSectionList = nullptr;
  QTextEdit* reIni = nullptr;
  // the update check
  TwuWebUpdate WebUpdate;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Lifecycle (uFormMain.cpp).
  void BuildControls();
  void ConnectHandlers();
  void StartUpSequence();
  void FillPlaceLists();
  void ShowOwnWindow();
  // Status bar (uFormMain_Status.cpp).
  void BuildStatusBar();
  QLabel* StatusPanel(int index) const;
  // Binds the update check's events, the priority switch and the debug viewer's sender at creation
  // (uFormMain_Commands.cpp).
  void SetUpUpdateAndCommands();
  // Start-up step 9: runs the update check, or ends it at once when no page is configured
  // (uFormMain_Update.cpp).
  void RunUpdateCheck();
  // A line of the update check: status text, start-up log and journal; the gauge unchanged or zero.
  void UpdateLogLine(const std::string& Text, bool GaugeZero = false);
  // Long steps that pump the message queue count themselves busy; a close meanwhile frees the owned
  // objects only when the last of them has returned.
  void EnterBusy() { ++busy_; }
  void LeaveBusy();
  void ReleaseOwned();

 signals:
  // The window was closed: the application ends when control returns to its message loop.
  void closed();

 private:
  // The connections of the information and debug pages that are not button clicks
  // (uFormMain_InfoHandlers.cpp).
  void ConnectInfoAndDebug();
  // The debug page's record lists and a base's market in the route list (uFormMain_DebugHandlers.cpp).
  void FillDebugLists(int Mode);
  void ShowMarketRows(int Base, bool OnlySold);
  // Selection pages (uFormMain_Selection.cpp).
  void ConnectSelection();
  void AddPlaces(int ListMode, const std::array<QListWidget*, 4>& Sources, QListWidget* Chosen);

  MainWindowSetup setup_;
  TJournal* journal_ = nullptr;
  std::unique_ptr<MainWindowDialogs> dialogs_;
  std::unique_ptr<StatusMessageReceiver> receiver_;
  std::shared_ptr<SingleInstance> instance_;
  std::unique_ptr<FeedbackUpload> ftpFeedback;  // the feedback upload's FTP client
  PlacePage* sourcePage_ = nullptr;
  PlacePage* destPage_ = nullptr;
  CommodityPage* commodityPage_ = nullptr;
  InformationPage* informationPage_ = nullptr;
  CalculatorPanel* calculatorPanel_ = nullptr;
  DebugPanel* debugPanel_ = nullptr;
  QLabel* statusPanels_[4] = {};

  // Fields in the order the window keeps them.
  std::unique_ptr<TSvData> FData;
  QReadWriteLock FSynchronizer;
  bool FStopRequested = false;
  bool calculateEnabled_ = false;
  bool showRoutesEnabled_ = false;
  bool FUpdateCheckDone = false;
  bool FUpdateDownloaded = false;
  bool FStartupDone = false;
  platform::SharedMemoryHandle FStatusMapping = 0;
  std::function<void(QObject*, const std::exception&)> FOldOnException;
  bool handlerInstalled_ = false;
  std::vector<std::int32_t> FFromBases, FToBases, FCommodities;
  TRouteList FRoutes;
  std::uint32_t FSortCalls = 0;
  TformGrid* formGrid_ = nullptr;

  // Selection and calculation state.
  std::uint8_t FromListMode = 0;
  std::uint8_t DestListMode = 0;
  QPointer<QObject> LastHintControl;
  bool calculating_ = false;  // a calculation runs: a click on its button only asks it to stop
  bool displaying_ = false;   // a route display runs: the same for its button

  int busy_ = 0;
  bool closing_ = false;  // the window was closed: loading and running steps stop
  bool closed_ = false;
  bool releasePending_ = false;
};

}  // namespace qmz
