// What the owner of the update component decides through its events and properties: an existing download
// file, the dialog, the desktop's answer, termination, re-entry, credentials and where a request goes.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <stdexcept>
#include <utility>

#include "support/mRunJournal.h"
#include "update/UpdateFixture.h"
#include "update/wuWebUpdateInfo.h"
#include "util/ScriptedUser.h"
#include "util/StatusRecorder.h"

namespace qmz {
namespace {

using test::kPageFailed;
using test::RecordingUpdate;
using test::UpdateServer;
using test::WebUpdateTest;
namespace fs = std::filesystem;

constexpr const char* kUntilDownload =
    "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->2.0, BeforeShowInfo, GetClientFileName";

// Runs the event loop until the application is told to quit, or for at most ms; true when it was told.
bool QuitWithin(int ms) {
  QTimer::singleShot(ms, [] { QCoreApplication::exit(7); });
  return QCoreApplication::exec() == 0;
}

TEST_F(WebUpdateTest, AnExistingDownloadFileIsKeptUnlessTheOwnerLetsItGo) {
  Page("new.html", "2.0");
  UpdateServer server(site_);
  const fs::path elsewhere = dir_.Path() / "program" / "other.bin";
  struct Case {
    const char* name;
    TwuUpdateOptions options;
    bool moveElsewhere;  // the handler names another file and allows overwriting
    bool result;
    const char* events;
  };
  const Case cases[] = {
      {"kept", uoRunUpdate, false, false, ", ClientFileExists 0, DownloadError"},
      {"overwrite option", uoRunUpdate | uoOverwrite, false, true,
       ", ClientFileExists 1, BeforeDownload, AfterDownload ok, Open"},
      {"elsewhere", uoRunUpdate, true, true, ", ClientFileExists 0, BeforeDownload, AfterDownload ok, Open"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteWholeFile(target_, "old");
    test::WriteWholeFile(elsewhere, "old");
    RecordingUpdate update(target_, server.Url("/new.html"));
    update.Options = c.options;
    update.OnClientFileExists = [&](TwuWebUpdate&, std::string& fileName, bool& overwrite) {
      update.Note("ClientFileExists " + std::to_string(overwrite));
      if (c.moveElsewhere) {
        fileName = elsewhere.string();
        overwrite = true;
      }
    };
    EXPECT_EQ(update.CheckForUpdate(), c.result);
    EXPECT_EQ(update.events, std::string(kUntilDownload) + c.events);
    const fs::path written = c.moveElsewhere ? elsewhere : target_;
    EXPECT_EQ(test::ReadWholeFile(written), c.result ? std::string(5000, 'u') : "old");
    EXPECT_EQ(update.opened, c.result ? written.string() : "");
    if (c.moveElsewhere) {
      EXPECT_EQ(test::ReadWholeFile(target_), "old");
    }
  }
}

TEST_F(WebUpdateTest, TheDesktopsAnswerAndTerminationFollowTheOptions) {
  Page("new.html", "2.0");
  fs::create_directories(target_.parent_path());
  UpdateServer server(site_);
  struct Case {
    TwuUpdateOptions options;
    bool openable;
    const char* after;  // the events after the download
    bool quits;
  };
  const Case cases[] = {
      {uoRunUpdate, false, "Open, CannotExecute", false},
      {uoRunUpdate | uoTerminate, false, "Open, CannotExecute", true},
      {uoRunUpdate | uoTerminate, true, "Open", true},
      {uoTerminate, true, "", false},  // nothing was run, so nothing ends
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.options) + (c.openable ? " openable" : ""));
    fs::remove(target_);
    RecordingUpdate update(target_, server.Url("/new.html"));
    update.Options = c.options;
    update.openable = c.openable;
    update.OnCannotExecute = [&update](TwuWebUpdate&) { update.Note("CannotExecute"); };
    EXPECT_TRUE(update.CheckForUpdate());
    EXPECT_EQ(update.events, std::string(kUntilDownload) + ", BeforeDownload, AfterDownload ok" +
                                 (*c.after != '\0' ? ", " : "") + c.after);
    EXPECT_EQ(QuitWithin(c.quits ? 5000 : 200), c.quits);
  }
}

TEST_F(WebUpdateTest, ACheckIsNotReenteredAndAHandlersExceptionLeavesItBusy) {
  Page("same.html", "1.0");
  UpdateServer server(site_);
  RecordingUpdate update({}, server.Url("/same.html"));
  EXPECT_EQ(update.Version(), "1.1");
  update.SetVersion("1.0");
  EXPECT_EQ(update.ProductInfo.Version, "1.0");
  update.OnBeforeGetInfo = [&update](TwuWebUpdate& sender) {
    update.Note("BeforeGetInfo, nested " + std::to_string(sender.CheckForUpdate()));
  };
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.events, "BeforeGetInfo, nested 0, AfterGetInfo, NoUpdateFound");
  // Not busy any more: the next check runs whole.
  update.events.clear();
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.events, "BeforeGetInfo, nested 0, AfterGetInfo, NoUpdateFound");
  // A handler's exception outside a transfer reaches the caller; the component stays busy.
  update.OnAfterGetInfo = [](TwuWebUpdate&) { throw std::runtime_error("owner failed"); };
  EXPECT_THROW(update.CheckForUpdate(), std::runtime_error);
  update.events.clear();
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.events, "");
}

TEST_F(WebUpdateTest, TheDialogShowsTheCaptionsAndItsAnswerDecidesTheDownload) {
  Page("new.html", "2.0");
  fs::create_directories(target_.parent_path());
  UpdateServer server(site_);
  RecordingUpdate update(target_, server.Url("/new.html"));
  update.InfoCaption = {"&Yes", "&No", "Ask &again"};
  update.OnBeforeShowInfo = [&update](TwuWebUpdate&, bool&, bool& checkForUpdate) {
    update.Note("BeforeShowInfo");
    checkForUpdate = false;
  };
  bool confirm = false;
  QString shown;
  update.OnAfterShowInfo = [&](TwuWebUpdate&, bool checkForUpdate) {
    update.Note("AfterShowInfo " + std::to_string(checkForUpdate));
    QTimer::singleShot(0, [&] {
      Tfrm_ShowInfoUpdate* dialog = update.InfoDialog();
      ASSERT_TRUE(dialog != nullptr && dialog->isVisible());
      shown = dialog->btn_OK->text() + "|" + dialog->btn_Cancel->text() + "|" + dialog->chk_FutureUpdate->text() + "|" +
              QString::number(dialog->chk_FutureUpdate->isChecked()) + "|" + dialog->NavigatedUrl();
      QTest::mouseClick(confirm ? dialog->btn_OK : dialog->btn_Cancel, Qt::LeftButton);
    });
  };
  const std::string head = "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->2.0, BeforeShowInfo, AfterShowInfo 0";
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.events, head);
  EXPECT_EQ(shown.toStdString(), "&Yes|&No|Ask &again|0|" + update.ProductInfo.URL());
  Tfrm_ShowInfoUpdate* const first = update.InfoDialog();

  confirm = true;
  update.events.clear();
  EXPECT_TRUE(update.CheckForUpdate());
  EXPECT_EQ(update.events, head + ", GetClientFileName, BeforeDownload, AfterDownload ok, Open");
  EXPECT_EQ(update.InfoDialog(), first);  // made once, kept
}

TEST_F(WebUpdateTest, CredentialsReachTheServer) {
  Page("same.html", "1.0");
  UpdateServer server(site_);
  for (const char* password : {"s3cret", "wrong"}) {
    SCOPED_TRACE(password);
    const auto journal = test::MemoryJournal();
    RecordingUpdate update({}, server.Url("/auth/same.html"), journal.get());
    update.UserName = "tester";
    update.Password = password;
    EXPECT_FALSE(update.CheckForUpdate());
    const bool right = std::string(password) == "s3cret";
    EXPECT_EQ(update.events, right ? "BeforeGetInfo, AfterGetInfo, NoUpdateFound" : kPageFailed);
    EXPECT_EQ(test::HasText(*journal, "status 401"), !right);
  }
}

// Whatever goes wrong inside a transfer, and a cancel, ends it unsuccessful without an error event of its own; the
// check goes on and reports what is missing.
TEST_F(WebUpdateTest, ExceptionsAndACancelInsideATransferEndItWithoutAnErrorEvent) {
  Page("new.html", "2.0");
  UpdateServer server(site_);
  struct Case {
    const char* name;
    std::string page;
    std::function<void(RecordingUpdate&)> arrange;
    const char* events;
    const char* journaled;
  };
  const Case cases[] =
      {
          {"handler throws", "/new.html",
           [](RecordingUpdate& u) {
    u.OnDownload = [](TwuWebUpdate&, std::int64_t, std::int64_t) { throw std::runtime_error("owner failed"); };
           },
           "BeforeGetInfo, AfterGetInfo, DownloadError", "failed: owner failed"},
          {"handler throws no exception", "/new.html",
           [](RecordingUpdate& u) {
    u.OnDownload = [](TwuWebUpdate&, std::int64_t, std::int64_t) { throw 7; };
           },
           "BeforeGetInfo, AfterGetInfo, DownloadError", "failed: an unknown error"},
             {"error handler throws", "/missing.html",
              [](RecordingUpdate& u) {
    u.OnDownloadError = [&u, first = true](TwuWebUpdate&) mutable {
      u.Note("DownloadError");
      if (std::exchange(first, false)) throw std::runtime_error("owner failed");
    };
              },
              kPageFailed, "status 404"},
      {"file cannot be made", "/new.html",
       [this](RecordingUpdate& u) {
    u.OnGetClientFileName = [this](TwuWebUpdate&, std::string& name) {
      name = (dir_.Path() / "missing" / "update.bin").string();
    };
       },
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->2.0, BeforeShowInfo, BeforeDownload, AfterDownload failed",
       "failed: cannot create"},
      // A cancel given before the download stops it before any file is made.
      {"cancelled", "/new.html",
       [this](RecordingUpdate& u) {
    u.OnGetClientFileName = [this](TwuWebUpdate& sender, std::string& name) {
      name = (dir_.Path() / "missing" / "update.bin").string();
      sender.Cancel();
    };
       },
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->2.0, BeforeShowInfo, BeforeDownload, AfterDownload failed",
       "failed: cancelled"},
      };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto journal = test::MemoryJournal();
    RecordingUpdate update({}, server.Url(c.page), journal.get());
    c.arrange(update);
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_EQ(update.events, c.events);
    EXPECT_TRUE(test::HasText(*journal, c.journaled));
  }
  EXPECT_FALSE(fs::exists(dir_.Path() / "missing"));
}

// Sends requests for one made-up host to the loopback server.
class MirroredUpdate : public RecordingUpdate {
 public:
  MirroredUpdate(const fs::path& target, const std::string& url, int port, TJournal* journal)
      : RecordingUpdate(target, url, journal), port_(port) {}

 protected:
  void SplitUrl(const std::string& URL, std::string& Host, std::string& Path) override {
    TwuWebUpdate::SplitUrl(URL, Host, Path);
    if (Host == "update.invalid") Host = "127.0.0.1:" + std::to_string(port_);
  }

 private:
  int port_;
};

TEST_F(WebUpdateTest, RequestsGoWhereSplitUrlSays) {
  struct Split {
    const char* url;
    const char* host;
    const char* path;
  };
  const Split splits[] = {
      {"http://example.invalid/up/page.html", "example.invalid", "/up/page.html"},
      {"HTTPS://Secure.invalid/x", "Secure.invalid", "/x"},
      {"example.invalid/p", "example.invalid", "/p"},
      {"http://example.invalid", "", "example.invalid"},
      // "http://" anywhere cuts the first seven characters, whatever they are.
      {"mirror/?http://x", "?http:", "//x"},
  };
  RecordingUpdate plain({});
  for (const Split& s : splits) {
    std::string host = "?", path = "?";
    plain.SplitUrl(s.url, host, path);
    EXPECT_EQ(host + "|" + path, std::string(s.host) + "|" + s.path) << s.url;
  }

  Page("same.html", "1.0");
  Page("badlink.html", "2.0", "/up date.bin");
  UpdateServer server(site_);
  struct Case {
    const char* url;
    const char* events;
    const char* journaled;
  };
  const Case cases[] = {
      {"http://update.invalid/same.html", "BeforeGetInfo, AfterGetInfo, NoUpdateFound", ""},
      {"http://update.invalid", kPageFailed, "failed: the address names no host"},
      {"http://update.invalid/badlink.html",
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->2.0, BeforeShowInfo, GetClientFileName, BeforeDownload, "
       "DownloadError, AfterDownload failed",
       "failed: the address is malformed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    const auto journal = test::MemoryJournal();
    MirroredUpdate update(target_, c.url, server.Port(), journal.get());
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_EQ(update.events, c.events);
    if (*c.journaled != '\0') {
      EXPECT_TRUE(test::HasText(*journal, c.journaled));
    }
  }
}

}  // namespace
}  // namespace qmz
