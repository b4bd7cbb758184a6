#pragma once

#include "line_file.h"

#include <QDateTime>
#include <QObject>
#include <QString>

class Ledger;
class Prompts;

// Whether what the ledger holds in memory has reached the data files.
//
// A failed save is noted with its reason; until the next save succeeds (the
// ledger's saved()), text() says since when nothing was saved and why. The
// standard error box opens once when saving starts to fail, and again only
// when the reason changes, not once a minute. Where the reason is a data
// file changed by another program, a question takes the box's place: save
// Hourwise's version over it, or leave the file for now. It comes once for
// each version of the file that holds the saves back.
class SaveStatus : public QObject {
    Q_OBJECT
public:
    // Memory and files agree from now on: the ledger is about to be loaded.
    SaveStatus(Ledger &ledger, Prompts &prompts, QObject *parent = nullptr);

    // The minute tick failed. Its box, when one is due, opens after the tick
    // has returned: Qt runs no timer's handler again while that handler waits
    // in a box, so a box opened inside the tick would stop the minutes.
    void tickFailed(const QString &message);

    // Another handler failed: the box opens at once, and a failed write of a
    // data file is noted as the tick's failures are.
    void commandFailed(const QString &message);

    // The last save, on the way out, failed with message: notes it and asks
    // whether to quit all the same, losing what was not saved; No is the
    // default. Where a file changed by another program held the save back,
    // the question about it comes first, and Yes saves and quits.
    bool confirmQuitUnsaved(const QString &message);

    // While a file changed by another program holds the saves back, after
    // the question was answered No: the window offers to ask it again.
    bool offersSaveOver() const;
    void askAgain();
    static inline const QString kSaveOverLinkText = QStringLiteral("Save Hourwise's version...");

    // "Not saved since 10:14: No space left on device" while saves fail, else empty.
    QString text() const;

signals:
    void changed(const QString &text);

private:
    void saved();
    bool noteFailure(const QString &reason); // true when the reason is new
    void showFailure(const QString &message);
    // Returns true when the user chose to save over it and the save went through.
    bool askAboutChangedFile(const QString &message, const QString &whenYes);
    QString whatSavingOverDoes() const;
    FileStamp changedFileStamp() const;
    bool isDataFileError(const QString &message) const;
    QString lastSavedText() const;

    Ledger &ledger_;
    Prompts &prompts_;
    QDateTime lastSaved_;
    QString reason_; // empty while saves succeed
    FileStamp askedAbout_; // the version of the changed file last asked about
    QString changedMessage_; // the error of the save that the changed file held back
};
