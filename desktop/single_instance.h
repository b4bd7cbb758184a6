#pragma once

#include "item_status.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;
class QWidget;

// What the commands from outside (hourwise --select, --stop, --status, the
// session bus) ask of the running copy's window. They run between events.
struct ItemCommands {
    std::function<bool(const QString &name)> select; // checks the first item of that stored name; false when none
    std::function<void()> stop;                      // checks "Nothing Selected"
    std::function<ItemStatus()> status;
};

// A command for the running copy, as the command line gave it.
struct ItemRequest {
    enum class Kind { Select, Stop, Status };
    Kind kind = Kind::Status;
    QByteArray name; // for Select: the name's bytes, as a stored name encodes
};

// How the running copy answered an ItemRequest.
struct ItemAnswer {
    enum class Outcome { Done, UnknownItem, NoneRuns, NoAnswer };
    Outcome outcome = Outcome::NoAnswer;
    ItemStatus status; // for Done: the status after the command
};

// One running copy per data folder. The copy that holds the folder's lock
// listens on a local socket named after the folder; a later start on the
// same folder, finding the lock taken, asks that copy to bring its window
// to the front and ends. Commands reach the items through the same socket.
// Plain Unix sockets: Qt's network library would
// load nine more libraries at every start for this one small exchange.
//
// The exchange: one request line, one answer, then the running copy closes
// the connection. A name travels percent-encoded (every byte but letters,
// digits and "-._~" as %XX), so that no byte of it, a line break or a space
// least of all, can end or split the request. Requests: "show" (answer
// "shown"), "select NAME", "stop", "status"; answers to the three: "unknown"
// for a name no item has, else "status C" (the checked item's position, -1
// for none) and a line "item MINUTES NAME" per item, each answer ended by
// the line "end". Only the user who runs the copy can connect: the socket
// is the user's alone, and either side checks the other's credentials.
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
    // Listens for later starts on folder instead, once the data has moved there.
    void MoveTo(const QString &folder);

    // For the copy that listens: how to answer commands. Until they are
    // set, commands get no answer.
    void setItemCommands(ItemCommands commands) { commands_ = std::move(commands); }

    // For a later start: true when the running copy answered that it has
    // shown its window; false when none answered within the wait.
    bool AskRunningCopyToShow();

    // For a command: sends it to the running copy and reads its answer
    // within the wait. Where nothing listens at the socket, NoneRuns comes at
    // once, unless waitForStart says that a copy is on its way: it is asked
    // at each try, and the tries go on while it says so and the wait lasts.
    ItemAnswer AskItemCommand(const ItemRequest &request, const std::function<bool()> &waitForStart = {});

    // The socket's path: in the user's runtime folder, named by a hash of the
    // folder's canonical path, so that every way of naming a folder meets.
    static QString ServerName(const QString &folder);

signals:
    void showRequested();

private:
    struct Waiting;

    bool bindAndListen();
    // Sends request and reads the whole answer, trying again until the wait
    // ends; where nothing listens, only while keepTrying says so. NoneRuns
    // and NoAnswer tell why it failed.
    std::optional<QByteArray> exchange(const QByteArray &request, const std::function<bool()> &keepTrying,
                                       ItemAnswer::Outcome *failure);
    QByteArray answer(const QByteArray &request);
    void acceptPending();
    bool takeRequest(Waiting &connection);
    void keepWaiting(Waiting connection);
    void receive(int fd);
    void dropOldest();
    void dropSilent();
    void stopListening();

    QString serverName_;
    int waitMs_;
    ItemCommands commands_;
    int listening_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<Waiting> waiting_; // accepted before their request came, oldest first
    QTimer silence_;               // due when the oldest waiting connection has been silent too long
};

// Shows a window un-minimised and raised, with the focus; when a modal dialog
// is open over it, the dialog is raised too, since it is where input goes.
void BringToFront(QWidget &window);
