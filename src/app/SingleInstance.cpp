#include "app/SingleInstance.h"

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QLocalSocket>

#include "platform/WindowClassSocket.h"

namespace qmz {

namespace {
constexpr char kRaiseRequest[] = "raise\n";
constexpr int kSocketWaitMs = 2000;
}  // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), key_(key) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::KeyForFolder(const std::string& folder) {
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha1).toHex().left(16);
  return QStringLiteral("QMZ-") + QString::fromLatin1(digest);
}

SingleInstance::Result SingleInstance::Acquire() {
  // A folder no other user can reach: in a shared one, anyone could take the lock's name first and so
  // keep the program from ever starting.
  std::string why;
  const std::string folder = platform::UserPrivateFolder(&why);
  if (folder.empty()) {
    problem_ = QString::fromStdString(why);
    return Result::Refused;
  }
  lockPath_ = QString::fromStdString(folder) + key_ + QStringLiteral(".lock");
  socketPath_ = QString::fromStdString(folder) + key_ + QStringLiteral(".socket");
  lock_ = std::make_unique<QLockFile>(lockPath_);
  // A lock left by a crashed run names a process that is gone; QLockFile takes it over then.
  if (!lock_->tryLock(0)) {
    // Only a lock file that names a process counts as another instance; anything else at its place
    // would end every start without a word.
    const QLockFile::LockError error = lock_->error();
    struct stat info {};
    const bool there = ::lstat(lockPath_.toLocal8Bit().constData(), &info) == 0;
    qint64 pid = 0;
    QString host, application;
    const bool named = there && S_ISREG(info.st_mode) && lock_->getLockInfo(&pid, &host, &application);
    lock_.reset();
    if (error == QLockFile::LockFailedError && named) {
      AskOtherToRaise();
      return Result::OtherInstance;
    }
    QString detail = QStringLiteral("it cannot be created or read");
    if (there && !S_ISREG(info.st_mode)) detail = QStringLiteral("it is not a regular file");
    else if (error == QLockFile::PermissionError) detail = QStringLiteral("permission denied");
    else if (there) detail = QStringLiteral("it names no running program");
    problem_ = QStringLiteral("the lock file %1 cannot be used: %2").arg(lockPath_, detail);
    return Result::Refused;
  }
  server_ = std::make_unique<QLocalServer>();
  QLocalServer::removeServer(socketPath_);  // a socket file left by a crashed run
  server_->listen(socketPath_);
  connect(server_.get(), &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains("raise")) emit raiseRequested();
        socket->disconnectFromServer();
      });
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
  return Result::Acquired;
}

void SingleInstance::AskOtherToRaise() {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(kSocketWaitMs)) return;
  socket.write(kRaiseRequest);
  socket.waitForBytesWritten(kSocketWaitMs);
  socket.disconnectFromServer();
}

}  // namespace qmz
