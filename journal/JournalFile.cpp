// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "JournalFile.h"

#include "RecordEntry.h"
#include "SugarEntry.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstring>

namespace {

// How long a writer waits for another one to finish before it gives up.
constexpr int lockWaitMs = 2000;

constexpr qsizetype chunkSize = 1 << 20; // a multiple of 8, as the fingerprint needs

// A quick 64-bit fingerprint of a file's bytes, fed in pieces whose sizes
// are multiples of 8 but for the last: enough to tell a change, not a
// defence against one made on purpose.
class Fingerprint
{
public:
    void add(QByteArrayView bytes)
    {
        const char *p = bytes.data();
        const char *end = p + (bytes.size() & ~qsizetype(7));
        for (; p < end; p += 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            mix(w);
        }
        if (bytes.size() & 7) {
            quint64 tail = 0;
            std::memcpy(&tail, end, size_t(bytes.size() & 7));
            mix(tail);
        }
        size += bytes.size();
    }
    quint64 value() const { return hash ^ quint64(size); }
    qsizetype size = 0;

private:
    void mix(quint64 w)
    {
        hash = (hash ^ w) * 0x9E3779B97F4A7C15ULL;
        hash ^= hash >> 29;
    }
    quint64 hash = 0x243F6A8885A308D3ULL;
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

bool fingerprintOf(const QString &path, qsizetype *size, quint64 *hash)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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
    return QStringLiteral(
        "The journal was changed by another program since it was read: reload it first");
}

bool holdsLineBreak(const QByteArray &line)
{
    return line.contains('\n') || line.contains('\r');
}

} // namespace

JournalFile::JournalFile(const QString &path)
    : filePath(path)
{ }

void JournalFile::reset()
{
    data.clear();
    starts.clear();
    wide = false;
    wideLines.clear();
    present = false;
    error.clear();
    knownSize = 0;
    knownHash = 0;
    knownLines = 0;
}

bool JournalFile::open(QFile &file)
{
    const QFileInfo info(filePath);
    if (info.isDir()) {
        error = QStringLiteral("Is a folder, not a journal");
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = info.exists() || info.isSymLink() ? file.errorString()
                                                  : QStringLiteral("No such file");
        return false;
    }
    return true;
}

bool JournalFile::read()
{
    reset();
    keep = true;
    QFile file(filePath);
    if (!open(file))
        return false;
    data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        data.clear();
        return false;
    }
    present = true;
    if (isUtf16Mark(data)) {
        wide = true;
        QStringDecoder utf16(data.startsWith("\xff\xfe") ? QStringDecoder::Utf16LE
                                                         : QStringDecoder::Utf16BE);
        const QString text = utf16(QByteArrayView(data).sliced(2));
        wideLines = text.split(u'\n');
        if (!wideLines.isEmpty() && wideLines.last().isEmpty())
            wideLines.removeLast();
        for (QString &l : wideLines) {
            if (l.endsWith(u'\r'))
                l.chop(1);
        }
    }
    know();
    return true;
}

bool JournalFile::scan(const std::function<void(int number, QByteArrayView line)> &use)
{
    reset();
    QFile file(filePath);
    if (!open(file))
        return false;
    if (isUtf16Mark(file.peek(2))) {
        file.close();
        return read();
    }
    keep = false;
    present = true;

    Fingerprint print;
    QByteArray buffer;
    QByteArray carried; // the start of a line that the next chunk ends
    int number = 0;
    const auto give = [&](QByteArrayView line) {
        if (line.endsWith('\r'))
            line.chop(1);
        use(++number, line);
    };
    for (QByteArrayView chunk = readChunk(file, buffer); !chunk.isEmpty();
         chunk = readChunk(file, buffer)) {
        print.add(chunk);
        QByteArrayView rest = chunk;
        if (print.size == chunk.size() && rest.startsWith("\xef\xbb\xbf"))
            rest = rest.sliced(3);
        for (qsizetype nl = rest.indexOf('\n'); nl >= 0; nl = rest.indexOf('\n')) {
            if (carried.isEmpty()) {
                give(rest.first(nl));
            } else {
                carried += rest.first(nl);
                give(carried);
                carried.clear();
            }
            rest = rest.sliced(nl + 1);
        }
        carried += rest;
    }
    if (!carried.isEmpty())
        give(carried);
    if (file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        reset();
        error = why;
        return false;
    }
    knownSize = print.size;
    knownHash = print.value();
    knownLines = number;
    return true;
}

void JournalFile::know()
{
    Fingerprint print;
    print.add(data);
    knownSize = print.size;
    knownHash = print.value();
    if (wide)
        return;
    if (keep) {
        index();
        knownLines = int(starts.size());
        return;
    }
    // Bytes that are not kept need no index, only their count of lines.
    const qsizetype from = data.startsWith("\xef\xbb\xbf") ? 3 : 0;
    knownLines = int(QByteArrayView(data).sliced(from).count('\n'));
    if (data.size() > from && !data.endsWith('\n'))
        ++knownLines;
}

bool JournalFile::hold() const
{
    if (!data.isEmpty() || knownSize == 0 || wide)
        return true;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    Fingerprint print;
    print.add(bytes);
    if (print.size != knownSize || print.value() != knownHash)
        return false;
    data = std::move(bytes);
    index();
    return true;
}

QByteArrayView JournalFile::line(int number) const
{
    if (wide || number < 1 || number > lineCount() || !hold())
        return {};
    const qsizetype start = starts[number - 1];
    qsizetype end = endOfLine(number);
    if (end > start && data[end - 1] == '\r')
        --end;
    return QByteArrayView(data).sliced(start, end - start);
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
    QLockFile lock(writeTarget() + QStringLiteral(".lock"));
    return begin(lock) && write(withAppended(encoded));
}

QByteArray JournalFile::withAppended(const QList<QByteArray> &lines) const
{
    QByteArray contents = data;
    const QByteArray end = lineEnd();
    if (!contents.isEmpty() && !contents.endsWith('\n'))
        contents += end;
    for (const QByteArray &line : lines)
        contents += line + end;
    return contents;
}

bool JournalFile::ready(QLockFile &lock, int number, int last, const QByteArray &line)
{
    if (number < 1 || number > last) {
        error = QStringLiteral("No line %1 in the journal").arg(number);
        return false;
    }
    if (holdsLineBreak(line)) {
        error = QStringLiteral("A reading holds a line break");
        return false;
    }
    return begin(lock);
}

bool JournalFile::begin(QLockFile &lock)
{
    if (wide) {
        error = whyNotWritable();
        return false;
    }
    error.clear();
    if (QFileInfo(filePath).isDir()) {
        error = QStringLiteral("Is a folder, not a journal");
        return false;
    }
    if (!lock.tryLock(lockWaitMs)) {
        qint64 pid = 0;
        QString host, app;
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            lock.getLockInfo(&pid, &host, &app);
            error = QStringLiteral("Another program (%1, process %2) is writing the journal")
                        .arg(app.isEmpty() ? QStringLiteral("unknown") : app)
                        .arg(pid);
            break;
        case QLockFile::PermissionError:
            error = QStringLiteral("Cannot lock the journal: Permission denied");
            break;
        default:
            error = QStringLiteral("Cannot lock the journal");
        }
        return false;
    }
    // Under the lock, so that no other writer comes between the check and
    // the write. Bytes read now are checked as they are read.
    const bool verified = data.isEmpty() && knownSize != 0 ? hold() : isCurrent();
    if (!verified) {
        error = changedMessage();
        return false;
    }
    return true;
}

bool JournalFile::replace(int number, const QByteArray &line)
{
    QLockFile lock(writeTarget() + QStringLiteral(".lock"));
    if (!ready(lock, number, lineCount(), line))
        return false;
    // The line's own end stays: CR LF, LF, or none on a last line.
    qsizetype end = endOfLine(number);
    if (end > starts[number - 1] && data[end - 1] == '\r')
        --end;
    const qsizetype start = starts[number - 1];
    QByteArray contents = data;
    contents.replace(start, end - start, line);
    return write(contents);
}

bool JournalFile::insert(int number, const QByteArray &line)
{
    QLockFile lock(writeTarget() + QStringLiteral(".lock"));
    if (!ready(lock, number, lineCount() + 1, line))
        return false;
    if (number > lineCount())
        return write(withAppended({ line }));
    QByteArray contents = data;
    contents.insert(starts[number - 1], line + lineEnd());
    return write(contents);
}

bool JournalFile::remove(int number)
{
    QLockFile lock(writeTarget() + QStringLiteral(".lock"));
    if (!ready(lock, number, lineCount(), QByteArray()))
        return false;
    const qsizetype start = starts[number - 1];
    QByteArray contents = data;
    contents.remove(start, startOfNext(number) - start);
    return write(contents);
}

bool JournalFile::isCurrent() const
{
    if (!QFileInfo::exists(filePath))
        return !present;
    qsizetype size = 0;
    quint64 hash = 0;
    return present && fingerprintOf(filePath, &size, &hash) && size == knownSize
        && hash == knownHash;
}

QString JournalFile::whyNotWritable() const
{
    const QFileInfo info(filePath);
    if (info.isDir())
        return QStringLiteral("Is a folder, not a journal");
    if (wide)
        return QStringLiteral("The journal is in UTF-16, which is read but not written");
    if (info.exists() && !info.isWritable())
        return QStringLiteral("The journal is read-only");
    // A change writes a new file beside the journal, and a lock.
    const QFileInfo folder(info.absolutePath());
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
    const auto *sugar = dynamic_cast<const SugarEntry *>(entry);
    if (sugar && !sugar->hasWholeValue())
        return QStringLiteral("value not a whole number");
    if (const auto *record = sugar ? nullptr : dynamic_cast<const RecordEntry *>(entry))
        return record->unreadableField();
    return {};
}

QString JournalFile::writeTarget() const
{
    // A link stays a link: the new file replaces what it points to.
    const QFileInfo info(filePath);
    return info.isSymLink() ? info.symLinkTarget() : filePath;
}

bool JournalFile::write(const QByteArray &contents)
{
    QSaveFile out(writeTarget());
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly)) {
        error = out.errorString();
        return false;
    }
    if (out.write(contents) != contents.size() || !out.commit()) {
        error = out.errorString();
        out.cancelWriting();
        return false;
    }
    data = contents;
    present = true;
    know();
    if (!keep) {
        data.clear();
        starts.clear();
    }
    return true;
}

void JournalFile::index() const
{
    starts.clear();
    const char *begin = data.constData();
    const char *end = begin + data.size();
    // A byte order mark belongs to the file, not to its first line.
    const char *p = data.startsWith("\xef\xbb\xbf") ? begin + 3 : begin;
    while (p < end) {
        starts.push_back(p - begin);
        const void *nl = std::memchr(p, '\n', size_t(end - p));
        if (!nl)
            break;
        p = static_cast<const char *>(nl) + 1;
    }
}

qsizetype JournalFile::endOfLine(int number) const
{
    const qsizetype next = startOfNext(number);
    return next > starts[number - 1] && data[next - 1] == '\n' ? next - 1 : next;
}

qsizetype JournalFile::startOfNext(int number) const
{
    return number < lineCount() ? starts[number] : data.size();
}

QByteArray JournalFile::lineEnd() const
{
    const qsizetype nl = data.indexOf('\n');
    return nl > 0 && data[nl - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}
