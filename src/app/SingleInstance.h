#pragma once
// One running program per user: the first start holds a lock file and listens on a local socket, both in
// the user's private folder; a second start finds the lock taken, asks the first through the socket to
// show and raise its window, and ends.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <string>

namespace qmz {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // key names the lock and the socket (tests use their own keys).
  explicit SingleInstance(const QString& key, QObject* parent = nullptr);
  ~SingleInstance() override;

  enum class Result {
    Acquired,       // this is the first instance and now serves the socket
    OtherInstance,  // another instance of this user runs; it has been asked to raise its window
    Refused,        // the lock could not be taken for another reason; Problem() says which
  };
  Result Acquire();
  const QString& Problem() const { return problem_; }
  // Where the lock file lies; empty before Acquire or when the private folder cannot be used.
  const QString& LockFilePath() const { return lockPath_; }

  // The key of the program in a folder: "QMZ-" and a digest of the folder's path.
  static QString KeyForFolder(const std::string& folder);

 signals:
  // Another start asked this instance to show its window.
  void raiseRequested();

 private:
  void AskOtherToRaise();

  QString key_;
  QString lockPath_;
  QString socketPath_;
  QString problem_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace qmz
