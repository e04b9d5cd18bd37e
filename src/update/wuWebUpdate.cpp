#include "update/wuWebUpdate.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSaveFile>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/FileSystemInfo.h"
#include "support/SysUtils.h"
#include "support/mGlobalFunctions.h"
#include "support/mRunJournal.h"
#include "update/wuWebUpdateInfo.h"

namespace qmz {

namespace {

constexpr int kChunkBytes = 1025;
constexpr int kMaxRedirections = 8;
// The information page is a few lines of HTML; a larger answer is not a page of ours.
constexpr std::int64_t kMaxPageBytes = 4 * 1024 * 1024;
// No release of ours comes near this; a larger announcement is a broken or hostile server.
constexpr std::int64_t kMaxDownloadBytes = std::int64_t(2) * 1024 * 1024 * 1024;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

void Pump() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

// The user's own folder for downloads under the temporary folder.
std::string DownloadFolder() { return QDir::tempPath().toStdString() + "/qmz-update-" + std::to_string(geteuid()); }

// Why the default target cannot take the download: its folder is made 0700 when missing and used only when
// it is a real folder (no link) of this user that nobody else may enter, and the file is no link. Empty
// when it can.
std::string DefaultTargetProblem(const std::string& file) {
  const std::string folder = DownloadFolder();
  if (!platform::MakePrivateFolder(folder)) return "cannot create " + folder + ": " + std::strerror(errno);
  if (std::string why = platform::PrivateFolderProblem(folder); !why.empty()) return why;
  struct stat info {};
  if (::lstat(file.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) return file + " is a link";
  return {};
}

}  // namespace

void TwuProductInfo::SetURL(const std::string& value) {
  const std::string lower = LowerCase(value.substr(0, 8));
  url_ = (lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0) ? value : "http://" + value;
}

TwuWebUpdate::TwuWebUpdate(TransportFactory transport) : transport_(std::move(transport)) {
  if (!transport_) transport_ = MakeCurlTransport;
}

TwuWebUpdate::~TwuWebUpdate() { Cancel(); }

void TwuWebUpdate::DoDownload() {
  if (OnDownload) OnDownload(*this, total_, downloaded_);
}
void TwuWebUpdate::DoDownloadError() {
  if (OnDownloadError) OnDownloadError(*this);
}
void TwuWebUpdate::DoBeforeDownload(const std::string& FileName) {
  if (OnBeforeDownload) OnBeforeDownload(*this, FileName);
}
void TwuWebUpdate::DoAfterDownload(const std::string& FileName) {
  if (OnAfterDownload) OnAfterDownload(*this, FileName);
}
void TwuWebUpdate::DoNoUpdateFound() {
  if (OnNoUpdateFound) OnNoUpdateFound(*this);
}
void TwuWebUpdate::DoAfterGetInfo() {
  if (OnAfterGetInfo) OnAfterGetInfo(*this);
}
void TwuWebUpdate::DoBeforeGetInfo() {
  if (OnBeforeGetInfo) OnBeforeGetInfo(*this);
}
void TwuWebUpdate::DoCannotExecute() {
  if (OnCannotExecute) OnCannotExecute(*this);
}

std::string TwuWebUpdate::GetClientFileName() {
  // The page names the file; only its plain name is used, so a page cannot place it elsewhere. The shared
  // temporary folder is not written: another user could have put a link under that name there. The folder
  // is made and checked only when the download goes there (see Download).
  const std::string name = PlainFileName(values_.ClientFileName);
  if (name.empty()) return {};
  defaultTarget_ = DownloadFolder() + "/" + name;
  return defaultTarget_;
}

bool TwuWebUpdate::OpenDownloadedFile(const std::string& FileName) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(FileName)));
}

void TwuWebUpdate::SplitUrl(const std::string& URL, std::string& Host, std::string& Path) {
  const std::string lower = LowerCase(URL);
  std::string rest = URL;
  // The product URL keeps an "https://" it was given, so that scheme is cut as whole as "http://" is.
  if (lower.rfind("https://", 0) == 0) rest.erase(0, 8);
  else if (lower.find("http://") != std::string::npos) rest.erase(0, 7);
  const size_t slash = rest.find('/');
  if (slash == std::string::npos) {
    Host.clear();
    Path = rest;
  } else {
    Host = rest.substr(0, slash);
    Path = rest.substr(slash);
  }
}

bool TwuWebUpdate::ExecInfoDialog() { return infoDialog_->exec() == QDialog::Accepted; }

bool TwuWebUpdate::ShowInfo() {
  bool showInfo = true;
  bool checkForUpdate = true;
  if (OnBeforeShowInfo) OnBeforeShowInfo(*this, showInfo, checkForUpdate);
  if (!showInfo) return true;
  if (!infoDialog_) infoDialog_ = std::make_unique<Tfrm_ShowInfoUpdate>();
  infoDialog_->SetCaptions(InfoCaption.OkButton, InfoCaption.CancelButton, InfoCaption.CheckForUpdate);
  infoDialog_->chk_FutureUpdate->setChecked(checkForUpdate);
  infoDialog_->Navigate(ProductInfo.URL(), pageText_);
  if (OnAfterShowInfo) OnAfterShowInfo(*this, infoDialog_->chk_FutureUpdate->isChecked());
  return ExecInfoDialog();
}

bool TwuWebUpdate::CheckForUpdate() {
  if (busy_) return false;
  busy_ = true;
  abort_ = false;
  values_.Redirection.clear();
  DoBeforeGetInfo();
  GetInfo();
  DoAfterGetInfo();
  if (values_.ProductName.empty() || values_.WebVersion.empty()) {
    DoDownloadError();
    success_ = false;
  }
  if (success_) {
    if (!IsNewerVersion(ProductInfo.Version, values_.WebVersion, ProductInfo.VersionFormat)) {
      DoNoUpdateFound();
    } else {
      bool canUpdate = true;
      if (OnUpdateAvailable) OnUpdateAvailable(*this, ProductInfo.Version, values_.WebVersion, canUpdate);
      if (canUpdate && ShowInfo()) {
        Download();
        if (success_) {
          if ((Options & uoRunUpdate) != 0) {
            // The desktop opens the file by its type; the page's run parameters never reach a command line.
            if (!OpenDownloadedFile(downloadFile_)) DoCannotExecute();
            if ((Options & uoTerminate) != 0 && QCoreApplication::instance() != nullptr) {
              QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
            }
          }
          FreePage();
          busy_ = false;
          return true;
        }
      }
    }
  }
  FreePage();
  busy_ = false;
  return false;
}

void TwuWebUpdate::FreePage() {
  pageText_.clear();
  pageText_.shrink_to_fit();
}

void TwuWebUpdate::GetInfo() {
  // One deadline for the page and every page it redirects to: the start-up waits for no more.
  const auto deadline = std::chrono::steady_clock::now() + PageTimeout;
  for (int pass = 0;; ++pass) {
    const std::string clientFileName = values_.ClientFileName;
    const std::string redirection = values_.Redirection;
    values_ = UpdatePageValues();
    values_.ClientFileName = clientFileName;
    values_.Redirection = redirection;
    const std::string url = redirection.empty() ? ProductInfo.URL() : redirection;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                            std::chrono::steady_clock::now());
    Transfer(url, {}, std::max(left, std::chrono::milliseconds(1)));
    if (!success_) return;
    values_ = ParseUpdatePage(pageText_, TagInfo);
    if (values_.Redirection.empty()) return;
    if (pass + 1 >= kMaxRedirections || values_.Redirection == url) {
      // A page that sends us round in circles is a page we could not get.
      values_ = UpdatePageValues();
      success_ = false;
      DoDownloadError();
      return;
    }
  }
}

void TwuWebUpdate::Download() {
  defaultTarget_.clear();
  std::string fileName = GetClientFileName();
  if (OnGetClientFileName) OnGetClientFileName(*this, fileName);
  if (!fileName.empty() && fileName == defaultTarget_) {
    if (const std::string why = DefaultTargetProblem(fileName); !why.empty()) {
      Log("The update cannot be stored: " + EscapeOutsideText(why), jlWarning, Journal);
      fileName.clear();
    }
  }
  downloadFile_ = fileName;
  success_ = false;
  if (fileName.empty()) {
    // Nowhere to store the update (the page named no file, or the owner cleared the name): an error, not a
    // transfer into nothing that would fail unseen and still count as done.
    DoDownloadError();
    return;
  }
  if (QFileInfo::exists(ToQ(fileName))) {
    bool overwrite = (Options & uoOverwrite) != 0;
    if (OnClientFileExists) OnClientFileExists(*this, fileName, overwrite);
    downloadFile_ = fileName;
    if (!overwrite) {
      DoDownloadError();
      return;
    }
  }
  DoBeforeDownload(fileName);
  Transfer(values_.DownloadUrl, fileName, std::chrono::milliseconds(0));
  DoAfterDownload(fileName);
}

void TwuWebUpdate::Transfer(const std::string& url, const std::string& fileName, std::chrono::milliseconds timeout) {
  success_ = false;
  total_ = 0;
  lastRead_ = 0;
  downloaded_ = 0;
  FreePage();
  std::string reason;
  try {
    const std::int64_t maxBytes = fileName.empty() ? kMaxPageBytes : kMaxDownloadBytes;
    auto transport = transport_(TransportHooks{Pump, [this] { return abort_; }, timeout, maxBytes});
    // The request goes to the host and path SplitUrl finds, so a derived component decides where it goes.
    std::string host, path;
    SplitUrl(url, host, path);
    if (host.empty()) {
      reason = "the address names no host";
    } else {
      const bool secure = LowerCase(url).rfind("https://", 0) == 0;
      transport->Open((secure ? "https://" : "http://") + host + path, UserName, Password);
      const bool head = !abort_ && transport->WaitHead();
      // An error page is no page and no download, whatever its body.
      const long status = transport->Status();
      if (abort_) reason = "cancelled";
      else if (!head) reason = transport->ErrorText();
      else if (status < 200 || status >= 300) reason = "the server answered with status " + std::to_string(status);
      else reason = TransferBody(*transport, fileName);
    }
    if (reason.empty()) {
      success_ = true;
      pageText_.shrink_to_fit();
      return;
    }
  } catch (const std::exception& e) {
    // A file that cannot be written, or a handler's exception, ends the transfer without an error event.
    FreePage();
    LogTransferFailure(url, e.what());
    return;
  } catch (...) {
    FreePage();
    LogTransferFailure(url, "an unknown error");
    return;
  }
  FreePage();
  LogTransferFailure(url, reason.empty() ? std::string("the transfer failed") : reason);
  if (abort_) return;
  try {
    DoDownloadError();
  } catch (...) {
    // A handler's exception ends the transfer like any other failure.
  }
}

void TwuWebUpdate::LogTransferFailure(const std::string& url, const std::string& reason) const {
  Log("Transfer of " + EscapeOutsideText(url) + " failed: " + EscapeOutsideText(reason), jlWarning, Journal);
}

std::string TwuWebUpdate::TransferBody(HttpTransport& transport, const std::string& fileName) {
  const bool toFile = !fileName.empty();
  const std::optional<std::int64_t> length = transport.ContentLength();
  total_ = length.value_or(0);
  if (toFile) {
    // The announced length is the only way to tell a whole file from a cut one.
    if (!length) return "the server announced no length";
    if (*length > kMaxDownloadBytes)
      return "the announced length of " + std::to_string(*length) + " bytes is too large";
    const std::optional<std::int64_t> free = platform::FreeBytesAvailable(
        std::filesystem::path(fileName).parent_path());
    if (free && *length > *free)
      return std::to_string(*length) + " bytes do not fit into the " + std::to_string(*free) + " bytes free";
  }
  // No more than announced (or than a page may hold) is ever taken.
  const std::int64_t limit = toFile ? *length : kMaxPageBytes;
  QSaveFile file(ToQ(fileName));
  if (toFile && !file.open(QIODevice::WriteOnly))
    throw std::runtime_error("cannot create " + fileName + ": " + file.errorString().toStdString());
  char buffer[kChunkBytes];
  while (!abort_) {
    const std::size_t n = transport.Read(buffer, sizeof(buffer));
    if (n == 0) break;
    lastRead_ = static_cast<std::int64_t>(n);
    if (downloaded_ + lastRead_ > limit) return "more than " + std::to_string(limit) + " bytes arrived";
    if (!toFile) {
      pageText_.append(buffer, n);
    } else if (file.write(buffer, static_cast<qint64>(n)) != static_cast<qint64>(n)) {
      throw std::runtime_error("cannot write " + fileName + ": " + file.errorString().toStdString());
    }
    downloaded_ += lastRead_;
    DoDownload();
    Pump();
  }
  // A cancelled, broken or short transfer leaves no file behind: the partial one is dropped.
  if (abort_) return "cancelled";
  if (transport.Failed()) return transport.ErrorText();
  if (!toFile) return downloaded_ != 0 ? std::string() : "the page is empty";
  if (downloaded_ != *length) return std::to_string(downloaded_) + " of " + std::to_string(*length) + " bytes arrived";
  if (!file.commit()) throw std::runtime_error("cannot write " + fileName + ": " + file.errorString().toStdString());
  return {};
}

}  // namespace qmz
