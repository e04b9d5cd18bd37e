#pragma once
// Client of the outside debug-output viewer (window class "TfmDebugMonitor"). Sending is skipped
// silently when no viewer is there; the viewer is started at most once per run. Where the viewer's socket
// should be, a link or a socket of someone else gets no text (and no viewer is started).

#include <string>

#include "platform/WindowMessages.h"

namespace qmz {

class TJournal;

// Message types of the class library's message dialogs.
enum TMsgDlgType { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

void SendDebug(const std::string& Msg);
void SendDebugEx(const std::string& Msg, TMsgDlgType MType);
// Starts the viewer program and returns whether its window can now be found.
bool StartDebugWin();

// The packet of one debug text: command, type + 1, the text, two zero bytes.
std::string DebugPacket(const std::string& Msg, TMsgDlgType MType);

// The window that identifies this program to the viewer (the main window's handle), and the journal that
// learns, once a run, why a socket found where the viewer listens was not trusted.
void SetDebugSenderWindow(platform::WindowHandle window, TJournal* journal = nullptr);

// For tests: forget the start-failed flag and wait for a started viewer at most waitMs.
void ResetDebugClient(int waitMs = 3000);

}  // namespace qmz
