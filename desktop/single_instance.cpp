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

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const QByteArray kShowRequest = "show\n";
const QByteArray kShownReply = "shown\n";
constexpr qsizetype kLongestLine = 16; // longer than any line of the exchange
// Room in the listen queue for a burst of connections, which are taken from
// it at once, so that a later start rarely waits in connect.
constexpr int kListenQueue = 64;
// Connections taken from the queue at each turn of the event loop, so that
// a flood of them cannot hold up the window and its timers.
constexpr int kAcceptsPerTurn = 16;
// Connections kept waiting for their request at once. When one more comes,
// the one that has waited longest is dropped: idle connections can neither
// take the descriptors that the saves need nor keep a later start out.
constexpr std::size_t kMostWaiting = 16;
// How long a connection may stay silent. A later start sends its request as
// soon as it is connected, so it is nearly always in the socket by the time
// the connection is accepted.
constexpr int kSilenceMs = 500;
// The pause before a later start tries again: the running copy may still be
// starting up, or may have dropped the connection before the request came.
constexpr int kRetryMs = 50;

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

// Connects to the server at address. While the server's queue is full,
// waits for room until the deadline: the send timeout bounds a blocking
// connect on a Unix socket. Returns the connected socket, or -1.
int connectBefore(const sockaddr_un &address, const QDeadlineTimer &deadline)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const qint64 waitMs = std::max<qint64>(deadline.remainingTime(), 1); // 0 would wait for ever
    const timeval wait{time_t(waitMs / 1000), suseconds_t(waitMs % 1000 * 1000)};
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait) == 0
        && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
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

// A connection accepted before its whole request came.
struct SingleInstance::Waiting {
    int fd;
    QDeadlineTimer silenceEnds;
    QByteArray received;
    QSocketNotifier *readable = nullptr;

    // The notifier is deleted later: it may be the one whose signal is being handled.
    void close() const
    {
        readable->setEnabled(false);
        readable->deleteLater();
        ::close(fd);
    }
};

SingleInstance::SingleInstance(const QString &folder, int waitMs)
    : serverName_(ServerName(folder)), waitMs_(waitMs)
{
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, &SingleInstance::dropSilent);
}

SingleInstance::~SingleInstance()
{
    if (listening_ < 0)
        return;
    for (const Waiting &connection : waiting_)
        connection.close();
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

// Asking again is safe: the running copy shows its window only for a
// request it has read, and answers every one it reads.
bool SingleInstance::AskRunningCopyToShow()
{
    const QDeadlineTimer deadline(waitMs_);
    sockaddr_un address;
    if (!addressOf(serverName_, &address))
        return false;
    for (;;) {
        if (const int fd = connectBefore(address, deadline); fd >= 0) {
            const bool shown =
                waitFor(fd, POLLOUT, deadline)
                && ::send(fd, kShowRequest.constData(), size_t(kShowRequest.size()), MSG_NOSIGNAL)
                       == ssize_t(kShowRequest.size())
                && readLineBefore(fd, deadline) == kShownReply;
            ::close(fd);
            if (shown)
                return true;
        }
        if (deadline.hasExpired())
            return false;
        QThread::msleep(std::min<qint64>(kRetryMs, deadline.remainingTime()));
    }
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
        || ::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, kListenQueue) != 0) {
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
    for (int accepted = 0; accepted < kAcceptsPerTurn;) {
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED))
            continue;
        if (fd < 0 && errno != EAGAIN) {
            // Out of descriptors, for instance: the socket stays readable, and
            // trying again at once would spin. Later starts wait meanwhile.
            notifier_->setEnabled(false);
            QTimer::singleShot(kSilenceMs, this, [this] { notifier_->setEnabled(true); });
            return;
        }
        if (fd < 0)
            return;
        ++accepted;
        Waiting connection{fd, QDeadlineTimer(kSilenceMs), {}};
        if (takeRequest(connection))
            ::close(fd);
        else
            keepWaiting(std::move(connection));
    }
}

// Reads what has come of the request and answers it once it is whole. False
// while more may come; true when the exchange is over, whatever came.
bool SingleInstance::takeRequest(Waiting &connection)
{
    for (;;) {
        char chunk[kLongestLine];
        const ssize_t got = ::read(connection.fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return false;
        if (got > 0)
            connection.received.append(chunk, got);
        if (got > 0 && !connection.received.contains('\n') && connection.received.size() < kLongestLine)
            continue;
        if (connection.received == kShowRequest) {
            emit showRequested();
            (void)::send(connection.fd, kShownReply.constData(), size_t(kShownReply.size()), MSG_NOSIGNAL);
        }
        return true;
    }
}

void SingleInstance::keepWaiting(Waiting connection)
{
    if (waiting_.size() == kMostWaiting)
        dropOldest();
    const int fd = connection.fd;
    connection.readable = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(connection.readable, &QSocketNotifier::activated, this, [this, fd] { receive(fd); });
    waiting_.push_back(std::move(connection));
    if (!silence_.isActive())
        silence_.start(kSilenceMs);
}

void SingleInstance::receive(int fd)
{
    const auto connection =
        std::find_if(waiting_.begin(), waiting_.end(), [fd](const Waiting &waiting) { return waiting.fd == fd; });
    if (connection == waiting_.end() || !takeRequest(*connection))
        return;
    connection->close();
    waiting_.erase(connection);
}

// Takes a last look for the request first: it may have come since the
// connection's notifier last reported, in the same turn of the event loop.
void SingleInstance::dropOldest()
{
    Waiting &oldest = waiting_.front();
    takeRequest(oldest);
    oldest.close();
    waiting_.erase(waiting_.begin());
}

// All wait equally long, so those due are the oldest.
void SingleInstance::dropSilent()
{
    while (!waiting_.empty() && waiting_.front().silenceEnds.hasExpired())
        dropOldest();
    if (!waiting_.empty())
        silence_.start(int(waiting_.front().silenceEnds.remainingTime()));
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
