// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "RecordEntry.h"

#include "BlockPool.h"
#include "DetailDialog.h"
#include "FieldIterator.h"

#include <cmath>

namespace {

BlockPool &pool()
{
    static BlockPool records(sizeof(RecordEntry), alignof(RecordEntry));
    return records;
}

// The field'th of fields joined by bars.
QStringView fieldOf(const QString &joined, int field)
{
    qsizetype from = 0;
    for (int i = 0; i < field; ++i) {
        from = joined.indexOf(u'|', from);
        if (from < 0)
            return {};
        ++from;
    }
    const qsizetype to = joined.indexOf(u'|', from);
    return QStringView(joined).sliced(from, (to < 0 ? joined.size() : to) - from);
}

constexpr int mostFields = 8;

} // namespace

RecordEntry::Field RecordEntry::Field::text(const char *key, const char *label, QStringList choices)
{
    return { key, label, Text, "", 0, 0, false, std::move(choices) };
}

RecordEntry::Field RecordEntry::Field::number(const char *key, const char *label, const char *unit,
    double lowest, double highest, bool optional)
{
    return { key, label, Number, unit, lowest, highest, optional, {} };
}

RecordEntry::Field RecordEntry::Field::notes(const char *key, const char *label)
{
    return { key, label, Notes, "", 0, 0, false, {} };
}

void *RecordEntry::operator new(std::size_t bytes)
{
    return pool().allocate(bytes);
}

void RecordEntry::operator delete(void *entry, std::size_t bytes) noexcept
{
    pool().release(entry, bytes);
}

RecordEntry::RecordEntry(const Description &type)
    : type(&type)
    , values(fieldCount() - 1, u'|')
{ }

RecordEntry::RecordEntry(const Description &type, FieldIterator &it)
    : JournalEntry(it)
    , type(&type)
{
    // The fields as they stand, in one allocation.
    QStringView read[mostFields];
    const int count = std::min(fieldCount(), mostFields);
    qsizetype length = count - 1;
    for (int i = 0; i < count; ++i, ++it) {
        read[i] = *it;
        length += read[i].size();
    }
    values.reserve(length);
    for (int i = 0; i < count; ++i) {
        if (i)
            values += u'|';
        values += read[i];
    }
}

const QString &RecordEntry::getType() const
{
    return type->typecode;
}

QString RecordEntry::getSummary() const
{
    QString s = JournalEntry::getSummary() + type->summary(*this);
    // A note is its own text: only records with other fields are marked.
    if (fieldCount() > 1 && !getNotes().isEmpty())
        s += s.endsWith(u' ') ? QStringView(u"[NOTE]") : QStringView(u" [NOTE]");
    return s;
}

void RecordEntry::showDetail() const
{
    QString detail = QString::fromUtf8(type->name) + u'\n' + getDate().toString() + u' '
        + getTime().toString() + u"\n\n";
    bool listed = false;
    for (int i = 0; i < fieldCount(); ++i) {
        if (type->fields[size_t(i)].kind != Field::Notes && !text(i).isEmpty()) {
            detail += QString::fromUtf8(type->fields[size_t(i)].label) + u": " + shown(i) + u'\n';
            listed = true;
        }
    }
    if (listed)
        detail += u'\n';
    DetailDialog::exec(detail + getNotes());
}

void RecordEntry::encode(QStringList &fields) const
{
    JournalEntry::encode(fields);
    // Held as the line holds them: escaped already.
    fields += values.split(u'|');
}

QString RecordEntry::text(int field) const
{
    return decodeString(fieldOf(values, field));
}

double RecordEntry::number(int field) const
{
    const QStringView t = fieldOf(values, field);
    return isNumberText(t) ? t.toDouble() : 0;
}

bool RecordEntry::isNumber(int field) const
{
    return isNumberText(fieldOf(values, field));
}

QString RecordEntry::shown(int field) const
{
    const QString t = text(field);
    const Field &f = type->fields[size_t(field)];
    // A unit after what is no number would read as a value of it: "8u u".
    return f.kind == Field::Number && *f.unit && isNumberText(t)
        ? t + u' ' + QString::fromUtf8(f.unit)
        : t;
}

QString RecordEntry::getNotes() const
{
    for (int i = 0; i < fieldCount(); ++i) {
        if (type->fields[size_t(i)].kind == Field::Notes)
            return text(i);
    }
    return {};
}

void RecordEntry::setText(int field, const QString &text)
{
    if (field < 0 || field >= fieldCount())
        return;
    QStringList parts = values.split(u'|');
    parts[field] = encodeItem(text);
    values = parts.join(u'|');
}

void RecordEntry::setNumber(int field, double value)
{
    setText(field, numberText(value));
}

QString RecordEntry::problem() const
{
    for (int i = 0; i < fieldCount(); ++i) {
        const Field &f = type->fields[size_t(i)];
        const QString t = text(i);
        const QString key = QString::fromUtf8(f.key);
        if (f.kind == Field::Number) {
            if (t.isEmpty()) {
                if (!f.optional)
                    return key + u" missing";
            } else if (!isNumberText(t)) {
                return QStringLiteral("%1 not a number: \"%2\"").arg(key, t);
            } else if (number(i) < f.lowest || number(i) > f.highest) {
                return QStringLiteral("impossible %1 %2").arg(key, t);
            }
        } else if (!f.choices.isEmpty() && !f.choices.contains(t)) {
            if (t.isEmpty())
                return key + u" missing";
            return QStringLiteral("%1 not %2: \"%3\"").arg(key, f.choices.join(u" or "), t);
        }
    }
    return type->check ? type->check(*this) : QString();
}

QString RecordEntry::unreadableField() const
{
    for (int i = 0; i < fieldCount(); ++i) {
        const QStringView t = fieldOf(values, i);
        if (type->fields[size_t(i)].kind == Field::Number && !t.isEmpty() && !isNumberText(t))
            return QString::fromUtf8(type->fields[size_t(i)].key) + u" not a number";
    }
    return {};
}

QString RecordEntry::inParentheses(const QString &text)
{
    return text.isEmpty() ? QString() : u" (" + text + u')';
}

QString RecordEntry::numberText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    return tidyNumber(QString::number(value, 'f', 6));
}

QString RecordEntry::tidyNumber(const QString &text)
{
    if (!isNumberText(text))
        return text;
    QString t = text;
    if (t.contains(u'.')) {
        while (t.endsWith(u'0'))
            t.chop(1);
        if (t.endsWith(u'.'))
            t.chop(1);
    }
    const qsizetype sign = t.startsWith(u'-') ? 1 : 0;
    while (t.size() > sign + 1 && t[sign] == u'0' && t[sign + 1] != u'.')
        t.remove(sign, 1);
    return t == u"-0" ? QStringLiteral("0") : t;
}

bool RecordEntry::isNumberText(QStringView text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const auto digits = [&] {
        const qsizetype from = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        return i > from;
    };
    if (!digits())
        return false;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        if (!digits())
            return false;
    }
    return i == text.size();
}
