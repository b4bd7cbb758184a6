#include "single_instance.h"

#include "line_file.h"

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
const QByteArray kAnswerEnd = "end\n";
const QByteArray kUnknownItemAnswer = "unknown\n" + kAnswerEnd;
// The longest request read: a select of a name of over 20,000 bytes. Those
// waiting for the rest of their request hold no more than this each.
constexpr qsizetype kLongestRequest = 64 * 1024;
// The longest answer read: a status of some ten thousand items.
constexpr qsizetype kLongestAnswer = 4 * 1024 * 1024;
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
// connect on a Unix socket. Returns the connected socket, or -1 with errno
// telling why.
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
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

// What connect says where nothing listens: no socket, or one that a crashed run left.
bool nothingListens(int error)
{
    return error == ENOENT || error == ECONNREFUSED;
}

// Whether the other end of a connected socket runs as this user: the
// socket file's permissions keep others out, but another user may connect
// in the moment between its creation and its chmod, or may have made the
// socket itself where it lies in the shared temporary folder.
bool peerIsThisUser(int fd)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 && credentials.uid == ::geteuid();
}

bool sendAll(int fd, const QByteArray &bytes, const QDeadlineTimer &deadline)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        if (!waitFor(fd, POLLOUT, deadline))
            return false;
        const ssize_t done = ::send(fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (done < 0 && errno != EINTR && errno != EAGAIN)
            return false;
        sent += std::max<ssize_t>(done, 0);
    }
    return true;
}

// Reads until the server closes the connection, before the deadline; null
// when it does not, or when it sends more than any answer holds.
std::optional<QByteArray> readToEndBefore(int fd, const QDeadlineTimer &deadline)
{
    QByteArray answer;
    while (answer.size() <= kLongestAnswer && waitFor(fd, POLLIN, deadline)) {
        char chunk[4096];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            return answer;
        answer.append(chunk, got);
    }
    return std::nullopt;
}

// Whether c is an ASCII letter or digit, whatever the locale says.
bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The bytes of a percent-encoded text; null unless every character is a
// letter, a digit, one of "-._~" or a "%" before two hexadecimal digits.
std::optional<QByteArray> percentDecoded(QByteArrayView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2]))
                return std::nullopt;
            i += 2;
        } else if (!isAsciiAlnum(c) && c != '-' && c != '.' && c != '_' && c != '~') {
            return std::nullopt;
        }
    }
    return QByteArray::fromPercentEncoding(text.toByteArray());
}

QByteArray encodeStatus(const ItemStatus &status)
{
    QByteArray answer = "status " + QByteArray::number(status.checked) + '\n';
    for (qsizetype i = 0; i < status.names.size(); ++i) {
        answer += "item " + QByteArray::number(status.todayMinutes.value(i)) + ' '
            + StoredBytes(status.names.at(i)).toPercentEncoding() + '\n';
    }
    return answer + kAnswerEnd;
}

// The status that encodeStatus wrote; null for anything else.
std::optional<ItemStatus> decodeStatus(const QByteArray &answer)
{
    if (!answer.endsWith(kAnswerEnd))
        return std::nullopt;
    QList<QByteArray> lines = answer.chopped(kAnswerEnd.size()).split('\n');
    lines.removeLast(); // after the last line's end
    ItemStatus status;
    bool ok = !lines.isEmpty() && lines.first().startsWith("status ");
    if (ok)
        status.checked = lines.first().mid(7).toInt(&ok);
    for (qsizetype i = 1; ok && i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines.at(i).split(' ');
        const std::optional<QByteArray> name = fields.size() == 3 ? percentDecoded(fields.at(2)) : std::nullopt;
        ok = name && fields.at(0) == "item";
        if (ok) {
            status.todayMinutes << fields.at(1).toInt(&ok);
            status.names << DecodeLine(*name, 0, name->size());
        }
    }
    return ok ? std::optional(status) : std::nullopt;
}

// The session's runtime folder, where the socket lives. A command run from
// cron, ssh or a panel's script may lack XDG_RUNTIME_DIR while the desktop
// session's folder is still there under /run/user: looking there finds the
// copy that the session started, and spares the warning Qt prints.
QString RuntimeFolder()
{
    if (!qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        const QByteArray session = "/run/user/" + QByteArray::number(getuid());
        struct stat info {};
        if (::stat(session.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid()
            && (info.st_mode & 077) == 0)
            return QString::fromLatin1(session);
    }
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
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
    stopListening();
}

void SingleInstance::stopListening()
{
    if (listening_ < 0)
        return;
    for (const Waiting &connection : waiting_)
        connection.close();
    waiting_.clear();
    silence_.stop();
    notifier_.reset();
    ::close(listening_);
    listening_ = -1;
    QFile::remove(serverName_);
}

void SingleInstance::MoveTo(const QString &folder)
{
    const bool wasListening = listening_ >= 0;
    stopListening();
    serverName_ = ServerName(folder);
    if (wasListening)
        Listen();
}

QString SingleInstance::ServerName(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    const QByteArray hash = QCryptographicHash::hash((canonical.isEmpty() ? folder : canonical).toUtf8(),
                                                     QCryptographicHash::Sha256);
    return QDir(RuntimeFolder()).filePath(QStringLiteral("hourwise-") + QString::fromLatin1(hash.toHex().left(16)));
}

// The lock says that a copy runs: it may still be starting up.
bool SingleInstance::AskRunningCopyToShow()
{
    ItemAnswer::Outcome failure;
    return exchange(kShowRequest, [] { return true; }, &failure) == kShownReply;
}

ItemAnswer SingleInstance::AskItemCommand(const ItemRequest &request, const std::function<bool()> &waitForStart)
{
    using Kind = ItemRequest::Kind;
    const QByteArray line = request.kind == Kind::Select ? "select " + request.name.toPercentEncoding() + '\n'
        : request.kind == Kind::Stop                     ? QByteArray("stop\n")
                                                         : QByteArray("status\n");
    ItemAnswer result;
    if (line.size() > kLongestRequest) { // longer than any request the running copy reads, and than any name
        result.outcome = ItemAnswer::Outcome::UnknownItem;
        return result;
    }
    const std::optional<QByteArray> answer =
        exchange(line, waitForStart ? waitForStart : std::function<bool()>([] { return false; }), &result.outcome);
    if (answer == kUnknownItemAnswer) {
        result.outcome = ItemAnswer::Outcome::UnknownItem;
    } else if (const std::optional<ItemStatus> status = answer ? decodeStatus(*answer) : std::nullopt) {
        result.outcome = ItemAnswer::Outcome::Done;
        result.status = *status;
    }
    return result;
}

// Asking again is safe: the running copy acts only on a request it has
// read whole, answers every one it reads, and a second select of the same
// item or a second stop changes nothing.
std::optional<QByteArray> SingleInstance::exchange(const QByteArray &request, const std::function<bool()> &keepTrying,
                                                   ItemAnswer::Outcome *failure)
{
    const QDeadlineTimer deadline(waitMs_);
    *failure = ItemAnswer::Outcome::NoAnswer;
    sockaddr_un address;
    if (!addressOf(serverName_, &address)) {
        *failure = ItemAnswer::Outcome::NoneRuns; // none can listen there
        return std::nullopt;
    }
    for (;;) {
        const int fd = connectBefore(address, deadline);
        if (fd < 0 && nothingListens(errno) && !keepTrying()) {
            *failure = ItemAnswer::Outcome::NoneRuns;
            return std::nullopt;
        }
        if (fd >= 0) {
            std::optional<QByteArray> answer;
            if (peerIsThisUser(fd) && sendAll(fd, request, deadline))
                answer = readToEndBefore(fd, deadline);
            ::close(fd);
            // Without its last line, the answer was cut short: by a copy ending, or dropping a silent connection.
            if (answer && answer->endsWith(request == kShowRequest ? kShownReply : kAnswerEnd))
                return answer;
        }
        if (deadline.hasExpired())
            return std::nullopt;
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
        if (!peerIsThisUser(fd)) {
            ::close(fd);
            continue;
        }
        Waiting connection{fd, QDeadlineTimer(kSilenceMs), {}};
        if (takeRequest(connection))
            ::close(fd);
        else
            keepWaiting(std::move(connection));
    }
}

// Reads what has come of the request and answers it once it is whole. False
// while more may come; true when the exchange is over, whatever came.
// The answer is sent at once and not waited for: the socket's buffer holds
// any usual status whole, and a larger one reaches the command cut, which
// the command then tells as no answer.
bool SingleInstance::takeRequest(Waiting &connection)
{
    for (;;) {
        char chunk[4096];
        const ssize_t got = ::read(connection.fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && errno == EAGAIN)
            return false;
        if (got > 0)
            connection.received.append(chunk, got);
        if (got > 0 && !connection.received.contains('\n') && connection.received.size() < kLongestRequest)
            continue;
        // One line, whole, and nothing after it.
        const QByteArray &request = connection.received;
        if (request.endsWith('\n') && request.indexOf('\n') == request.size() - 1) {
            const QByteArray reply = answer(request.chopped(1));
            (void)::send(connection.fd, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL);
        }
        return true;
    }
}

// The answer to a request line, or nothing for a request that is none.
QByteArray SingleInstance::answer(const QByteArray &request)
{
    if (request + '\n' == kShowRequest) {
        emit showRequested();
        return kShownReply;
    }
    if (!commands_.status)
        return {};
    const QByteArray select = "select ";
    if (request.startsWith(select)) {
        const std::optional<QByteArray> name = percentDecoded(QByteArrayView(request).sliced(select.size()));
        if (!name)
            return {};
        if (!commands_.select(DecodeLine(*name, 0, name->size())))
            return kUnknownItemAnswer;
    } else if (request == "stop") {
        commands_.stop();
    } else if (request != "status") {
        return {};
    }
    return encodeStatus(commands_.status());
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
