#pragma once
// The feedback upload: appends the run journal to a file in the feedback server's "upload" folder by FTP
// (passive mode, APPE). It reports through callbacks, on the calling thread, that stand for the FTP client's
// status and work events. Unlike a bare FTP client it has connect and transfer time-outs and
// can be cancelled, so a dead server never freezes the program: the connect time-out bounds reaching and
// logging in to the server, the transfer time-out everything after that up to the server's last reply, and
// a short time-out of its own the closing of the connection. The transfer itself runs on a thread of its
// own, so the caller stays free to keep its window live.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/LocalTime.h"
#include "platform/WholeFile.h"

namespace qmz {

// Where the journal goes. The build's settings give the defaults; QMZ.ini's section "Feedback" may
// override each one ("Host", "Port", "User", "Password", "Contact", "ConnectTimeout", "TransferTimeout";
// the time-outs in seconds).
struct FeedbackConfig {
  std::string Host;
  int Port = 21;
  std::string User;
  std::string Password;
  std::string ContactEmail;
  long ConnectTimeoutSeconds = 20;
  long TransferTimeoutSeconds = 120;
};

FeedbackConfig DefaultFeedbackConfig();
FeedbackConfig ReadFeedbackConfig(const std::string& iniFileName);

// A name a server can store as one file: letters, digits, '.', '_' and '-' stay; every other byte (path
// separators, control characters, blanks, each byte of a non-ASCII character) becomes %XX.
std::string SafeRemoteName(std::string_view name);

// The remote name of an upload: the journal's file name without its folder, "_", the time as hh_mm_ss,
// "_", user, "_", computer, ".mjf"; made safe as above.
std::string FeedbackRemoteName(const std::string& journalFileName, const platform::LocalDateTime& now,
                               const std::string& user, const std::string& computer);

struct FeedbackTransfer;

class FeedbackUpload {
 public:
  // All of these are called on the thread that called Append.
  std::function<void(const std::string& statusText)> OnStatus;
  std::function<void(std::int64_t workCountMax)> OnWorkBegin;
  std::function<void(std::int64_t workCount)> OnWork;
  std::function<void()> OnWorkEnd;
  // Asked about every 20 ms while the transfer runs, its end included (the caller's chance to keep its
  // window live); true ends the transfer.
  std::function<bool()> CancelRequested;

  // Appends the local file to directory/remoteName on the server. Only a regular file reached without a
  // link is sent, and with journalFile given only that very file (the journal's own, whatever its name
  // leads to now). False when anything failed or it was cancelled; ErrorText then says what.
  bool Append(const FeedbackConfig& config, const std::string& localFile, const std::string& directory,
              const std::string& remoteName, const std::optional<platform::FileIdentity>& journalFile = {});

  const std::string& ErrorText() const { return errorText_; }

 private:
  void Status(const std::string& text) {
    if (OnStatus) OnStatus(text);
  }
  bool Fail(const std::string& text);
  // Runs the transfer set up in curl (a libcurl handle, which it takes over) on a thread of its own and waits
  // for it here, asking CancelRequested meanwhile; sets the error text on failure. Whether a connection stood.
  bool Run(const FeedbackConfig& config, const std::shared_ptr<FeedbackTransfer>& transfer, void* curl);

  std::string errorText_;
};

}  // namespace qmz
