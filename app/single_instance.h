#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <memory>

class QLockFile;
class QWidget;

// One running copy per data folder. The first start takes the folder's lock
// and listens on a local socket named after the folder; a later start on the
// same folder asks that copy to bring its window to the front and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Start {
        First,                 // the folder is ours; later starts are announced by showRequested
        ShownByRunningCopy,    // another copy runs on the folder and has shown its window
        HeldBySilentCopy,      // another copy holds the folder's lock but does not answer
    };

    // waitMs bounds how long a later start waits for the running copy's answer.
    explicit SingleInstance(const QString &folder, int waitMs = 3000);
    ~SingleInstance() override;

    Start Claim();

    // The socket's path: in the user's runtime folder, named by a hash of the
    // folder's canonical path, so that every way of naming a folder meets.
    static QString ServerName(const QString &folder);

signals:
    void showRequested();

private:
    bool AskRunningCopyToShow();
    void Listen();
    void Answer(QLocalSocket *socket);

    QString folder_;
    QString serverName_;
    int waitMs_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

// Shows a window un-minimised and raised, with the focus; when a modal dialog
// is open over it, the dialog is raised too, since it is where input goes.
void BringToFront(QWidget &window);
