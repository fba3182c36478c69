// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "SugarEntry.h"

#include "BlockPool.h"
#include "DetailDialog.h"
#include "FieldIterator.h"
#include "GlucoseReading.h"

#include <iterator>

const QString SugarEntry::typecode = QStringLiteral("SUGR");

SugarEntry::MyFactory::MyFactory()
    : JournalFactory(SugarEntry::typecode)
{ }

JournalEntry *SugarEntry::MyFactory::create(FieldIterator &it) const
{
    return new SugarEntry(it);
}

namespace {

// A journal repeats a handful of reading types: lines share one copy of
// each recent one rather than each allocating its own.
QString sharedReadingType(const JournalEntry &codec, QStringView field)
{
    static thread_local QString recent[8];
    static thread_local unsigned next = 0;
    for (const QString &known : recent) {
        if (!known.isNull() && known == field)
            return known;
    }
    QString decoded = codec.decodeString(field);
    if (decoded.size() == field.size()) // no escapes: the same text as the field
        recent[next++ % std::size(recent)] = decoded;
    return decoded;
}

} // namespace

namespace {
BlockPool &pool()
{
    static BlockPool readings(sizeof(SugarEntry), alignof(SugarEntry));
    return readings;
}
} // namespace

void *SugarEntry::operator new(std::size_t bytes)
{
    return pool().allocate(bytes);
}

void SugarEntry::operator delete(void *entry, std::size_t bytes) noexcept
{
    pool().release(entry, bytes);
}

SugarEntry::SugarEntry() = default;

SugarEntry::SugarEntry(FieldIterator &it)
    : JournalEntry(it)
{
    rtype = sharedReadingType(*this, *it);
    const QStringView field = *++it;
    value = decodeInt(field);
    bool whole = value != 0;
    if (!whole)
        static_cast<void>(field.toInt(&whole));
    if (!whole)
        valueField = field.toString();
    notes = decodeString(*++it);
    ++it;
}

SugarEntry::~SugarEntry() = default;

namespace {

// Digits alone, at most nine of them, as a number; -1 otherwise.
int plainNumber(QByteArrayView digits)
{
    if (digits.isEmpty() || digits.size() > 9)
        return -1;
    int n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

bool SugarEntry::readPlain(QByteArrayView line, Reading *reading)
{
    // "SUGR|YYYYMMDD|HHMM|" as the journal writes them, then the type, the
    // value and the notes.
    constexpr qsizetype dateAt = 5;
    constexpr qsizetype timeAt = 14;
    constexpr qsizetype restAt = 19;
    if (line.size() < restAt || !line.startsWith("SUGR|") || line[timeAt - 1] != '|'
        || line[restAt - 1] != '|')
        return false;
    const int date = plainNumber(line.sliced(dateAt, 8));
    const int time = plainNumber(line.sliced(timeAt, 4));
    if (date < 0 || time < 0)
        return false;
    // The type and the value; then whether notes follow.
    QByteArrayView fields[2];
    qsizetype count = 0;
    qsizetype from = restAt;
    qsizetype i = from;
    for (; i <= line.size() && count < 2; ++i) {
        if (i == line.size() || line[i] == '|') {
            fields[count++] = line.sliced(from, i - from);
            from = i + 1;
            continue;
        }
        // Escapes and text beyond ASCII take the whole decoding.
        const char c = line[i];
        if (c == '\\' || uchar(c) >= 0x80)
            return false;
    }
    if (count < 2)
        return false;
    const int value = plainNumber(fields[1]);
    if (value < 0)
        return false;
    const bool hasNotes = i < line.size() && line[i] != '|';
    // Readings of one day stand together: its date is worked out once.
    struct Day
    {
        int number = -1;
        QDate date;
    };
    static thread_local Day last;
    Day &day = last;
    if (date != day.number)
        day = { date, QDate(date / 10000, date / 100 % 100, date % 100) };
    reading->date = day.date;
    // As QTime(hour, minute) makes it, without the call: past 23:59 is none.
    const int hour = time / 100;
    const int minute = time % 100;
    reading->time = hour < 24 && minute < 60
        ? QTime::fromMSecsSinceStartOfDay((hour * 60 + minute) * 60 * 1000)
        : QTime();
    reading->type = fields[0];
    reading->value = value;
    reading->hasNotes = hasNotes;
    return true;
}

QString SugarEntry::getValueText() const
{
    return valueField.isNull() ? QString::number(value) : decodeString(valueField);
}

QString SugarEntry::valueProblem() const
{
    if (!hasWholeValue())
        return QStringLiteral("value not a whole number");
    if (value <= 0)
        return QStringLiteral("impossible value %1").arg(value);
    if (!GlucoseReading::isPlausible(value))
        return QStringLiteral("implausible value %1 mg/dL").arg(value);
    return {};
}

const QString &SugarEntry::getType() const
{
    return typecode;
}

QString SugarEntry::getSummary() const
{
    QString s
        = JournalEntry::getSummary() + u"Sugar = " + getValueText() + u" (" + rtype + u") ";
    if (!notes.isEmpty())
        s += u"[NOTE]";
    return s;
}

void SugarEntry::showDetail() const
{
    showDetail(getValueText(), QString());
}

void SugarEntry::showDetail(const QString &value, const QString &unit) const
{
    DetailDialog::exec(u"Blood Sugar Reading " + value
        + (unit.isEmpty() ? QString() : u' ' + unit + u' ') + u'(' + rtype + u")\n"
        + getDate().toString() + u' ' + getTime().toString() + u"\n\n" + notes);
}

void SugarEntry::encode(QStringList &fields) const
{
    JournalEntry::encode(fields);
    // The raw field goes back as it came: it holds no separator.
    fields << encodeItem(rtype) << (valueField.isNull() ? encodeItem(value) : valueField)
           << encodeItem(notes);
}
