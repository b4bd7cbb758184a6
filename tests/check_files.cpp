// Helper of tests/kill_test.sh: makes a data folder, kills the program right
// after it has replaced one of its files (in the middle of a save), runs the
// item commands and kills itself in the middle of them, and checks after
// every kill that the three files are whole, parse, load through the real
// start-up load and agree with each other.
//
//   check_files generate DIR DATE ITEMS DAYS
//       ITEMS items with DAYS days of history before DATE (yyyy-MM-dd) and
//       today's data on DATE.
//   check_files kill-on-save PID DIR FILE DELAY_US TIMEOUT_MS
//       Kills PID with SIGKILL DELAY_US microseconds after FILE in DIR has
//       been replaced; on timeout kills it anyway. Exit 0 when the kill
//       followed a save, 3 after a timeout.
//   check_files drive DIR FILE DELAY_US
//       Loads the folder as the program starts, then runs one item command
//       as its menu handler does (add an item when there are fewer than six,
//       else delete one; or, one time in three, add time to an item) and
//       kills itself with SIGKILL DELAY_US microseconds after FILE has been
//       replaced by that command. Prints the command first; exit 0 when the
//       command ended before the kill.
//   check_files cut-save DIR
//       Cuts the history at a random byte of the block of data.txc's day,
//       as a kill in the middle of writing that block in place leaves it.
//   check_files start DIR
//       The start-up load alone.
//   check_files check DIR STATE
//       Checks the folder; STATE keeps the totals of the last check, which
//       may never go down, and STATE.history the history lines of the days
//       before its last block, which may never change. Prints one word on
//       success: how the history's last block stood against data.txc
//       ("in-step", "lags-a-minute", "behind-a-command", "new-day-pending",
//       "cut-in-a-save": the history ends in part of a line that the start-up load takes off).
//       Exit 1 with the faults on stderr.

#include "day_block.h"
#include "day_key.h"
#include "hourwise_error.h"
#include "ledger.h"
#include "line_file.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

namespace {

const LocaleValues kLocale; // the kill test runs the program under LC_ALL=C.UTF-8

[[noreturn]] void fail(const QString &what)
{
    throw std::runtime_error(what.toStdString());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(path + ": cannot be read");
    return file.readAll();
}

// ---- generate

int generate(const QString &dir, const QDate &date, int items, int days)
{
    QStringList names, data, history{"0:"}, switches;
    for (int i = 0; i < items; ++i)
        names << QStringLiteral("Item %1").arg(i + 1);
    QVector<qint32> totals(items, 1000);
    for (int day = days; day >= 0; --day) {
        const QString key = FloatToStr(JulianAtMidnight(date.addDays(-day)), kLocale);
        for (int i = 0; i < items; ++i) {
            const int minutes = (day * 13 + i * 7) % 90;
            history << QStringLiteral("%1:%2:%3:").arg(key, names[i]).arg(minutes);
            totals[i] += minutes;
            if (day == 0)
                data << history.last();
        }
        switches << key << QString::number(day % 9);
    }
    for (int i = 0; i < items; ++i)
        data << QStringLiteral("T:%1:%2:").arg(names[i]).arg(totals[i]);
    WriteLineFile(QDir(dir).filePath(Ledger::DataFileName), data);
    WriteLineFile(QDir(dir).filePath(Ledger::HistoryFileName), history);
    WriteLineFile(QDir(dir).filePath(Ledger::SwitchFileName), switches);
    return 0;
}

// ---- kill-on-save

int watchFolder(const QString &dir)
{
    // A file written whole arrives by rename; one written in place is
    // modified (cut, then written) and closed: the first change counts, so
    // that a kill can land in the middle of an in-place save.
    const int fd = inotify_init1(IN_CLOEXEC);
    if (fd < 0
        || inotify_add_watch(fd, QFile::encodeName(dir).constData(), IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE) < 0)
        fail(QStringLiteral("cannot watch ") + dir);
    return fd;
}

// Waits until the watched folder reports fileName replaced or changed;
// false on timeout (a negative timeout waits for ever). Changes of other
// files do not put the timeout off.
bool waitForReplaced(int fd, const QByteArray &fileName, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs); // negative: for ever
    alignas(inotify_event) char buffer[4096];
    pollfd waitFor{fd, POLLIN, 0};
    while (poll(&waitFor, 1, int(deadline.remainingTime())) > 0) {
        const ssize_t length = read(fd, buffer, sizeof buffer);
        for (ssize_t at = 0; at < length;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->len > 0 && fileName == event->name)
                return true;
            at += ssize_t(sizeof(inotify_event)) + event->len;
        }
    }
    return false;
}

int killOnSave(pid_t pid, const QString &dir, const QString &fileName, int delayMicroseconds, int timeoutMs)
{
    const bool saved = waitForReplaced(watchFolder(dir), QFile::encodeName(fileName), timeoutMs);
    if (saved)
        usleep(useconds_t(delayMicroseconds));
    kill(pid, SIGKILL);
    return saved ? 0 : 3;
}

// ---- drive

int drive(const QString &dir, const QString &fileName, int delayMicroseconds)
{
    // The clock is the process's, which the kill test fakes as the program's.
    Ledger ledger(dir, [] { return QDateTime::currentDateTime(); }, kLocale);
    ledger.StartupLoad();
    // Watched from here on, so that only the command's saves count.
    const int fd = watchFolder(dir);
    std::thread([fd, wanted = QFile::encodeName(fileName), delayMicroseconds] {
        waitForReplaced(fd, wanted, -1);
        usleep(useconds_t(delayMicroseconds));
        kill(getpid(), SIGKILL);
    }).detach();

    QRandomGenerator &random = *QRandomGenerator::global();
    const int items = ledger.state().ItemCount;
    const auto announce = [](const char *command) {
        std::printf("%s\n", command);
        std::fflush(stdout);
    };
    if (random.bounded(3) == 0) {
        announce("add-time");
        ledger.AdjustTime(random.bounded(items), 1 + random.bounded(30), true);
        ledger.ReloadSaveAndRestore(-1);
    } else if (items < 6) {
        announce("add");
        ledger.AddItem(QStringLiteral("Added %1").arg(random.bounded(1000000)));
    } else {
        announce("delete");
        ledger.DeleteItem(random.bounded(items));
        ledger.SaveAll();
    }
    return 0;
}

int start(const QString &dir)
{
    Ledger ledger(dir, [] { return QDateTime::currentDateTime(); }, kLocale);
    ledger.StartupLoad();
    return 0;
}

// ---- check

struct TodayLine {
    double day = 0;
    QString key, name;
    qint32 minutes = 0;
};

// Every line ends with CR LF; no lone CR or LF; the file is not empty.
void checkWhole(const QString &name, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        fail(name + ": empty");
    if (!bytes.endsWith("\r\n"))
        fail(name + ": the last line does not end with CR LF");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const bool loneCr = bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n');
        const bool loneLf = bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r');
        if (loneCr || loneLf)
            fail(QStringLiteral("%1: a line ends without CR LF at byte %2").arg(name).arg(i));
    }
}

// "<field>:<name>:<minutes>:" with the given first field rule.
QStringList splitRecord(const QString &where, const QString &line)
{
    const QStringList fields = line.split(QLatin1Char(':'));
    if (fields.size() != 4 || !fields[3].isEmpty() || fields[1].isEmpty())
        fail(where + ": not a record: " + line);
    return fields;
}

TodayLine parseTodayLine(const QString &where, const QString &line)
{
    const QStringList fields = splitRecord(where, line);
    return {StrToFloat(fields[0], kLocale), fields[0], fields[1], StrToInt(fields[2])};
}

QString firstField(const QString &line)
{
    return line.section(QLatin1Char(':'), 0, 0);
}

// The history without the run of lines of the given key at its end.
QStringList withoutTrailingRun(QStringList history, const QString &key)
{
    while (!history.isEmpty() && firstField(history.last()) == key)
        history.removeLast();
    return history;
}

// How the last block of the history stands against data.txc. A kill
// between writing data.txc and completedata.txc leaves the history behind:
// a minute behind, a command behind (an item more or less, minutes added),
// or without the block of a day that has just begun.
QString compareTodayBlock(const QList<TodayLine> &data, const QStringList &history)
{
    const QString key = data.first().key;
    const QStringList block = history.mid(withoutTrailingRun(history, key).size());
    if (block.isEmpty()) {
        if (StrToFloat(firstField(history.last()), kLocale) < data.first().day)
            return QStringLiteral("new-day-pending");
        fail(QStringLiteral("the history ends with a day after data.txc's: ") + history.last());
    }
    QList<TodayLine> lines;
    for (const QString &line : block)
        lines << parseTodayLine(QStringLiteral("history block"), line);
    if (lines.size() != data.size())
        return QStringLiteral("behind-a-command");
    int differing = 0;
    bool oneMinuteBehind = true;
    for (int i = 0; i < data.size(); ++i) {
        if (lines[i].name != data[i].name)
            return QStringLiteral("behind-a-command");
        if (lines[i].minutes != data[i].minutes) {
            ++differing;
            oneMinuteBehind = oneMinuteBehind && lines[i].minutes == data[i].minutes - 1;
        }
    }
    if (differing == 0)
        return QStringLiteral("in-step");
    return differing == 1 && oneMinuteBehind ? QStringLiteral("lags-a-minute") : QStringLiteral("behind-a-command");
}

// The real start-up load, on a copy, on the day data.txc names: it must
// read everything, come to the same table, and bring the history up to
// date: the block of the data's day rebuilt from data.txc, every line
// before it as it was.
void checkStartupLoad(const QString &dir, const QList<TodayLine> &today, const QVector<qint32> &totals,
                      const QStringList &history, const QStringList &dataToday)
{
    QTemporaryDir copy;
    for (const QString &name : {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName})
        if (!QFile::copy(QDir(dir).filePath(name), copy.filePath(name)))
            fail(QStringLiteral("cannot copy ") + name);
    const QDate day = DateOfJulian(today.first().day);
    Ledger ledger(copy.path(), [day] { return QDateTime(day, QTime(12, 0)); }, kLocale);
    try {
        ledger.StartupLoad();
    } catch (const HourwiseError &error) {
        fail(QStringLiteral("the start-up load fails: ") + error.message());
    }
    const LedgerState &state = ledger.state();
    if (state.ItemCount != today.size() || state.ItemTable.TotalMinutes != totals)
        fail(QStringLiteral("the start-up load reads another table"));
    for (int i = 0; i < today.size(); ++i)
        if (state.ItemTable.TodayMinutes[i] != today[i].minutes)
            fail(QStringLiteral("the start-up load reads other minutes for today"));
    const QByteArray repaired = readBytes(copy.filePath(Ledger::HistoryFileName));
    checkWhole(QStringLiteral("completedata.txc after the start-up load"), repaired);
    if (DecodeLines(repaired) != withoutTrailingRun(history, today.first().key) + dataToday)
        fail(QStringLiteral("the start-up load does not bring the history up to date with data.txc"));
}

// The history lines of the days before the last block may never change:
// each check finds those of the check before at the start of the history.
void checkEarlierDaysKept(const QString &snapshotPath, const QStringList &history)
{
    QFile snapshot(snapshotPath);
    if (snapshot.open(QIODevice::ReadOnly)) {
        const QStringList earlier = DecodeLines(snapshot.readAll());
        if (history.mid(0, earlier.size()) != earlier)
            fail(QStringLiteral("a history line of an earlier day has changed"));
        snapshot.close();
    }
    WriteLineFile(snapshotPath, withoutTrailingRun(history, firstField(history.last())));
}

// Totals may only grow from one check to the next, item by item (by name:
// items come and go).
void checkTotalsGrow(const QString &statePath, const QList<TodayLine> &today, const QVector<qint32> &totals)
{
    QFile state(statePath);
    if (state.open(QIODevice::ReadOnly)) {
        for (const QString &line : DecodeLines(state.readAll())) {
            const QString name = line.section(QLatin1Char(':'), 0, 0);
            const qint32 previous = StrToInt(line.section(QLatin1Char(':'), 1));
            for (int i = 0; i < totals.size(); ++i)
                if (today[i].name == name && totals[i] < previous)
                    fail(QStringLiteral("the total of %1 went back from %2 to %3").arg(name).arg(previous).arg(totals[i]));
        }
        state.close();
    }
    QStringList lines;
    for (int i = 0; i < totals.size(); ++i)
        lines << today[i].name + QLatin1Char(':') + IntToStr(totals[i]);
    WriteLineFile(statePath, lines);
}

// ---- cut-save

// Leaves the history as a kill between cutting it and writing its end
// leaves it: ending at a random byte of the block of data.txc's day.
int cutSave(const QString &dir)
{
    const QString path = QDir(dir).filePath(Ledger::HistoryFileName);
    const QByteArray history = readBytes(path);
    const QString key = firstField(DecodeLines(readBytes(QDir(dir).filePath(Ledger::DataFileName))).value(0));
    qsizetype blockStart = history.size();
    while (blockStart > 0) {
        const LineSpan line = LineBefore(history, blockStart);
        if (firstField(DecodeLine(history, line.start, line.end)) != key)
            break;
        blockStart = line.start;
    }
    const qsizetype end = blockStart + QRandomGenerator::global()->bounded(history.size() - blockStart + 1);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(end))
        fail(path + QStringLiteral(": cannot be cut"));
    return 0;
}

int check(const QString &dir, const QString &statePath)
{
    QByteArray bytes[3];
    const QString names[] = {Ledger::DataFileName, Ledger::HistoryFileName, Ledger::SwitchFileName};
    for (int f = 0; f < 3; ++f)
        bytes[f] = readBytes(QDir(dir).filePath(names[f]));
    checkWhole(names[0], bytes[0]);
    checkWhole(names[2], bytes[2]);
    const QStringList data = DecodeLines(bytes[0]), switches = DecodeLines(bytes[2]);

    if (data.size() % 2 != 0)
        fail(QStringLiteral("data.txc: an odd number of lines"));
    const int n = int(data.size() / 2);
    QList<TodayLine> today;
    QVector<qint32> totals;
    for (int i = 0; i < n; ++i) {
        today << parseTodayLine(QStringLiteral("data.txc:%1").arg(i + 1), data[i]);
        const QStringList total = splitRecord(QStringLiteral("data.txc:%1").arg(n + i + 1), data[n + i]);
        if (total[0] != QLatin1String("T") || total[1] != today[i].name)
            fail(QStringLiteral("data.txc: total line %1 does not belong to its item").arg(i + 1));
        if (today[i].key != today[0].key)
            fail(QStringLiteral("data.txc: today lines of different days"));
        totals << StrToInt(total[2]);
    }
    if (n == 0)
        fail(QStringLiteral("data.txc: no items"));

    // A kill in the middle of an in-place save leaves the history ending in
    // part of a line of data.txc's day, which the next start-up load takes off.
    const qsizetype whole = EndBeforeCutSave(bytes[1], today.first().key);
    checkWhole(names[1], bytes[1].first(whole));
    const QStringList history = DecodeLines(bytes[1].first(whole));
    if (history.first() != QLatin1String("0:"))
        fail(QStringLiteral("completedata.txc: the seed line is gone"));
    for (int i = 1; i < history.size(); ++i)
        parseTodayLine(QStringLiteral("completedata.txc:%1").arg(i + 1), history[i]);

    if (switches.size() % 2 != 0)
        fail(QStringLiteral("help.txc: an odd number of lines"));
    for (int i = 0; i < switches.size(); i += 2) {
        StrToFloat(switches[i], kLocale);
        StrToInt(switches[i + 1]);
    }
    if (StrToFloat(switches[switches.size() - 2], kLocale) > today.first().day)
        fail(QStringLiteral("help.txc: a day beyond data.txc"));

    const QString standing = whole < bytes[1].size() ? QStringLiteral("cut-in-a-save") : compareTodayBlock(today, history);
    checkEarlierDaysKept(statePath + QStringLiteral(".history"), history);
    checkStartupLoad(dir, today, totals, history, data.mid(0, n));
    checkTotalsGrow(statePath, today, totals);
    std::printf("%s\n", qPrintable(standing));
    return 0;
}

int run(const QStringList &args)
{
    const QString command = args.value(1);
    if (command == QLatin1String("generate") && args.size() == 6)
        return generate(args[2], QDate::fromString(args[3], Qt::ISODate), args[4].toInt(), args[5].toInt());
    if (command == QLatin1String("kill-on-save") && args.size() == 7)
        return killOnSave(pid_t(args[2].toInt()), args[3], args[4], args[5].toInt(), args[6].toInt());
    if (command == QLatin1String("drive") && args.size() == 5)
        return drive(args[2], args[3], args[4].toInt());
    if (command == QLatin1String("cut-save") && args.size() == 3)
        return cutSave(args[2]);
    if (command == QLatin1String("start") && args.size() == 3)
        return start(args[2]);
    if (command == QLatin1String("check") && args.size() == 4)
        return check(args[2], args[3]);
    std::fprintf(stderr, "usage: check_files generate|kill-on-save|drive|start|check ... (see the source)\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    try {
        return run(app.arguments());
    } catch (const HourwiseError &error) {
        std::fprintf(stderr, "check_files: %s\n", qPrintable(error.message()));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "check_files: %s\n", error.what());
    }
    return 1;
}
