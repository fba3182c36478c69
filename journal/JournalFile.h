// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef JOURNALFILE_H
#define JOURNALFILE_H

#include "journal_export.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class JournalEntry;
class QFile;
class QLockFile;
class QSaveFile;

// A journal file as bytes and lines, and the one way to change it. Every
// change goes through a new file that replaces the old one whole, under a
// lock beside the journal, and only when the file is still what was read:
// a failure or a kill at any moment leaves the old file as it was.
class JOURNAL_EXPORT JournalFile
{
public:
    explicit JournalFile(const QString &path);
    ~JournalFile();

    const QString &path() const { return filePath; }

    // Reads the whole file. False, with errorString(), when it cannot: a
    // missing file reads as an empty journal that append() creates.
    bool read();
    // Reads the file a piece at a time and hands each line to use, holding
    // none of it: a change reads the bytes again when it needs them, and
    // only while they are still what was read.
    bool scan(const std::function<void(int number, QByteArrayView line)> &use);
    // Reads the file in parts of whole lines, each on a thread of its own,
    // a piece at a time, and hands each line to use with its part's number,
    // from 0: the lines of a part in order, the parts at once. For a reader
    // that needs each line once and holds none of the file: nothing is kept
    // of it. A file of a few megabytes is one part; lines in UTF-16 are
    // given as UTF-8.
    bool readInParts(int parts, const std::function<void(int part, QByteArrayView line)> &use);
    bool exists() const { return present; }

    // Lines count from 1; a line is given without its line end. A journal
    // in UTF-16 (told by its byte order mark) is read as text but never
    // written: its lines have no bytes of their own here.
    int lineCount() const { return wide ? int(wideLines.size()) : knownLines; }
    bool isUtf16() const { return wide; }
    // The lines are indexed when the first is asked for: line() and
    // lineText() of one file are not for several threads at once.
    QByteArrayView line(int number) const;
    QString lineText(int number) const;
    // All the lines as read(), without a byte order mark: for a program
    // that splits a journal's lines itself, as LF, CR LF or a lone CR end
    // them. Empty for a journal in UTF-16 and after scan().
    QByteArrayView text() const;
    // Hands each line of such text to use, without its line end, as the
    // journal's lines are split.
    static void forEachLine(QByteArrayView text, const std::function<void(QByteArrayView)> &use);

    // Takes the lock beside the journal and holds it for the life of this
    // object, waiting up to waitMs for another writer: a read and a change
    // after it then need no check against other writers. False, with
    // errorString(), when it cannot; the message names the holder.
    bool lock(int waitMs);

    // Each change first checks that the file is still what was read (or last
    // written), again right before the new file replaces it, and refuses
    // otherwise. Lines must not hold a line break.
    // append() writes all the lines or none of them; insert() puts a line
    // before the given one, or at the end after the last.
    bool append(const QStringList &lines);
    bool replace(int number, const QByteArray &line);
    bool insert(int number, const QByteArray &line);
    bool remove(int number);

    // Whether the file on disk is what was read or last written: false
    // after another program changed it.
    bool isCurrent() const;
    // Whether the last change was refused because the file was no longer
    // what was read; any other failure leaves the file as both sides know it.
    bool wasChanged() const { return changed; }
    // Why the journal cannot be written, or an empty string when it can.
    QString whyNotWritable() const;

    QString errorString() const { return error; }

    // Why a line does not read as a sound entry ("unknown type code",
    // "impossible date", "impossible time", a reading's value problem, a
    // record's problem such as "units not a number: \"8u\""), or an empty
    // string. The entry is the line decoded, or null. A line with a problem
    // is one not read: no reading or record that counts.
    static QString problem(const JournalEntry *entry);

private:
    bool open(QFile &file);
    void reset();
    bool hold() const;
    // Checks a change's line number (1 to last) and line, then begins it.
    bool ready(QLockFile &lock, int number, int last, const QByteArray &line, bool bytes = true);
    // Takes the lock unless held and holds the bytes, checked to be what
    // was read, unless the change needs none of them.
    bool begin(QLockFile &lock, bool bytes = true);
    bool acquire(QLockFile &lock, int waitMs);
    bool removeUnnamed(QLockFile &lock) const;
    QString whyNoLock(int lockError) const;
    QString lockPath() const;
    static void keepOwner(QSaveFile &out, const QString &target);
    // Appends to the new journal what another program appended to the old
    // one as it was replaced, and returns it.
    QByteArray rescue(QFile &old, const QString &target, bool endsLine) const;
    // Writes the journal with lines after the last.
    bool writeAppended(const QList<QByteArray> &lines);
    // The same without the old bytes held: the system copies them.
    bool writeCopied(const QList<QByteArray> &lines);
    void know();
    bool isCurrent(QFile &file) const;
    // What the file system tells of the file read or last written: a file
    // that still shows it needs no second reading to be known unchanged.
    struct Stamp
    {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modified = 0;
        bool operator==(const Stamp &o) const
        {
            return device == o.device && inode == o.inode && size == o.size
                && modified == o.modified;
        }
    };
    static Stamp stampOf(int fd);
    // Writes a new journal with fill(), checks once more that the old one
    // is what was read, and lets the new one take its place. The old one
    // stays open in old, for rescue(); stamp tells of the new one.
    bool replaceWith(
        const std::function<bool(QSaveFile &out)> &fill, QString *target, QFile &old, Stamp *stamp);
    QString writeTarget() const;
    // Writes the whole file anew from pieces of the bytes held and new ones,
    // under the lock that begin() took; lines is the count of lines then.
    bool write(const std::vector<QByteArrayView> &pieces, int lines);
    void index() const;
    // Where a line's text starts and ends, and where the next line starts.
    struct Place
    {
        qsizetype start;
        qsizetype end;
        qsizetype next;
    };
    Place place(int number) const;
    // The line placed last in the bytes held, until they change.
    struct Placed
    {
        int number = 0;
        Place at {};
    };
    mutable Placed placed;
    QByteArray lineEnd() const;

    QString filePath;
    // The bytes and where their lines start, held after read() or while a
    // change needs them.
    mutable QByteArray data;
    mutable std::vector<qsizetype> starts;
    bool keep = true;
    // What was read or last written, to tell another program's change.
    qsizetype knownSize = 0;
    quint64 knownHash = 0;
    // The fingerprint's state after the bytes known, to go on from there
    // with lines appended to them.
    quint64 knownLanes[4] = {};
    QByteArray knownTail;
    mutable Stamp knownStamp;
    int knownLines = 0;
    bool wide = false;
    QStringList wideLines;
    bool present = false;
    bool changed = false;
    std::unique_ptr<QLockFile> held;
    QString error;
};

#endif
