// The unhandled-error handler of the main window and the feedback upload of the journal.

#include <typeinfo>

#include "app/FeedbackUpload.h"
#include "app/QmzApplication.h"
#include "app/uFormMain.h"
#include "support/mRunJournal.h"

namespace qmz {

namespace {

const char* const kErrorText =
    "An Error occured\n\r\r%s\n\r\rPlease close the application and restart it with the command line\n\r"
    "parameter /debug. If the error still occurs, contact me via eMail at\n\r\rMailto: ";
const char* const kErrorTail =
    "  Subject: QMZ Error\n\r\rYou need to add the following file as an atachment to the mail:\n\r";
const char* const kAgentQuestion =
    "     Quality Feedback Agent   \n\r=-=-=-=-=-=-=-=-=-=-=-=-=-=\n\r\rYou can use the integrated QFA to "
    "automatically send the debug information\n\rto the author\u00b4s website. No personal information are "
    "included, only a copy\n\rof the following file is transferred !\n\r\r%s\n\r\rYou can assist me in improving "
    "this tool by using the QFA - Thanks for your help\n\r\rDo you want to use the Feedback agent now ?";
const char* const kSendingText =
    "Now sending information\n\r\rDepending on your internet connection this could take a while\n\rPlease start "
    "your internet connection now, and possibly allow QMZ\n\rto comunicate with the internet.\n\rThe GUI now won"
    "\u00b4t react to your inputs until the information are sent\n\ror the transfer failed. The current status is "
    "shown in the Status Bar\n\rat the bottom of the tool. The Progress Indicator gives you a feeling\n\rfor the "
    "amount of time which is needed to transfer.";
const char* const kSuccessText =
    "Feedback Agent finished successfully. Thank you for investing\n\ryour time in improving this tool !\n\r\r"
    "You can try to work on now - if the error keeps occuring\n\rplease wait for an update, fixing this problem";
const char* const kFailedText = "The Quality Feedback Agent could not send the information:\n\r\r%s";
const char* const kAgentLine = "<< Quality Feedback Agent >> ";

}  // namespace

void TformMain::HandleApplicationException(QObject* Sender, const std::exception& E) {
  const std::string fileName = journal_ ? journal_->FileName() : std::string();
  // A named object stands for a component; an unnamed one for a plain object.
  const std::string className = ExceptionClassName(E);
  const std::string senderClass = Sender ? Sender->metaObject()->className() : "QObject";
  if (Sender && !Sender->objectName().isEmpty())
    LogFmt("   EXCEPTION  : <%s>  \"%s\"  raised by [%s] %s",
           {className, E.what(), senderClass, Sender->objectName().toStdString()}, jlError, journal_);
  else LogFmt("   EXCEPTION  : <%s> \"%s\"  raised by [%s]", {className, E.what(), senderClass}, jlError, journal_);
  const FeedbackConfig config = ReadFeedbackConfig(setup_.ProgramFolder + "QMZ.ini");
  dialogs_->ErrorBox(Format(kErrorText, E.what()) + config.ContactEmail + kErrorTail + fileName);
  if (!dialogs_->Confirm(Format(kAgentQuestion, fileName))) return;
  const std::string name = dialogs_->InputBox("Optional Information", "If you like you can give me you name",
                                              "Anonymous");
  const std::string mail = dialogs_
                               ->InputBox("Optional Information",
                                          "For answering you and giving tipps\n\rI need your mail adress (optional)",
                                          "na");
  dialogs_->ShowMessage(kSendingText);
  Log(kAgentLine, jlBegin, journal_);
  try {
    LogFmt("Name: %s", {name}, jlSystem, journal_);
    LogFmt("Mail: %s", {mail}, jlSystem, journal_);
    const std::string remoteName = FeedbackRemoteName(fileName, platform::LocalNow(), GetCurrentUserName(),
                                                      GetLocalComputerName());
    SetStatus(" ", 0, 0, 0, true);
    SetStatus("Using Quality Feedback Agent", 0, 0, 0, true);
    ftpFeedback->OnStatus = [this](const std::string& text) { ftpFeedbackStatus(text); };
    ftpFeedback->OnWorkBegin = [this](std::int64_t max) { ftpFeedbackWorkBegin(max); };
    ftpFeedback->OnWork = [this](std::int64_t count) { ftpFeedbackWork(count); };
    ftpFeedback->OnWorkEnd = [this] { ftpFeedbackWorkEnd(); };
    ftpFeedback->CancelRequested = [this] { return dialogs_->TransferCancelled(); };
    dialogs_->BeginTransfer("Sending the journal to the feedback server...");
    // Only the file the journal writes is sent, whatever its name leads to by now.
    const bool sent = ftpFeedback->Append(config, fileName, "upload", remoteName,
                                          journal_ ? journal_->OpenedFile() : std::nullopt);
    dialogs_->EndTransfer();
    // A failure is told, not only left in the status bar.
    if (sent) dialogs_->Information(kSuccessText);
    else dialogs_->Warning(Format(kFailedText, ftpFeedback->ErrorText()));
  } catch (...) {
    Log(kAgentLine, jlEnd, journal_);
    throw;
  }
  Log(kAgentLine, jlEnd, journal_);
}

void TformMain::ftpFeedbackStatus(const std::string& AStatusText) {
  SetStatus("   " + AStatusText, std::uint32_t(Progress->minimum()), std::uint32_t(Progress->maximum()),
            std::uint32_t(Progress->value()), false, false, true);
}

void TformMain::ftpFeedbackWorkBegin(std::int64_t AWorkCountMax) {
  Progress->setMaximum(int(std::min<std::int64_t>(AWorkCountMax, KeepMax)));
}

void TformMain::ftpFeedbackWork(std::int64_t AWorkCount) {
  Progress->setValue(int(std::min<std::int64_t>(AWorkCount, Progress->maximum())));
}

void TformMain::ftpFeedbackWorkEnd() { Progress->setValue(0); }

}  // namespace qmz
