// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef RECORDDIALOG_H
#define RECORDDIALOG_H

#include "RecordEntry.h"

#include <QDialog>

#include <memory>
#include <vector>

class DateSelector;
class TimeSelector;

// Asks for a record to add, or for the changes to one, field by field as
// its type describes them: date, time, then a line, a list or a text box
// a field. A field that was not a number and was not touched stays as it
// was; what cannot be written is refused with a message and the dialog
// stays open.
class RecordDialog : public QDialog
{
    Q_OBJECT

public:
    // The year list runs from firstYear to lastYear.
    RecordDialog(const RecordEntry::Description &type, int firstYear, int lastYear,
        QWidget *parent = nullptr);
    ~RecordDialog() override;

    // Shows the record, of the dialog's type; without one, now and empty fields.
    void setRecord(const RecordEntry *entry);
    // The record as the dialog shows it.
    std::unique_ptr<RecordEntry> record() const;

    void accept() override;

private:
    QString fieldText(int field) const;
    // Why the field cannot be written as it stands, or an empty string.
    QString refusal(int field) const;

    const RecordEntry::Description &type;
    DateSelector *date;
    TimeSelector *time;
    std::vector<QWidget *> editors; // one a field, named by the field's key
    std::unique_ptr<RecordEntry> original;
};

#endif
