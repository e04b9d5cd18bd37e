#pragma once
// The web-update component: fetches the update information page, compares versions, asks its owner
// through events, downloads the new version and opens it. Runs on the calling (GUI) thread and keeps
// the windows live while data arrive.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "update/HttpTransport.h"
#include "update/wuWebUpdate_Page.h"

namespace qmz {

class TJournal;
class Tfrm_ShowInfoUpdate;

enum TwuUpdateOption { uoRunUpdate = 1, uoTerminate = 2, uoOverwrite = 4 };
using TwuUpdateOptions = unsigned;

class TwuProductInfo {
 public:
  const std::string& URL() const { return url_; }
  // Puts "http://" in front unless the address already names http or https.
  void SetURL(const std::string& value);
  std::string Version = "1.0";
  TwuVersionFormat VersionFormat = vfStandard;

 private:
  std::string url_ = "http://";
};

struct TwuInfoCaption {
  std::string OkButton = "&OK";
  std::string CancelButton = "&Cancel";
  std::string CheckForUpdate = "C&heck for updates in the future";
};

using TNotifyEvent = std::function<void(class TwuWebUpdate& Sender)>;
using TDownloadFileEvent = std::function<void(TwuWebUpdate& Sender, const std::string& FileName)>;
using TUpdateAvailableEvent = std::function<void(TwuWebUpdate& Sender, const std::string& ActualVersion,
                                                 const std::string& NewVersion, bool& CanUpdate)>;
using TGetClientFileNameEvent = std::function<void(TwuWebUpdate& Sender, std::string& FileName)>;
using TClientFileExistsEvent = std::function<void(TwuWebUpdate& Sender, std::string& FileName, bool& Overwrite)>;
using TShowInfoEvent = std::function<void(TwuWebUpdate& Sender, bool& ShowInfo, bool& CheckForUpdate)>;
using TAfterShowInfoEvent = std::function<void(TwuWebUpdate& Sender, bool CheckForUpdate)>;
// Total is 0 when the server announced no length.
using TDownloadEvent = std::function<void(TwuWebUpdate& Sender, std::int64_t Total, std::int64_t Downloaded)>;

class TwuWebUpdate {
 public:
  using TransportFactory = std::function<std::unique_ptr<HttpTransport>(TransportHooks)>;

  // The transport defaults to libcurl; tests hand in their own.
  explicit TwuWebUpdate(TransportFactory transport = {});
  virtual ~TwuWebUpdate();
  TwuWebUpdate(const TwuWebUpdate&) = delete;
  TwuWebUpdate& operator=(const TwuWebUpdate&) = delete;

  bool CheckForUpdate();
  void Cancel() { abort_ = true; }

  TwuTagInfo TagInfo;
  TwuProductInfo ProductInfo;
  TwuInfoCaption InfoCaption;
  std::string UserName;
  std::string Password;
  TwuUpdateOptions Options = uoRunUpdate | uoTerminate;
  // The whole fetch of the information page, redirections included, ends within this time.
  std::chrono::milliseconds PageTimeout{30000};
  // Where the reason of every failed transfer is written; none: nowhere.
  TJournal* Journal = nullptr;

  std::string Version() const { return "1.1"; }
  void SetVersion(const std::string& value) { ProductInfo.Version = value; }
  bool Success() const { return success_; }
  const UpdatePageValues& PageValues() const { return values_; }
  Tfrm_ShowInfoUpdate* InfoDialog() const { return infoDialog_.get(); }

  TDownloadEvent OnDownload;
  TNotifyEvent OnDownloadError;
  TNotifyEvent OnNoUpdateFound;
  TNotifyEvent OnBeforeGetInfo;
  TNotifyEvent OnAfterGetInfo;
  TNotifyEvent OnCannotExecute;
  TShowInfoEvent OnBeforeShowInfo;
  TAfterShowInfoEvent OnAfterShowInfo;
  TDownloadFileEvent OnBeforeDownload;
  TDownloadFileEvent OnAfterDownload;
  TClientFileExistsEvent OnClientFileExists;
  TGetClientFileNameEvent OnGetClientFileName;
  TUpdateAvailableEvent OnUpdateAvailable;

 protected:
  virtual void DoDownload();
  virtual void DoDownloadError();
  virtual void DoBeforeDownload(const std::string& FileName);
  virtual void DoAfterDownload(const std::string& FileName);
  virtual void DoNoUpdateFound();
  virtual void DoAfterGetInfo();
  virtual void DoBeforeGetInfo();
  virtual void DoCannotExecute();
  virtual bool ShowInfo();
  virtual std::string GetClientFileName();
  // Opens the downloaded file with the desktop's "open"; false when nothing could open it.
  virtual bool OpenDownloadedFile(const std::string& FileName);
  // Host and path of a URL: the scheme ("https://" at the start, else "http://" found anywhere) is cut off
  // its front, the host runs to the first "/", the path from it; no "/" gives no host and the whole text.
  virtual void SplitUrl(const std::string& URL, std::string& Host, std::string& Path);
  // Shows the information dialog modally; true when it closed with OK.
  virtual bool ExecInfoDialog();

 private:
  void GetInfo();
  void Download();
  // GET url into the page text (fileName empty) or into the file; sets success_.
  void Transfer(const std::string& url, const std::string& fileName, std::chrono::milliseconds timeout);
  // Empty when the whole body arrived, else why not.
  std::string TransferBody(HttpTransport& transport, const std::string& fileName);
  void LogTransferFailure(const std::string& url, const std::string& reason) const;
  void FreePage();

  TransportFactory transport_;
  bool busy_ = false;
  bool abort_ = false;
  bool success_ = false;
  std::string downloadFile_;
  std::string defaultTarget_;  // what GetClientFileName proposed, while a download is prepared
  std::string pageText_;       // the last fetched page while the check runs; freed when it ends
  UpdatePageValues values_;
  std::unique_ptr<Tfrm_ShowInfoUpdate> infoDialog_;
  std::int64_t total_ = 0;
  std::int64_t lastRead_ = 0;
  std::int64_t downloaded_ = 0;
};

}  // namespace qmz
