#include "ending_signals.h"

#include "ledger.h"
#include "prompts.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

const int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT};

int signalSockets[2] = {-1, -1}; // the handler writes into [0], the main thread reads [1]

// The ledger that exit() saves, and the thread that may do it.
Ledger *ledgerAtExit = nullptr;
std::thread::id mainThread;

void onEndingSignal(int signal)
{
    const int savedErrno = errno;
    const char number = char(signal);
    // Non-blocking: should the socket be full, the signals already in it end the program anyway.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &number, 1);
    errno = savedErrno;
}

// Saves without a question: a failure goes to standard error.
void SaveForEnding(Ledger &ledger)
{
    if (const std::optional<QString> error = ErrorOf([&ledger] { ledger.SaveAll(); }))
        std::fprintf(stderr, "hourwise: %s\n", qPrintable(StandardErrorText(*error)));
}

void saveAtExit()
{
    if (!ledgerAtExit || std::this_thread::get_id() != mainThread)
        return;
    const QSignalBlocker quiet(ledgerAtExit); // the windows are beyond use: nothing redraws
    SaveForEnding(*ledgerAtExit);
}

} // namespace

EndingSignals::EndingSignals(Ledger &ledger, QObject *parent) : QObject(parent), ledger_(ledger)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) == 0) {
        notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &EndingSignals::signalled);
        struct sigaction action = {};
        action.sa_handler = onEndingSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int i = 0; i < 3; ++i)
            sigaction(kEndingSignals[i], &action, &previous_[i]);
    }
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this] { SaveForEnding(ledger_); },
                Qt::DirectConnection);
    }
    // The hook is registered once the event loop runs, after the start-up
    // load has saved, so that exit() runs it before it destroys what Qt set
    // up for writing files.
    QMetaObject::invokeMethod(this, &EndingSignals::armExitHook, Qt::QueuedConnection);
}

EndingSignals::~EndingSignals()
{
    ledgerAtExit = nullptr; // a normal end: the window's closing has saved
    if (!notifier_)
        return;
    for (int i = 0; i < 3; ++i)
        sigaction(kEndingSignals[i], &previous_[i], nullptr);
    delete notifier_;
    for (int &socket : signalSockets) {
        ::close(socket);
        socket = -1;
    }
}

void EndingSignals::armExitHook()
{
    static const bool registered = std::atexit(saveAtExit) == 0;
    if (!registered)
        return;
    mainThread = std::this_thread::get_id();
    ledgerAtExit = &ledger_;
}

void EndingSignals::signalled()
{
    char number = 0;
    if (::read(signalSockets[1], &number, 1) != 1)
        return;
    SaveForEnding(ledger_);
    // Ends every event loop that runs, a modal box's included, and, queued,
    // the main loop should it not have started yet.
    const int code = 128 + number;
    QCoreApplication::exit(code);
    QMetaObject::invokeMethod(QCoreApplication::instance(), [code] { QCoreApplication::exit(code); },
                              Qt::QueuedConnection);
}
