#pragma once
// The message and input boxes of the main window, behind one interface so that tests can answer them.
// Texts arrive with the line breaks the program writes (LF CR); the boxes show them as plain lines.

#include <QString>
#include <memory>
#include <string>

class QWidget;

namespace qmz {

class MainWindowDialogs {
 public:
  virtual ~MainWindowDialogs() = default;
  // Error box, button OK.
  virtual void ErrorBox(const std::string& text) = 0;
  // Confirmation box, buttons Yes and No; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;
  // Input box; Cancel yields the default.
  virtual std::string InputBox(const std::string& caption, const std::string& prompt, const std::string& def) = 0;
  // The runtime's plain message box.
  virtual void ShowMessage(const std::string& text) = 0;
  // Information box, button OK.
  virtual void Information(const std::string& text) = 0;
  // Warning box, button OK.
  virtual void Warning(const std::string& text) = 0;
  // A question under its own caption, buttons Yes and No with No the default; true for Yes. Boxes
  // without captions of their own (scripted ones) answer it as a confirmation.
  virtual bool Question(const std::string& caption, const std::string& text) {
    (void)caption;
    return Confirm(text);
  }
  // An information box under its own caption.
  virtual void InformationBox(const std::string& caption, const std::string& text) {
    (void)caption;
    Information(text);
  }

  // A long transfer: shown while it runs, with a way to cancel it. Cancelled also lets queued events
  // (repaints, the cancel click) through.
  virtual void BeginTransfer(const std::string& text) = 0;
  virtual bool TransferCancelled() = 0;
  virtual void EndTransfer() = 0;
};

// The line breaks of the program's texts as a box shows them.
QString DialogText(const std::string& text);

// The boxes with Qt's dialogs, owned by parent.
std::unique_ptr<MainWindowDialogs> MakeQtDialogs(QWidget* parent);

}  // namespace qmz
