#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Text files of lines, as the three data files and the date view use them.
//
// Encoding: UTF-8, the system's 8-bit encoding on Linux. Bytes that are not
// valid UTF-8 (a file copied from another system) decode to the code points
// U+DC80..U+DCFF and encode back to the same bytes, so loading and saving
// never alters a line.
//
// Lines: reading ends a line at CR LF, a lone CR or a lone LF, and a last
// line without an ending still counts; writing ends every line with CR LF.

QStringList DecodeLines(const QByteArray &bytes);

// Where a line lies in a file's bytes: its text is [start, end), its line
// ending [end, next), and the following line starts at next.
struct LineSpan {
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

// The line that starts at start, which lies before the end of the bytes.
LineSpan LineAt(const QByteArray &bytes, qsizetype start);

// The line before the one that starts at next (next = bytes.size() gives
// the last line); next must be above 0. Lines are split exactly as
// DecodeLines splits them, so a file can be read from either end.
LineSpan LineBefore(const QByteArray &bytes, qsizetype next);

// The text of bytes [start, end), decoded as DecodeLines decodes a line.
QString DecodeLine(const QByteArray &bytes, qsizetype start, qsizetype end);

// Whether every line of the bytes ends with CR LF, so that they read and
// encode back to the same bytes (DecodeLines, then EncodeLines).
bool EndsEveryLineWithCrLf(const QByteArray &bytes);

// Text for people to read (on screen, in an export): each undecodable byte
// of a stored text shown as its Latin-1 character, the usual code page of
// older files, so "Caf\xE9" reads "Café". Never written back to the files.
QString ReadableText(const QString &stored);
QByteArray EncodeLines(const QStringList &lines);

// Reads the whole file. A file that does not exist reads as no lines.
// Throws HourwiseError "Cannot open file "<full path>". <reason>".
QStringList ReadLineFile(const QString &path);

// The same file's bytes undecoded, with the same errors.
QByteArray ReadFileBytes(const QString &path);

// Replaces the file whole and atomically (temporary file, then rename), so
// a crash or a full disk leaves either the old or the new file, never a part.
// Throws HourwiseError "Cannot create file "<full path>". <reason>".
void WriteLineFile(const QString &path, const QStringList &lines);

// The same for any bytes: lines already encoded by EncodeLines, a picture.
// The reason in the message is always the system's ("No space left on
// device"), whichever step failed: the write, the sync or the rename.
void WriteEncodedFile(const QString &path, const QByteArray &bytes);

// The same for bytes in parts, written one after the other, so that a large
// unchanged part need not be copied to join it with the rest.
void WriteEncodedFile(const QString &path, const QList<QByteArrayView> &parts);

// Removes the temporary files that a kill in the middle of WriteEncodedFile
// can leave beside path: its name, a dot and six letters ("help.txc.AbCdEf").
// Nothing else is touched; a file that cannot be removed is left.
void RemoveLeftTemporaries(const QString &path);
