#include "line_file.h"

#include "hourwise_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // undecodable byte b becomes U+DC00 + b

bool isContinuation(uchar c) { return (c & 0xC0) == 0x80; }

// Length of the valid UTF-8 sequence at p (at most n bytes), 0 if invalid.
int validSequenceLength(const uchar *p, qsizetype n, char32_t *codePoint)
{
    const uchar c = p[0];
    int length = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (n < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if (!isContinuation(p[k]))
            return 0;
        cp = (cp << 6) | (p[k] & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    const bool surrogate = cp >= 0xD800 && cp <= 0xDFFF;
    if (overlong || surrogate || cp > 0x10FFFF)
        return 0;
    *codePoint = cp;
    return length;
}

QString decodeLine(const uchar *p, qsizetype n)
{
    qsizetype ascii = 0;
    while (ascii < n && p[ascii] < 0x80)
        ++ascii;
    if (ascii == n)
        return QString::fromLatin1(reinterpret_cast<const char *>(p), n);

    QString line = QString::fromLatin1(reinterpret_cast<const char *>(p), ascii);
    for (qsizetype i = ascii; i < n;) {
        if (p[i] < 0x80) {
            line.append(QChar(p[i++]));
            continue;
        }
        char32_t cp = 0;
        const int length = validSequenceLength(p + i, n - i, &cp);
        if (length == 0) {
            line.append(QChar(char16_t(kEscapeBase + p[i++])));
            continue;
        }
        line.append(QString::fromUcs4(&cp, 1));
        i += length;
    }
    return line;
}

// Writes the UTF-8 form of cp at dst; returns the position after it.
char *putUtf8(char *dst, char32_t cp)
{
    if (cp < 0x80) {
        *dst++ = char(cp);
    } else if (cp < 0x800) {
        *dst++ = char(0xC0 | (cp >> 6));
        *dst++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *dst++ = char(0xE0 | (cp >> 12));
        *dst++ = char(0x80 | ((cp >> 6) & 0x3F));
        *dst++ = char(0x80 | (cp & 0x3F));
    } else {
        *dst++ = char(0xF0 | (cp >> 18));
        *dst++ = char(0x80 | ((cp >> 12) & 0x3F));
        *dst++ = char(0x80 | ((cp >> 6) & 0x3F));
        *dst++ = char(0x80 | (cp & 0x3F));
    }
    return dst;
}

// Encodes one line at dst, which has room for 3 bytes per UTF-16 unit;
// returns the position after it.
char *putLine(char *dst, const QString &line)
{
    const auto *s = reinterpret_cast<const char16_t *>(line.utf16());
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (c < 0x80) {
            *dst++ = char(c);
        } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            *dst++ = char(c - kEscapeBase); // an undecodable byte, written back as it was
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            dst = putUtf8(dst, QChar::surrogateToUcs4(c, s[i + 1]));
            ++i;
        } else {
            dst = putUtf8(dst, c);
        }
    }
    return dst;
}

QString fullPath(const QString &path)
{
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

QStringList DecodeLines(const QByteArray &bytes)
{
    QStringList lines;
    for (qsizetype at = 0; at < bytes.size();) {
        const LineSpan line = LineAt(bytes, at);
        lines.append(DecodeLine(bytes, line.start, line.end));
        at = line.next;
    }
    return lines;
}

LineSpan LineAt(const QByteArray &bytes, qsizetype start)
{
    const char *p = bytes.constData();
    const qsizetype n = bytes.size();
    LineSpan line{start, start, n};
    // Two vectorised searches instead of a loop over the bytes: a history of
    // decades is scanned line by line.
    const auto *lf = static_cast<const char *>(std::memchr(p + start, '\n', size_t(n - start)));
    line.end = lf ? lf - p : n;
    if (const auto *cr = static_cast<const char *>(std::memchr(p + start, '\r', size_t(line.end - start))))
        line.end = cr - p;
    if (line.end < n)
        line.next = line.end + (p[line.end] == '\r' && line.end + 1 < n && p[line.end + 1] == '\n' ? 2 : 1);
    return line;
}

LineSpan LineBefore(const QByteArray &bytes, qsizetype next)
{
    // A LF after a CR always belongs to it: reading forward pairs them too.
    const char *p = bytes.constData();
    LineSpan line{next, next, next};
    if (p[line.end - 1] == '\n') {
        --line.end;
        if (line.end > 0 && p[line.end - 1] == '\r')
            --line.end;
    } else if (p[line.end - 1] == '\r') {
        --line.end;
    }
    line.start = line.end;
    while (line.start > 0 && p[line.start - 1] != '\r' && p[line.start - 1] != '\n')
        --line.start;
    return line;
}

QString DecodeLine(const QByteArray &bytes, qsizetype start, qsizetype end)
{
    return decodeLine(reinterpret_cast<const uchar *>(bytes.constData()) + start, end - start);
}

bool EndsEveryLineWithCrLf(const QByteArray &bytes)
{
    // A byte is a LF exactly when the byte before it is a CR: then every LF
    // follows a CR and every CR precedes a LF. It runs over the whole
    // history at its first write, so 16 bytes are compared at once, each
    // beside the byte before it (an unaligned load one byte back).
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n == 0)
        return true;
    if (p[0] == '\n' || p[n - 1] != '\n')
        return false;
    using Bytes16 = uchar __attribute__((vector_size(16)));
    Bytes16 mismatch = {};
    qsizetype i = 1;
    for (; i + 16 <= n; i += 16) {
        Bytes16 at, before;
        std::memcpy(&at, p + i, 16);
        std::memcpy(&before, p + i - 1, 16);
        mismatch |= Bytes16(at == '\n') ^ Bytes16(before == '\r');
    }
    uchar rest = 0;
    for (; i < n; ++i)
        rest |= uchar(p[i] == '\n') ^ uchar(p[i - 1] == '\r');
    for (int k = 0; k < 16; ++k)
        rest |= mismatch[k];
    return rest == 0;
}

QString ReadableText(const QString &stored)
{
    // An escape is a lone low surrogate: the same unit after a high
    // surrogate is the second half of a character above U+FFFF (U+1F4CA
    // ends in U+DCCA), which stays as it is.
    QString text = stored;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool paired = i > 0 && text.at(i - 1).isHighSurrogate();
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF && !paired)
            text[i] = QChar(char16_t(c - kEscapeBase));
    }
    return text;
}

QByteArray EncodeLines(const QStringList &lines)
{
    qsizetype asciiSize = 0; // the exact size when every line is ASCII
    for (const QString &line : lines)
        asciiSize += line.size() + 2;
    QByteArray out(asciiSize, Qt::Uninitialized);
    qsizetype used = 0;
    for (const QString &line : lines) {
        const qsizetype worst = 3 * line.size() + 2;
        if (out.size() - used < worst)
            out.resize(used + std::max(worst, out.size() / 4));
        char *end = putLine(out.data() + used, line);
        *end++ = '\r';
        *end++ = '\n';
        used = end - out.constData();
    }
    out.truncate(used);
    return out;
}

QStringList ReadLineFile(const QString &path)
{
    return DecodeLines(ReadFileBytes(path));
}

namespace {

[[noreturn]] void throwCannotOpen(const QString &path, const QFile &file)
{
    throw HourwiseError(QStringLiteral("Cannot open file \"%1\". %2").arg(fullPath(path), file.errorString()));
}

QByteArray readAllOf(const QString &path, QFile &file)
{
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throwCannotOpen(path, file);
    return bytes;
}

} // namespace

QByteArray ReadFileBytes(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throwCannotOpen(path, file);
    return readAllOf(path, file);
}

namespace {

FileStamp stampOf(const struct stat &status)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.regular = S_ISREG(status.st_mode);
    stamp.identity = {quint64(status.st_dev), quint64(status.st_ino)};
    stamp.size = qint64(status.st_size);
    stamp.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    return stamp;
}

// The stamp of an open file; one that cannot be looked at stamps as missing,
// which matches no file that was read or written.
FileStamp stampOf(int fd)
{
    struct stat status {};
    return ::fstat(fd, &status) == 0 ? stampOf(status) : FileStamp{};
}

} // namespace

FileStamp StampOf(const QString &path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0)
        return stampOf(status);
    if (errno == ENOENT)
        return {};
    throw HourwiseError(QStringLiteral("Cannot open file \"%1\". %2").arg(fullPath(path), qt_error_string(errno)));
}

FileChangedError::FileChangedError(const QString &path)
    : HourwiseError(QStringLiteral("Cannot save file \"%1\". %2 was changed by another program")
                        .arg(fullPath(path), QFileInfo(path).fileName()))
{
}

std::shared_ptr<MappedFile> MappedFile::Map(const QString &path)
{
    std::shared_ptr<MappedFile> mapping(new MappedFile);
    QFile file(path);
    if (!file.exists())
        return mapping;
    if (!file.open(QIODevice::ReadOnly))
        throwCannotOpen(path, file);
    mapping->stamp_ = stampOf(file.handle());
    const qint64 size = file.size();
    mapping->fd_ = size > 0 ? ::fcntl(file.handle(), F_DUPFD_CLOEXEC, 0) : -1; // kept open to copy from
    void *mapped = mapping->fd_ >= 0 ? ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, mapping->fd_, 0) : MAP_FAILED;
    if (mapped == MAP_FAILED) {
        mapping->read_ = readAllOf(path, file);
        mapping->size_ = mapping->read_.size();
        return mapping;
    }
    mapping->mapped_ = static_cast<const char *>(mapped);
    mapping->size_ = size;
    return mapping;
}

MappedFile::~MappedFile()
{
    if (mapped_)
        ::munmap(const_cast<char *>(mapped_), size_t(size_));
    if (fd_ >= 0)
        ::close(fd_);
}

QByteArray MappedFile::bytes(qsizetype length) const
{
    const qsizetype n = length < 0 ? size_ : std::min(length, size_);
    return QByteArray::fromRawData(mapped_ ? mapped_ : read_.constData(), n);
}

void MappedFile::copyTo(qsizetype length, const QString &path, const std::function<void(QByteArrayView)> &sink) const
{
    if (!mapped_) { // the bytes were read, not mapped: nobody can change them
        sink(QByteArrayView(read_).first(std::min(length, read_.size())));
        return;
    }
    // The stamp taken again after the reading catches a change made while
    // the bytes were read (a file rewritten to the same size).
    const auto unchanged = [this] { return stampOf(fd_) == stamp_; };
    if (!unchanged() || length > size_)
        throw FileChangedError(path);
    constexpr qsizetype kChunk = 64 * 1024; // small enough to come from the heap, not a mapping of its own
    QByteArray chunk(std::min(length, kChunk), Qt::Uninitialized);
    for (qsizetype at = 0; at < length;) {
        const ssize_t got = ::pread(fd_, chunk.data(), size_t(std::min(length - at, kChunk)), off_t(at));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw FileChangedError(path);
        sink(QByteArrayView(chunk.constData(), got));
        at += got;
    }
    if (!unchanged())
        throw FileChangedError(path);
}

void WriteLineFile(const QString &path, const QStringList &lines)
{
    WriteEncodedFile(path, EncodeLines(lines));
}

namespace {

[[noreturn]] void throwCannotCreate(const QString &path, const QString &reason)
{
    throw HourwiseError(QStringLiteral("Cannot create file \"%1\". %2").arg(fullPath(path), reason));
}

// The system's reason for the last failure on file: Qt's text when Qt set
// an error, else the text of errnoAfter, the errno of the failing call.
QString reasonOf(const QFileDevice &file, int errnoAfter)
{
    return file.error() != QFileDevice::NoError ? file.errorString() : qt_error_string(errnoAfter);
}

// A write cut short (the disk filled up part-way) sets no error; writing
// the rest then fails at once with the system's reason.
bool writeWhole(QSaveFile &file, QByteArrayView bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

void WriteEncodedFile(const QString &path, const QByteArray &bytes)
{
    WriteEncodedFile(path, QList<QByteArrayView>{bytes});
}

FileStamp WriteEncodedFile(const QString &path, const QList<QByteArrayView> &parts, const MappedHead &head)
{
    QSaveFile file(path); // removes its temporary file on every failure below
    // Unbuffered, so that a failing write (a full disk) fails here: a write
    // that fails only when commit() flushes the buffer is not noticed by
    // QSaveFile, which would then put an empty file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throwCannotCreate(path, reasonOf(file, errno));
    const auto write = [&](QByteArrayView part) {
        if (!writeWhole(file, part))
            throwCannotCreate(path, reasonOf(file, errno));
    };
    if (head.file)
        head.file->copyTo(head.length, path, write);
    for (QByteArrayView part : parts)
        write(part);
    // QSaveFile ignores a failing sync; a device that reports a full disk or
    // an I/O error only there must not get the file renamed into place. A
    // file system that cannot sync at all is no reason to refuse.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != ENOTSUP)
        throwCannotCreate(path, qt_error_string(errno));
    const FileStamp written = stampOf(file.handle()); // a rename changes neither identity nor time
    if (!file.commit())
        throwCannotCreate(path, reasonOf(file, errno));
    return written;
}

namespace {

// A file descriptor closed when it goes out of scope.
struct OpenFile {
    int fd = -1;
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Whether bytes [at, at + length) of a file lie within one page of it, which
// a single write copies in one piece: a kill cannot split it.
bool withinOnePage(qsizetype at, qsizetype length)
{
    const qsizetype page = qsizetype(::sysconf(_SC_PAGESIZE));
    return length > 0 && at / page == (at + length - 1) / page;
}

// Fails as a write past the file size limit or onto a full disk would,
// before anything is written: the limit checked, the space reserved.
void reserveRoom(const QString &path, int fd, qsizetype keep, qsizetype end)
{
    if (end <= keep)
        return;
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && rlim_t(end) > limit.rlim_cur)
        throwCannotCreate(path, qt_error_string(EFBIG));
    // Where the file system cannot reserve, the write itself finds out.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, off_t(keep), off_t(end - keep)) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS)
        throwCannotCreate(path, qt_error_string(errno));
}

void writeAt(const QString &path, int fd, qsizetype at, QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::pwrite(fd, bytes.data() + done, size_t(bytes.size() - done), off_t(at + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throwCannotCreate(path, qt_error_string(written < 0 ? errno : ENOSPC));
        done += written;
    }
}

} // namespace

std::optional<FileStamp> ReplaceFileEnd(const QString &path, const FileStamp &expected, qsizetype keep,
                                        QByteArrayView tail, FileEndWrite how)
{
    const qsizetype end = keep + tail.size();
    const bool overwrite = end == expected.size && withinOnePage(keep, tail.size());
    if (how == FileEndWrite::Atomic && !overwrite)
        return std::nullopt;
    // Whatever is no longer a plain file there (gone, a folder in the way)
    // is the whole write's to replace or to report.
    const FileStamp now = StampOf(path);
    if (!now.exists || !now.regular)
        return std::nullopt;
    OpenFile file{::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW)};
    if (file.fd < 0)
        throwCannotCreate(path, qt_error_string(errno));
    // Checked on the file opened, not only by name before: nothing of
    // another program's version is ever written into.
    if (stampOf(file.fd) != expected)
        throw FileChangedError(path);
    if (!overwrite) {
        reserveRoom(path, file.fd, keep, end);
        if (::ftruncate(file.fd, off_t(keep)) != 0)
            throwCannotCreate(path, qt_error_string(errno));
    }
    writeAt(path, file.fd, keep, tail);
    if (::fsync(file.fd) != 0 && errno != EINVAL && errno != ENOTSUP)
        throwCannotCreate(path, qt_error_string(errno));
    return stampOf(file.fd);
}

void SyncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        throwCannotCreate(path, qt_error_string(errno));
    const int synced = ::fsync(fd);
    const int syncErrno = errno;
    ::close(fd);
    if (synced != 0 && syncErrno != EINVAL && syncErrno != ENOTSUP)
        throwCannotCreate(path, qt_error_string(syncErrno));
}

namespace {

// QSaveFile names its temporary file after the target, a dot and six random
// letters; only a kill between writing and renaming leaves one.
bool isTemporaryOf(const QString &name, const QString &target)
{
    constexpr int kLetters = 6;
    if (name.size() != target.size() + 1 + kLetters || !name.startsWith(target) || name.at(target.size()) != u'.')
        return false;
    const QStringView letters = QStringView(name).right(kLetters);
    return std::all_of(letters.begin(), letters.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
}

} // namespace

void RemoveLeftTemporaries(const QString &folder, const QStringList &fileNames)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Unsorted)) {
        if (std::any_of(fileNames.begin(), fileNames.end(), [&](const QString &target) { return isTemporaryOf(name, target); }))
            dir.remove(name);
    }
}
