#include "hourwise_error.h"
#include "line_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class TestLineFile : public QObject {
    Q_OBJECT
private slots:
    void splitsEveryLineEnding_data();
    void splitsEveryLineEnding();
    void writesCrLfAfterEveryLine();
    void undecodableBytesSurviveARoundTrip_data();
    void undecodableBytesSurviveARoundTrip();
    void undecodableBytesReadAsLatin1();
    void validUtf8DecodesToText();
    void missingFileReadsEmpty();
    void unreadableFileReportsFullPath();
    void failedWriteKeepsOldFileAndNamesIt();
    void failedWriteGivesTheSystemsReason_data();
    void failedWriteGivesTheSystemsReason();
    void writeReplacesWholeFile();
    void mappedHeadIsCopiedOnlyWhileUnchanged();
};

void TestLineFile::splitsEveryLineEnding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lone cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("lone lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("last line unended") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("empty lines") << QByteArray("\r\n\r\n") << QStringList{"", ""};
    QTest::newRow("lf cr is two endings") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("cr before cr lf") << QByteArray("\ra\r\r\n") << QStringList{"", "a", ""};
    // The CR LF check compares 16 bytes at a time from the second byte on,
    // so a CR at index 64 ends one group and its LF starts the next. A long
    // last line makes the groups after it whole.
    const QByteArray a64(64, 'a'), a65(65, 'a'), c70(70, 'c');
    QTest::newRow("cr lf across a block") << a64 + "\r\nb\r\n" + c70 + "\r\n" << QStringList{a64, "b", c70};
    QTest::newRow("lone lf after a block") << a65 + "\nf\r\n" + c70 + "\r\n" << QStringList{a65, "f", c70};
    QTest::newRow("lone cr at a block's end") << a64 + "\rx\r\n" + c70 + "\r\n" << QStringList{a64, "x", c70};
    QTest::newRow("lone lf first") << QByteArray("\na\r\n") << QStringList{"", "a"};
}

void TestLineFile::splitsEveryLineEnding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(DecodeLines(bytes), lines);
    // Read from the end, line by line, the same lines come out.
    QStringList backwards;
    for (qsizetype next = bytes.size(); next > 0;) {
        const LineSpan line = LineBefore(bytes, next);
        backwards.prepend(DecodeLine(bytes, line.start, line.end));
        next = line.start;
    }
    QCOMPARE(backwards, lines);
    QCOMPARE(EndsEveryLineWithCrLf(bytes), EncodeLines(lines) == bytes);
}

void TestLineFile::writesCrLfAfterEveryLine()
{
    QCOMPARE(EncodeLines({"0:", "2461382.5:Mail:3:"}), QByteArray("0:\r\n2461382.5:Mail:3:\r\n"));
    QCOMPARE(EncodeLines({}), QByteArray());
    QCOMPARE(EncodeLines({""}), QByteArray("\r\n"));
}

void TestLineFile::undecodableBytesSurviveARoundTrip_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("latin1 e acute") << QByteArray("K:Caf\xe9:3:");
    QTest::newRow("lone continuation") << QByteArray("\x80\xbf");
    QTest::newRow("truncated sequence") << QByteArray("ab\xe2\x82");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80");
    QTest::newRow("beyond unicode") << QByteArray("\xf4\x90\x80\x80");
    QTest::newRow("mixed with valid") << QByteArray("\xc3\xa9\xff\xf0\x9f\x98\x80\xfe");
}

void TestLineFile::undecodableBytesSurviveARoundTrip()
{
    QFETCH(QByteArray, line);
    const QByteArray file = line + "\r\n";
    QCOMPARE(EncodeLines(DecodeLines(file)), file);
}

void TestLineFile::undecodableBytesReadAsLatin1()
{
    const QStringList lines = DecodeLines("K:Caf\xe9 \xc3\xa9:1:\r\n");
    QCOMPARE(ReadableText(lines.at(0)), QStringLiteral("K:Café é:1:"));
    // U+1F4CA's second half, U+DCCA, is no escaped byte; the lone one after it is.
    const QString chart = DecodeLines("\xf0\x9f\x93\x8a Stats\xca").at(0);
    QCOMPARE(ReadableText(chart), QStringLiteral("\U0001F4CA Stats\u00ca"));
}

void TestLineFile::validUtf8DecodesToText()
{
    const QStringList lines = DecodeLines("K:Caf\xc3\xa9 \xf0\x9f\x98\x80:1:\r\n");
    QCOMPARE(lines, QStringList{QStringLiteral("K:Café 😀:1:")});
    QCOMPARE(EncodeLines(lines), QByteArray("K:Caf\xc3\xa9 \xf0\x9f\x98\x80:1:\r\n"));
}

void TestLineFile::missingFileReadsEmpty()
{
    QTemporaryDir dir;
    QCOMPARE(ReadLineFile(dir.filePath("none.txc")), QStringList());
}

void TestLineFile::unreadableFileReportsFullPath()
{
    if (geteuid() == 0)
        QSKIP("root reads every file");
    QTemporaryDir dir;
    const QString path = dir.filePath("data.txc");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
    try {
        ReadLineFile(path);
        QFAIL("read an unreadable file");
    } catch (const HourwiseError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(path)),
                 qPrintable(error.message()));
    }
}

void TestLineFile::failedWriteKeepsOldFileAndNamesIt()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("ro");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/data.txc";
    WriteLineFile(path, {"old"});
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    bool refused = true;
    try {
        WriteLineFile(path, {"new"});
        refused = false;
    } catch (const HourwiseError &error) {
        QVERIFY2(error.message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)),
                 qPrintable(error.message()));
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!refused && geteuid() == 0)
        QSKIP("root writes into a read-only folder");
    QVERIFY(refused);
    QCOMPARE(ReadLineFile(path), QStringList{"old"});
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"data.txc"}); // no temporary left behind
}

void TestLineFile::failedWriteGivesTheSystemsReason_data()
{
    QTest::addColumn<qint64>("sizeLimit");
    QTest::newRow("disk full from the start") << qint64(0);
    QTest::newRow("disk full part-way") << qint64(10);
}

// The message ends with the system's own reason, never "Unknown error":
// a write cut short part-way sets no error in Qt, for instance. A file size
// limit of the process stands for a full disk (EFBIG instead of ENOSPC).
void TestLineFile::failedWriteGivesTheSystemsReason()
{
    QFETCH(qint64, sizeLimit);
    QTemporaryDir dir;
    const QString path = dir.filePath("data.txc");
    WriteLineFile(path, {"old"});
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(sizeLimit);
    QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
    QString message;
    try {
        WriteLineFile(path, QStringList(20, QStringLiteral("new line")));
    } catch (const HourwiseError &e) {
        message = e.message();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    QCOMPARE(message, QStringLiteral("Cannot create file \"%1\". %2").arg(path, qt_error_string(EFBIG)));
    QCOMPARE(ReadLineFile(path), QStringList{"old"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"data.txc"});
}

void TestLineFile::writeReplacesWholeFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("help.txc");
    WriteLineFile(path, {"a", "b", "c", "d"});
    WriteLineFile(path, {"e"});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("e\r\n"));
}

// A mapped file's head is copied from the file, and only while it is as it
// was when mapped: written in place to the same size (another time) or cut
// short, it is refused, where reading the mapping would copy the other
// program's bytes or die of SIGBUS. A file renamed over the path leaves the
// mapped one whole.
void TestLineFile::mappedHeadIsCopiedOnlyWhileUnchanged()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("completedata.txc"), copy = dir.filePath("copy.txc");
    const QByteArray bytes = QByteArray("2461381.5:Writing:50:\r\n").repeated(1000); // several pages
    WriteEncodedFile(path, bytes);
    const std::shared_ptr<const MappedFile> mapped = MappedFile::Map(path);
    QCOMPARE(mapped->stamp(), StampOf(path));
    const auto copyHead = [&] { WriteEncodedFile(copy, {"tail\r\n"}, {mapped.get(), bytes.size() - 100}); };

    WriteEncodedFile(path, QByteArray(bytes).replace("50", "60")); // renamed over the path
    copyHead();
    QCOMPARE(ReadFileBytes(copy), bytes.first(bytes.size() - 100) + "tail\r\n");
    QVERIFY(mapped->stamp() != StampOf(path));

    const std::shared_ptr<const MappedFile> inPlace = MappedFile::Map(path);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QCOMPARE(file.write("2461381.5:Writing:55:"), 21); // the same size, another time
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    QVERIFY_THROWS_EXCEPTION(FileChangedError, WriteEncodedFile(copy, {}, {inPlace.get(), bytes.size() - 100}));
    QVERIFY(file.resize(30)); // cut short
    QVERIFY_THROWS_EXCEPTION(FileChangedError, WriteEncodedFile(copy, {}, {inPlace.get(), bytes.size() - 100}));
    QCOMPARE(ReadFileBytes(copy), bytes.first(bytes.size() - 100) + "tail\r\n"); // refused before the rename
}

QTEST_GUILESS_MAIN(TestLineFile)
#include "test_line_file.moc"
