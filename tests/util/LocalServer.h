#pragma once
// A server of the tests on 127.0.0.1: a script run by Debian's python3 (the interpreter apt's modules
// belong to) that prints the port it listens on as its first line, then serves until it is killed.

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <filesystem>
#include <string>

namespace qmz::test {

class LocalServer {
 public:
  LocalServer(const char* script, const QStringList& arguments) {
    process_.start("/usr/bin/python3", QStringList{QString(QMZ_TESTS_DIR) + "/" + script} + arguments);
    EXPECT_TRUE(process_.waitForStarted(5000) && process_.waitForReadyRead(15000)) << script;
    port_ = QString(process_.readLine()).trimmed().toInt();
  }
  ~LocalServer() {
    process_.kill();
    process_.waitForFinished(5000);
  }
  int Port() const { return port_; }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  QProcess process_;
  int port_ = 0;
};

// Serves the files of a folder, well or in one of the bad ways update/update_server.py lists.
struct UpdateServer : LocalServer {
  explicit UpdateServer(const std::filesystem::path& root)
      : LocalServer("update/update_server.py", {QString::fromStdString(root.string())}) {}
};

// An update page naming a version and its download ("$PORT" is the server's), with more lines in extra.
inline std::string UpdatePage(const std::string& version, const std::string& download, const std::string& clientName,
                              const std::string& extra = {}) {
  return "<html><head>\n<META NAME=\"wuProduct\" CONTENT=\"QMZ\">\n" + extra + "<META NAME=\"wuVersion\" CONTENT=\"" +
         version + "\">\n<META NAME=\"wuDownload\" CONTENT=\"http://127.0.0.1:$PORT" + download +
         "\">\n<META NAME=\"wuClientSideName\" CONTENT=\"" + clientName + "\">\n</head></html>\n";
}

}  // namespace qmz::test
