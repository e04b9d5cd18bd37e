#include <gtest/gtest.h>

#include <QApplication>
#include <QFrame>
#include <QTimer>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "update/wuWebUpdate.h"
#include "update/wuWebUpdateInfo.h"
#include "update/UpdateServer.h"
#include "util/ScopedEnv.h"
#include "util/TempDir.h"

namespace qmz {
namespace {

namespace fs = std::filesystem;
using test::UpdateServer;

// Records the events of one check; opening a downloaded file is only noted.
class RecordingUpdate : public TwuWebUpdate {
 public:
  explicit RecordingUpdate(const fs::path& target) {
    Options = uoRunUpdate;
    OnBeforeGetInfo = [this](TwuWebUpdate&) { Note("BeforeGetInfo"); };
    OnAfterGetInfo = [this](TwuWebUpdate&) { Note("AfterGetInfo"); };
    OnDownloadError = [this](TwuWebUpdate&) { Note("DownloadError"); };
    OnNoUpdateFound = [this](TwuWebUpdate&) { Note("NoUpdateFound"); };
    OnUpdateAvailable = [this](TwuWebUpdate&, const std::string& actual, const std::string& web, bool&) {
      Note("UpdateAvailable " + actual + "->" + web);
    };
    OnBeforeShowInfo = [this](TwuWebUpdate&, bool& show, bool&) {
      show = false;
      Note("BeforeShowInfo");
    };
    OnGetClientFileName = [this, target](TwuWebUpdate&, std::string& name) {
      if (!target.empty()) name = target.string();
      Note("GetClientFileName");
    };
    OnBeforeDownload = [this](TwuWebUpdate&, const std::string&) { Note("BeforeDownload"); };
    OnAfterDownload = [this](TwuWebUpdate& sender, const std::string&) {
      Note(sender.Success() ? "AfterDownload ok" : "AfterDownload failed");
    };
    OnDownload = [this](TwuWebUpdate&, std::int64_t, std::int64_t) { ++chunks; };
  }

  std::string events;
  int chunks = 0;
  std::string opened;

 protected:
  bool OpenDownloadedFile(const std::string& FileName) override {
    opened = FileName;
    Note("Open");
    return true;
  }

 private:
  void Note(const std::string& event) { events += (events.empty() ? "" : ", ") + event; }
};

class WebUpdateTest : public ::testing::Test {
 protected:
  WebUpdateTest() {
    fs::create_directories(site_);
    test::WriteWholeFile(site_ / "update.bin", std::string(5000, 'u'));
  }

  void Page(const std::string& name, const std::string& version, const std::string& download = "/update.bin",
            const std::string& extra = {}) {
    test::WriteWholeFile(site_ / name,
                         "<html><head>\n<META NAME=\"wuProduct\" CONTENT=\"QMZ\">\n"
                         "<META NAME=\"wuVersion\" CONTENT=\"" +
                             version +
                             "\">\n"
                             "<META NAME=\"wuDownload\" CONTENT=\"http://127.0.0.1:$PORT" +
                             download + "\">\n<META NAME=\"wuClientSideName\" CONTENT=\"../../update.bin\">\n" + extra +
                             "</head></html>\n");
  }

  test::TempDir dir_;
  fs::path site_ = dir_.Path() / "site";
  fs::path target_ = dir_.Path() / "program" / "update.bin";
};

TEST_F(WebUpdateTest, EveryOutcomeOfACheckAndNoFileLeftByAFailedDownload) {
  Page("new.html", "1.3.1", "/nolength/update.bin");
  Page("same.html", "1.3.0.0");
  Page("error.html", "2.0", "/status404/update.bin");
  Page("cancel.html", "2.0");
  UpdateServer server(site_);
  fs::create_directories(target_.parent_path());
  struct Case {
    const char* page;
    bool cancelInDownload;
    bool result;  // also: the file is there
    const char* events;
  };
  const Case cases[] = {
      {"/same.html", false, false, "BeforeGetInfo, AfterGetInfo, NoUpdateFound"},
      // Page and download without a length still complete (the gauge shows no total).
      {"/nolength/new.html", false, true,
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.3->1.3.1, BeforeShowInfo, GetClientFileName, BeforeDownload, "
       "AfterDownload ok, Open"},
      {"/missing.html", false, false, "BeforeGetInfo, DownloadError, AfterGetInfo, DownloadError"},
      {"/error.html", false, false,
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.3->2.0, BeforeShowInfo, GetClientFileName, BeforeDownload, "
       "DownloadError, AfterDownload failed"},
      {"/cancel.html", true, false,
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.3->2.0, BeforeShowInfo, GetClientFileName, AfterDownload "
       "failed"},
  };
  for (const Case& c : cases) {
    fs::remove(target_);
    RecordingUpdate update(target_);
    bool downloading = false;
    if (c.cancelInDownload) {
      update.OnBeforeDownload = [&downloading](TwuWebUpdate&, const std::string&) { downloading = true; };
      update.OnDownload = [&downloading](TwuWebUpdate& sender, std::int64_t, std::int64_t) {
        if (downloading) sender.Cancel();
      };
    }
    update.ProductInfo.Version = "1.3";
    update.ProductInfo.SetURL(server.Url(c.page));
    EXPECT_EQ(update.CheckForUpdate(), c.result) << c.page;
    EXPECT_EQ(update.events, c.events) << c.page;
    EXPECT_EQ(fs::directory_iterator(target_.parent_path()) == fs::directory_iterator(), !c.result) << c.page;
    if (c.result) {
      EXPECT_TRUE(test::ReadWholeFile(target_) == std::string(5000, 'u')) << c.page;
    }
  }
}

TEST_F(WebUpdateTest, RedirectionsAreFollowedAndBounded) {
  Page("second.html", "7.0");
  Page("first.html", "3.0", "/update.bin",
       "<META NAME=\"wuRedirection\" CONTENT=\"http://127.0.0.1:$PORT/second.html\">\n");
  Page("self.html", "3.0", "/update.bin",
       "<META NAME=\"wuRedirection\" CONTENT=\"http://127.0.0.1:$PORT/self.html\">\n");
  UpdateServer server(site_);
  RecordingUpdate update({});
  update.OnUpdateAvailable = [](TwuWebUpdate&, const std::string&, const std::string&, bool& canUpdate) {
    canUpdate = false;
  };
  update.ProductInfo.SetURL(server.Url("/first.html"));
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.PageValues().WebVersion, "7.0");
  for (const char* page : {"/self.html", "/loop"}) {
    update.events.clear();
    update.ProductInfo.SetURL(server.Url(page));
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_EQ(update.events, "BeforeGetInfo, DownloadError, AfterGetInfo, DownloadError") << page;
  }
}

TEST_F(WebUpdateTest, DefaultFileNameIsPlainAndInTheTemporaryFolder) {
  Page("new.html", "9.0");
  UpdateServer server(site_);
  const fs::path tmp = dir_.Path() / "tmp";
  fs::create_directories(tmp);
  test::ScopedEnv env("TMPDIR", tmp.c_str());
  RecordingUpdate update({});
  update.ProductInfo.SetURL(server.Url("/new.html"));
  EXPECT_TRUE(update.CheckForUpdate());
  EXPECT_EQ(update.opened, (tmp / "update.bin").string());
  EXPECT_FALSE(fs::exists(dir_.Path() / "update.bin"));
}

TEST(WebUpdateUrl, GetsAPrefixUnlessItHasOne) {
  TwuProductInfo info;
  EXPECT_EQ(info.URL(), "http://");
  const std::pair<const char*, const char*> cases[] = {{"host/page", "http://host/page"},
                                                       {"HTTP://Host/x", "HTTP://Host/x"},
                                                       {"https://h/x", "https://h/x"}};
  for (const auto& [given, stored] : cases) {
    info.SetURL(given);
    EXPECT_EQ(info.URL(), stored);
  }
}

TEST(ShowInfoUpdate, CentresButtonsAndAnswersKeys) {
  Tfrm_ShowInfoUpdate dialog;
  dialog.Panel_Bottom->resize(522, 41);
  dialog.Panel_BottomResize();
  EXPECT_EQ(dialog.btn_OK->x(), 183);
  EXPECT_EQ(dialog.btn_Cancel->x(), 261);
  for (const auto& [key, result] :
       {std::pair{Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}}) {
    QTimer::singleShot(0, &dialog, [&dialog, key = key] { QTest::keyClick(&dialog, key); });
    EXPECT_EQ(dialog.exec(), result);
  }
}

}  // namespace
}  // namespace qmz
