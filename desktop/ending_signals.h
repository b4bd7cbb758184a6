#pragma once

#include <QObject>

#include <csignal>

class Ledger;
class QSocketNotifier;

// Saves the ledger when the program is ended from outside rather than by
// closing its window, as long as one of these lives (one per program):
// - SIGTERM, SIGHUP (the session ends) and SIGINT: the signal handler only
//   writes the signal's number into a socket pair; on the main thread the
//   ledger is then saved and the event loop ended with 128 + the signal;
// - the session manager's request to save before the user logs off;
// - the loss of the display: Qt's X11 platform then calls exit(1) from the
//   main thread's event loop, and a hook run by exit() saves.
// Nobody can be asked at such a moment: a failed save is written to standard
// error and the program ends all the same, with the files that could be written.
class EndingSignals : public QObject {
    Q_OBJECT
public:
    explicit EndingSignals(Ledger &ledger, QObject *parent = nullptr);
    ~EndingSignals() override;

    EndingSignals(const EndingSignals &) = delete;
    EndingSignals &operator=(const EndingSignals &) = delete;

private:
    void signalled();
    void armExitHook();

    Ledger &ledger_;
    QSocketNotifier *notifier_ = nullptr;
    struct sigaction previous_[3] = {};
};
