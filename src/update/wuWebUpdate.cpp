#include "update/wuWebUpdate.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QSaveFile>
#include <QUrl>

#include "support/SysUtils.h"
#include "update/wuWebUpdateInfo.h"

namespace qmz {

namespace {

constexpr int kChunkBytes = 1025;
constexpr int kMaxRedirections = 8;
// The information page is a few lines of HTML; a larger answer is not a page of ours.
constexpr std::int64_t kMaxPageBytes = 4 * 1024 * 1024;

QString ToQ(const std::string& text) { return QString::fromStdString(text); }

void Pump() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
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
  // The page names the file; only its plain name is used, so a page cannot place it elsewhere.
  const std::string name = PlainFileName(values_.ClientFileName);
  if (name.empty()) return {};
  return QDir(QDir::tempPath()).filePath(ToQ(name)).toStdString();
}

bool TwuWebUpdate::OpenDownloadedFile(const std::string& FileName) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQ(FileName)));
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
  infoDialog_->Navigate(ProductInfo.URL(), pageLines_);
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
          busy_ = false;
          return true;
        }
      }
    }
  }
  busy_ = false;
  return false;
}

void TwuWebUpdate::GetInfo() {
  for (int pass = 0;; ++pass) {
    const std::string clientFileName = values_.ClientFileName;
    const std::string redirection = values_.Redirection;
    values_ = UpdatePageValues();
    values_.ClientFileName = clientFileName;
    values_.Redirection = redirection;
    const std::string url = redirection.empty() ? ProductInfo.URL() : redirection;
    Transfer(url, {});
    if (!success_) return;
    values_ = ParseUpdatePage(pageLines_, TagInfo);
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
  std::string fileName = GetClientFileName();
  if (OnGetClientFileName) OnGetClientFileName(*this, fileName);
  downloadFile_ = fileName;
  success_ = false;
  if (fileName.empty()) {
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
  Transfer(values_.DownloadUrl, fileName);
  DoAfterDownload(fileName);
}

void TwuWebUpdate::Transfer(const std::string& url, const std::string& fileName) {
  success_ = false;
  total_ = 0;
  lastRead_ = 0;
  downloaded_ = 0;
  try {
    auto transport = transport_(TransportHooks{Pump, [this] { return abort_; }});
    transport->Open(url, UserName, Password);
    if (abort_) return;
    const bool head = transport->WaitHead();
    if (abort_) return;
    // An error page is no page and no download, whatever its body.
    const long status = transport->Status();
    if (head && status >= 200 && status < 300 && TransferBody(*transport, fileName)) {
      success_ = true;
      if (fileName.empty()) pageLines_ = SplitPageLines(pageText_);
      pageText_.clear();
      return;
    }
    pageText_.clear();
    if (abort_) return;
    DoDownloadError();
  } catch (...) {
    // A file that cannot be written or a handler's exception ends the transfer without an error event.
    success_ = false;
    pageText_.clear();
  }
}

bool TwuWebUpdate::TransferBody(HttpTransport& transport, const std::string& fileName) {
  const std::optional<std::int64_t> length = transport.ContentLength();
  total_ = length.value_or(0);
  QSaveFile file(ToQ(fileName));
  if (!fileName.empty() && !file.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot create file");
  char buffer[kChunkBytes];
  while (!abort_) {
    const std::size_t n = transport.Read(buffer, sizeof(buffer));
    if (n == 0) break;
    lastRead_ = static_cast<std::int64_t>(n);
    if (fileName.empty()) {
      if (downloaded_ + lastRead_ > kMaxPageBytes) return false;
      pageText_.append(buffer, n);
    } else if (file.write(buffer, static_cast<qint64>(n)) != static_cast<qint64>(n)) {
      throw std::runtime_error("cannot write file");
    }
    downloaded_ += lastRead_;
    DoDownload();
    Pump();
  }
  // A cancelled, broken or short transfer leaves no file behind: the partial one is dropped.
  if (abort_ || transport.Failed()) return false;
  if (fileName.empty()) return downloaded_ != 0;
  if (length && downloaded_ != *length) return false;
  return file.commit();
}

}  // namespace qmz
