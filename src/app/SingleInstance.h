#pragma once
// One running program per user: the first start holds a lock file and listens on a local socket; a
// second start finds the lock taken, asks the first through the socket to show and raise its window, and
// ends.

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

  // True: this is the first instance and now serves the socket. False: another instance runs; it has
  // been asked to raise its window (when it could be reached).
  bool Acquire();

  // The key of the program in a folder: "QMZ-" and a digest of the folder's path.
  static QString KeyForFolder(const std::string& folder);
  static QString LockFileName(const QString& key);
  static QString SocketName(const QString& key);

 signals:
  // Another start asked this instance to show its window.
  void raiseRequested();

 private:
  void AskOtherToRaise();

  QString key_;
  std::unique_ptr<QLockFile> lock_;
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace qmz
