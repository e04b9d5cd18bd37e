// Where the start-up looks for the update information page: its path on a host that the build or
// QMZ.ini sets, or a whole address from QMZ.ini; the gauge during the download.

#include <limits>

#include "BuildConfig.h"
#include "MainWindowFixture.h"
#include "platform/ProfileFile.h"
#include "util/LocalServer.h"

namespace qmz::test {

namespace {

namespace fs = std::filesystem;

TEST(UpdatePageAddress, ThePagesPathOnTheHost) {
  EXPECT_EQ(TformMain::UpdatePageAddress("updates.example.org"), "http://updates.example.org/updates/qmz.html");
  EXPECT_EQ(TformMain::UpdatePageAddress(" 127.0.0.1:8080 "), "http://127.0.0.1:8080/updates/qmz.html");
  EXPECT_EQ(TformMain::UpdatePageAddress("https://qmz.example.org/"), "https://qmz.example.org/updates/qmz.html");
  EXPECT_EQ(TformMain::UpdatePageAddress(""), "");
  EXPECT_EQ(TformMain::UpdatePageAddress(" / "), "");
}

class UpdateHostTest : public MainWindowTest {
 protected:
  void Set(const char* key, const std::string& value) {
    ASSERT_TRUE(platform::WriteProfileString(folder.Str() + "/QMZ.ini", "MAIN", key, value));
  }
  void Unset(const char* key) { platform::DeleteProfileKey(folder.Str() + "/QMZ.ini", "MAIN", key); }

  TempDir siteDir;
};

TEST_F(UpdateHostTest, TheHostsPageUnlessQmzIniNamesAWholeAddress) {
  fs::create_directories(siteDir.Path() / "updates");
  WriteWholeFile(siteDir.Path() / "updates" / "qmz.html", UpdatePage("1.0.0.0", "/qmz_update.zip", "qmz_update.zip"));
  UpdateServer server(siteDir.Path());
  const std::string host = "127.0.0.1:" + std::to_string(server.Port());
  // Without a host of the build's or QMZ.ini's there is no check.
  EXPECT_EQ(CreatedWindow()->UpdateInfoUrl(), TformMain::UpdatePageAddress(QMZ_UPDATE_HOST));
  // QMZ.ini's host: the page's path on it is asked.
  Set("UpdateHost", host);
  {
    auto w = StartWindow();
    EXPECT_TRUE(w->StartupDone());
    EXPECT_EQ(w->WebUpdate.ProductInfo.URL(), "http://" + host + "/updates/qmz.html");
    EXPECT_NE(w->lbStartup->toPlainText().toStdString().find("No update has been found"), std::string::npos);
  }
  // A whole address wins over the host; empty, it switches the check off.
  Set("UpdateURL", server.Url("/elsewhere.html"));
  EXPECT_EQ(CreatedWindow()->UpdateInfoUrl(), server.Url("/elsewhere.html"));
  Set("UpdateURL", "");
  EXPECT_EQ(CreatedWindow()->UpdateInfoUrl(), "");
  // An empty host switches it off too.
  Unset("UpdateURL");
  Set("UpdateHost", "");
  EXPECT_EQ(CreatedWindow()->UpdateInfoUrl(), "");
}

// The download moves the gauge from 0 to the file's length; a file longer than the gauge counts moves it in
// proportion, one without a known length leaves it empty.
TEST_F(MainWindowTest, DownloadProgressMovesTheGauge) {
  auto w = CreatedWindow();
  struct Case {
    std::int64_t total, downloaded;
    double share;
  } cases[] = {{3000, 1200, 0.4}, {3000, 3000, 1.0}, {0, 500, 0.0}, {6'000'000'000, 3'000'000'000, 0.5}};
  for (const Case& c : cases) {
    w->WebUpdate.OnDownload(w->WebUpdate, c.total, c.downloaded);
    EXPECT_EQ(w->Progress->minimum(), 0);
    if (c.total <= std::numeric_limits<int>::max()) {
      EXPECT_EQ(w->Progress->maximum(), int(c.total));
    }
    const double shown = w->Progress->maximum() > 0 ? double(w->Progress->value()) / w->Progress->maximum() : 0.0;
    EXPECT_NEAR(shown, c.share, 0.001) << c.total;
  }
}

}  // namespace

}  // namespace qmz::test
