#pragma once
// The events of one update check as a text, and a fixture with a site folder for the loopback server.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "update/wuWebUpdate.h"
#include "util/LocalServer.h"
#include "util/TempDir.h"

namespace qmz::test {

namespace fs = std::filesystem;

// What a check whose page cannot be read reports.
constexpr const char* kPageFailed = "BeforeGetInfo, DownloadError, AfterGetInfo, DownloadError";

// Records the events of one check of a page; opening a downloaded file is only noted.
class RecordingUpdate : public TwuWebUpdate {
 public:
  explicit RecordingUpdate(const fs::path& target, const std::string& url = {}, TJournal* journal = nullptr) {
    Options = uoRunUpdate;
    Journal = journal;
    if (!url.empty()) ProductInfo.SetURL(url);
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
  }

  using TwuWebUpdate::SplitUrl;
  void Note(const std::string& event) { events += (events.empty() ? "" : ", ") + event; }

  std::string events;
  std::string opened;
  bool openable = true;  // what the desktop answers when asked to open the download

 protected:
  bool OpenDownloadedFile(const std::string& FileName) override {
    opened = FileName;
    Note("Open");
    return openable;
  }
};

class WebUpdateTest : public ::testing::Test {
 protected:
  WebUpdateTest() { WriteWholeFile(site_ / "update.bin", std::string(5000, 'u')); }

  void Page(const std::string& name, const std::string& version, const std::string& download = "/update.bin",
            const std::string& extra = {}) {
    WriteWholeFile(site_ / name, UpdatePage(version, download, "../../update.bin", extra));
  }

  TempDir dir_;
  fs::path site_ = dir_.Path() / "site";
  fs::path target_ = dir_.Path() / "program" / "update.bin";
};

}  // namespace qmz::test
