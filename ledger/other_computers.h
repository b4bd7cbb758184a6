#pragma once

#include "history_range.h"
#include "line_file.h"
#include "text_convert.h"

#include <QDate>
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <optional>
#include <utility>

// Minutes by item name, items in order of first appearance.
struct ItemSums {
    QStringList names;
    QVector<qint64> minutes; // by names

    void add(const QString &name, qint64 amount);
    void add(const ItemSums &other);
    qint64 of(const QString &name) const;
};

// Why a file or folder name is something a sync tool leaves behind rather
// than one of Hourwise's own: "a conflict copy" (Syncthing's
// ".sync-conflict-", "(conflicted copy" of Dropbox and Nextcloud, "_conflict-"
// and the like) or "a temporary file" (".syncthing.*.tmp", "~", ".tmp",
// ".part", Hourwise's own "<file>.XXXXXX"); empty for any other name.
QString SyncLeftoverKind(const QString &name);

// The bytes up to the end of their last line end: a file caught half-synced
// ends in part of a line, which is no line yet. *cut tells whether bytes
// were dropped.
QByteArray WholeLinesOf(const QByteArray &bytes, bool *cut = nullptr);

// Another computer's data.txc: its items' minutes on its last day and in all.
struct ComputerData {
    double day = 0; // the day key of its today lines
    ItemSums today;
    ItemSums total;
};

// Reads a data.txc; nothing, with the reason in *problem, when it is not a
// whole one (a cut line, an odd number of lines, total lines that name other
// items than the today lines, a count that is no whole number).
std::optional<ComputerData> ReadComputerData(const QByteArray &bytes, const LocaleValues &locale, QString *problem);

// Adds other to sum: items matched by name (new ones after sum's), days by
// date, switches summed, the lines left out appended. Both cover one range.
void AddRange(HistoryRange &sum, const HistoryRange &other);

// One day over other computers, as the date view adds it to this one's.
struct OthersDay {
    ItemSums items;
    qint64 switches = 0;
    int lineCount = 0; // the day's history lines over all of them
};

// Another computer's history and switch log, whole lines only, as the export reads them.
struct OtherHistory {
    QString computer; // its subfolder's name
    QStringList historyLines;
    QStringList switchLines;
};

// The other computers that share a folder with this one: every subfolder of
// the shared folder but this computer's own holds one computer's
// completedata.txc, data.txc and help.txc. They are read, never written, and
// nothing of them is kept but each data.txc's sums: histories and switch logs
// are read when a view asks for them, so that a sync tool replacing or
// rewriting them is never read half-way through a mapping.
//
// What a sync tool leaves behind is never counted: conflict copies and
// temporary files (never read, only named), subfolders that are such copies
// or cannot be read, a data.txc caught half-synced (its last whole reading
// stays counted), and a history's or switch log's cut last line. skipped()
// names each with the reason.
//
// Changes are noticed through a file watch and, where a watch sees nothing
// (a network share), a check of the folders' and data files' stamps once a
// minute, which costs a few stat calls while nothing changes.
class OtherComputers : public QObject {
    Q_OBJECT
public:
    OtherComputers(const QString &sharedFolder, const QString &ownSubfolder, const LocaleValues &locale,
                   QObject *parent = nullptr);

    // Looks at the folders again and reads each data.txc whose stamp changed;
    // emits changed() when anything counted or skipped did.
    void Refresh();

    int count() const { return int(computers_.size()); }
    QStringList names() const;
    // What was left out, each "<subfolder>/<file>: <why>".
    const QStringList &skipped() const { return skipped_; }

    // The items' minutes over the other computers on day (a Julian midnight),
    // from the data.txc of each that last ran on that day.
    ItemSums todayMinutes(double day) const;
    ItemSums totalMinutes() const;

    // Read from their files now. Lines that cannot be read are named with
    // their computer's subfolder before the file's name.
    HistoryRange ReadRange(const DayRange &range) const;
    OthersDay ReadDay(QDate date) const;
    QList<OtherHistory> ReadHistories() const;


signals:
    void changed();

private:
    struct Computer {
        QString name; // the subfolder's
        QString path;
        QVector<FileStamp> stamps; // the folder's, then its three files' (data.txc second)
        std::optional<ComputerData> data; // the last whole reading
        QString dataProblem;              // why the last reading was not whole
        QStringList notes;                // what the last look skipped
    };

    bool stampsUnchanged() const;
    void lookAtFolder(Computer &computer);
    QByteArray wholeLinesOf(const Computer &computer, const QString &fileName) const;
    void watchFolders();

    QString sharedFolder_;
    QString ownSubfolder_;
    LocaleValues locale_;
    FileStamp sharedStamp_;
    QVector<Computer> computers_;
    QStringList skippedFolders_;
    QVector<std::pair<QString, FileStamp>> emptyFolders_; // subfolders without the files, and their stamps
    QStringList skipped_;
    QFileSystemWatcher watcher_;
    QTimer minuteCheck_;
    QTimer settle_; // a sync writes several files at once: one refresh for them
};
