#pragma once
// The tests' update server on 127.0.0.1, serving a folder (Debian's python3: the interpreter apt's
// modules belong to). Used by the update tests and by the main window's start-up tests.

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <string>

namespace qmz::test {

class UpdateServer {
 public:
  explicit UpdateServer(const std::filesystem::path& root) {
    process_.start("/usr/bin/python3",
                   {QString(QMZ_TESTS_DIR) + "/update/update_server.py", QString::fromStdString(root.string())});
    EXPECT_TRUE(process_.waitForStarted(5000));
    EXPECT_TRUE(process_.waitForReadyRead(5000));
    port_ = QString(process_.readLine()).trimmed().toInt();
  }
  ~UpdateServer() {
    process_.kill();
    process_.waitForFinished(2000);
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

 private:
  QProcess process_;
  int port_ = 0;
};

}  // namespace qmz::test
