#include "app/FeedbackUpload.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "BuildConfig.h"
#include "platform/ProfileFile.h"
#include "support/SysUtils.h"

namespace qmz {

namespace {

constexpr const char* kFeedbackSection = "Feedback";

long ReadSeconds(const std::string& iniFileName, const char* key, long fallback) {
  const int value = StrToIntDef(platform::ReadProfileString(iniFileName, kFeedbackSection, key, ""), -1);
  return value > 0 ? value : fallback;
}

}  // namespace

FeedbackConfig DefaultFeedbackConfig() {
  FeedbackConfig c;
  c.Host = QMZ_FEEDBACK_HOST;
  c.Port = StrToIntDef(QMZ_FEEDBACK_PORT, 21);
  c.User = QMZ_FEEDBACK_USER;
  c.Password = QMZ_FEEDBACK_PASSWORD;
  c.ContactEmail = QMZ_CONTACT_EMAIL;
  return c;
}

FeedbackConfig ReadFeedbackConfig(const std::string& iniFileName) {
  FeedbackConfig c = DefaultFeedbackConfig();
  c.Host = platform::ReadProfileString(iniFileName, kFeedbackSection, "Host", c.Host);
  const int port = StrToIntDef(platform::ReadProfileString(iniFileName, kFeedbackSection, "Port", ""), -1);
  if (port > 0 && port < 65536) c.Port = port;
  c.User = platform::ReadProfileString(iniFileName, kFeedbackSection, "User", c.User);
  c.Password = platform::ReadProfileString(iniFileName, kFeedbackSection, "Password", c.Password);
  c.ContactEmail = platform::ReadProfileString(iniFileName, kFeedbackSection, "Contact", c.ContactEmail);
  c.ConnectTimeoutSeconds = ReadSeconds(iniFileName, "ConnectTimeout", c.ConnectTimeoutSeconds);
  c.TransferTimeoutSeconds = ReadSeconds(iniFileName, "TransferTimeout", c.TransferTimeoutSeconds);
  return c;
}

std::string SafeRemoteName(std::string_view name) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                       c == '_' || c == '-';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  // "." and ".." name folders, not files.
  if (out.find_first_not_of('.') == std::string::npos) out = "_" + out;
  return out;
}

std::string FeedbackRemoteName(const std::string& journalFileName, const platform::LocalDateTime& now,
                               const std::string& user, const std::string& computer) {
  const std::string base = std::filesystem::path(journalFileName).filename().string();
  char time[32];
  std::snprintf(time, sizeof time, "%02d_%02d_%02d", now.Hour, now.Minute, now.Second);
  return SafeRemoteName(base + "_" + time + "_" + user + "_" + computer + ".mjf");
}

// The C callbacks of libcurl, with access to the upload's state.
struct FeedbackUploadCallbacks {
  static int Prereq(void* self, char*, char*, int, int) {
    auto* u = static_cast<FeedbackUpload*>(self);
    if (!u->connected_) {
      u->connected_ = true;
      u->transferDeadline_ = std::chrono::steady_clock::now() + u->transferTimeout_;
      u->Status("Connected.");
    }
    return CURL_PREREQFUNC_OK;
  }

  static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
    auto* u = static_cast<FeedbackUpload*>(self);
    if (u->workBegun_ && ulnow != u->lastWork_) {
      u->lastWork_ = ulnow;
      if (u->OnWork) u->OnWork(ulnow);
    }
    // Also asked while the server's last reply is awaited, so this bounds that wait too.
    if (u->connected_ && std::chrono::steady_clock::now() >= u->transferDeadline_) {
      u->timedOut_ = true;
      return 1;
    }
    return (u->CancelRequested && u->CancelRequested()) ? 1 : 0;
  }

  static std::size_t Read(char* buffer, std::size_t size, std::size_t count, void* self) {
    auto* u = static_cast<FeedbackUpload*>(self);
    const auto wanted = static_cast<std::streamsize>(std::min<std::int64_t>(std::int64_t(size * count), u->unsent_));
    u->file_.read(buffer, wanted);
    if (u->file_.gcount() != wanted) {
      u->readError_ = "The file became shorter while it was sent";
      return CURL_READFUNC_ABORT;
    }
    u->unsent_ -= wanted;
    return static_cast<std::size_t>(wanted);
  }
};

bool FeedbackUpload::Append(const FeedbackConfig& config, const std::string& localFile, const std::string& directory,
                            const std::string& remoteName) {
  errorText_.clear();
  readError_.clear();
  connected_ = false;
  workBegun_ = false;
  timedOut_ = false;
  lastWork_ = -1;
  transferTimeout_ = std::chrono::seconds(config.TransferTimeoutSeconds);

  // The journal grows while it is sent (the status lines go into it): send what it holds now.
  file_.close();
  file_.clear();
  file_.open(localFile, std::ios::binary | std::ios::ate);
  const std::streamoff size = file_ ? std::streamoff(file_.tellg()) : -1;
  if (size < 0 || !file_.seekg(0)) {
    file_.close();
    errorText_ = "The file " + localFile + " cannot be read";
    Status("Error: " + errorText_);
    return false;
  }
  unsent_ = size;
  workMax_ = size;

  static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  std::unique_ptr<CURL, void (*)(CURL*)> curl(curlReady ? curl_easy_init() : nullptr, curl_easy_cleanup);
  if (!curl) {
    file_.close();
    errorText_ = "The FTP client could not be started";
    Status("Error: " + errorText_);
    return false;
  }
  CURL* h = curl.get();

  // The name goes into a URL: escape it once more so the server receives it exactly as made above.
  std::unique_ptr<char, void (*)(void*)> escDir(curl_easy_escape(h, directory.c_str(), int(directory.size())),
                                                curl_free);
  std::unique_ptr<char, void (*)(void*)> escName(curl_easy_escape(h, remoteName.c_str(), int(remoteName.size())),
                                                 curl_free);
  const std::string url = "ftp://" + config.Host + ":" + std::to_string(config.Port) + "/" + escDir.get() + "/" +
                          escName.get();

  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERNAME, config.User.c_str());
  curl_easy_setopt(h, CURLOPT_PASSWORD, config.Password.c_str());
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_APPEND, 1L);
  curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
  curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_MULTICWD));
  curl_easy_setopt(h, CURLOPT_READFUNCTION, &FeedbackUploadCallbacks::Read);
  curl_easy_setopt(h, CURLOPT_READDATA, this);
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(workMax_));
  curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, 4096L);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 8192L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, config.ConnectTimeoutSeconds);
  // The connect time-out covers the login; a reply after it, above all the one that follows the data,
  // may take as long as the transfer may (the progress callback holds the transfer to its deadline).
  curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, config.TransferTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, config.ConnectTimeoutSeconds + config.TransferTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &FeedbackUploadCallbacks::Prereq);
  curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &FeedbackUploadCallbacks::Progress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);

  Status("Connecting to " + config.Host + ".");
  // The work events describe the transfer of the one file; they begin once the connection stands.
  workBegun_ = true;
  if (OnWorkBegin) OnWorkBegin(workMax_);
  const CURLcode result = curl_easy_perform(h);
  if (OnWorkEnd) OnWorkEnd();
  workBegun_ = false;
  file_.close();

  if (result == CURLE_OK) {
    Status("Transfer complete.");
    Status("Disconnected.");
    return true;
  }
  if (!readError_.empty()) {
    errorText_ = readError_;
  } else if (timedOut_) {
    errorText_ = "The transfer did not end within " + std::to_string(config.TransferTimeoutSeconds) + " s";
  } else if (result == CURLE_ABORTED_BY_CALLBACK) {
    errorText_ = "The transfer was cancelled";
  } else {
    errorText_ = errorBuffer[0] ? errorBuffer : curl_easy_strerror(result);
  }
  Status("Error: " + errorText_);
  if (connected_) Status("Disconnected.");
  return false;
}

}  // namespace qmz
