// The status display of the main window: status text, gauge, start-up log, the progress channel's
// receiving end, and the system information that opens every journal.

#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "app/ModelAdapter.h"
#include "app/StatusMessageReceiver.h"
#include "app/uFormMain.h"
#include "platform/ExePath.h"
#include "support/dwDrives.h"
#include "support/dwWinSystem.h"
#include "support/mRunJournal.h"
#include "widgets/WsPlainText.h"

namespace qmz {

void TformMain::BuildStatusBar() {
  StatusBar = new QStatusBar(this);
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setSizeGripEnabled(false);
  setStatusBar(StatusBar);
  // Panels: 0 version text, 1 separator, 2 the gauge's place, 3 the status text (takes the rest).
  static constexpr int widths[4] = {110, 2, 120, 50};
  for (int i = 0; i < 4; ++i) {
    statusPanels_[i] = new QLabel(StatusBar);
    statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    statusPanels_[i]->setMinimumWidth(widths[i]);
    statusPanels_[i]->setTextFormat(Qt::PlainText);
  }
  statusPanels_[0]->setFixedWidth(widths[0]);
  statusPanels_[0]->setAlignment(Qt::AlignCenter);
  statusPanels_[0]->setFrameStyle(QFrame::Panel | QFrame::Raised);
  statusPanels_[0]->setText(QStringLiteral("  :: V0.0.0"));
  statusPanels_[1]->setFixedWidth(widths[1]);
  statusPanels_[1]->setFrameStyle(QFrame::VLine | QFrame::Sunken);
  statusPanels_[2]->setFixedWidth(widths[2]);
  StatusBar->addWidget(statusPanels_[0]);
  StatusBar->addWidget(statusPanels_[1]);
  StatusBar->addWidget(statusPanels_[2]);
  StatusBar->addWidget(statusPanels_[3], 1);

  // The gauge lies over panel 2, 4 pixels in from each side: no frame, no percentage, a navy bar.
  Progress = new TGauge(statusPanels_[2]);
  Progress->setObjectName(QStringLiteral("Progress"));
  Progress->setTextVisible(false);
  Progress->setRange(0, 100);
  Progress->setValue(0);
  Progress->setStyleSheet(QStringLiteral(
      "QProgressBar { border: none; background: palette(button); } QProgressBar::chunk { background: navy; }"));
  Progress->setGeometry(4, 2, widths[2] - 8, 14);
}

QLabel* TformMain::StatusPanel(int index) const { return statusPanels_[index]; }
QString TformMain::StatusText() const { return statusPanels_[3]->text(); }
QString TformMain::VersionText() const { return statusPanels_[0]->text(); }
platform::WindowHandle TformMain::StatusWindow() const { return receiver_->Window(); }

void TformMain::SetStatus(const std::string& Text, std::uint32_t Min, std::uint32_t Max, std::uint32_t Position,
                          bool AddToStartupLog, bool ReplaceStartupLine, bool EchoToJournal) {
  // A value the gauge cannot hold (-1 passed unsigned, for one) changes nothing at all.
  if (Max > KeepMax || Min > KeepMax || Position > KeepMax) return;
  if (EchoToJournal) Log(Text, jlAction, journal_);
  if (ReplaceStartupLine) {
    QTextCursor cursor(lbStartup->document()->lastBlock());
    cursor.select(QTextCursor::BlockUnderCursor);
    // The first block has no line break in front of it to keep.
    if (lbStartup->document()->blockCount() > 1) {
      cursor.removeSelectedText();
      cursor.insertBlock();
    } else {
      cursor.select(QTextCursor::LineUnderCursor);
      cursor.removeSelectedText();
    }
    cursor.insertText(ToQString(Text));
    return;
  }
  if (!Text.empty()) statusPanels_[3]->setText(ToQString(" " + Text));
  Progress->setMinimum(int(Min));
  if (Max != KeepMax) Progress->setMaximum(int(Max));
  Progress->SetProgress(int(Position));
  StatusBar->repaint();
  if (AddToStartupLog && !Text.empty()) {
    // A line break of the program's texts (LF CR) is one break here too.
    AppendPlainText(lbStartup, DialogText(Text));
    lbStartup->moveCursor(QTextCursor::End);
    lbStartup->ensureCursorVisible();
    repaint();
  }
}

platform::SharedMemoryHandle TformMain::OpenStatusMapping() {
  // Creates the block or opens the one another process made; both processes then share it. A block that
  // another user could read or shrink is not used: progress then shows nowhere, and the journal says why.
  std::string refusal;
  const platform::SharedMemoryHandle handle = platform::CreateOrOpenSharedMemory(setup_.StatusMappingName,
                                                                                 kStatusMappingSize, nullptr, &refusal);
  if (!refusal.empty()) Log(refusal, jlWarning, journal_);
  return handle;
}

void TformMain::WMStatusMessage(const QString& Text, const TStatusMessage& Message) {
  if (FStatusMapping != 0)
    SetStatus(FromQString(Text), std::uint32_t(Message.Min), std::uint32_t(Message.Max),
              std::uint32_t(Message.Position), Message.AddToStartupLog, Message.ReplaceStartupLine,
              Message.EchoToJournal);
  // The loader runs on this thread: this is where the window repaints and the user's clicks arrive.
  QCoreApplication::processEvents();
}

void TformMain::LogSystemInformation() {
  const char drive = GetExeDrive();
  const std::string fileSystem = GetDriveFileSystem(drive);
  Log("System Information", jlStart, journal_);
  LogFmt("System = %s", {GetOSName()}, jlData, journal_);
  LogFmt("ServicePack = %s", {GetServicePackText()}, jlData, journal_);
  LogFmt("Language = %s", {GetSystemLanguageName()}, jlData, journal_);
  LogFmt("User is Admin = %s", {IsAdmin() ? "True" : "False"}, jlData, journal_);
  LogFmt("Application = %s", {platform::ExecutablePath()}, jlData, journal_);
  Log("Screen count = " + std::to_string(QGuiApplication::screens().size()), jlData, journal_);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect full = screen ? screen->geometry() : QRect();
  const QRect work = screen ? screen->availableGeometry() : QRect();
  LogFmt("Screen Resolution = %d x %d", {full.width(), full.height()}, jlData, journal_);
  LogFmt("WorkSpace Resolution = %d x %d", {work.width(), work.height()}, jlData, journal_);
  // A program outside every drive letter has no drive to test: the block still ends normally.
  std::string writeProtected = "n/a";
  try {
    writeProtected = IsDriveWriteProtected(drive) ? "True" : "False";
  } catch (const EAssertionFailed&) {
  }
  LogFmt("Disk is write protected = %s", {writeProtected}, jlData, journal_);
  LogFmt("Free Space on drive = %d", {GetDriveFree(drive)}, jlData, journal_);
  LogFmt("Filesystem = %s", {fileSystem}, jlData, journal_);
}

void TformMain::RefreshSourceLists() {
  lbSection->clear();
  lbSectionList->clear();
  reIni->clear();
}

}  // namespace qmz
