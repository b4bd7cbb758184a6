#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class QSocketNotifier;
class QWidget;

// One running copy per data folder. The copy that holds the folder's lock
// listens on a local socket named after the folder; a later start on the
// same folder, finding the lock taken, asks that copy to bring its window
// to the front and ends. Plain Unix sockets: Qt's network library would
// load nine more libraries at every start for this one small exchange.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // waitMs bounds how long a later start waits for the running copy's
    // answer: with its start-up before and its message after, a later start
    // that cannot reach the running copy says so within three seconds.
    explicit SingleInstance(const QString &folder, int waitMs = 2000);
    ~SingleInstance() override;

    // For the copy that holds the lock: from now on, later starts are
    // announced by showRequested.
    void Listen();

    // For a later start: true when the running copy answered that it has
    // shown its window; false when none answered within the wait.
    bool AskRunningCopyToShow();

    // The socket's path: in the user's runtime folder, named by a hash of the
    // folder's canonical path, so that every way of naming a folder meets.
    static QString ServerName(const QString &folder);

signals:
    void showRequested();

private:
    struct Waiting;

    bool bindAndListen();
    void acceptPending();
    bool takeRequest(Waiting &connection);
    void keepWaiting(Waiting connection);
    void receive(int fd);
    void dropOldest();
    void dropSilent();

    QString serverName_;
    int waitMs_;
    int listening_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<Waiting> waiting_; // accepted before their request came, oldest first
    QTimer silence_;               // due when the oldest waiting connection has been silent too long
};

// Shows a window un-minimised and raised, with the focus; when a modal dialog
// is open over it, the dialog is raised too, since it is where input goes.
void BringToFront(QWidget &window);
