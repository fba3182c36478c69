// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "RecordEntry.h"

#include "BlockPool.h"
#include "DetailDialog.h"
#include "FieldIterator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

BlockPool &pool()
{
    static BlockPool records(sizeof(RecordEntry), alignof(RecordEntry));
    return records;
}

// The first of the fields in rest, which then holds those after it; empty
// past the last. Fields are a few characters: a plain loop finds the bar
// sooner than a general search sets itself up.
inline QStringView nextField(QStringView &rest)
{
    const QChar *bar = rest.begin();
    while (bar != rest.end() && *bar != u'|')
        ++bar;
    const QStringView field(rest.begin(), bar);
    rest = bar == rest.end() ? QStringView() : QStringView(bar + 1, rest.end());
    return field;
}

// The field'th of fields joined by bars.
QStringView fieldOf(const QString &joined, int field)
{
    QStringView rest(joined);
    for (int i = 0; i < field && !rest.isNull(); ++i)
        nextField(rest);
    return nextField(rest);
}

constexpr int mostFields = 8;

// The value of a number as the journal writes it ("-4.5"), or nothing for
// text that is none, in one pass. Up to 15 digits the value is exact as a
// whole number and so is the power of ten: one division rounds as the
// general parser would.
std::optional<double> valueOf(QStringView text)
{
    static constexpr double tens[] = { 1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10,
        1e11, 1e12, 1e13, 1e14, 1e15 };
    const char16_t *c = text.utf16();
    const char16_t *const end = c + text.size();
    const bool negative = c != end && *c == u'-';
    c += negative;
    std::int64_t digits = 0;
    int count = 0;
    const auto run = [&] {
        const char16_t *const from = c;
        for (; c != end && char16_t(*c - u'0') < 10; ++c) {
            if (++count <= 15)
                digits = digits * 10 + (*c - u'0');
        }
        return int(c - from);
    };
    if (run() == 0)
        return std::nullopt;
    int decimals = 0;
    if (c != end && *c == u'.') {
        ++c;
        decimals = run();
        if (decimals == 0)
            return std::nullopt;
    }
    if (c != end)
        return std::nullopt;
    if (count > 15)
        return text.toDouble();
    const double value = double(digits) / tens[decimals];
    return negative ? -value : value;
}

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
    qsizetype length = std::max(count - 1, 0);
    for (int i = 0; i < count; ++i, ++it) {
        read[i] = *it;
        length += read[i].size();
    }
    values = QString(length, Qt::Uninitialized);
    QChar *out = values.data();
    for (int i = 0; i < count; ++i) {
        if (i)
            *out++ = u'|';
        out = std::copy(read[i].begin(), read[i].end(), out);
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

QStringView RecordEntry::written(int field) const
{
    return fieldOf(values, field);
}

double RecordEntry::number(int field) const
{
    return valueOf(fieldOf(values, field)).value_or(0);
}

double RecordEntry::number(int field, bool *isNumber) const
{
    const std::optional<double> value = valueOf(fieldOf(values, field));
    *isNumber = value.has_value();
    return value.value_or(0);
}

bool RecordEntry::isNumber(int field) const
{
    return valueOf(fieldOf(values, field)).has_value();
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
    // A sound record, as most are, is judged from its fields as they stand:
    // its words are made only for a message.
    QStringView rest(values);
    for (int i = 0; i < fieldCount(); ++i) {
        const Field &f = type->fields[size_t(i)];
        const QStringView raw = nextField(rest);
        const auto key = [&f] { return QString::fromUtf8(f.key); };
        if (f.kind == Field::Number) {
            if (raw.isEmpty()) {
                if (!f.optional)
                    return key() + u" missing";
            } else if (const std::optional<double> n = valueOf(raw); !n) {
                return QStringLiteral("%1 not a number: \"%2\"").arg(key(), text(i));
            } else if (*n < f.lowest || *n > f.highest) {
                return QStringLiteral("impossible %1 %2").arg(key(), raw.toString());
            }
        } else if (!f.choices.isEmpty()
            && !(raw.indexOf(u'\\') < 0 ? f.choices.contains(raw) : f.choices.contains(text(i)))) {
            if (raw.isEmpty())
                return key() + u" missing";
            return QStringLiteral("%1 not %2: \"%3\"").arg(key(), f.choices.join(u" or "), text(i));
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
    return valueOf(text).has_value();
}
