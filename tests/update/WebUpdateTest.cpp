#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <filesystem>
#include <tuple>

#include "update/wuWebUpdate.h"
#include "update/wuWebUpdateInfo.h"
#include "support/mRunJournal.h"
#include "util/LocalServer.h"
#include "util/HeapBytes.h"
#include "util/ScopedEnv.h"
#include "util/ScriptedUser.h"
#include "util/QtTestApplication.h"
#include "util/TempDir.h"
#include "update/wuWebUpdate_Page.h"
#include "update/UpdateFixture.h"

QMZ_QT_TEST_APPLICATION("test_update")

namespace qmz {
namespace {

using test::kPageFailed;
using test::RecordingUpdate;
using test::UpdateServer;
using test::WebUpdateTest;
namespace fs = std::filesystem;

TEST_F(WebUpdateTest, EveryOutcomeOfACheckAndNoFileLeftByAFailedDownload) {
  Page("new.html", "1.3.1");
  Page("same.html", "1.3.0.0");
  Page("error.html", "2.0", "/status404/update.bin");
  Page("cancel.html", "2.0");
  Page("self.html", "3.0", "/update.bin",
       "<META NAME=\"wuRedirection\" CONTENT=\"http://127.0.0.1:$PORT/self.html\">\n");
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
      // A page without a length is read.
      {"/nolength/new.html", false, true,
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.3->1.3.1, BeforeShowInfo, GetClientFileName, BeforeDownload, "
       "AfterDownload ok, Open"},
      {"/missing.html", false, false, kPageFailed},
      {"/self.html", false, false, kPageFailed},  // redirections are bounded
      {"/loop", false, false, kPageFailed},
      {"/error.html", false, false,
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.3->2.0, BeforeShowInfo, GetClientFileName, BeforeDownload, "
       "DownloadError, AfterDownload failed"},
      {"/cancel.html", true, false,
       "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.3->2.0, BeforeShowInfo, GetClientFileName, AfterDownload "
       "failed"},
  };
  for (const Case& c : cases) {
    fs::remove(target_);
    RecordingUpdate update(target_, server.Url(c.page));
    bool downloading = false;
    if (c.cancelInDownload) {
      update.OnBeforeDownload = [&downloading](TwuWebUpdate&, const std::string&) { downloading = true; };
      update.OnDownload = [&downloading](TwuWebUpdate& sender, std::int64_t, std::int64_t) {
        if (downloading) sender.Cancel();
      };
    }
    update.ProductInfo.Version = "1.3";
    EXPECT_EQ(update.CheckForUpdate(), c.result) << c.page;
    EXPECT_EQ(update.events, c.events) << c.page;
    EXPECT_EQ(fs::directory_iterator(target_.parent_path()) == fs::directory_iterator(), !c.result) << c.page;
    if (c.result) {
      EXPECT_TRUE(test::ReadWholeFile(target_) == std::string(5000, 'u')) << c.page;
    }
  }
}

TEST_F(WebUpdateTest, RedirectionsAreFollowed) {
  Page("second.html", "7.0");
  Page("first.html", "3.0", "/update.bin",
       "<META NAME=\"wuRedirection\" CONTENT=\"http://127.0.0.1:$PORT/second.html\">\n");
  UpdateServer server(site_);
  RecordingUpdate update({}, server.Url("/first.html"));
  update.OnUpdateAvailable = [](TwuWebUpdate&, const std::string&, const std::string&, bool& canUpdate) {
    canUpdate = false;
  };
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.PageValues().WebVersion, "7.0");
}

TEST_F(WebUpdateTest, DefaultTargetIsAPrivateFolderAndNeverALink) {
  Page("new.html", "9.0");
  UpdateServer server(site_);
  const fs::path tmp = dir_.Path() / "tmp";
  const fs::path elsewhere = dir_.Path() / "elsewhere";
  for (const fs::path& folder : {tmp, elsewhere}) fs::create_directories(folder);
  // What another user could plant in a shared temporary folder: the file's name as a link to a victim.
  const fs::path victim = dir_.Path() / "victim";
  test::WriteWholeFile(victim, "keep");
  fs::create_symlink(victim, tmp / "update.bin");
  test::ScopedEnv env("TMPDIR", tmp.c_str());
  const fs::path folder = tmp / ("qmz-update-" + std::to_string(geteuid()));

  const std::string url = server.Url("/new.html");
  RecordingUpdate update({}, url);
  EXPECT_TRUE(update.CheckForUpdate());
  EXPECT_EQ(update.opened, (folder / "update.bin").string());
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
  EXPECT_EQ(test::ReadWholeFile(victim), "keep");

  // A folder of that name that is a link is not used; nothing is written anywhere.
  fs::remove_all(folder);
  fs::create_directory_symlink(elsewhere, folder);
  RecordingUpdate refused({}, url);
  EXPECT_FALSE(refused.CheckForUpdate());
  EXPECT_EQ(refused.events,
            "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->9.0, BeforeShowInfo, GetClientFileName, DownloadError");
  EXPECT_TRUE(fs::is_empty(elsewhere));

  // A download the owner stores elsewhere neither makes nor checks that folder: no warning, no folder.
  fs::create_directories(target_.parent_path());
  for (const bool linked : {true, false}) {
    SCOPED_TRACE(linked);
    if (!linked) fs::remove(folder);
    fs::remove(target_);
    const auto journal = test::MemoryJournal();
    RecordingUpdate own(target_, url, journal.get());
    EXPECT_TRUE(own.CheckForUpdate());
    EXPECT_FALSE(test::HasText(*journal, "cannot be stored"));
    EXPECT_EQ(fs::is_symlink(folder), linked);
    EXPECT_EQ(fs::exists(fs::symlink_status(folder)), linked);
  }

  // One of ours left open to others is closed, then used.
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::all);
  RecordingUpdate reopened({}, url);
  EXPECT_TRUE(reopened.CheckForUpdate());
  EXPECT_EQ(reopened.opened, (folder / "update.bin").string());
  EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(WebUpdateTest, IncompleteOrUnboundedDownloadsFailWithTheirReasonAndLeaveNoFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"badlength", "Maximum file size exceeded"},
      {"short", "bytes remaining"},
      // Chunked answers carry no length either: completeness rests on the announced length alone.
      {"chunked", "no length"},
      {"huge", "Maximum file size exceeded"},
      {"endless", "no length"},
  };
  for (const auto& [mode, reason] : cases)
    Page(std::string(mode) + ".html", "2.0", "/" + std::string(mode) + "/update.bin");
  UpdateServer server(site_);
  fs::create_directories(target_.parent_path());
  for (const auto& [mode, reason] : cases) {
    SCOPED_TRACE(mode);
    const auto journal = test::MemoryJournal();
    RecordingUpdate update(target_, server.Url("/" + std::string(mode) + ".html"), journal.get());
    update.ProductInfo.Version = "1.0";
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_EQ(update.events,
              "BeforeGetInfo, AfterGetInfo, UpdateAvailable 1.0->2.0, BeforeShowInfo, GetClientFileName, "
              "BeforeDownload, DownloadError, AfterDownload failed");
    EXPECT_TRUE(update.opened.empty());
    EXPECT_TRUE(fs::is_empty(target_.parent_path()));
    EXPECT_TRUE(
        test::HasText(*journal, "Transfer of " + server.Url("/" + std::string(mode) + "/update.bin") + " failed: "));
    EXPECT_TRUE(test::HasText(*journal, reason));
  }
}

TEST_F(WebUpdateTest, PageFetchEndsAtItsDeadlineAndStallsDifferFromRefusalsInTheJournal) {
  Page("same.html", "1.0");
  UpdateServer server(site_);
  const std::pair<std::string, const char*> cases[] = {
      {server.Url("/drip/same.html"), "timed out"},
      {"http://127.0.0.1:1/page.html", "onnect"},
  };
  for (const auto& [url, reason] : cases) {
    SCOPED_TRACE(url);
    const auto journal = test::MemoryJournal();
    RecordingUpdate update({}, url, journal.get());
    update.PageTimeout = std::chrono::milliseconds(1500);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(update.CheckForUpdate());
    EXPECT_LT(clock.elapsed(), 4000);
    EXPECT_EQ(update.events, kPageFailed);
    EXPECT_TRUE(test::HasText(*journal, reason));
  }
}

TEST_F(WebUpdateTest, APageOfBareLineBreaksCostsItsOwnSizeAndIsFreedAfterTheCheck) {
  std::string page(4 * 1024 * 1024 - 200, '\n');
  page += "<META NAME=\"wuProduct\" CONTENT=\"QMZ\">\n<META NAME=\"wuVersion\" CONTENT=\"1.0\">\n";
  test::WriteWholeFile(site_ / "lines.html", page);
  UpdateServer server(site_);
  RecordingUpdate update({}, server.Url("/lines.html"));
  update.ProductInfo.Version = "1.0";
  const std::size_t before = test::HeapBytes();
  std::size_t during = 0;
  update.OnAfterGetInfo = [&during](TwuWebUpdate&) { during = test::HeapBytes(); };
  EXPECT_FALSE(update.CheckForUpdate());
  EXPECT_EQ(update.events, "BeforeGetInfo, NoUpdateFound");
  EXPECT_EQ(update.PageValues().ProductName, "QMZ");
  EXPECT_LT(during, before + 12 * 1024 * 1024);
  EXPECT_LT(test::HeapBytes(), before + 1024 * 1024);
}

TEST(ShowInfoUpdate, ShowsThePageAsTextAndAnswersKeys) {
  Tfrm_ShowInfoUpdate dialog;
  // The buttons stand centred as if 6 pixels separated them, 3 pixels apart, whenever the bottom panel resizes.
  dialog.show();
  for (const auto& [width, ok, cancel] : {std::tuple{522, 183, 261}, {300, 72, 150}, {155, 0, 78}}) {
    dialog.resize(width, dialog.height());
    QApplication::processEvents();
    EXPECT_EQ(dialog.Panel_Bottom->width(), width);
    EXPECT_EQ(dialog.btn_OK->geometry(), QRect(ok, 10, 75, 25)) << width;
    EXPECT_EQ(dialog.btn_Cancel->geometry(), QRect(cancel, 10, 75, 25)) << width;
  }
  EXPECT_EQ(dialog.windowTitle(), "wuWebUpdate");
  EXPECT_TRUE(dialog.chk_FutureUpdate->isChecked());
  dialog.hide();
  // The page is shown as the text it is: nothing it names is fetched or rendered.
  dialog.Navigate("http://127.0.0.1/page.html", "<b>bold</b><img src='missing.png'>");
  EXPECT_EQ(dialog.WebBrowser->toPlainText(), "<b>bold</b><img src='missing.png'>");
  // Marks that reverse the writing direction and control characters are shown as escapes; lines stay lines.
  dialog.Navigate("http://127.0.0.1/page.html", "get\tfile\xE2\x80\xAEgnp.exe\r\nbell\x07\nend");
  EXPECT_EQ(dialog.WebBrowser->toPlainText(), "get\tfile\\u202egnp.exe\nbell\\x07\nend");
  for (const auto& [key, result] :
       {std::pair{Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}}) {
    QTimer::singleShot(0, &dialog, [&dialog, key = key] { QTest::keyClick(&dialog, key); });
    EXPECT_EQ(dialog.exec(), result);
  }
}

TEST(UpdateVersion, ComparesByFormat) {
  struct Case {
    const char* local;
    const char* web;
    TwuVersionFormat format;
    bool newer;
  };
  const Case cases[] = {
      {"1.9", "1.10", vfStandard, true},
      {"2.0", "1.99", vfStandard, false},
      {"1.2", "1.2.1", vfStandard, true},
      {"1.3.0.7", "1.3", vfStandard, false},
      {"1.0", "1", vfStandard, false},
      {"1.x", "1.1", vfStandard, true},
      {"99999999999999999999", "1", vfStandard, false},
      {"1.5", "1.25", vfNumber, false},
      {"1.0", "2.0a", vfNumber, false},
      {"", "2", vfNumber, false},
      // A sign in front is part of the number; only digits, "." and an exponent make one.
      {"1.0", "+2.0", vfNumber, true},
      {"-1", "-0.5", vfNumber, true},
      {"1.0", "2e1", vfNumber, true},
      {"1.0", "inf", vfNumber, false},
      {"1.0", "nan", vfNumber, false},
      {"1.0", "0x10", vfNumber, false},
      {"1.0", "+-2", vfNumber, false},
      {"1.0", "2,5", vfNumber, false},
      {"1.0", " 2", vfNumber, false},
      {"1.9", "1.10", vfString, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.local, c.web, c.format), c.newer) << c.local << " -> " << c.web << " / " << c.format;
  }
}

TEST(UpdatePage, ReadsMetaLinesByTheirRules) {
  const std::string longValue(300, 'x');
  const std::vector<std::string> lines = {
      R"(<meta name="wuProduct" content="ignored: lower-case meta name">)",
      R"(<META NAME="wuProduct" CONTENT="QMZ">)",
      R"(<META NAME="wuVersion" content="1.2">)",
      R"(<META NAME="wuVersion" CONTENT="1.3">)",
      R"(<META NAME="wuDownload" CONTENT=")" + longValue + R"(">)",
      R"(<META NAME="wuAuthor">no content "here")",
      R"(<META NAME="wuUnknown" CONTENT="x">)",
  };
  // Each line ends differently: CR LF, LF and CR all end a line.
  std::string page;
  const char* const ends[] = {"\r\n", "\n", "\r"};
  for (std::size_t i = 0; i < lines.size(); ++i) page += lines[i] + ends[i % 3];
  const UpdatePageValues values = ParseUpdatePage(page, TwuTagInfo());
  EXPECT_EQ(values.ProductName, "QMZ");
  EXPECT_EQ(values.WebVersion, "1.3");
  EXPECT_EQ(values.DownloadUrl, "");
  // Without CONTENT= the value runs from the 9th character of the line to the next quote.
  EXPECT_EQ(values.Author, "ME=");
}

TEST(UpdatePage, UrlsGetAPrefixAndFileNamesFromThePageStayPlain) {
  // A product URL gets a prefix unless it has one.
  TwuProductInfo info;
  const std::pair<const char*, const char*> prefixed[] = {{"host/page", "http://host/page"},
                                                          {"HTTP://Host/x", "HTTP://Host/x"},
                                                          {"https://h/x", "https://h/x"}};
  for (const auto& [given, stored] : prefixed) {
    info.SetURL(given);
    EXPECT_EQ(info.URL(), stored);
  }
  const std::pair<const char*, const char*> cases[] = {
      {"setup.exe", "setup.exe"},
      {"../../etc/passwd", "passwd"},
      {"C:\\Windows\\evil.exe", "evil.exe"},
      {"/abs/olute.bin", "olute.bin"},
      {"..", ""},
      {"dir/", ""},
      {"a\x01"
       "b\n",
       "ab"},
  };
  for (const auto& [name, plain] : cases) EXPECT_EQ(PlainFileName(name), plain) << name;
}

}  // namespace
}  // namespace qmz
