#include <fcntl.h>
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "MainWindowFixture.h"
#include "app/FeedbackUpload.h"
#include "util/HeapBytes.h"
#include "util/LocalServer.h"

namespace qmz::test {
namespace {

namespace fs = std::filesystem;

TEST(FeedbackRemoteNameTest, NamesAreMadeSafe) {
  const platform::LocalDateTime at{2026, 12, 6, 14, 5, 9, 0};
  const struct {
    std::string journal, user, computer, expected;
  } cases[] = {
      {"DebugOut.mjf", "ann", "PC7", "DebugOut.mjf_14_05_09_ann_PC7.mjf"},
      {"/opt/qmz/DebugOut.mjf", "ann", "PC7", "DebugOut.mjf_14_05_09_ann_PC7.mjf"},
      {"DebugOut.mjf", "../../etc", "a\\b", "DebugOut.mjf_14_05_09_..%2F..%2Fetc_a%5Cb.mjf"},
      {"DebugOut.mjf", "J\xC3\xB6rg", "tab\there", "DebugOut.mjf_14_05_09_J%C3%B6rg_tab%09here.mjf"},
  };
  for (const auto& c : cases) EXPECT_EQ(FeedbackRemoteName(c.journal, at, c.user, c.computer), c.expected);
  EXPECT_EQ(SafeRemoteName(".."), "_..");
}

// A real FTP server on 127.0.0.1 storing into a folder of its own; a slow one takes in only bytesPerSecond,
// a mute one (-1) takes the data and then never says another word.
struct FtpServer {
  explicit FtpServer(std::int64_t bytesPerSecond = 0)
      : server("app/feedback_server.py", {QString::fromStdString(root.Str()), QString::number(bytesPerSecond)}) {}
  int Port() const { return server.Port(); }
  fs::path Upload() const { return root.Path() / "upload"; }
  std::vector<fs::path> Files() const {
    std::vector<fs::path> r;
    for (const auto& e : fs::directory_iterator(Upload())) r.push_back(e.path());
    return r;
  }

  TempDir root;
  LocalServer server;
};

FeedbackConfig LocalConfig(int port) {
  FeedbackConfig c;
  c.Host = "127.0.0.1";
  c.Port = port;
  c.User = "qmz";
  c.Password = "secret";
  c.ConnectTimeoutSeconds = 2;
  c.TransferTimeoutSeconds = 5;
  return c;
}

class FeedbackTest : public MainWindowTest {
 protected:
  void WriteConfig(int port, int connectTimeout = 1, int transferTimeout = 3) {
    WriteWholeFile(
        folder.Path() / "QMZ.ini",
        Format("[Feedback]\nHost=127.0.0.1\nPort=%d\nUser=qmz\nPassword=secret\nContact=help@example.invalid\n"
               "ConnectTimeout=%d\nTransferTimeout=%d\n",
               port, connectTimeout, transferTimeout));
  }
};

TEST_F(FeedbackTest, TwoUploadsAppendToOneRemoteFile) {
  FtpServer server;
  Log("first line", jlInfo, journal.get());
  FeedbackUpload upload;
  std::vector<std::string> statuses;
  std::int64_t workMax = -1;
  upload.OnStatus = [&](const std::string& s) { statuses.push_back(s); };
  upload.OnWorkBegin = [&](std::int64_t m) { workMax = m; };
  const std::string first = ReadWholeFile(journal->FileName());
  ASSERT_TRUE(upload.Append(LocalConfig(server.Port()), journal->FileName(), "upload", "run.mjf"))
      << upload.ErrorText();
  EXPECT_EQ(workMax, std::int64_t(first.size()));
  Log("second line", jlInfo, journal.get());
  const std::string second = ReadWholeFile(journal->FileName());
  ASSERT_TRUE(upload.Append(LocalConfig(server.Port()), journal->FileName(), "upload", "run.mjf"))
      << upload.ErrorText();
  ASSERT_EQ(server.Files().size(), 1u);
  EXPECT_EQ(ReadWholeFile(server.Upload() / "run.mjf"), first + second);
  EXPECT_EQ(statuses.front(), "Connecting to 127.0.0.1.");
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), "Connected."), statuses.end());
}

TEST_F(FeedbackTest, AgentUploadsTheJournalAfterTheUserAgrees) {
  FtpServer server;
  WriteConfig(server.Port());
  auto w = StartWindow();
  dialogs.answers = {true};
  dialogs.inputs = {"Ann"};  // the mail box is cancelled: its default
  w->HandleApplicationException(w->btInfo, std::runtime_error("boom"));

  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].find("Mailto: help@example.invalid  Subject: QMZ Error"), std::string::npos);
  EXPECT_EQ(dialogs.prompts.size(), 2u);
  EXPECT_EQ(dialogs.messages.size(), 1u);
  EXPECT_TRUE(HasLine(*journal, "Name: Ann", jlSystem));
  EXPECT_TRUE(HasLine(*journal, "Mail: na", jlSystem));
  EXPECT_TRUE(HasLine(*journal, "<< Quality Feedback Agent >> ", jlBegin));
  EXPECT_TRUE(HasLine(*journal, "<< Quality Feedback Agent >> ", jlEnd));
  EXPECT_TRUE(HasLine(*journal, "   Connected.", jlAction));
  ASSERT_EQ(dialogs.infos.size(), 1u);
  EXPECT_EQ(dialogs.infos[0].rfind("Feedback Agent finished successfully.", 0), 0u);
  EXPECT_TRUE(dialogs.warnings.empty());

  const auto files = server.Files();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_NE(ReadWholeFile(files[0]).find("EXCEPTION  : <runtime_error>"), std::string::npos);
  EXPECT_EQ(w->Progress->value(), 0);
}

// An error inside the agent (here its last box) still writes the agent's closing line, then goes on.
TEST_F(FeedbackTest, AnErrorInsideTheAgentStillClosesItsJournalLines) {
  FtpServer server;
  WriteConfig(server.Port());
  auto w = StartWindow();
  dialogs.answers = {true};
  dialogs.failInformation = true;
  EXPECT_THROW(w->HandleApplicationException(w->btInfo, std::runtime_error("boom")), std::runtime_error);
  EXPECT_TRUE(HasLine(*journal, "<< Quality Feedback Agent >> ", jlBegin));
  EXPECT_TRUE(HasLine(*journal, "<< Quality Feedback Agent >> ", jlEnd));
  EXPECT_EQ(server.Files().size(), 1u);
  w->close();
}

TEST_F(FeedbackTest, SlowServerWithinTheTransferTimeGetsTheWholeJournal) {
  // The server's last word comes two seconds after the data, longer than the connect time-out.
  const std::string sent = ReadWholeFile(journal->FileName());
  FtpServer server(std::int64_t(sent.size()) / 2);
  FeedbackConfig config = LocalConfig(server.Port());  // a transfer time of 5 s
  config.ConnectTimeoutSeconds = 1;
  FeedbackUpload upload;
  ASSERT_TRUE(upload.Append(config, journal->FileName(), "upload", "slow.mjf")) << upload.ErrorText();
  EXPECT_EQ(ReadWholeFile(server.Upload() / "slow.mjf"), sent);
}

TEST_F(FeedbackTest, ServerSlowerThanTheTransferTimeFailsInTime) {
  auto w = StartWindow();
  FtpServer server(std::int64_t(fs::file_size(journal->FileName())) / 3);  // three seconds and more
  WriteConfig(server.Port(), 5, 1);
  dialogs.answers = {true};
  QElapsedTimer clock;
  clock.start();
  w->HandleApplicationException(w->btInfo, std::runtime_error("boom"));
  EXPECT_LT(clock.elapsed(), 2900);
  EXPECT_TRUE(dialogs.infos.empty());
  ASSERT_EQ(dialogs.warnings.size(), 1u);
  EXPECT_NE(dialogs.warnings[0].find("within 1 s"), std::string::npos) << dialogs.warnings[0];
  EXPECT_TRUE(HasLine(*journal, "<< Quality Feedback Agent >> ", jlEnd));
}

TEST_F(FeedbackTest, LargeJournalIsSentAsItIsRead) {
  // 64 MiB of journal (a sparse file): none of it is held at once, and the events are pumped meanwhile.
  const fs::path big = folder.Path() / "big.mjf";
  {
    std::ofstream out(big, std::ios::binary);
    out.seekp((64 << 20) - 1);
    out.put('\n');
  }
  FtpServer server;
  FeedbackUpload upload;
  std::int64_t sent = 0;
  std::int64_t grown = 0;
  const auto base = std::int64_t(test::HeapBytes());
  upload.OnWork = [&](std::int64_t count) { sent = count; };
  upload.CancelRequested = [&] {
    grown = std::max(grown, std::int64_t(test::HeapBytes()) - base);
    return sent >= (8 << 20);
  };
  EXPECT_FALSE(upload.Append(LocalConfig(server.Port()), big.string(), "upload", "big.mjf"));
  EXPECT_EQ(upload.ErrorText(), "The transfer was cancelled");
  EXPECT_GE(sent, 8 << 20);
  EXPECT_LT(grown, 16 << 20);
}

// A server that accepts connections (the system does) but never says a word: a cancel ends the upload at
// once; in the window the connect time-out ends it and the program goes on.
TEST_F(FeedbackTest, ServerThatNeverAnswersIsCancelledOrTimesOutAndTheProgramGoesOn) {
  QTcpServer silent;
  ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
  FeedbackUpload upload;
  upload.CancelRequested = [] { return true; };
  EXPECT_FALSE(upload.Append(LocalConfig(silent.serverPort()), journal->FileName(), "upload", "x.mjf"));
  EXPECT_EQ(upload.ErrorText(), "The transfer was cancelled");

  WriteConfig(silent.serverPort());
  auto w = StartWindow();
  dialogs.answers = {true};
  w->HandleApplicationException(w->btInfo, std::runtime_error("boom"));

  EXPECT_TRUE(dialogs.infos.empty());
  ASSERT_EQ(dialogs.warnings.size(), 1u);
  EXPECT_EQ(dialogs.warnings[0].rfind("The Quality Feedback Agent could not send the information:", 0), 0u);
  EXPECT_TRUE(w->StatusText().startsWith("    Error: ")) << w->StatusText().toStdString();
  EXPECT_TRUE(HasLine(*journal, "<< Quality Feedback Agent >> ", jlEnd));
  EXPECT_FALSE(w->Closed());
}

TEST_F(FeedbackTest, ServerSilentAfterTheDataFailsInTimeOrOnCancelAndTheCallerIsAskedThroughout) {
  FtpServer server(-1);
  const struct {
    const char* name;
    qint64 cancelAtMs;  // 0: never
    long transferTimeout;
    const char* error;
    qint64 withinMs;
  } cases[] = {
      {"time-out", 0, 2, "The transfer did not end within 2 s", 2900},
      {"cancel", 1000, 10, "The transfer was cancelled", 3000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FeedbackConfig config = LocalConfig(server.Port());
    config.TransferTimeoutSeconds = c.transferTimeout;
    FeedbackUpload upload;
    QElapsedTimer clock;
    qint64 asked = 0;
    qint64 longestGap = 0;
    upload.CancelRequested = [&] {
      longestGap = std::max(longestGap, clock.elapsed() - asked);
      asked = clock.elapsed();
      return c.cancelAtMs > 0 && asked >= c.cancelAtMs;
    };
    clock.start();
    EXPECT_FALSE(upload.Append(config, journal->FileName(), "upload", std::string(c.name) + ".mjf"));
    const qint64 took = clock.elapsed();
    EXPECT_EQ(upload.ErrorText(), c.error);
    EXPECT_LT(took, c.withinMs);
    // A window pumped from there never stands still, the closing of the connection included.
    EXPECT_LT(std::max(longestGap, took - asked), 100);
  }
  EXPECT_EQ(server.Files().size(), 2u);
}

TEST_F(FeedbackTest, OnlyTheFileTheJournalWritesIsSent) {
  FtpServer server;
  const fs::path name = journal->FileName();
  const fs::path moved = folder.Path() / "moved.mjf";
  const fs::path other = folder.Path() / "other.txt";
  WriteWholeFile(other, "not for the server");
  fs::rename(name, moved);  // the journal goes on writing there
  const struct {
    const char* name;
    std::function<void()> plant;
    const char* reason;
  } cases[] = {
      {"link", [&] { fs::create_symlink(other, name); }, "it is a symbolic link"},
      {"fifo", [&] { ASSERT_EQ(mkfifo(name.c_str(), 0600), 0); }, "it is not a regular file"},
      {"copy", [&] { fs::copy_file(moved, name); }, "it is no longer the journal this program writes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(name);
    c.plant();
    // A reader that waits for a writer of the FIFO is let go after three seconds, so a hang fails the test.
    std::atomic<bool> done{false};
    std::thread release([&] {
      for (int i = 0; i < 150 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (const int fd = ::open(name.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
    });
    QElapsedTimer clock;
    clock.start();
    FeedbackUpload upload;
    EXPECT_FALSE(upload.Append(LocalConfig(server.Port()), name.string(), "upload", "sent.mjf", journal->OpenedFile()));
    EXPECT_LT(clock.elapsed(), 2000);
    done = true;
    release.join();
    EXPECT_NE(upload.ErrorText().find(c.reason), std::string::npos) << upload.ErrorText();
  }
  EXPECT_TRUE(server.Files().empty());

  // The window sends only the journal's own file too; under its name again, it goes.
  WriteConfig(server.Port());
  auto w = StartWindow();
  dialogs.answers = {true, true};
  w->HandleApplicationException(w->btInfo, std::runtime_error("boom"));
  ASSERT_EQ(dialogs.warnings.size(), 1u);
  EXPECT_NE(dialogs.warnings[0].find("it is no longer the journal this program writes"), std::string::npos);
  fs::remove(name);
  fs::rename(moved, name);
  w->HandleApplicationException(w->btInfo, std::runtime_error("boom"));
  EXPECT_EQ(dialogs.infos.size(), 1u);
  ASSERT_EQ(server.Files().size(), 1u);
  EXPECT_EQ(ReadWholeFile(server.Files()[0]).find("not for the server"), std::string::npos);
}

}  // namespace
}  // namespace qmz::test
