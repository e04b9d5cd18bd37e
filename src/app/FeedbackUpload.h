#pragma once
// The feedback upload: appends the run journal to a file in the feedback server's "upload" folder by FTP
// (passive mode, APPE). It runs on the calling thread and reports through callbacks that stand for the
// FTP client's status and work events. Unlike a bare FTP client it has connect and transfer time-outs and
// can be cancelled, so a dead server never freezes the program: the connect time-out bounds reaching and
// logging in to the server, the transfer time-out everything after that up to the server's last reply.

#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

#include "platform/LocalTime.h"

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

class FeedbackUpload {
 public:
  std::function<void(const std::string& statusText)> OnStatus;
  std::function<void(std::int64_t workCountMax)> OnWorkBegin;
  std::function<void(std::int64_t workCount)> OnWork;
  std::function<void()> OnWorkEnd;
  // Asked while the transfer runs; true ends it.
  std::function<bool()> CancelRequested;

  // Appends the local file to directory/remoteName on the server. False when anything failed or it was
  // cancelled; ErrorText then says what.
  bool Append(const FeedbackConfig& config, const std::string& localFile, const std::string& directory,
              const std::string& remoteName);

  const std::string& ErrorText() const { return errorText_; }

 private:
  void Status(const std::string& text) {
    if (OnStatus) OnStatus(text);
  }

  std::string errorText_;
  // The file as it was when the upload began: it is read while it is sent, never held whole.
  std::ifstream file_;
  std::int64_t unsent_ = 0;
  std::string readError_;
  std::chrono::seconds transferTimeout_{0};
  std::chrono::steady_clock::time_point transferDeadline_;
  bool timedOut_ = false;
  std::int64_t lastWork_ = -1;
  bool connected_ = false;
  bool workBegun_ = false;
  std::int64_t workMax_ = 0;

  friend struct FeedbackUploadCallbacks;
};

}  // namespace qmz
