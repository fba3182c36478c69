// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "JournalEntry.h"

#include "FieldIterator.h"

#include <QTextStream>

#include <algorithm>
#include <iterator>

QMultiHash<QString, const JournalEntry::JournalFactory *> JournalEntry::JournalFactory::factories;

namespace {

// QString::toInt in base 10, 0 when it does not convert; plain digits skip
// the general parser, which is most of the cost of reading a line.
int decimal(QStringView s)
{
    if (!s.isEmpty() && s.size() <= 9) {
        int n = 0;
        for (const QChar c : s) {
            if (c < u'0' || c > u'9')
                return s.toInt();
            n = n * 10 + (c.unicode() - u'0');
        }
        return n;
    }
    return s.toInt();
}

// Zero-padded to a width, with the sign inside it, so that every number
// that a date or time field can yield reads back as itself.
QString padded(int n, int width)
{
    return QString::asprintf("%0*d", width, n);
}

bool isDigits(QStringView s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void putTwoDigits(QChar *out, int n)
{
    out[0] = QChar(u'0' + n / 10);
    out[1] = QChar(u'0' + n % 10);
}

bool needsEscape(QStringView s)
{
    for (const QChar c : s) {
        if (c == u'\\' || c == u'|' || c == u'\n')
            return true;
    }
    return false;
}

// The factory registered under a type code, or null. A journal holds a
// handful of types, and hashing the code costs as much as the rest of a
// line's reading: the codes found last are tried first, for as long as
// nothing is registered or removed. There is room for more codes than the
// nine types the journal knows, so that a journal of all of them finds
// each without a search.
const JournalEntry::JournalFactory *factoryOf(QStringView code)
{
    struct Found
    {
        QString code;
        const JournalEntry::JournalFactory *factory = nullptr;
    };
    static thread_local Found recent[16];
    static thread_local unsigned next = 0;
    static thread_local qsizetype registered = -1;
    const auto &factories = JournalEntry::JournalFactory::factories;
    if (registered != factories.size()) {
        for (Found &found : recent)
            found = Found();
        registered = factories.size();
    }
    for (const Found &found : recent) {
        // Codes are a few characters: compared here, without a call for each.
        if (found.code.size() == code.size() && !found.code.isNull()
            && std::equal(code.begin(), code.end(), found.code.cbegin()))
            return found.factory;
    }
    Found &found = recent[next++ % std::size(recent)];
    found.code = code.toString();
    found.factory = factories.value(found.code);
    return found.factory;
}

} // namespace

JournalEntry::JournalFactory::JournalFactory(const QString &typecode)
{
    registerFactory(typecode, this);
}

void JournalEntry::JournalFactory::registerFactory(
    const QString &typecode, const JournalFactory *factory)
{
    factories.insert(typecode, factory);
}

JournalEntry::JournalEntry()
{
    setDateTime(QDateTime::currentDateTime());
}

JournalEntry::JournalEntry(FieldIterator &it)
{
    date = decodeDate(*it);
    time = decodeTime(*++it);
    ++it;
}

QDateTime JournalEntry::getDateTime() const
{
    return QDateTime(date, time, Qt::UTC);
}

void JournalEntry::setDateTime(const QDateTime &dt)
{
    date = dt.date();
    time = dt.time();
}

bool JournalEntry::operator<(const JournalEntry &other) const
{
    return date < other.date || (date == other.date && time < other.time);
}

bool JournalEntry::operator==(const JournalEntry &other) const
{
    return date == other.date && time == other.time;
}

QString JournalEntry::getSummary() const
{
    if (!time.isValid())
        return QStringLiteral(": ");
    // The form of QTime::toString(), built by hand: the locale machinery
    // behind toString() costs more than the rest of a row.
    QString s(10, Qt::Uninitialized);
    QChar *c = s.data();
    putTwoDigits(c, time.hour());
    c[2] = u':';
    putTwoDigits(c + 3, time.minute());
    c[5] = u':';
    putTwoDigits(c + 6, time.second());
    c[8] = u':';
    c[9] = u' ';
    return s;
}

void JournalEntry::showDetail() const
{ }

void JournalEntry::encode(QStringList &fields) const
{
    fields << encodeItem(getType()) << encodeItem(date) << encodeItem(time);
}

QString JournalEntry::encode() const
{
    QStringList fields;
    encode(fields);
    return fields.join(u'|');
}

JournalEntry *JournalEntry::decode(const QString &line)
{
    return decode(QStringView(line));
}

JournalEntry *JournalEntry::decode(QStringView line)
{
    // The type code is the first non-empty field; from there on every field
    // counts, so an empty text field keeps its place and the fields after
    // it stay where they were written.
    QStringView rest(line);
    while (rest.startsWith(u'|'))
        rest = rest.sliced(1);
    if (rest.isEmpty())
        return nullptr;
    FieldIterator it(rest);
    const JournalFactory *factory = factoryOf(*it);
    if (!factory)
        return nullptr;
    return factory->create(++it);
}

QString JournalEntry::encodeItem(const QString &s) const
{
    if (!needsEscape(s))
        return s;
    // One pass by hand: a regular expression refuses text that is not valid
    // UTF-16 and would leave a separator unescaped.
    QString e;
    e.reserve(s.size() + 8);
    for (const QChar c : s) {
        if (c == u'\\')
            e += u"\\\\";
        else if (c == u'|')
            e += u"\\P";
        else if (c == u'\n')
            e += u"\\n";
        else
            e += c;
    }
    return e;
}

QString JournalEntry::encodeItem(int n) const
{
    return QString::number(n);
}

QString JournalEntry::encodeItem(const QDate &d) const
{
    return padded(d.year(), 4) + padded(d.month(), 2) + padded(d.day(), 2);
}

QString JournalEntry::encodeItem(const QTime &t) const
{
    return padded(t.hour(), 2) + padded(t.minute(), 2);
}

QString JournalEntry::decodeString(QStringView s) const
{
    qsizetype slash = s.indexOf(u'\\');
    if (slash < 0)
        return s.toString();

    // Left to right, so that the backslash of an escaped backslash never
    // starts another sequence; a backslash that starts none stays as it is.
    QString out;
    out.reserve(s.size());
    qsizetype done = 0;
    while (slash >= 0) {
        out += s.sliced(done, slash - done);
        const QChar next = slash + 1 < s.size() ? s[slash + 1] : QChar();
        if (next == u'\\' || next == u'P' || next == u'n') {
            out += next == u'P' ? u'|' : next == u'n' ? u'\n' : u'\\';
            done = slash + 2;
        } else {
            out += u'\\';
            done = slash + 1;
        }
        slash = s.indexOf(u'\\', done);
    }
    out += s.sliced(done);
    return out;
}

int JournalEntry::decodeInt(QStringView s) const
{
    return decimal(s);
}

QDate JournalEntry::decodeDate(QStringView s) const
{
    // The line holds the years 1 to 9999: a year written with a sign is none.
    const int year = decimal(s.mid(0, 4));
    return year < 1 ? QDate() : QDate(year, decimal(s.mid(4, 2)), decimal(s.mid(6, 2)));
}

QTime JournalEntry::decodeTime(QStringView s) const
{
    const qsizetype colon = s.indexOf(u':');
    if (colon < 0)
        return QTime(decimal(s.mid(0, 2)), decimal(s.mid(2, 2)), 0, 0);
    // Typed by hand, 7:05 or 07:05 is that time, not 00:05; any other time
    // with a colon is none. Written again, it is 0705.
    const QStringView hour = s.first(colon);
    const QStringView minute = s.sliced(colon + 1);
    if (hour.isEmpty() || hour.size() > 2 || minute.size() != 2 || !isDigits(hour)
        || !isDigits(minute))
        return QTime();
    return QTime(decimal(hour), decimal(minute), 0, 0);
}

QTextStream &operator<<(QTextStream &s, const JournalEntry &e)
{
    return s << e.encode();
}

QTextStream &operator>>(QTextStream &s, const JournalEntry *&e)
{
    // One buffer for every line spares an allocation per line; one that a
    // very long line has grown is given back.
    static thread_local QString line;
    s.readLineInto(&line);
    e = JournalEntry::decode(line);
    if (line.capacity() > 4096)
        line = QString();
    return s;
}
