#include "single_instance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShownReply = "shown\n";
constexpr qsizetype kLongestLine = 16; // longer than any line of the exchange
// Connections served at once. A later start needs one; more wait in the
// listen queue until one is dropped, so that no number of idle connections
// takes the descriptors that the saves need.
constexpr int kMostConnections = 4;
// How long a connection may stay silent. A later start sends its request as
// soon as it is connected, so it is in the socket by the time it is accepted.
constexpr int kSilenceMs = 500;

// The socket address of path; false when the path is too long for one.
bool addressOf(const QString &path, sockaddr_un *address)
{
    const QByteArray encoded = QFile::encodeName(path);
    *address = {};
    address->sun_family = AF_UNIX;
    if (size_t(encoded.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, encoded.constData(), size_t(encoded.size()));
    return true;
}

// Waits until fd is ready for events or the deadline passes.
bool waitFor(int fd, short events, const QDeadlineTimer &deadline)
{
    pollfd watched{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Connects to the server at address, retrying until the deadline: the
// running copy may still be starting up, with the lock taken but the socket
// not yet listening. Returns the connected socket, or -1.
int connectBefore(const sockaddr_un &address, const QDeadlineTimer &deadline)
{
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            return fd;
        ::close(fd);
        if (deadline.hasExpired())
            return -1;
        QThread::msleep(50);
    }
}

// Reads one line of at most kLongestLine bytes before the deadline.
QByteArray readLineBefore(int fd, const QDeadlineTimer &deadline)
{
    QByteArray line;
    char c = 0;
    while (line.size() < kLongestLine && waitFor(fd, POLLIN, deadline)) {
        const ssize_t got = ::read(fd, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        line += c;
        if (c == '\n')
            break;
    }
    return line;
}

} // namespace

SingleInstance::SingleInstance(const QString &folder, int waitMs)
    : serverName_(ServerName(folder)), waitMs_(waitMs)
{
}

SingleInstance::~SingleInstance()
{
    if (listening_ < 0)
        return;
    notifier_.reset();
    ::close(listening_);
    QFile::remove(serverName_);
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

bool SingleInstance::AskRunningCopyToShow()
{
    const QDeadlineTimer deadline(waitMs_);
    sockaddr_un address;
    if (!addressOf(serverName_, &address))
        return false;
    const int fd = connectBefore(address, deadline);
    if (fd < 0)
        return false;
    const bool sent = waitFor(fd, POLLOUT, deadline)
                      && ::send(fd, kShowRequest.constData(), size_t(kShowRequest.size()), MSG_NOSIGNAL)
                             == ssize_t(kShowRequest.size());
    const bool shown = sent && readLineBefore(fd, deadline) == kShownReply;
    ::close(fd);
    return shown;
}

// The lock is ours, so a socket file left at the name is a crashed run's.
void SingleInstance::Listen()
{
    if (listening_ >= 0)
        return;
    if (!bindAndListen()) {
        QFile::remove(serverName_);
        if (!bindAndListen()) {
            qWarning("Hourwise cannot listen for later starts at %s: %s", qPrintable(serverName_),
                     std::strerror(errno));
            return;
        }
    }
    notifier_ = std::make_unique<QSocketNotifier>(listening_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptPending);
}

bool SingleInstance::bindAndListen()
{
    sockaddr_un address;
    if (!addressOf(serverName_, &address)) {
        errno = ENAMETOOLONG;
        return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // Only the user may ask for the window, also where the socket falls back to the shared temporary folder.
    if (::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    listening_ = fd;
    return true;
}

void SingleInstance::acceptPending()
{
    while (connections_ < kMostConnections) {
        const int connection = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (connection < 0 && (errno == EINTR || errno == ECONNABORTED))
            continue;
        if (connection < 0 && errno != EAGAIN) {
            // Out of descriptors, for instance: the socket stays readable, and
            // trying again at once would spin. Later starts wait meanwhile.
            notifier_->setEnabled(false);
            QTimer::singleShot(kSilenceMs, this, [this] { notifier_->setEnabled(connections_ < kMostConnections); });
            return;
        }
        if (connection < 0)
            return;
        ++connections_;
        answer(connection);
    }
    notifier_->setEnabled(false); // until a connection is dropped
}

// Reads the request as it arrives, without blocking the window: one line,
// answered once the window is shown; anything else, or nothing for
// kSilenceMs, closes the connection.
void SingleInstance::answer(int connection)
{
    auto *readable = new QSocketNotifier(connection, QSocketNotifier::Read, this);
    auto *silence = new QTimer(readable);
    silence->setSingleShot(true);
    auto received = std::make_shared<QByteArray>();
    const auto close = [this, readable, silence, connection] {
        silence->stop();
        readable->setEnabled(false);
        readable->deleteLater();
        drop(connection);
    };
    connect(silence, &QTimer::timeout, this, close);
    connect(readable, &QSocketNotifier::activated, this, [this, received, connection, close] {
        char chunk[kLongestLine];
        const ssize_t got = ::read(connection, chunk, sizeof chunk);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got > 0)
            received->append(chunk, got);
        if (got > 0 && !received->contains('\n') && received->size() < kLongestLine)
            return;
        if (*received == kShowRequest) {
            emit showRequested();
            (void)::send(connection, kShownReply.constData(), size_t(kShownReply.size()), MSG_NOSIGNAL);
        }
        close();
    });
    silence->start(kSilenceMs);
}

void SingleInstance::drop(int connection)
{
    ::close(connection);
    --connections_;
    notifier_->setEnabled(true);
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
