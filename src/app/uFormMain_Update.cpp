// The main window's side of the update check at start-up: the handlers of the update component's events,
// which report each stage in the status bar, the start-up log and the journal, ask the user, choose where
// the download goes, and end the start-up wait.

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <limits>

#include "app/uFormGrid.h"
#include "app/uFormMain.h"
#include "BuildConfig.h"
#include "platform/ProfileFile.h"
#include "support/SysUtils.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

// The gauge holds ints: a file larger than that moves it in proportion.
int GaugeValue(std::int64_t value, std::int64_t total) {
  constexpr std::int64_t kMax = std::numeric_limits<int>::max();
  if (value <= 0) return 0;
  if (total <= kMax) return int(std::min(value, kMax));
  return int(value / (total / kMax + 1));
}

// The route-list window's save dialog, opened on the proposed file with "all files" as the filter.
bool ExecDlgSave(QFileDialog& dlgSave, std::string& fileName) {
  const QStringList filters = dlgSave.nameFilters();
  if (filters.size() > 1) dlgSave.selectNameFilter(filters[1]);
  const QFileInfo proposed(QString::fromStdString(fileName));
  dlgSave.setDirectory(proposed.absolutePath());
  dlgSave.selectFile(proposed.fileName());
  if (dlgSave.exec() != QDialog::Accepted || dlgSave.selectedFiles().isEmpty()) return false;
  fileName = dlgSave.selectedFiles().first().toStdString();
  return true;
}

}  // namespace

std::string TformMain::UpdatePageAddress(const std::string& Host) {
  std::string host = Trim(Host);
  while (!host.empty() && host.back() == '/') host.pop_back();
  if (host.empty()) return {};
  const bool hasScheme = host.find("://") != std::string::npos;
  return (hasScheme ? "" : "http://") + host + "/updates/qmz.html";
}

std::string TformMain::UpdateInfoUrl() const {
  const std::string settings = setup_.ProgramFolder + "QMZ.ini";
  // A value never holds a line break: this default says the key is not there.
  const std::string absent = "\n";
  // A whole address, when present, wins also when empty: that is how a user switches the check off.
  const std::string url = platform::ReadProfileString(settings, "MAIN", "UpdateURL", absent);
  if (url != absent) return Trim(url);
  return UpdatePageAddress(platform::ReadProfileString(settings, "MAIN", "UpdateHost", QMZ_UPDATE_HOST));
}

void TformMain::RunUpdateCheck() {
  Log("<< Webupdate >>", jlBegin, journal_);
  try {
    const std::string url = UpdateInfoUrl();
    if (url.empty()) {
      // Nothing to ask: the start-up goes on at once, as after a check that found no information.
      Log("No update information page configured - no update information", jlInfo, journal_);
      FUpdateCheckDone = true;
    } else {
      WebUpdate.ProductInfo.SetURL(url);
      WebUpdate.Journal = journal_;
      WebUpdate.CheckForUpdate();
      // The check has run to its end when it returns. One that ended without any of the events that end
      // the wait would otherwise hold the start-up for ever.
      if (!FUpdateCheckDone) {
        Log("The update check ended without a result - going on", jlWarning, journal_);
        FUpdateCheckDone = true;
      }
    }
  } catch (...) {
    Log("<< Webupdate >>", jlEnd, journal_);
    throw;
  }
  Log("<< Webupdate >>", jlEnd, journal_);
}

void TformMain::UpdateLogLine(const std::string& Text, bool GaugeZero) {
  if (GaugeZero) SetStatus(Text, 0, 0, 0, true, false, true);
  else
    SetStatus(Text, std::uint32_t(std::max(0, Progress->minimum())), KeepMax,
              std::uint32_t(std::max(0, Progress->value())), true, false, true);
}

void TformMain::WebUpdateBeforeGetInfo(TwuWebUpdate&) {
  SetStatus("Checking for an update version - please stay calm....", std::uint32_t(std::max(0, Progress->minimum())),
            KeepMax, std::uint32_t(std::max(0, Progress->value())), true, false, false);
}

void TformMain::WebUpdateAfterGetInfo(TwuWebUpdate& Sender) {
  const UpdatePageValues& page = Sender.PageValues();
  // What the page says goes to the journal and the window escaped: it may hold anything.
  UpdateLogLine(Format("   Product name  : %s", EscapeOutsideText(page.ProductName)));
  UpdateLogLine(Format("   Author        : %s", EscapeOutsideText(page.Author)));
  UpdateLogLine(Format("   Local version : %s", Sender.ProductInfo.Version));
  UpdateLogLine(Format("   Web version   : %s", EscapeOutsideText(page.WebVersion)));
}

void TformMain::WebUpdateNoUpdateFound(TwuWebUpdate&) {
  UpdateLogLine("   No update has been found - you allready have the newest version");
  FUpdateCheckDone = true;
}

void TformMain::WebUpdateUpdateAvailable(TwuWebUpdate& Sender, const std::string&, const std::string&,
                                         bool& CanUpdate) {
  CanUpdate = dialogs_->Confirm(
      Format("There is an update available for this version of QMZ\n\r\rYou are currently using version    : %s\n\r"
             "Version available from Internet is : %s\n\r\rDo you like to update to the newest version now ?",
             Sender.ProductInfo.Version, EscapeOutsideText(Sender.PageValues().WebVersion)));
  if (!CanUpdate) FUpdateCheckDone = true;
}

void TformMain::WebUpdateBeforeShowInfo(TwuWebUpdate&, bool& ShowInfo, bool&) { ShowInfo = false; }

void TformMain::WebUpdateGetClientFileName(TwuWebUpdate& Sender, std::string& FileName) {
  // 1. The program's folder and the name the page gives, reduced to a plain file name so the page cannot
  // place the file anywhere else.
  FileName = setup_.ProgramFolder + PlainFileName(Sender.PageValues().ClientFileName);
  // 2. - 4. The route-list window's save dialog proposes that file with "all files" as the filter.
  std::string chosen = FileName;
  if (formGrid_ && ExecDlgSave(*formGrid_->DlgSave, chosen)) {
    FileName = chosen;
    UpdateLogLine("   Update will be stored at: " + EscapeOutsideText(FileName));
  } else {
    dialogs_->Warning("The file you entered can\u00b4t be created. Download cancelled");
    Sender.Cancel();
    UpdateLogLine("   Update aborted");
  }
}

void TformMain::WebUpdateClientFileExists(TwuWebUpdate&, std::string&, bool& Overwrite) { Overwrite = true; }

void TformMain::WebUpdateBeforeDownload(TwuWebUpdate&, const std::string& FileName) {
  UpdateLogLine("   Now downloading file: " + EscapeOutsideText(FileName));
  SetStatus("", 0, 0, 0);
  UpdateLogLine(
      "   After the download this application will be terminated\n\r   for you to install the newly downloaded version",
      true);
}

void TformMain::WebUpdateDownload(TwuWebUpdate& Sender, std::int64_t Total, std::int64_t Downloaded) {
  // A window closed meanwhile wants no update any more: the transfer stops at its next look at the flag.
  if (closing_) Sender.Cancel();
  // Without an announced length the gauge runs without a maximum.
  Progress->setMinimum(0);
  Progress->setMaximum(GaugeValue(Total, Total));
  Progress->setValue(Total > 0 ? GaugeValue(Downloaded, Total) : 0);
}

void TformMain::WebUpdateAfterDownload(TwuWebUpdate& Sender, const std::string&) {
  if (Sender.Success()) {
    UpdateLogLine("   Update has been downloaded sucessfully", true);
    dialogs_->Information(
        "The Update has been downloaded sucessfully\n\r\rThe zip archive should open automatically in a new window\n\r"
        "You can extract it to a directory of your choice.\n\rQMZ will close now so you can update the exe file.\n\r\r"
        "YOU HAVE TO RESTART QMZ MANUALLY AFTERWARDS");
    FUpdateDownloaded = true;
  }
  FUpdateCheckDone = true;
}

void TformMain::WebUpdateCannotExecute(TwuWebUpdate&) {
  UpdateLogLine("   Downloaded file cannot be executed", true);
  FUpdateCheckDone = true;
}

void TformMain::WebUpdateDownloadError(TwuWebUpdate& Sender) {
  UpdateLogLine("   The document specified \"" + EscapeOutsideText(Sender.ProductInfo.URL()) +
                "\" can not be downloaded");
  FUpdateCheckDone = true;
}

}  // namespace qmz
