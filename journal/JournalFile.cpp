// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "JournalFile.h"

#include "JournalTypes.h"
#include "RecordEntry.h"
#include "RegularFile.h"
#include "SugarEntry.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <future>
#include <iterator>
#include <limits>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// How long a change waits for another writer to finish before it gives up,
// unless lock() took the lock for longer.
constexpr int lockWaitMs = 2000;
// A lock file that names no process may be one being written this moment:
// it is stale once it has stayed so for this long.
constexpr qint64 unnamedLockGraceMs = 200;

constexpr qsizetype chunkSize = 1 << 20;

// A quick 64-bit fingerprint of a file's bytes, fed in pieces of any size:
// enough to tell a change, not a defence against one made on purpose. Four
// lanes of 8 bytes are mixed side by side, which keeps up with the bytes.
class Fingerprint
{
public:
    void add(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return;
        size += bytes.size();
        const char *p = bytes.data();
        qsizetype left = bytes.size();
        if (held > 0) {
            const qsizetype take = std::min(left, blockSize - held);
            std::memcpy(carried + held, p, size_t(take));
            held += take;
            p += take;
            left -= take;
            if (held < blockSize)
                return;
            mixBlock(lanes, carried);
            held = 0;
        }
        for (; left >= blockSize; p += blockSize, left -= blockSize)
            mixBlock(lanes, p);
        std::memcpy(carried, p, size_t(left));
        held = left;
    }
    quint64 value() const
    {
        quint64 last[lanesCount];
        std::copy(std::begin(lanes), std::end(lanes), last);
        if (held > 0) {
            char tail[blockSize] = {};
            std::memcpy(tail, carried, size_t(held));
            mixBlock(last, tail);
        }
        quint64 hash = last[0];
        for (int i = 1; i < lanesCount; ++i)
            mix(hash, last[i]);
        return hash ^ quint64(size);
    }
    qsizetype size = 0;

    // Its state, to go on from where it stopped without the bytes before.
    void saveTo(quint64 *savedLanes, QByteArray *tail) const
    {
        std::copy(std::begin(lanes), std::end(lanes), savedLanes);
        *tail = QByteArray(carried, held);
    }
    static Fingerprint restored(const quint64 *savedLanes, const QByteArray &tail, qsizetype size)
    {
        Fingerprint print;
        std::copy(savedLanes, savedLanes + lanesCount, print.lanes);
        std::memcpy(print.carried, tail.constData(), size_t(tail.size()));
        print.held = tail.size();
        print.size = size;
        return print;
    }

private:
    static constexpr int lanesCount = 4;
    static constexpr qsizetype blockSize = 8 * lanesCount;

    static void mix(quint64 &lane, quint64 word)
    {
        lane = (lane ^ word) * 0x9E3779B97F4A7C15ULL;
        lane ^= lane >> 29;
    }
    static void mixBlock(quint64 *lanes, const char *block)
    {
        for (int i = 0; i < lanesCount; ++i) {
            quint64 word;
            std::memcpy(&word, block + 8 * i, 8);
            mix(lanes[i], word);
        }
    }

    quint64 lanes[lanesCount] = { 0x243F6A8885A308D3ULL, 0x13198A2E03707344ULL,
        0xA4093822299F31D0ULL, 0x082EFA98EC4E6C89ULL };
    char carried[blockSize] = {};
    qsizetype held = 0;
};

// Reads up to a whole chunk: a short read of a regular file is its end.
QByteArrayView readChunk(QFile &file, QByteArray &buffer)
{
    buffer.resize(chunkSize);
    qsizetype got = 0;
    while (got < chunkSize) {
        const qint64 n = file.read(buffer.data() + got, chunkSize - got);
        if (n <= 0)
            break;
        got += n;
    }
    return QByteArrayView(buffer.constData(), got);
}

// Up to size bytes at offset of the file, fewer only at its end; minus the
// error number on an error.
qint64 readAt(int fd, char *to, qint64 size, qint64 offset)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, to + got, size_t(size - got), offset + got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -errno;
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// The whole of a file opened for reading. A large one is read in two
// halves at once: copying its bytes and the fresh pages they go to take
// half the time on two cores.
bool readWhole(QFile &file, QByteArray *bytes, QString *error)
{
    constexpr qint64 large = qint64(4) << 20;
    const qint64 size = file.size();
    if (size >= large && size < std::numeric_limits<qsizetype>::max() / 2
        && QThread::idealThreadCount() > 1) {
        QByteArray all(qsizetype(size), Qt::Uninitialized);
        const qint64 half = size / 2;
        auto second = std::async(std::launch::async,
            [&] { return readAt(file.handle(), all.data() + half, size - half, half); });
        const qint64 first = readAt(file.handle(), all.data(), half, 0);
        const qint64 rest = second.get();
        // A file that changed size meanwhile is read again in one go.
        if (first == half && rest == size - half && file.seek(size)) {
            *bytes = std::move(all);
            *bytes += file.readAll();
            if (file.error() == QFileDevice::NoError)
                return true;
        } else if (first < 0 || rest < 0) {
            *error = qt_error_string(-int(std::min(first, rest)));
            return false;
        }
        if (!file.seek(0)) {
            *error = file.errorString();
            return false;
        }
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        bytes->clear();
        return false;
    }
    return true;
}

// Finds where lines end: LF, CR LF, or a lone CR, as old Mac files have
// them. Each kind is searched for once over the bytes, however they mix.
class LineEnds
{
public:
    explicit LineEnds(QByteArrayView bytes)
        : bytes(bytes)
    { }

    // The end of the text of the line that starts at from, and the start
    // of the next line (the size of the bytes when it is the last).
    std::pair<qsizetype, qsizetype> after(qsizetype from)
    {
        if (lf < from)
            lf = find('\n', from);
        if (cr < from)
            cr = find('\r', from);
        if (cr < lf)
            return { cr, cr + 1 == lf && lf < bytes.size() ? lf + 1 : cr + 1 };
        return { lf, std::min(lf + 1, bytes.size()) };
    }

private:
    qsizetype find(char c, qsizetype from) const
    {
        if (from >= bytes.size())
            return bytes.size();
        const void *at = std::memchr(bytes.data() + from, c, size_t(bytes.size() - from));
        return at ? static_cast<const char *>(at) - bytes.data() : bytes.size();
    }

    QByteArrayView bytes;
    qsizetype lf = -1;
    qsizetype cr = -1;
};

// Hands each line of text to use, without its line end.
template <typename Use> void eachLine(QByteArrayView text, Use &&use)
{
    LineEnds ends(text);
    for (qsizetype from = 0; from < text.size();) {
        const auto [end, next] = ends.after(from);
        use(text.sliced(from, end - from));
        from = next;
    }
}

// The first line end of a file's bytes, LF in a file of one line or none.
QByteArray lineEndOf(QByteArrayView bytes)
{
    const auto [text, next] = LineEnds(bytes).after(0);
    return text < bytes.size() ? bytes.sliced(text, next - text).toByteArray()
                               : QByteArrayLiteral("\n");
}

qsizetype byteOrderMarkSize(QByteArrayView bytes)
{
    return bytes.startsWith("\xef\xbb\xbf") ? 3 : 0;
}

// How many of the bytes are c, sixteen at a time where the processor can:
// a million lines are counted on every read.
qsizetype countOf(QByteArrayView bytes, char c)
{
    qsizetype n = 0;
    qsizetype i = 0;
#ifdef __SSE2__
    const __m128i pattern = _mm_set1_epi8(c);
    while (bytes.size() - i >= 16) {
        // Each byte of sums counts up to 255 matches.
        __m128i sums = _mm_setzero_si128();
        const qsizetype end = i + std::min<qsizetype>((bytes.size() - i) / 16, 255) * 16;
        for (; i < end; i += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(bytes.data() + i));
            sums = _mm_sub_epi8(sums, _mm_cmpeq_epi8(v, pattern));
        }
        const __m128i total = _mm_sad_epu8(sums, _mm_setzero_si128());
        n += _mm_cvtsi128_si64(total) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total));
    }
#endif
    return n + std::count(bytes.begin() + i, bytes.end(), c);
}

// The lines of the bytes, as LineEnds splits them: each LF, CR LF or lone
// CR ends one, and text after the last end is one more.
int lineCountOf(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return 0;
    qsizetype ends = countOf(bytes, '\n');
    if (bytes.contains('\r')) {
        ends += countOf(bytes, '\r');
        for (qsizetype i = bytes.indexOf("\r\n"); i >= 0; i = bytes.indexOf("\r\n", i + 2))
            --ends;
    }
    const char last = bytes.back();
    return int(ends + (last != '\n' && last != '\r'));
}

// The fingerprint of an open file from its start.
bool fingerprintOf(QFile &file, qsizetype *size, quint64 *hash)
{
    if (!file.seek(0))
        return false;
    Fingerprint print;
    QByteArray buffer;
    for (QByteArrayView chunk = readChunk(file, buffer); !chunk.isEmpty();
         chunk = readChunk(file, buffer))
        print.add(chunk);
    *size = print.size;
    *hash = print.value();
    return file.error() == QFileDevice::NoError;
}

bool isUtf16Mark(QByteArrayView head)
{
    return head.startsWith("\xff\xfe") || head.startsWith("\xfe\xff");
}

QString changedMessage()
{
    return QStringLiteral("The journal was changed by another program since it was read");
}

// Whether the bytes of a lock file name a process: a lock that does not,
// empty or garbage, was left by a writer killed while it wrote it.
bool namesAProcess(QLockFile &lock)
{
    qint64 pid = 0;
    QString host, app;
    return lock.getLockInfo(&pid, &host, &app) && pid > 0;
}

// What stands where a lock file goes and is none: reading a FIFO blocks, a
// device such as /dev/zero never ends, and a link may lead anywhere. The
// path is looked at, not followed. Empty for a regular file or nothing.
QString inTheWay(const QString &path)
{
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return {};
    const QString kind = S_ISDIR(status.st_mode) ? QStringLiteral("a folder")
        : S_ISLNK(status.st_mode)                ? QStringLiteral("a link")
        : S_ISFIFO(status.st_mode)               ? QStringLiteral("a FIFO")
        : S_ISSOCK(status.st_mode)               ? QStringLiteral("a socket")
                                                 : QStringLiteral("a device");
    return QStringLiteral("Cannot lock the journal: %1 is %2, not a lock file").arg(path, kind);
}

qint64 ageMs(const QString &path)
{
    const QDateTime changed = QFileInfo(path).lastModified();
    return changed.isValid() ? std::abs(changed.msecsTo(QDateTime::currentDateTime())) : 0;
}

bool holdsLineBreak(const QByteArray &line)
{
    return line.contains('\n') || line.contains('\r');
}

} // namespace

JournalFile::JournalFile(const QString &path)
    : filePath(path)
{ }

JournalFile::~JournalFile() = default;

bool JournalFile::lock(int waitMs)
{
    if (held)
        return true;
    error.clear();
    auto lock = std::make_unique<QLockFile>(lockPath());
    if (!acquire(*lock, waitMs))
        return false;
    held = std::move(lock);
    return true;
}

QString JournalFile::lockPath() const
{
    return writeTarget() + QStringLiteral(".lock");
}

bool JournalFile::acquire(QLockFile &lock, int waitMs)
{
    QString target;
    if (!RegularFile::target(filePath, &target, &error))
        return false;
    // The folder as named, not made absolute: the name of the current one
    // may not be UTF-8.
    const QString folder = QFileInfo(lockPath()).path();
    struct stat status = {};
    const int why = ::stat(QFile::encodeName(folder).constData(), &status) != 0 ? errno
        : S_ISDIR(status.st_mode)                                               ? 0
                                                                                : ENOTDIR;
    if (why) {
        error = why == EACCES ? qt_error_string(why)
                              : QStringLiteral("The folder %1 does not exist").arg(folder);
        return false;
    }
    // A lock is stale only when it names no live process, however old it
    // is: a writer may hold it for as long as its change takes.
    lock.setStaleLockTime(0);
    QElapsedTimer waited;
    waited.start();
    int pause = 5;
    for (;;) {
        // Qt reads a lock file it cannot take, and the one beside it that
        // guards the removal of a stale one.
        for (const QString &path :
            { lockPath(), QString(lockPath() + QStringLiteral(".rmlock")) }) {
            error = inTheWay(path);
            if (!error.isEmpty())
                return false;
        }
        // Qt takes over a lock whose process has ended; one that names no
        // process is taken over here.
        if (lock.tryLock(0))
            return true;
        if (lock.error() != QLockFile::LockFailedError) {
            error = whyNoLock(lock.error());
            return false;
        }
        if (removeUnnamed(lock))
            continue;
        const qint64 left = waitMs - waited.elapsed();
        if (left <= 0)
            break;
        QThread::msleep(ulong(std::min<qint64>(pause, left)));
        pause = std::min(pause * 2, 100);
    }
    qint64 pid = 0;
    QString host, app;
    lock.getLockInfo(&pid, &host, &app);
    error = QStringLiteral(
        "Another program (%1, process %2) is writing the journal; gave up after %3 s")
                .arg(app.isEmpty() ? QStringLiteral("unknown") : app)
                .arg(pid)
                .arg((waitMs + 500) / 1000);
    return false;
}

bool JournalFile::removeUnnamed(QLockFile &lock) const
{
    if (namesAProcess(lock) || ageMs(lockPath()) < unnamedLockGraceMs)
        return false;
    // One writer at a time looks again and removes it.
    QLockFile removal(lockPath() + QStringLiteral(".rmlock"));
    removal.setStaleLockTime(0);
    if (!removal.tryLock(0))
        return false;
    return QFileInfo::exists(lockPath()) && !namesAProcess(lock)
        && ageMs(lockPath()) >= unnamedLockGraceMs && lock.removeStaleLockFile();
}

QString JournalFile::whyNoLock(int lockError) const
{
    if (lockError == QLockFile::PermissionError)
        return QStringLiteral("Cannot lock the journal: Permission denied");
    // Qt does not say why it could not write the lock: a file written
    // beside it does.
    const QString folder = QFileInfo(lockPath()).path();
    QTemporaryFile probe(folder + QStringLiteral("/.journal-XXXXXX"));
    if (probe.open() && probe.write(QByteArray(512, '\n')) == 512 && probe.flush())
        return QStringLiteral("Cannot lock the journal");
    const QString why = probe.errorString();
    struct statvfs space = {};
    if (::statvfs(QFile::encodeName(folder).constData(), &space) == 0 && space.f_files > 0
        && space.f_favail == 0)
        return why + QStringLiteral(": no free inodes");
    return why;
}

void JournalFile::reset()
{
    data.clear();
    placed = Placed();
    starts.clear();
    wide = false;
    wideLines.clear();
    present = false;
    error.clear();
    knownSize = 0;
    knownHash = 0;
    Fingerprint().saveTo(knownLanes, &knownTail);
    knownStamp = Stamp();
    knownLines = 0;
}

bool JournalFile::open(QFile &file)
{
    if (QFileInfo(filePath).isDir()) {
        error = QStringLiteral("Is a folder, not a journal");
        return false;
    }
    return RegularFile::open(file, filePath, &error);
}

bool JournalFile::read()
{
    reset();
    keep = true;
    QFile file;
    if (!open(file))
        return false;
    // Taken before the bytes: a change while they are read does not show it.
    const Stamp stamp = stampOf(file.handle());
    if (!readWhole(file, &data, &error))
        return false;
    present = true;
    knownStamp = stamp;
    if (isUtf16Mark(data)) {
        wide = true;
        QStringDecoder utf16(data.startsWith("\xff\xfe") ? QStringDecoder::Utf16LE
                                                         : QStringDecoder::Utf16BE);
        const QString text = utf16(QByteArrayView(data).sliced(2));
        for (qsizetype from = 0; from < text.size();) {
            qsizetype end = from;
            while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
                ++end;
            wideLines << text.mid(from, end - from);
            from = end + (text.mid(end, 2) == QLatin1String("\r\n") ? 2 : 1);
        }
    }
    know();
    return true;
}

namespace {

// Where a part of a file starts: after the first LF at its share of the
// bytes or later, so that no line is cut; the file's size when there is
// none. CR LF ends with the LF; lone CRs end lines inside a part.
qint64 partStart(int fd, qint64 nominal, QString *error)
{
    if (nominal <= 0)
        return 0;
    char window[4096];
    for (qint64 at = nominal - 1;;) {
        const qint64 got = readAt(fd, window, sizeof window, at);
        if (got < 0) {
            *error = qt_error_string(-int(got));
            return -1;
        }
        if (got == 0)
            return at;
        if (const void *lf = std::memchr(window, '\n', size_t(got)))
            return at + (static_cast<const char *>(lf) - window) + 1;
        at += got;
    }
}

// Reads the lines from one part's start to the next's, a chunk at a time
// into one buffer, and hands them to use. A line that a chunk cuts is
// carried to the next, and so are lone CRs after the last LF: the CR of a
// CR LF may end a chunk.
bool readPart(int fd, qint64 from, qint64 nominalEnd, bool last, int part,
    const std::function<void(int part, QByteArrayView line)> &use, QString *error)
{
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    qsizetype carried = 0;
    bool atStart = from == 0;
    for (qint64 at = from;;) {
        if (buffer.size() < carried + chunkSize)
            buffer.resize(carried + chunkSize);
        qint64 got = readAt(fd, buffer.data() + carried, chunkSize, at);
        if (got < 0) {
            *error = qt_error_string(-int(got));
            return false;
        }
        bool done = got == 0;
        // The part ends after the first LF at the next part's share or later.
        if (!last && at + got > nominalEnd - 1) {
            const qint64 look = std::max(at, nominalEnd - 1) - at;
            const void *lf = std::memchr(buffer.data() + carried + look, '\n', size_t(got - look));
            if (lf) {
                got = static_cast<const char *>(lf) - (buffer.data() + carried) + 1;
                done = true;
            }
        }
        at += got;
        QByteArrayView bytes(buffer.constData(), carried + got);
        // The first chunk holds the whole of a byte order mark.
        if (atStart)
            bytes = bytes.sliced(byteOrderMarkSize(bytes));
        atStart = false;
        qsizetype complete = bytes.size();
        if (!done) {
            const qsizetype lf = bytes.lastIndexOf('\n');
            complete = lf < 0 ? 0 : lf + 1;
        }
        eachLine(bytes.first(complete), [&use, part](QByteArrayView line) { use(part, line); });
        carried = bytes.size() - complete;
        std::memmove(buffer.data(), bytes.data() + complete, size_t(carried));
        if (done)
            return true;
    }
}

} // namespace

bool JournalFile::readInParts(
    int parts, const std::function<void(int part, QByteArrayView line)> &use)
{
    reset();
    QFile file;
    if (!open(file))
        return false;
    if (isUtf16Mark(file.peek(2))) {
        file.close();
        if (!read())
            return false;
        for (int n = 1; n <= lineCount(); ++n)
            use(0, lineText(n).toUtf8());
        reset();
        present = true;
        return true;
    }
    // Parts of a few megabytes at least: below that, a thread costs more
    // than it saves.
    constexpr qint64 leastPart = qint64(2) << 20;
    const qint64 size = file.size();
    parts = int(std::clamp<qint64>(size / leastPart, 1, std::max(parts, 1)));
    std::vector<QString> errors(static_cast<std::size_t>(parts));
    const auto read = [&](int part) {
        QString &why = errors[std::size_t(part)];
        const qint64 start = partStart(file.handle(), size * part / parts, &why);
        if (start >= 0) {
            readPart(file.handle(), start, size * (part + 1) / parts, part == parts - 1, part, use,
                &why);
        }
    };
    std::vector<std::future<void>> others;
    for (int part = 1; part < parts; ++part)
        others.push_back(std::async(std::launch::async, read, part));
    read(0);
    for (std::future<void> &other : others)
        other.get();
    for (const QString &why : errors) {
        if (!why.isEmpty()) {
            error = why;
            return false;
        }
    }
    present = true;
    return true;
}

bool JournalFile::scan(const std::function<void(int number, QByteArrayView line)> &use)
{
    reset();
    QFile file;
    if (!open(file))
        return false;
    if (isUtf16Mark(file.peek(2))) {
        file.close();
        return read();
    }
    keep = false;
    present = true;
    const Stamp stamp = stampOf(file.handle());

    Fingerprint print;
    QByteArray buffer;
    QByteArray carried; // the start of a line that the next chunk ends
    int number = 0;
    // A CR that ends a chunk may be the first half of a CR LF.
    bool afterCr = false;
    for (QByteArrayView chunk = readChunk(file, buffer); !chunk.isEmpty();
         chunk = readChunk(file, buffer)) {
        print.add(chunk);
        qsizetype from = print.size == chunk.size() ? byteOrderMarkSize(chunk) : 0;
        if (afterCr && chunk.startsWith('\n'))
            from = 1;
        afterCr = false;
        LineEnds ends(chunk);
        while (from < chunk.size()) {
            const auto [text, next] = ends.after(from);
            if (text == chunk.size()) {
                carried += chunk.sliced(from);
                break;
            }
            if (carried.isEmpty()) {
                use(++number, chunk.sliced(from, text - from));
            } else {
                carried += chunk.sliced(from, text - from);
                use(++number, carried);
                carried.clear();
            }
            afterCr = next == chunk.size() && chunk[text] == '\r';
            from = next;
        }
    }
    if (!carried.isEmpty())
        use(++number, carried);
    if (file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        reset();
        error = why;
        return false;
    }
    knownSize = print.size;
    knownHash = print.value();
    print.saveTo(knownLanes, &knownTail);
    knownStamp = stamp;
    knownLines = number;
    return true;
}

void JournalFile::know()
{
    starts.clear();
    Fingerprint print;
    print.add(data);
    knownSize = print.size;
    knownHash = print.value();
    print.saveTo(knownLanes, &knownTail);
    if (wide)
        return;
    // The lines are counted; they are indexed when the first is asked for.
    knownLines = lineCountOf(QByteArrayView(data).sliced(byteOrderMarkSize(data)));
}

bool JournalFile::hold() const
{
    if (!data.isEmpty() || knownSize == 0 || wide)
        return true;
    QFile file;
    QString ignored;
    if (!RegularFile::open(file, filePath, &ignored))
        return false;
    const Stamp stamp = stampOf(file.handle());
    QByteArray bytes = file.readAll();
    // A file that shows what was read is known unchanged, as isCurrent() knows it.
    if (!(knownStamp.size >= 0 && stamp == knownStamp)) {
        Fingerprint print;
        print.add(bytes);
        if (print.size != knownSize || print.value() != knownHash)
            return false;
    }
    knownStamp = stamp;
    data = std::move(bytes);
    placed = Placed();
    return true;
}

QByteArrayView JournalFile::line(int number) const
{
    if (wide || number < 1 || number > lineCount() || !hold())
        return {};
    const Place at = place(number);
    return QByteArrayView(data).sliced(at.start, at.end - at.start);
}

QByteArrayView JournalFile::text() const
{
    if (wide || !keep)
        return {};
    return QByteArrayView(data).sliced(byteOrderMarkSize(data));
}

void JournalFile::forEachLine(QByteArrayView text, const std::function<void(QByteArrayView)> &use)
{
    eachLine(text, use);
}

QString JournalFile::lineText(int number) const
{
    if (wide)
        return number >= 1 && number <= lineCount() ? wideLines[number - 1] : QString();
    return QString::fromUtf8(line(number));
}

bool JournalFile::append(const QStringList &lines)
{
    QList<QByteArray> encoded;
    for (const QString &text : lines) {
        encoded.append(text.toUtf8());
        if (holdsLineBreak(encoded.last())) {
            error = QStringLiteral("A reading holds a line break");
            return false;
        }
    }
    QLockFile lock(lockPath());
    return begin(lock, false) && writeAppended(encoded);
}

bool JournalFile::writeAppended(const QList<QByteArray> &lines)
{
    if (data.isEmpty() && knownSize > 0)
        return writeCopied(lines);
    const QByteArray end = lineEnd();
    QByteArray added;
    if (data.size() > byteOrderMarkSize(data) && !data.endsWith('\n') && !data.endsWith('\r'))
        added += end;
    for (const QByteArray &line : lines)
        added += line + end;
    return write({ data, added }, lineCount() + int(lines.size()));
}

bool JournalFile::writeCopied(const QList<QByteArray> &lines)
{
    // The old journal, known unchanged from what the file system tells of
    // it, is copied by the system; one that tells of a change is read and
    // checked, as every other change does.
    QFile old;
    QString why;
    if (!RegularFile::open(old, filePath, &why) || !(stampOf(old.handle()) == knownStamp)) {
        old.close();
        if (!hold()) {
            changed = true;
            error = changedMessage();
            return false;
        }
        return writeAppended(lines);
    }
    // The new lines end as the first does, after an end for the last.
    QByteArray head;
    for (;;) {
        const auto [text, next] = LineEnds(head).after(0);
        // A CR at the end of what was read may be the first half of a CR LF.
        if ((text < head.size() && (head[text] != '\r' || next < head.size()))
            || head.size() >= knownSize)
            break;
        const QByteArray more = old.read(std::min<qint64>(knownSize - head.size(), 4096));
        if (more.isEmpty())
            break;
        head += more;
    }
    char last = 0;
    if (::pread(old.handle(), &last, 1, knownSize - 1) != 1) {
        error = qt_error_string(errno);
        return false;
    }
    const QByteArray end = lineEndOf(head);
    QByteArray added;
    if (knownSize > byteOrderMarkSize(head) && last != '\n' && last != '\r')
        added += end;
    for (const QByteArray &line : lines)
        added += line + end;

    QString target;
    QFile now;
    Stamp stamp;
    const auto fill = [&](QSaveFile &out) {
        return RegularFile::copy(old, knownSize, out, &error)
            && RegularFile::writeAll(out, added, &error);
    };
    if (!replaceWith(fill, &target, now, &stamp))
        return false;
    const QByteArray theirs = rescue(now, target, true);
    Fingerprint print = Fingerprint::restored(knownLanes, knownTail, knownSize);
    print.add(added);
    print.add(theirs);
    knownSize = print.size;
    knownHash = print.value();
    print.saveTo(knownLanes, &knownTail);
    knownLines += int(lines.size());
    knownStamp = stamp;
    placed = Placed();
    // Lines another program appended meanwhile are counted from the file.
    return theirs.isEmpty() || scan([](int, QByteArrayView) {});
}

bool JournalFile::ready(QLockFile &lock, int number, int last, const QByteArray &line, bool bytes)
{
    if (number < 1 || number > last) {
        error = QStringLiteral("No line %1 in the journal").arg(number);
        return false;
    }
    if (holdsLineBreak(line)) {
        error = QStringLiteral("A reading holds a line break");
        return false;
    }
    return begin(lock, bytes);
}

bool JournalFile::begin(QLockFile &lock, bool bytes)
{
    changed = false;
    error.clear();
    const QFileInfo info(filePath);
    if (wide || info.isDir() || (info.exists() && !info.isFile())) {
        error = whyNotWritable();
        return false;
    }
    if (!held && !acquire(lock, lockWaitMs))
        return false;
    // Bytes not kept are read again under the lock, checked as they are
    // read; write() checks the file once more right before it replaces it.
    if (bytes && data.isEmpty() && knownSize != 0 && !hold()) {
        changed = true;
        error = changedMessage();
        return false;
    }
    return true;
}

bool JournalFile::replace(int number, const QByteArray &line)
{
    QLockFile lock(lockPath());
    if (!ready(lock, number, lineCount(), line))
        return false;
    // The line's own end stays: CR LF, LF, CR, or none on a last line.
    const Place at = place(number);
    const QByteArrayView bytes(data);
    return write({ bytes.first(at.start), line, bytes.sliced(at.end) }, lineCount());
}

bool JournalFile::insert(int number, const QByteArray &line)
{
    QLockFile lock(lockPath());
    // A line after the last needs none of the bytes before it.
    if (!ready(lock, number, lineCount() + 1, line, number <= lineCount()))
        return false;
    if (number > lineCount())
        return writeAppended({ line });
    const Place at = place(number);
    const QByteArrayView bytes(data);
    return write(
        { bytes.first(at.start), line, lineEnd(), bytes.sliced(at.start) }, lineCount() + 1);
}

bool JournalFile::remove(int number)
{
    QLockFile lock(lockPath());
    if (!ready(lock, number, lineCount(), QByteArray()))
        return false;
    const Place at = place(number);
    const QByteArrayView bytes(data);
    return write({ bytes.first(at.start), bytes.sliced(at.next) }, lineCount() - 1);
}

bool JournalFile::isCurrent() const
{
    QFile file;
    return isCurrent(file);
}

bool JournalFile::isCurrent(QFile &file) const
{
    if (!QFileInfo::exists(filePath))
        return !present;
    QString ignored;
    qsizetype size = 0;
    quint64 hash = 0;
    if (!present || !RegularFile::open(file, filePath, &ignored))
        return false;
    if (knownStamp.size >= 0 && stampOf(file.handle()) == knownStamp)
        return true;
    return fingerprintOf(file, &size, &hash) && size == knownSize && hash == knownHash;
}

QString JournalFile::whyNotWritable() const
{
    QString target;
    QString why;
    if (!RegularFile::target(filePath, &target, &why))
        return why;
    const QFileInfo info(filePath);
    if (info.isDir())
        return QStringLiteral("Is a folder, not a journal");
    if (info.exists() && !info.isFile())
        return QStringLiteral("Not a regular file");
    if (wide)
        return QStringLiteral("The journal is in UTF-16, which is read but not written");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("The journal is read-only");
    // A change writes a new file beside the journal, and a lock.
    const QFileInfo folder(QFileInfo(target).path());
    if (!folder.exists())
        return QStringLiteral("The folder %1 does not exist").arg(folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("The journal's folder is read-only");
    return {};
}

QString JournalFile::problem(const JournalEntry *entry)
{
    if (!entry)
        return QStringLiteral("unknown type code");
    if (!entry->getDate().isValid())
        return QStringLiteral("impossible date");
    if (!entry->getTime().isValid())
        return QStringLiteral("impossible time");
    // A reading is told by its type's code, without a search of the
    // classes, which costs more than the rest of the look at a line.
    if (&entry->getType() == &SugarEntry::typecode)
        return static_cast<const SugarEntry *>(entry)->valueProblem();
    // So is a record of a type the journal knows, which a cast across the
    // library's bounds would compare by name.
    for (const RecordEntry::Description *type : JournalTypes::records()) {
        if (&entry->getType() == &type->typecode)
            return static_cast<const RecordEntry *>(entry)->problem();
    }
    if (const auto *record = dynamic_cast<const RecordEntry *>(entry))
        return record->problem();
    if (const auto *sugar = dynamic_cast<const SugarEntry *>(entry))
        return sugar->valueProblem();
    return {};
}

QString JournalFile::writeTarget() const
{
    // A link stays a link: the new file replaces what it leads to. One that
    // cannot be followed is refused before a change, as the lock is taken.
    QString target;
    QString ignored;
    return RegularFile::target(filePath, &target, &ignored) ? target : filePath;
}

bool JournalFile::replaceWith(
    const std::function<bool(QSaveFile &out)> &fill, QString *target, QFile &old, Stamp *stamp)
{
    if (!RegularFile::target(filePath, target, &error))
        return false;
    QSaveFile out(*target);
    if (!RegularFile::open(out, &error))
        return false;
    keepOwner(out, *target);
    bool written = fill(out);
    // Another program may have written without the lock since the read.
    // The old journal stays open: what it appends until the new file has
    // taken the name is found there.
    if (written && !isCurrent(old)) {
        changed = true;
        error = changedMessage();
        written = false;
    }
    if (!written) {
        out.cancelWriting();
        return false;
    }
    // No other program can have written the new file yet.
    *stamp = stampOf(out.handle());
    if (!out.commit()) {
        error = out.errorString();
        return false;
    }
    return true;
}

bool JournalFile::write(const std::vector<QByteArrayView> &pieces, int lines)
{
    QString target;
    QFile old;
    Stamp stamp;
    const auto fill = [&](QSaveFile &out) { return RegularFile::writeAll(out, pieces, &error); };
    if (!replaceWith(fill, &target, old, &stamp))
        return false;
    // The new file is known from what was written, and held only where
    // the bytes are kept: it need not be read again.
    Fingerprint print;
    QByteArrayView last;
    for (const QByteArrayView piece : pieces) {
        print.add(piece);
        if (!piece.isEmpty())
            last = piece;
    }
    const QByteArray theirs
        = rescue(old, target, last.isEmpty() || last.endsWith('\n') || last.endsWith('\r'));
    present = true;
    placed = Placed();
    if (keep || !theirs.isEmpty()) {
        QByteArray contents;
        contents.reserve(print.size + theirs.size());
        for (const QByteArrayView piece : pieces)
            contents += piece;
        contents += theirs;
        data = std::move(contents);
        know();
    } else {
        knownSize = print.size;
        knownHash = print.value();
        print.saveTo(knownLanes, &knownTail);
        knownLines = lines;
    }
    knownStamp = stamp;
    if (!keep) {
        data.clear();
        starts.clear();
    }
    return true;
}

void JournalFile::index() const
{
    starts.clear();
    LineEnds ends(data);
    // A byte order mark belongs to the file, not to its first line.
    for (qsizetype from = byteOrderMarkSize(data); from < data.size();
         from = ends.after(from).second)
        starts.push_back(from);
}

JournalFile::Place JournalFile::place(int number) const
{
    if (starts.empty() && keep)
        index();
    if (!starts.empty()) {
        const qsizetype start = starts[size_t(number - 1)];
        const qsizetype next = number < int(starts.size()) ? starts[size_t(number)] : data.size();
        return { start, LineEnds(QByteArrayView(data).first(next)).after(start).first, next };
    }
    // Bytes held for a change are not indexed: the line is counted to,
    // once for the look at a line and the change of it that follows.
    if (placed.number != number) {
        LineEnds ends(data);
        qsizetype from = byteOrderMarkSize(data);
        for (int n = 1; n < number; ++n)
            from = ends.after(from).second;
        const auto [end, next] = ends.after(from);
        placed = { number, { from, end, next } };
    }
    return placed.at;
}

QByteArray JournalFile::lineEnd() const
{
    return lineEndOf(data);
}

QByteArray JournalFile::rescue(QFile &old, const QString &target, bool endsLine) const
{
    // A program that writes without the lock may have the old journal open
    // as the new one takes its name: a write that waited for the rename
    // lands in the old file moments after it. Those bytes go to the end of
    // the new one.
    QByteArray rescued;
    if (!old.isOpen())
        return rescued;
    qint64 taken = knownSize;
    for (int look = 0; look < 2; ++look) {
        if (look > 0)
            QThread::msleep(2);
        struct stat status = {};
        if (::fstat(old.handle(), &status) != 0 || status.st_size <= taken || !old.seek(taken))
            continue;
        QByteArray theirs = old.read(status.st_size - taken);
        taken += theirs.size();
        if (!endsLine)
            theirs.prepend(lineEnd());
        QFile now(target);
        if (now.open(QIODevice::Append | QIODevice::Unbuffered)
            && now.write(theirs) == theirs.size() && ::fdatasync(now.handle()) == 0) {
            rescued += theirs;
            endsLine = theirs.endsWith('\n') || theirs.endsWith('\r');
        }
    }
    return rescued;
}

JournalFile::Stamp JournalFile::stampOf(int fd)
{
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return {};
    return { quint64(status.st_dev), quint64(status.st_ino), qint64(status.st_size),
        qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec };
}

void JournalFile::keepOwner(QSaveFile &out, const QString &target)
{
    // A journal written by root for its user stays the user's, and one that
    // a group shares stays the group's when a member writes it: the system
    // lets root give a file away, and an owner give it to a group of its
    // own. The mode goes along, as a change of owner clears some of it.
    struct stat old = {};
    struct stat now = {};
    if (::stat(QFile::encodeName(target).constData(), &old) != 0
        || ::fstat(out.handle(), &now) != 0)
        return;
    const bool given = (old.st_uid != now.st_uid || old.st_gid != now.st_gid)
        && (::fchown(out.handle(), old.st_uid, old.st_gid) == 0
            || (old.st_gid != now.st_gid && ::fchown(out.handle(), uid_t(-1), old.st_gid) == 0));
    if (given)
        ::fchmod(out.handle(), old.st_mode & 07777);
}
