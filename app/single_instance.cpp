#include "single_instance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShownReply = "shown\n";

} // namespace

SingleInstance::SingleInstance(const QString &folder, int waitMs)
    : serverName_(ServerName(folder)), waitMs_(waitMs)
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server_.nextPendingConnection())
            Answer(socket);
    });
}

QString SingleInstance::ServerName(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash((canonical.isEmpty() ? folder : canonical).toUtf8(),
                                                     QCryptographicHash::Sha256);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    return QDir(runtime).filePath(QStringLiteral("hourwise-") + QString::fromLatin1(hash.toHex().left(16)));
}

// The running copy may still be starting up, with the lock taken but the
// socket not yet listening: connecting is retried until the wait is over.
bool SingleInstance::AskRunningCopyToShow()
{
    const QDeadlineTimer deadline(waitMs_);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(serverName_);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return socket.readLine() == kShownReply;
}

// The lock is ours, so a socket file left at the name is a crashed run's.
void SingleInstance::Listen()
{
    if (server_.listen(serverName_))
        return;
    QLocalServer::removeServer(serverName_);
    if (!server_.listen(serverName_))
        qWarning("Hourwise cannot listen for later starts at %s: %s", qPrintable(serverName_),
                 qPrintable(server_.errorString()));
}

void SingleInstance::Answer(QLocalSocket *socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto respond = [this, socket] {
        if (!socket->canReadLine())
            return;
        if (socket->readLine() == kShowRequest) {
            emit showRequested();
            socket->write(kShownReply);
        }
        socket->disconnectFromServer();
    };
    connect(socket, &QLocalSocket::readyRead, this, respond);
    respond(); // the request may have come with the connection
}

void BringToFront(QWidget &window)
{
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
    if (QWidget *dialog = QApplication::activeModalWidget(); dialog && dialog != &window) {
        dialog->raise();
        dialog->activateWindow();
    }
}
