// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef RECORDENTRY_H
#define RECORDENTRY_H

#include "JournalEntry.h"
#include "journal_export.h"

#include <cstddef>
#include <vector>

// A record of the diabetes day other than a reading (a dose of insulin,
// carbohydrates, a weight, ...): its fields are described once per type,
// and this class stores, reads, writes, summarises, checks and shows them
// from that description. A field is kept as written: a number field that
// is not a number reads as 0 and is shown and written back as it stands.
class JOURNAL_EXPORT RecordEntry : public JournalEntry
{
public:
    // One field of a record type.
    struct JOURNAL_EXPORT Field
    {
        enum Kind { Text, Number, Notes };

        // Free text, or one of a few words when choices are given.
        static Field text(const char *key, const char *label, QStringList choices = {});
        // A decimal number with a dot, between lowest and highest.
        static Field number(const char *key, const char *label, const char *unit, double lowest,
            double highest, bool optional = false);
        // Free text of any length, shown apart and marked "[NOTE]".
        static Field notes(const char *key = "notes", const char *label = "Notes");

        const char *key; // one word, for the command line and messages
        const char *label; // as shown
        Kind kind = Text;
        const char *unit = ""; // shown after a number
        double lowest = 0;
        double highest = 0;
        bool optional = false; // a number that may be left empty
        QStringList choices;
    };

    // What a record type is: its code, its name, its fields in line order,
    // and how its row reads.
    struct Description
    {
        const QString &typecode;
        const char *name; // as menus show it: "Blood pressure"
        const char *word; // as the command line names it: "bp"
        const char *noun; // one record, as a count names it: "insulin dose"
        std::vector<Field> fields;
        // The row's text after the time, without "[NOTE]".
        QString (*summary)(const RecordEntry &entry);
        // A problem that no single field shows, or an empty string.
        QString (*check)(const RecordEntry &entry) = nullptr;
    };

    // Records come by the hundred thousand: they share large blocks of memory.
    static void *operator new(std::size_t bytes);
    static void operator delete(void *entry, std::size_t bytes) noexcept;

    const Description &description() const { return *type; }
    int fieldCount() const { return int(type->fields.size()); }

    const QString &getType() const override;
    QString getSummary() const override;
    // Opens a modal dialog and returns when it is closed.
    void showDetail() const override;
    using JournalEntry::encode;
    void encode(QStringList &fields) const override;

    // A field as written, its escapes undone; empty beyond the last field.
    QString text(int field) const;
    // A field as the line holds it, escapes and all: for comparing with a
    // word that has none, without making a string.
    QStringView written(int field) const;
    // A field's value: 0 when it is not a number.
    double number(int field) const;
    // The same, and in isNumber whether the field is a number: one reading
    // of the field rather than two.
    double number(int field, bool *isNumber) const;
    // Whether a field holds a decimal number with a dot ("8", "-4.5").
    bool isNumber(int field) const;
    // A field as shown: its text, and its unit after a number (not after
    // text that is none).
    QString shown(int field) const;
    // The notes, or an empty string when the type has none.
    QString getNotes() const;
    void setText(int field, const QString &text);
    // Written with a dot and without trailing zeros: "8", "4.5".
    void setNumber(int field, double value);

    // What makes the record doubtful, naming the field ("units not a number:
    // \"8u\"", "impossible systolic 400"), or an empty string.
    QString problem() const;
    // Only a number field that is not a number: what a reader cannot use.
    QString unreadableField() const;

    // A number as the journal writes it: a dot, no trailing zeros, no exponent.
    static QString numberText(double value);
    // A number typed as "72.40" or "007" as the journal writes it, digit for
    // digit; text that is no number as it is.
    static QString tidyNumber(const QString &text);
    // Whether text is a decimal number as the journal writes one.
    static bool isNumberText(QStringView text);
    // " (text)", or nothing for an empty text: for summaries.
    static QString inParentheses(const QString &text);

protected:
    explicit RecordEntry(const Description &type);
    RecordEntry(const Description &type, FieldIterator &it);

private:
    const Description *type;
    // The fields as the journal line holds them, escaped, joined by "|":
    // one string a record rather than one a field.
    QString values;
};

#endif
