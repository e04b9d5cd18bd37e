#include "app/FeedbackUpload.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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

// What the transfer's thread shares with the caller. The thread holds it as long as it runs, so the
// caller may leave a thread behind that will not end (see Run) without pulling anything from under it.
struct FeedbackTransfer {
  FeedbackTransfer() = default;
  FeedbackTransfer(const FeedbackTransfer&) = delete;
  FeedbackTransfer& operator=(const FeedbackTransfer&) = delete;
  ~FeedbackTransfer() {
    if (fd >= 0) ::close(fd);
  }

  // Ends the transfer and its connection at once. The sockets are shut down, not closed (libcurl closes
  // them): every wait on them ends, a closing QUIT's included, and no new one is opened.
  void Stop() {
    const std::lock_guard lock(mutex);
    stop = true;
    for (const curl_socket_t s : sockets) ::shutdown(s, SHUT_RDWR);
  }

  // Set before the thread starts; then the thread's alone until it says it performed.
  int fd = -1;
  std::int64_t unsent = 0;
  std::chrono::seconds transferTimeout{0};
  std::string readError;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  // Written by the thread before connected is set.
  std::chrono::steady_clock::time_point deadline;
  std::atomic<bool> connected{false};
  std::atomic<std::int64_t> sent{0};
  std::atomic<bool> timedOut{false};
  std::atomic<bool> stop{false};

  std::mutex mutex;
  std::condition_variable changed;
  std::vector<curl_socket_t> sockets;
  CURLcode result = CURLE_OK;
  bool performed = false;  // the transfer is over; its connection may still be closing
  bool finished = false;   // the thread is done
};

namespace {

// How often the caller is asked for a cancel, and how long the closing of a connection may take (the
// server's answer to QUIT, and the end of a transfer that was stopped).
constexpr auto kPollTime = std::chrono::milliseconds(20);
constexpr auto kCloseTime = std::chrono::seconds(1);

// The C callbacks of libcurl, on the transfer's thread.
int Prereq(void* data, char*, char*, int, int) {
  auto* t = static_cast<FeedbackTransfer*>(data);
  if (!t->connected) {
    t->deadline = std::chrono::steady_clock::now() + t->transferTimeout;
    t->connected = true;
  }
  return CURL_PREREQFUNC_OK;
}

int Progress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t ulnow) {
  auto* t = static_cast<FeedbackTransfer*>(data);
  t->sent = std::int64_t(ulnow);
  // Also asked while the server's last reply is awaited, so this bounds that wait too.
  if (t->connected && std::chrono::steady_clock::now() >= t->deadline && !t->stop) {
    t->timedOut = true;
    t->Stop();
  }
  return t->stop ? 1 : 0;
}

std::size_t Read(char* buffer, std::size_t size, std::size_t count, void* data) {
  auto* t = static_cast<FeedbackTransfer*>(data);
  const auto wanted = std::size_t(std::min<std::int64_t>(std::int64_t(size * count), t->unsent));
  std::size_t got = 0;
  while (got < wanted) {
    const ssize_t n = ::read(t->fd, buffer + got, wanted - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += std::size_t(n);
  }
  if (got != wanted) {
    t->readError = "The file became shorter while it was sent";
    return CURL_READFUNC_ABORT;
  }
  t->unsent -= std::int64_t(wanted);
  return wanted;
}

curl_socket_t OpenSocket(void* data, curlsocktype, curl_sockaddr* address) {
  auto* t = static_cast<FeedbackTransfer*>(data);
  const std::lock_guard lock(t->mutex);
  if (t->stop) return CURL_SOCKET_BAD;
  const int s = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
  if (s < 0) return CURL_SOCKET_BAD;
  t->sockets.push_back(s);
  return s;
}

int CloseSocket(void* data, curl_socket_t s) {
  auto* t = static_cast<FeedbackTransfer*>(data);
  const std::lock_guard lock(t->mutex);
  std::erase(t->sockets, s);
  return ::close(s);
}

// The local file, opened without following a link and without blocking (a FIFO in its place would never
// open), when it is a regular file and, with journalFile given, that very file; -1 with why otherwise.
int OpenLocalFile(const std::string& localFile, const std::optional<platform::FileIdentity>& journalFile,
                  std::int64_t& size, std::string& why) {
  const int fd = ::open(localFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  struct stat st {};
  if (fd < 0 || ::fstat(fd, &st) != 0) {
    why = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = "it is not a regular file";
  } else if (journalFile &&
             !(platform::FileIdentity{std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)} == *journalFile)) {
    why = "it is no longer the journal this program writes";
  } else {
    size = st.st_size;
    return fd;
  }
  if (fd >= 0) ::close(fd);
  return -1;
}

}  // namespace

bool FeedbackUpload::Fail(const std::string& text) {
  errorText_ = text;
  Status("Error: " + errorText_);
  return false;
}

bool FeedbackUpload::Append(const FeedbackConfig& config, const std::string& localFile, const std::string& directory,
                            const std::string& remoteName, const std::optional<platform::FileIdentity>& journalFile) {
  errorText_.clear();
  auto transfer = std::make_shared<FeedbackTransfer>();
  transfer->transferTimeout = std::chrono::seconds(config.TransferTimeoutSeconds);

  // The journal grows while it is sent (the status lines go into it): send what it holds now.
  std::int64_t size = 0;
  std::string why;
  transfer->fd = OpenLocalFile(localFile, journalFile, size, why);
  if (transfer->fd < 0) return Fail("The file " + localFile + " cannot be read: " + why);
  transfer->unsent = size;

  static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  CURL* h = curlReady ? curl_easy_init() : nullptr;
  if (h == nullptr) return Fail("The FTP client could not be started");

  // The name goes into a URL: escape it once more so the server receives it exactly as made above.
  std::unique_ptr<char, void (*)(void*)> escDir(curl_easy_escape(h, directory.c_str(), int(directory.size())),
                                                curl_free);
  std::unique_ptr<char, void (*)(void*)> escName(curl_easy_escape(h, remoteName.c_str(), int(remoteName.size())),
                                                 curl_free);
  const std::string url = "ftp://" + config.Host + ":" + std::to_string(config.Port) + "/" + escDir.get() + "/" +
                          escName.get();

  FeedbackTransfer* t = transfer.get();
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERNAME, config.User.c_str());
  curl_easy_setopt(h, CURLOPT_PASSWORD, config.Password.c_str());
  curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(h, CURLOPT_APPEND, 1L);
  curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 1L);
  curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_MULTICWD));
  curl_easy_setopt(h, CURLOPT_READFUNCTION, &Read);
  curl_easy_setopt(h, CURLOPT_READDATA, t);
  curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  curl_easy_setopt(h, CURLOPT_UPLOAD_BUFFERSIZE, 4096L);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, 8192L);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, t->errorBuffer);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, config.ConnectTimeoutSeconds);
  // The connect time-out covers the login; a reply after it, above all the one that follows the data,
  // may take as long as the transfer may (the progress callback holds the transfer to its deadline).
  curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, config.TransferTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_TIMEOUT, config.ConnectTimeoutSeconds + config.TransferTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &Prereq);
  curl_easy_setopt(h, CURLOPT_PREREQDATA, t);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Progress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, t);
  curl_easy_setopt(h, CURLOPT_OPENSOCKETFUNCTION, &OpenSocket);
  curl_easy_setopt(h, CURLOPT_OPENSOCKETDATA, t);
  curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, &CloseSocket);
  curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, t);

  Status("Connecting to " + config.Host + ".");
  // The work events describe the transfer of the one file; they begin once the connection stands.
  if (OnWorkBegin) OnWorkBegin(size);
  const bool connected = Run(config, transfer, h);
  if (OnWorkEnd) OnWorkEnd();
  if (errorText_.empty()) {
    Status("Transfer complete.");
    Status("Disconnected.");
    return true;
  }
  Status("Error: " + errorText_);
  if (connected) Status("Disconnected.");
  return false;
}

bool FeedbackUpload::Run(const FeedbackConfig& config, const std::shared_ptr<FeedbackTransfer>& transfer, void* curl) {
  FeedbackTransfer& t = *transfer;
  CURL* h = static_cast<CURL*>(curl);
  std::thread worker([transfer, h] {
    const CURLcode result = curl_easy_perform(h);
    {
      const std::lock_guard lock(transfer->mutex);
      transfer->result = result;
      transfer->performed = true;
    }
    transfer->changed.notify_all();
    // Closes the connection, with a QUIT when it still stands.
    curl_easy_cleanup(h);
    {
      const std::lock_guard lock(transfer->mutex);
      transfer->finished = true;
    }
    transfer->changed.notify_all();
  });
  // A callback that throws must not drop a running thread (that ends the program): the transfer is stopped
  // and its thread left to end on its own.
  struct StopOnThrow {
    std::thread& worker;
    FeedbackTransfer& t;
    ~StopOnThrow() {
      if (!worker.joinable()) return;
      t.Stop();
      worker.detach();
    }
  } stopOnThrow{worker, t};

  using Clock = std::chrono::steady_clock;
  const auto never = Clock::time_point::max();
  // Backstops to libcurl's own time-outs: a connection not made, a transfer or its closing not ended in
  // time is stopped from here, and a stopped one the thread does not end is left behind.
  auto deadline = Clock::now() + std::chrono::seconds(config.ConnectTimeoutSeconds) + kCloseTime;
  auto closeBy = never;
  auto giveUpAt = never;
  bool connected = false;
  bool cancelled = false;
  bool performed = false;
  bool finished = false;
  std::int64_t shownWork = -1;
  while (!finished) {
    {
      std::unique_lock lock(t.mutex);
      t.changed.wait_for(lock, kPollTime, [&] { return t.finished; });
      performed = t.performed;
      finished = t.finished;
    }
    if (!connected && t.connected) {
      connected = true;
      deadline = t.deadline;
      Status("Connected.");
    }
    if (const std::int64_t sent = t.sent; connected && sent != shownWork) {
      shownWork = sent;
      if (OnWork) OnWork(sent);
    }
    // Asked also while a stopped transfer ends: the caller's window stays live throughout.
    const bool cancel = CancelRequested && CancelRequested();
    if (finished) break;
    const auto now = Clock::now();
    if (performed && closeBy == never) closeBy = now + kCloseTime;
    if (!t.stop) {
      if (!performed && now >= deadline) t.timedOut = true;
      if (!performed && cancel) cancelled = true;
      if (t.timedOut || cancelled || now >= closeBy) t.Stop();
    }
    if (t.stop && giveUpAt == never) giveUpAt = now + kCloseTime;
    if (now >= giveUpAt) break;
  }
  if (finished) worker.join();
  else worker.detach();

  // What the thread writes while it transfers is read only once it has performed.
  const std::lock_guard lock(t.mutex);
  if (t.performed && t.result == CURLE_OK) return connected;
  if (t.performed && !t.readError.empty()) errorText_ = t.readError;
  else if (cancelled) errorText_ = "The transfer was cancelled";
  else if (t.timedOut && connected)
    errorText_ = "The transfer did not end within " + std::to_string(config.TransferTimeoutSeconds) + " s";
  else if (t.timedOut)
    errorText_ = "The server was not reached within " + std::to_string(config.ConnectTimeoutSeconds) + " s";
  else if (!t.performed) errorText_ = "The transfer did not end";
  else errorText_ = t.errorBuffer[0] ? t.errorBuffer : curl_easy_strerror(t.result);
  return connected;
}

}  // namespace qmz
