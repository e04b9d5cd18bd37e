// The Calculate button (start, or ask a running calculation to stop), the route sort, and the route display
// that fills the route-list window from the sorted routes with the user's money, cargo, lines and level.
// The calculation itself is in app/core; the window collects the selection, pumps and shows.

#include <QCoreApplication>
#include <exception>
#include <functional>

#include "app/ModelAdapter.h"
#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "app/core/uFormMain_Display.h"
#include "app/core/uFormMain_Sort.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"
#include "widgets/WsSpin_Locale.h"

namespace qmz {

namespace {

// The calculation and display reach the status bar, the message queue and the stop flag through these.
class WindowHooks : public TCalcHooks {
 public:
  explicit WindowHooks(TformMain& form) : form_(form) {}
  void Status(std::string_view Text, std::uint32_t Min, std::uint32_t Max, std::uint32_t Position) override {
    form_.SetStatus(std::string(Text), Min, Max, Position);
  }
  void ProcessMessages() override { QCoreApplication::processEvents(); }
  bool StopRequested() override { return form_.GetStopRequested(); }

 private:
  TformMain& form_;
};

std::vector<TIndex> TagsOf(const QListWidget* list) {
  std::vector<TIndex> tags;
  for (int i = 0; i < list->count(); ++i)
    if (const std::optional<IndexTag> t = TagOf(list->item(i))) tags.emplace_back(t->Index, t->Kind);
  return tags;
}

// The window's working state handed to the calculation for its run and taken back after it, also when
// the calculation raises.
class LentWork {
 public:
  LentWork(std::vector<std::int32_t>& from, std::vector<std::int32_t>& to, std::vector<std::int32_t>& goods,
           TRouteList& routes, std::uint32_t& sortCalls)
      : from_(from), to_(to), goods_(goods), routes_(routes), sortCalls_(sortCalls) {
    work.FFromBases = std::move(from_);
    work.FToBases = std::move(to_);
    work.FCommodities = std::move(goods_);
    work.FRoutes = std::move(routes_);
    work.FSortCalls = sortCalls_;
  }
  ~LentWork() {
    from_ = std::move(work.FFromBases);
    to_ = std::move(work.FToBases);
    goods_ = std::move(work.FCommodities);
    routes_ = std::move(work.FRoutes);
    sortCalls_ = std::uint32_t(std::min<std::uint64_t>(work.FSortCalls, 0xFFFFFFFFu));
  }
  LentWork(const LentWork&) = delete;
  LentWork& operator=(const LentWork&) = delete;

  TCalcWork work;

 private:
  std::vector<std::int32_t>& from_;
  std::vector<std::int32_t>& to_;
  std::vector<std::int32_t>& goods_;
  TRouteList& routes_;
  std::uint32_t& sortCalls_;
};

const char* const kCalculate = "&Calculate";
const char* const kStop = "St&op";
const char* const kReshow = "&Reshow routes";
const char* const kStopDisplay = "&Stop";

}  // namespace

void TformMain::SortRoutes(std::int64_t Lo, std::int64_t Hi) {
  // The gauge moves and the message queue is pumped about every 15 ms (not every 100th call): the sort of
  // a large list runs on several threads and takes seconds. FSortCalls counts the calls of the plain
  // recursion, whose order the threads keep.
  WindowHooks hooks(*this);
  const std::uint64_t calls = qmz::SortRoutes(FRoutes, Lo, Hi, std::bind_front(&SortProgress, std::ref(hooks)));
  FSortCalls = std::uint32_t(std::min<std::uint64_t>(FSortCalls + calls, 0xFFFFFFFFu));
}

void TformMain::btCalculateClick() {
  // Stop branch: a click while a calculation runs (it arrives through the calculation's own message pump)
  // only asks it to stop; whatever the caption says, it never starts a second, nested calculation.
  if (calculating_) {
    btCalculate->setText(QString::fromLatin1(kCalculate));
    SetStopRequested(true);
    SetStatus(" ", 0, 1, 0);
    Log("Calculation stopped by User", jlWarning, journal_);
    return;
  }
  if (!FData) return;

  calculating_ = true;
  EnterBusy();
  const auto closingSteps = [this] {
    btCalculate->setText(QString::fromLatin1(kCalculate));
    if (!GetStopRequested()) {
      SetShowRoutesEnabled(true);
      SetCalculateEnabled(false);
    }
    SetStopRequested(false);
    btShowRoutes->setEnabled(true);
    SetPriorityClass(platform::PriorityClass::Normal, journal_);
    FFromBases = {};
    FToBases = {};
    FCommodities = {};
    Log("<< Begin calculation >>", jlEnd, journal_);
    calculating_ = false;
  };
  std::exception_ptr failure;
  try {
    Log("<< Begin calculation >>", jlBegin, journal_);
    const bool trade = btFuncTrade->isChecked();
    if ((trade && lbOrigin->count() == 0) || lbDestination->count() == 0 || lbCommo->count() == 0) {
      Log("Not all Listboxes have been filled - Calculation cancelled", jlWarning, journal_);
      dialogs_->InformationBox("Calculation cancelled",
                               "Please fill in at least one origin, destination and good.\r\nCalculation cancelled.");
    } else {
      SetPriorityClass(platform::PriorityClass::Normal, journal_);
      SetStopRequested(false);
      btCalculate->setText(QString::fromLatin1(kStop));
      btShowRoutes->setEnabled(false);
      // The routes of the calculation before are given back by the calculation, which pumps meanwhile.
      SetStatus("Calculating... Please wait a few seconds", 0, 1, 0);
      TCalcSelection selection;
      selection.TradeMode = trade;
      if (trade) selection.Origins = TagsOf(lbOrigin);
      selection.Destinations = TagsOf(lbDestination);
      selection.Commodities = TagsOf(lbCommo);
      WindowHooks hooks(*this);
      TCalcEnd end;
      std::size_t found = 0;
      {
        LentWork lent(FFromBases, FToBases, FCommodities, FRoutes, FSortCalls);
        end = FindRoutes(*FData, selection, lent.work, hooks, journal_);
        found = lent.work.FRoutes.Count();
      }
      // After a stop the routes found so far stay unsorted.
      if (end != TCalcEnd::Stopped)
        SortFoundRoutes(FRoutes.Count(), hooks, journal_, [this](std::int64_t Lo, std::int64_t Hi) {
          FSortCalls = 0;
          SortRoutes(Lo, Hi);
        });
      if (end == TCalcEnd::OutOfMemory) dialogs_->Warning(OutOfMemoryText(found));
    }
  } catch (...) {
    // The closing steps run in full, the display of what the list holds included; then the error goes on
    // to the application's handler.
    failure = std::current_exception();
  }
  closingSteps();
  // A window closed meanwhile shows nothing more.
  if (!closing_) {
    try {
      ShowRoutes();
    } catch (...) {
      LeaveBusy();
      throw;
    }
  }
  LeaveBusy();
  if (failure) std::rethrow_exception(failure);
}

void TformMain::btShowRoutesClick() { ShowRoutes(); }

void TformMain::ShowRoutes() {
  TformGrid* grid = formGrid_;
  // 1.
  if (grid) {
    grid->show();
    grid->raise();
  }
  // 2. A click while the display runs only asks it to stop.
  if (displaying_) {
    SetStatus("Priting of routes cancelled", 0, 0, 0, false, false, true);
    SetStopRequested(true);
    return;
  }
  if (!grid || !FData) return;

  // 4.
  displaying_ = true;
  EnterBusy();
  btShowRoutes->setText(QString::fromLatin1(kStopDisplay));
  SetStatus("Printing routes", 0, 0, 0);
  const bool calculateWasEnabled = btCalculate->isEnabled();
  btCalculate->setEnabled(false);
  SetPriorityClass(platform::PriorityClass::Idle, journal_);
  grid->ClearRoutes();

  std::size_t printed = 0;
  const auto finallyPart = [&] {
    // 7.
    grid->lvRoutes->viewport()->update();
    SetStatus(PrintedRoutesText(printed), 0, 1, 0);
    SetPriorityClass(platform::PriorityClass::Normal, journal_);
    SetStopRequested(false);
    btShowRoutes->setText(QString::fromLatin1(kReshow));
    btCalculate->setEnabled(calculateWasEnabled);
    displaying_ = false;
    LeaveBusy();
  };
  try {
    // 5.
    TDisplayOptions options;
    options.Money = edMoney->FloatValue();
    options.Cargo = edCargo->Value();
    options.LinesCount = edLinesCount->Value();
    // A level text that is no number reads as the box's minimum, 1.
    options.Level = edLevel->FloatValue();
    options.Unlawful = cbUnlawful->isChecked();
    options.Perishable = cbPerishable->isChecked();
    options.DecimalSeparator = spinlocale::Current().decimal.toLatin1();
    WindowHooks hooks(*this);
    TRouteTable rows;
    const TDisplayEnd end = BuildRouteRows(*FData, FRoutes, options, hooks, rows);
    printed = rows.Count();
    // 6. Ordered by "Profit", highest first, whatever header was clicked before (not after a stop).
    grid->TakeRoutes(std::move(rows), end == TDisplayEnd::Finished);
  } catch (...) {
    finallyPart();
    throw;
  }
  finallyPart();
}

}  // namespace qmz
