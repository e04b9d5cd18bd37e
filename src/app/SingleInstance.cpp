#include "app/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

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

QString SingleInstance::LockFileName(const QString& key) {
  return QDir::temp().filePath(key + QStringLiteral("-%1.lock").arg(geteuid()));
}

QString SingleInstance::SocketName(const QString& key) { return key + QStringLiteral("-%1").arg(geteuid()); }

bool SingleInstance::Acquire() {
  lock_ = std::make_unique<QLockFile>(LockFileName(key_));
  // A lock left by a crashed run names a process that is gone; QLockFile takes it over then.
  if (!lock_->tryLock(0)) {
    lock_.reset();
    AskOtherToRaise();
    return false;
  }
  server_ = std::make_unique<QLocalServer>();
  QLocalServer::removeServer(SocketName(key_));  // a socket file left by a crashed run
  server_->listen(SocketName(key_));
  connect(server_.get(), &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (socket->readAll().contains("raise")) emit raiseRequested();
        socket->disconnectFromServer();
      });
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
  });
  return true;
}

void SingleInstance::AskOtherToRaise() {
  QLocalSocket socket;
  socket.connectToServer(SocketName(key_));
  if (!socket.waitForConnected(kSocketWaitMs)) return;
  socket.write(kRaiseRequest);
  socket.waitForBytesWritten(kSocketWaitMs);
  socket.disconnectFromServer();
}

}  // namespace qmz
