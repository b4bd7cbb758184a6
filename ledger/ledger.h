#pragma once

#include "day_block.h"
#include "day_correction.h"
#include "line_file.h"
#include "text_convert.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

// The items with their minutes, by position. An item's position is its
// identity everywhere: radio button, data lines, history block line, bar.
struct ItemTableData {
    QStringList Names;
    QVector<qint32> TodayMinutes;
    QVector<qint32> TotalMinutes;
};

// Everything the ledger holds; the widgets read it and never write it.
struct LedgerState {
    ItemTableData ItemTable;
    qint32 ItemCount = 0;
    double TodayJulian = 0; // Julian date of today's local midnight
    QString DayKey;         // TodayJulian as text: the first field of every today line
    double LineDay = 0;     // day of the last today line that LoadItems parsed

    QStringList DataLines;    // data.txc: ItemCount today lines, then ItemCount total lines
    // completedata.txc holds one block of today lines per day. Only its last
    // day's block changes from minute to minute (rebuilt, or followed by a
    // new day's), so only that is decoded; the lines before it are kept as
    // the file's bytes, which only a correction of an earlier day changes.
    // The file up to the last day's block (mapped, not copied; another
    // program may write the file, so the saves copy these bytes from it
    // after checking it, never through the mapping); CR LF line ends once written.
    QByteArray HistoryEarlier;
    QStringList HistoryLines;  // the last day's block (and any new day's block behind it until saved)
    // help.txc holds pairs of day key and that day's switch count. Only
    // today's count changes, so only the lines from today's key on are
    // decoded; the lines before it are kept as the file's bytes.
    QByteArray SwitchEarlier; // the file up to today's key line, every line ending with CR LF
    QStringList SwitchLines;  // from today's key line on: the key, today's count, and any lines after them

    qint32 SwitchCount = 0;      // switches made today
    qint32 SwitchLineIndex = -1; // index in SwitchLines of today's count line

    int CheckedIndex = -1;            // the checked item of the radio group, -1 for none
    bool NothingSelectedBold = false; // "Nothing Selected" drawn bold after adding or deleting an item
};

// The time ledger: owns the item table, the day key and the three line lists
// with their files, and runs every operation that changes them. It knows no
// widget: it reports through signals, takes the time from an injected clock
// and the regional settings from an injected LocaleValues.
//
// Operations throw HourwiseError with the message the user is to see; the
// state then stands where the failing step left it, as each function says.
class Ledger : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    static inline const QString DataFileName = QStringLiteral("data.txc");
    static inline const QString HistoryFileName = QStringLiteral("completedata.txc");
    static inline const QString SwitchFileName = QStringLiteral("help.txc");

    // folder: where the three files live (the program passes its working directory).
    Ledger(const QString &folder, Clock clock, const LocaleValues &locale, QObject *parent = nullptr);

    const LedgerState &state() const { return s_; }
    const LocaleValues &locale() const { return locale_; }
    void setLocale(const LocaleValues &locale) { locale_ = locale; }
    QDateTime now() const { return clock_(); }
    QString filePath(const QString &fileName) const;
    // The history file's bytes as the next save writes them.
    QByteArray historyBytes() const;
    // True once the start-up load has read all three files.
    bool isLoaded() const { return loaded_; }

    // Removes the temporary files that a kill left, reads the three files (a
    // missing file reads as empty and is seeded; a history that a save
    // stopped part-way loses its cut line), builds the item table,
    // brings the history's block of the data's day up to date with data.txc
    // (or, when data.txc is older than the history's last day, takes the
    // items and minutes from the history instead; see takeUpLaterHistory),
    // finds today's switch entry and runs SaveAll. When a file cannot be read
    // or parsed, data.txc is missing, empty or holds no item beside a history of earlier
    // days, or the history's last day is later than the clock's, it throws,
    // and from then on SaveAll writes nothing, so a bad start never
    // overwrites the user's data.
    void StartupLoad();

    // Starts a new history block and switch entry when the history does not
    // end with today's block, else rebuilds that block (the lines of today's
    // key at the end) from today's lines, one per item in item order; writes
    // data.txc whole, then of completedata.txc and help.txc only the end
    // that changed, in place (see writeDataAndHistory); emits saved().
    // A write failure throws and leaves the files not yet written as they
    // were (a history written in place may be cut within its last block,
    // which the start-up load repairs from data.txc); memory is kept and the
    // next SaveAll writes everything again.
    //
    // Before writing, each file is compared with the file Hourwise last read
    // or wrote (its identity, size and modification time): another program
    // may have written it since. Such a version is taken over where that
    // loses nothing Hourwise counted or saved: a help.txc always (every day
    // of either version kept, today's count Hourwise's), a data.txc whose
    // items and today lines are the ones Hourwise last saved (its totals,
    // with the minutes counted since added), a completedata.txc whose last
    // day is the one Hourwise last saved (its days, any day only Hourwise
    // saved, and that day's block Hourwise's). Otherwise the save throws
    // FileChangedError before writing anything, and fileChangedElsewhere()
    // names the file until a save gets through.
    void SaveAll();

    // The data file whose change by another program holds the saves back
    // (see SaveAll), or an empty text.
    const QString &fileChangedElsewhere() const { return changedElsewhere_; }

    // SaveAll over such a change, as the user chose: Hourwise's items and
    // minutes replace a changed data.txc; a changed completedata.txc keeps
    // every day it holds, gains each day only Hourwise saved (see
    // DaysOnlyHourwiseSaved), and the block of the last day Hourwise saved
    // is Hourwise's.
    void SaveOverChangedFile();

    // The days of the history that Hourwise saved and the file, as another
    // program left it, lacks (an older copy put back): the days that
    // saving over the change keeps and nothing else would. Empty while no
    // change holds the saves back.
    QVector<QDate> DaysOnlyHourwiseSaved() const;

    // The minute tick: refresh the day key, re-parse at a new date (restoring
    // the selection, which counts a switch), credit one minute to the
    // checked item, save. Does nothing before a successful start-up load.
    void MinuteTick();

    // Checks an item (the radio group's click): counts one switch unless the
    // item is already checked. -1 unchecks every item and counts nothing.
    void SelectItem(int index);

    void RefreshDayKey();
    QString TodayLine(int position) const;
    QString TotalLine(int position) const;
    void RebuildDataLines();

    // Re-reads the item table from DataLines and leaves no item checked.
    // A bad number throws; positions before it have been updated.
    void LoadItems();

    // Why a name cannot be stored in the line forms, or an empty text when it can.
    static QString NameProblem(const QString &name);

    // Appends an item with no minutes and saves; nothing is checked afterwards.
    // When the date has changed since the last save, the new day is started
    // first, as the minute tick would have done. name must be non-empty and
    // have no NameProblem.
    void AddItem(const QString &name);

    // Removes the item at position and writes data.txc and completedata.txc
    // (the caller runs SaveAll once the dialog has closed). When the date has
    // changed since the last save, the new day is started first, as for AddItem.
    void DeleteItem(int position);

    // Adds amount minutes to, or deducts them from, both counts of the item
    // and rewrites its two data lines in memory. Returns false, changing
    // nothing, when a count would leave the 32-bit range. When the date has
    // changed since the last save, the new day is started (and saved) first,
    // as for AddItem, so the minutes count for the new day. Undo takes a
    // change back from the day it counted for.
    bool AdjustTime(int position, qint32 amount, bool add);

    // Whether minutes credited on day can still be taken back: day is today
    // for the ledger and for the clock alike, so not after midnight, even
    // before the new day's first tick.
    bool IsStillDay(double day) const;

    // Takes up to minutes back from both counts of the item, never more than
    // its today minutes, and rewrites its two data lines in memory (the
    // caller saves). Counts no switch and keeps the selection. Returns the
    // minutes taken: none unless IsStillDay(day).
    qint32 TakeBackMinutes(int position, double day, qint32 minutes);

    // Saves, moves the three files to folder (MoveDataFiles: the old folder
    // keeps them until the copies are complete) and works there from now on,
    // the selection kept. Throws HourwiseError, leaving everything where it
    // was, when the save or the move fails.
    void MoveToFolder(const QString &folder);

    // What follows a closed item dialog: start the new day if the date has
    // changed, re-parse, save, and check the item at restoreIndex again
    // (counting a switch) when it is not -1.
    void ReloadSaveAndRestore(int restoreIndex);

    // Corrections of any day, a day's minutes moved between items, and
    // taking the last changes back (ledger_corrections.cpp). date is the day
    // the user chose when the dialog opened: a today that midnight has made
    // an earlier day since is changed in the history.

    // The day's lines: today's from the item table, an earlier day's from
    // the last run of its lines in the history (as in a file, with a
    // deleted item's line); no lines for a day without data. A minutes
    // field that is no number throws the conversion error.
    DayMinutes MinutesOfDay(QDate date) const;

    // Why the changes, or the move, cannot be made: the limits of
    // DayMinutesProblem, a line the day lacks; empty when they can.
    QString WhyNotCorrect(QDate date, const QVector<MinuteChange> &changes) const;
    QString WhyNotMove(QDate date, const DayLineRef &from, const DayLineRef &to, qint32 minutes) const;

    // Changes the day's lines by the changes and each present item's total
    // by the same minutes (an earlier day's line is an item's by name),
    // today's also its today minutes; the changed history block is written
    // whole with the files. Can be undone. Throws RefusedChange, changing
    // nothing, where WhyNotCorrect says why; a file changed by another
    // program holds it back as it holds SaveAll back (FileChangedError,
    // nothing changed); a failed write as SaveAll's (memory changed).
    void CorrectDay(QDate date, const QVector<MinuteChange> &changes);
    // Moves minutes from one line of the day to another, in one save, as CorrectDay.
    void MoveMinutes(QDate date, const DayLineRef &from, const DayLineRef &to, qint32 minutes);

    // What Undo takes back, "Undo Move 90 min from Mail to Writing", or an
    // empty text when nothing is left to undo.
    QString UndoCaption() const;
    // Takes back the last correction, move, addition or deduction still
    // on the stack, as CorrectDay changes a day (the same limits and errors).
    // A refused undo stays on the stack, unless its line is gone (an item
    // deleted since): it can never be taken back then, and is dropped.
    void Undo();

signals:
    void itemsReloaded();          // the item names may have changed; nothing is checked
    void selectionChanged(int checkedIndex);
    void switchCountChanged(int switchCount);
    void saved();                  // all three files written: time to redraw
    void dayCorrected(QDate date); // the day's minutes changed by a correction, a move or an undo
    void undoChanged();            // UndoCaption() changed

private:
    void resizeItemTable(int count);
    void startNewDay();
    void startDayIfDateChanged();
    void findTodaysSwitchEntry(const QByteArray &log);
    void splitSwitchLog(const QByteArray &log, qsizetype at);
    void appendSwitchEntry();
    void refuseToSeedBesideAHistory() const;
    void refuseAClockBehindTheHistory() const;
    bool dataDay(double *day) const;
    void catchUpHistoryWithData();
    bool historyLastDay(double *day) const;
    void takeUpLaterHistory(double dataDay);
    void rebuildBlockOfDay(double day);
    bool historyEndsOnToday() const;
    void SaveDataAndHistory();
    void takeOverOutsideChanges();
    [[noreturn]] void refuseChangedFile(const QString &fileName);
    void takeOverSwitchLog(const FileStamp &stamp);
    bool takeOverData(const FileStamp &stamp);
    std::optional<QVector<qint32>> totalsCarriedOver(const QStringList &theirs) const;
    bool takeOverHistory(const FileStamp &stamp);
    std::optional<double> lastSavedDay() const;
    // Their history with every earlier day that only Hourwise saved.
    DayUnion historyUnion(const QByteArray &theirs) const;
    void writeDataAndHistory();
    void writeData();
    // Writes the parts as the file, unless they are the very bytes that the
    // start-up read from it (asRead, which the first write forgets).
    void writeUnlessAsRead(const QString &fileName, std::optional<QByteArray> &asRead,
                           const QList<QByteArrayView> &parts, FileStamp &stamp);
    FileStamp writeFile(const QString &fileName, const QList<QByteArrayView> &parts, const MappedHead &head = {});
    // Writes wanted in place of onDisk, the file's bytes from start on, from
    // the first byte that differs (ReplaceFileEnd); false when it must be
    // written whole instead.
    bool writeFileEnd(const QString &fileName, FileStamp &stamp, qsizetype start, QByteArrayView onDisk,
                      QByteArrayView wanted, FileEndWrite how);
    bool writeHistoryEnd(const QByteArray &lastBlock);
    void syncFolder();
    void writeHistory();
    bool earlierHistoryIsMapped() const;
    QByteArray earlierHistoryBytes() const;
    void encodeEarlierHistoryAsSaved();
    void showEarlierHistoryFromFile(const FileStamp &saved);
    void settleHistory();
    void writeSwitchLog();

    // Corrections (ledger_corrections.cpp).
    struct DayChangePlan {
        DayMinutes day;
        QVector<qint64> after;    // each line's minutes once changed
        QVector<int> itemOfLine;  // the present item whose total a line's change changes, or -1
    };
    DayChangePlan planDayChange(QDate date, const QVector<MinuteChange> &changes) const;
    void changeMinutesOfDay(QDate date, const QVector<MinuteChange> &changes);
    void changeTodaysMinutes(const DayChangePlan &plan);
    void changeEarlierDaysMinutes(const DayChangePlan &plan);
    void startDayKeepingSelection();
    void pushUndo(QDate date, const QVector<MinuteChange> &changes, const QString &caption);
    void finishDayChange(QDate date);
    struct UndoEntry {
        QDate date;
        QVector<MinuteChange> changes; // what takes the change back
        QString caption;
    };
    QVector<UndoEntry> undo_;

    QString folder_;
    Clock clock_;
    LocaleValues locale_;
    // The history file whose bytes HistoryEarlier shows without a copy, when
    // they are the file's own; it outlives s_, which refers to it. The saves
    // copy those bytes from the file, never through the mapping.
    std::shared_ptr<MappedFile> historyFile_;
    // What a file holds from start on, as Hourwise last read or wrote it:
    // the bytes before start are those of HistoryEarlier (SwitchEarlier).
    // A save then writes only from the first byte that differs. start -1:
    // not known, so the next save writes the file whole.
    struct FileEnd {
        qsizetype start = -1;
        QByteArray bytes;
    };
    FileEnd historyEnd_;
    // The history file may end in part of a line (see writeDataAndHistory).
    bool historyMayBeCut_ = false;
    FileEnd switchLogEnd_;
    // The three files as Hourwise last read or wrote them.
    struct FileStamps {
        FileStamp data;
        FileStamp history;
        FileStamp switchLog;
    } stamps_;
    QStringList dataAsStored_;     // the data lines as data.txc last held them
    QString changedElsewhere_;     // see fileChangedElsewhere()
    bool overwriteChanges_ = false; // SaveOverChangedFile is saving
    bool folderNeedsSync_ = false; // files were renamed into it since its last sync
    LedgerState s_;
    bool loaded_ = false; // the start-up load has read all three files
    // Whether every line of HistoryEarlier is known to end with CR LF: not
    // for the bytes the start-up read, until their first write.
    bool historyEarlierEndingsChecked_ = true;
    // What the start-up load read, so that its save leaves alone the files
    // whose bytes it did not change: data.txc, completedata.txc as the size
    // of the bytes before its last block (-1: none read) and that block, and
    // help.txc. The first write of each file forgets them.
    struct FilesAsRead {
        std::optional<QByteArray> data;
        qsizetype historyEarlierSize = -1;
        QByteArray historyLastBlock;
        std::optional<QByteArray> switchLog;
    } asRead_;
};
