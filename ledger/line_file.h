#pragma once

#include "hourwise_error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

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

// Which file a path led to when it was written or mapped: another file
// renamed over the path since then has another identity.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity &other) const { return device == other.device && inode == other.inode; }
};

// A file as it stood when Hourwise last read or wrote it. Another program
// that writes the file in place changes its size or its modification time;
// one that renames a new file over the path changes its identity too.
struct FileStamp {
    bool exists = false;
    bool regular = false; // a plain file, not a folder or a device
    FileIdentity identity;
    qint64 size = 0;
    qint64 modifiedNs = 0; // nanoseconds since the epoch
    bool operator==(const FileStamp &other) const
    {
        return exists == other.exists && regular == other.regular && identity == other.identity
            && size == other.size && modifiedNs == other.modifiedNs;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// The stamp of whatever is at path now; a missing file has exists false.
// Throws HourwiseError "Cannot open file "<full path>". <reason>".
FileStamp StampOf(const QString &path);

// A save held back because another program changed the file since Hourwise
// last read or wrote it, or while Hourwise copied from it. The message is
// "Cannot save file "<full path>". <file name> was changed by another program".
class FileChangedError : public HourwiseError {
public:
    explicit FileChangedError(const QString &path);
};

// A file's bytes mapped read-only instead of read into memory: the pages
// come from the system's file cache as they are touched, and the program
// keeps no copy of its own, which for a history of decades is most of what
// it would hold. Another program may write the file in place, which changes
// the mapped bytes or cuts them off (a touch past the new end kills the
// program): so after the start the bytes are read only through copyTo(),
// from the file kept open, and only while it is as it was when mapped.
// Where the file cannot be mapped (not a regular file), its bytes are read
// instead.
class MappedFile {
public:
    // A missing or empty file maps to no bytes; errors as ReadFileBytes.
    static std::shared_ptr<MappedFile> Map(const QString &path);
    ~MappedFile();
    MappedFile(const MappedFile &) = delete;
    MappedFile &operator=(const MappedFile &) = delete;

    // The first length bytes (all for -1), not copied: valid while the
    // mapping lives.
    QByteArray bytes(qsizetype length = -1) const;
    qsizetype size() const { return size_; }
    // The file as it was when mapped.
    const FileStamp &stamp() const { return stamp_; }
    // Hourwise itself wrote the file in place, beyond the bytes it reads
    // through this mapping (ReplaceFileEnd): the file as it is now counts
    // as unchanged.
    void noteOwnWrite(const FileStamp &now) { stamp_ = now; }

    // Hands the first length bytes to sink in parts, read from the file
    // rather than touched through the mapping. Throws FileChangedError,
    // naming path, when the file is no longer as it was when mapped, before
    // or after the reading, or ends before length.
    void copyTo(qsizetype length, const QString &path, const std::function<void(QByteArrayView)> &sink) const;

private:
    MappedFile() = default;

    int fd_ = -1;
    const char *mapped_ = nullptr;
    QByteArray read_; // the bytes, where mapping failed
    qsizetype size_ = 0;
    FileStamp stamp_;
};

// The first length bytes of a mapped file, as a part of a file to write.
struct MappedHead {
    const MappedFile *file = nullptr;
    qsizetype length = 0;
};

// Replaces the file whole and atomically (temporary file, then rename), so
// a crash or a full disk leaves either the old or the new file, never a part.
// Throws HourwiseError "Cannot create file "<full path>". <reason>".
void WriteLineFile(const QString &path, const QStringList &lines);

// The same for any bytes: lines already encoded by EncodeLines, a picture.
// The reason in the message is always the system's ("No space left on
// device"), whichever step failed: the write, the sync or the rename.
void WriteEncodedFile(const QString &path, const QByteArray &bytes);

// The same for bytes in parts, written one after the other, so that a large
// unchanged part need not be copied to join it with the rest; head, when it
// has a file, comes first and is copied from that file (MappedFile::copyTo).
// Returns the stamp of the file now at path.
FileStamp WriteEncodedFile(const QString &path, const QList<QByteArrayView> &parts, const MappedHead &head = {});

// Whether ReplaceFileEnd may cut the file short for a moment.
enum class FileEndWrite {
    // The file is cut after keep bytes and the tail written behind them: a
    // kill or a power cut part-way leaves the file ending in a prefix of
    // the tail (a last line without its line end), which the caller can
    // repair from a record of its own.
    MayCut,
    // Only an overwrite that a kill cannot split: a tail of the file's own
    // length that lies within one page of the file, written by one call.
    Atomic,
};

// Writes the end of a file in place, leaving its first keep bytes as they
// are, so that a save of a long file writes only what changed. The file
// must be the one Hourwise last wrote or read (expected): another
// program's version is never written into (FileChangedError, before
// anything is written). Returns nothing, writing nothing, when the file is
// missing or the write cannot be done the way asked: then write it whole.
// A file size limit and a full disk are found before the file is touched
// where the system can tell (the limit; reserving the space), so it then
// stays as it was. Syncs the file before it returns its new stamp.
// Throws HourwiseError "Cannot create file "<full path>". <reason>".
std::optional<FileStamp> ReplaceFileEnd(const QString &path, const FileStamp &expected, qsizetype keep,
                                        QByteArrayView tail, FileEndWrite how);

// Syncs the folder that holds path, so that the renames of files into it
// survive a power cut. Throws HourwiseError "Cannot create file "<full
// path>". <reason>"; a file system that cannot sync a folder is no reason.
void SyncFolderOf(const QString &path);

// Removes the temporary files that a kill in the middle of WriteEncodedFile
// can leave in folder beside one of the named files: its name, a dot and six
// letters ("help.txc.AbCdEf"). Nothing else is touched; a file that cannot
// be removed is left. The folder is listed once for all the names.
void RemoveLeftTemporaries(const QString &folder, const QStringList &fileNames);
